#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/IcdExport.h"
#include "iec61850/icd/ControlBlockAddress.h"
#include "iec61850/icd/IcdEnumerations.h"
#include "iec61850/icd/IcdModelSource.h"
#include "iec61850/icd/SclTreeNode.h"

namespace Iec61850::Acsi {
class ControlBlock;
class DataItem;
class DataSet;
class GoCB;
class GsCB;
class LCB;
class LLN0;
class LogicalDevice;
class LogicalNode;
class NamedObject;
class RCB;
}  // namespace Iec61850::Acsi

namespace Iec61850::Acsi::Scl {

class XmlWriter;

// The text the generator comment of every ICD file names the program by.
inline constexpr std::string_view kIcdGeneratorNote = "IEC 61850 tester, ICD export";

// The index into the settings' three texts "Dyn", "Conf", "Fix".
inline constexpr std::int32_t SettingDyn = 0;
inline constexpr std::int32_t SettingConf = 1;
inline constexpr std::int32_t SettingFix = 2;

// A node filed under a type: the class of equal structure it belongs to (its filing index
// until the classes are numbered) and whether it is the one that represents its class.
struct TypeFiling {
    SclTreeNode* node = nullptr;
    std::uint32_t classNumber = 0;
    bool representative = true;
};
// Type id (or enumeration name) -> the nodes filed under it, in filing order, so that the
// same model always gives the same classes and representatives.
using TypeMap = std::map<std::string, std::vector<TypeFiling>, std::less<>>;

// The ICD export of one server: a dialogue of three steps with the program. The settings
// are offered (BuildSettingsXml: state 1), the program's answers are read (ReadAnswers:
// state 2), and the file is written (WriteFile, as often as wanted). Every step reads the
// model under the server's model lock; the file is written after the lock is released.
//
// Results are 0 and -1; after -1 GetLastFailure says why. The exporter has no lock of its
// own: the program calls it from one thread.
//
// Every file passes the SCL schema: what SCL cannot express is left out rather than
// written in a form SCL refuses. Left out are a logical device without a typed LLN0, a
// logical node of a class the dictionary lacks or without an instance number, a report
// block without a configuration revision, a sampled-value block without a sample rate,
// data-set members under a constraint an FCDA cannot name (and a data set left without
// members), control-block attributes without a value, a data set a block names outside
// its own node, template members without a basic type, attributes of a constraint the
// schema lacks (SclFunctionalConstraints.h) in types, values and data sets alike; the IED
// and its communication when no IED name can be found, the server when no logical device
// remains.
//
// The file says only what the device said: a value (Val, a control block's attribute, an
// address) the client never received from the device is left out, never written as the
// default its container holds (WasReceived). Types keep what the device has: an attribute
// the dictionary lacks is typed by its value's basic type, and an array of data objects
// (harmonics) is an attribute with a count whose type holds the elements' components, since
// SCL counts no sub-data object; its elements are named "phsAHar(9).cVal" in data sets.
// Data held under both SG and SE is typed SE, from which a generator makes both copies.
//
// Every reference of the file resolves within it, as configuration tools demand: what is
// left out is left out everywhere. A value (DOI, SDI, DAI) is written only for a member of
// its node's type; a data-set member only when its node, data object and attribute are in
// the file (else an XML comment in its place says what was left out and why); a datSet
// only for a data set written in the block's node; a block's address only for a block
// written. The Services count what the file holds.
class IcdExporter : public IcdExport {
public:
    explicit IcdExporter(std::unique_ptr<IcdModelSource> source);
    ~IcdExporter() override;
    IcdExporter(const IcdExporter&) = delete;
    IcdExporter& operator=(const IcdExporter&) = delete;

    // Gathers the facts of the model, the profile and the association and appends the
    // section list (root "Question"). -1 only when the model lock cannot be taken.
    std::int32_t BuildSettingsXml(std::string& text) override;
    // Takes the answers. Refused (-1, nothing stored, state unchanged): before the settings
    // were offered, an empty or unparsable text, an item whose Value is missing or no whole
    // decimal number, a Dyn/Conf/Fix value outside 0..2, a negative max or maxAttributes.
    // Sections and items that are missing keep their defaults.
    std::int32_t ReadAnswers(std::string_view answers) override;
    // Builds the document under the model lock, then writes declaration, generator
    // comment and document beside the path and renames it over the path. -1 before the
    // answers, on a lock failure, or when the file cannot be made (the system's text kept);
    // an existing file then stays as it was.
    std::int32_t WriteFile(const std::string& path) override;
    std::string GetLastFailure() const override { return lastFailure_; }

    // The whole SCL document, under the caller's hold.
    void BuildDocument(const Mms::ModelHold& hold, XmlWriter& writer);

    // ---- model tree (under the caller's hold: the tree takes every item's variable, which
    // a component gets the first time it is asked for) ----
    void AddLogicalDeviceToTree(const Mms::ModelHold& hold, LogicalDevice& device);
    void AddLogicalNodeToTree(const Mms::ModelHold& hold, LogicalNode& node, SclTreeNode& deviceNode);
    // Nodes for the item's children, each filled in turn and merged into `node`. An array
    // element ("[i]") gives all its children in its place; one without children none.
    void FillSubtree(const Mms::ModelHold& hold, DataItem& item, SclTreeNode& node);
    // Files the node, and below a logical-node, data-object or attribute type its children,
    // under its type in the map of the type's kind.
    void CollectTypes(SclTreeNode& node);

    // The inst of a logical device in the file: its name less the IED name's length, or the
    // whole name when that rule leaves some device without an inst or two with the same.
    std::string LdInstOf(const LogicalDevice& device) const;
    std::string LdInstOf(std::string_view deviceName) const;
    // The enumeration of an INC or INS data object's attribute, named after the object
    // ("EEHealth" and "PhyHealth" use "Health"); empty unless the table has it.
    std::string EnumTypeIdFor(const SclTreeNode& node) const;
    // "dirGeneralEnum" -> "dir", "orCatEnum" -> "orCategory", else the id less its first "Enum".
    static std::string EnumNameFromTypeId(std::string_view id);
    // The value of the profile parameter of that name (the last one of that name); empty
    // when there is none.
    void GetProfileParameter(std::string_view name, std::string& value) const;
    // The addresses under the block's "DstAddress"; the MAC address as six pairs joined by
    // "-" when it is twelve hexadecimal digits, else as the device gave it; APPID and VID as
    // SCL reads them, four and three upper-case hexadecimal digits (empty when the device's
    // text is no number of that range); the priority in decimal.
    static void ReadControlBlockAddress(ControlBlock& block, std::string& mac, std::string& appId,
                                        std::string& priority, std::string& vlanId);
    const IcdEnumRow* FindEnumeration(std::string_view name) const;

    // ---- state and facts, read by the file's writers and by tests ----
    std::int32_t GetState() const { return state_; }
    const std::string& GetIedName() const { return iedName_; }
    // The IED name of devices of these names (in byte order), as an export would write it.
    static std::string IedNameOf(const std::vector<std::string>& deviceNames);
    // Makes an empty file beside `path` under a name no other file has, for a caller that
    // writes the file there first and renames it over `path` once it may (see
    // WriteFileReplacing); its name goes to `staged`. False with `error` when none can be made.
    static bool CreateFileBeside(const std::string& path, std::string& staged, std::string& error);
    const std::string& GetConfigRevision() const { return configRevision_; }
    const SclTreeNode* GetTreeRoot() const { return treeRoot_.get(); }
    IcdModelSource& Source() const { return *source_; }

    struct Counts {
        std::uint32_t reportControlBlocks = 0;
        std::uint32_t logControlBlocks = 0;
        std::uint32_t gooseControlBlocks = 0;
        std::uint32_t gsseControlBlocks = 0;
        std::uint32_t sampledValueControlBlocks = 0;
        std::uint32_t dataSets = 0;
        std::uint32_t largestDataSet = 0;
    };
    // The device's addressing from the profile. A selector or qualifier whose text is not
    // a number is none (its element is left out of the file).
    struct RemoteAddressing {
        std::optional<std::int64_t> aeQualifier;
        std::string apId;  // every "." replaced by ","
        std::optional<std::int64_t> pSelector;
        std::optional<std::int64_t> sSelector;
        std::optional<std::int64_t> tSelector;
        std::string networkAddress;
    };
    struct Answers {
        std::int32_t dynMax = 0;
        std::int32_t dynMaxAttributes = 0;
        bool fixPrefix = true;
        bool fixLnInst = true;
        // cbName, datSet, svID, optFields, smpRate
        std::int32_t smvCbName = SettingFix, smvDatSet = SettingFix, smvSvId = SettingDyn, smvOptFields = SettingFix,
                     smvSmpRate = SettingFix;
        // cbName, datSet, appID, dataLabel: always Fix
        std::int32_t gseCbName = SettingFix, gseDatSet = SettingFix, gseAppId = SettingFix, gseDataLabel = SettingFix;
        std::int32_t reportCbName = SettingFix, reportDatSet = SettingFix, reportOptFields = SettingFix,
                     reportTrgOps = SettingFix, reportIntgPd = SettingFix, reportBufTime = SettingFix,
                     reportRptId = SettingDyn;
        bool reportIndex = false;
        std::int32_t logCbName = SettingFix, logDatSet = SettingFix, logLogEna = SettingConf, logTrgOps = SettingFix,
                     logIntgPd = SettingFix;
    };
    const Counts& GetCounts() const { return counts_; }
    const RemoteAddressing& GetRemoteAddressing() const { return remote_; }
    const Answers& GetAnswers() const { return answers_; }
    bool HasTimerActivatedControl() const { return timerActivatedControl_; }
    const std::map<std::string, ControlBlockAddress>& GetGooseAddresses() const { return gooseAddresses_; }
    const std::map<std::string, ControlBlockAddress>& GetGsseAddresses() const { return gsseAddresses_; }
    const std::map<std::string, ControlBlockAddress>& GetSampledValueAddresses() const { return svAddresses_; }
    const TypeMap& GetLNodeTypes() const { return lNodeTypes_; }
    const TypeMap& GetDOTypes() const { return doTypes_; }
    const TypeMap& GetDATypes() const { return daTypes_; }
    const TypeMap& GetEnumTypes() const { return enumTypes_; }

    // ---- the document's sections (the caller holds the model lock) ----
    void WriteHeaderAndServices(XmlWriter& writer);
    void WriteCommAddress(XmlWriter& writer, const ControlBlockAddress& address);
    void WriteLDevice(XmlWriter& writer, LogicalDevice& device);
    void WriteLN(XmlWriter& writer, LogicalNode& node, const SclTreeNode* nodeTree);
    void WriteLnContent(XmlWriter& writer, LogicalNode& node, const SclTreeNode* nodeTree);
    // The node's LNodeType id ("XCBR_0"); empty when the node is not filed under its class.
    std::string GetLnType(const std::string& lnClass, const SclTreeNode* nodeTree) const;
    // Each written only when SCL can take it (false when left out, see the class comment).
    // The element of one block, or (instances above 1) of equal instances of one block, under
    // the name given.
    bool WriteReportControl(XmlWriter& writer, RCB& block, bool buffered, const std::string& name,
                            std::uint32_t instances);
    void WriteGooseControl(XmlWriter& writer, GoCB& block);
    void WriteGsseControl(XmlWriter& writer, GsCB& block);
    void WriteLogControl(XmlWriter& writer, LCB& block);
    bool WriteSampledValueControl(XmlWriter& writer, ControlBlock& block, bool multicast);
    void WriteDataSet(XmlWriter& writer, const DataSet& dataSet);
    // The LN0's SettingControl for its setting-group block: the number of groups and the
    // active group as the device gave them; left out without a block or a number of groups.
    void WriteSettingControl(XmlWriter& writer, LLN0& lln0);
    void WriteConfigurationValues(XmlWriter& writer, const SclTreeNode& nodeTree);

    // ---- the data type templates ----
    // Gives the filings class numbers in filing order: a node takes the number of the first
    // class whose first node has the same structure, else the next number.
    void NumberTypeClasses(std::vector<TypeFiling>& filings);
    // The first node of each class represents it.
    static void MarkRepresentatives(std::vector<TypeFiling>& filings);
    bool IsSameType(const SclTreeNode& a, const SclTreeNode& b) const;
    bool IsSameStVal(const SclTreeNode& a, const SclTreeNode& b) const;
    // "BOOLEAN", "INT" and the integer's bits, or empty (also without a variable).
    static std::string GetValueBasicType(const SclTreeNode& node);
    void WriteDataTypeTemplates(XmlWriter& writer);

    // One member of a data set as SCL names it.
    struct Fcda {
        std::string ldInst, prefix, lnClass, lnInst, doName, daName, fc;
    };
    // False when the file cannot name the member: a constraint SCL lacks, a logical node
    // the file leaves out, data its types do not hold (doName through the data objects,
    // daName through the attributes, as the types have them), an attribute of another
    // constraint. `leftOut` then says why. Needs the document's tree and types.
    bool MakeFcda(const NamedObject& member, Fcda& fcda, std::string* leftOut = nullptr) const;

    // What the file holds of the model, counted while the logical devices are written:
    // the Services count it and the communication section addresses only its blocks.
    struct FileContents {
        std::uint32_t dataSets = 0;
        std::uint32_t largestDataSet = 0;
        // Block instances: a ReportControl counts as many as its RptEnabled max.
        std::uint32_t reportControlBlocks = 0;
        std::uint32_t logControlBlocks = 0;
        std::uint32_t gooseControlBlocks = 0;
        std::uint32_t gsseControlBlocks = 0;
        std::uint32_t sampledValueControlBlocks = 0;
        std::set<std::uint64_t> sampleRates;
        // Keys of the blocks written, as the address maps key them.
        std::set<std::string> addressedBlocks;
    };
    const FileContents& GetFileContents() const { return contents_; }

    // Whether the member is written in its parent's type: an SDO, a DA of a DOType, a BDA
    // of a DAType. Values and data-set members name only such members.
    bool IsWrittenMember(const SclTreeNode& member) const;
    // Whether such a member is written as a structure (SDO or Struct attribute).
    bool IsWrittenStructure(const SclTreeNode& member) const;
    // The fc a DOType gives the attribute.
    static std::string WrittenFc(const SclTreeNode& member);
    // The elements of an array attribute as MMS carries it (the device's count before the
    // dictionary's); 0 for an attribute that is no array.
    static std::uint32_t ArrayCountOf(const SclTreeNode& member);
    // The Val text of a basic attribute: the value the device gave (see WasReceived), an
    // enumerated one as its literal; none for a value never received or a number the
    // enumeration has no literal for.
    std::optional<std::string> ValueText(const SclTreeNode& node) const;
    // The EnumType the file types the written attribute by; empty for any other type.
    std::string EnumerationOf(const SclTreeNode& node) const;
    // The literal of the number in that EnumType as the file writes it; none without one.
    std::optional<std::string> EnumLiteral(const std::string& enumeration, const SclTreeNode& node,
                                           std::int32_t number) const;
    // "Dyn", "Conf" or "Fix".
    static const char* SettingText(std::int32_t setting);

private:
    void WriteConnectedAccessPoint(XmlWriter& writer);
    void WriteServices(XmlWriter& writer);
    void WriteLogicalNodes(XmlWriter& writer, LogicalDevice& device, LLN0& lln0);
    const SclTreeNode* TreeNodeOf(const LogicalDevice& device, const std::string& node) const;
    bool HasLDeviceForm(LogicalDevice& device) const;
    void WriteReportControls(XmlWriter& writer, LogicalNode& node);
    // The logical nodes the file holds, known before anything is written since data sets
    // name nodes written after them.
    void CollectWrittenNodes(const std::vector<LogicalDevice*>& devices);
    bool IsWrittenNode(LogicalNode& node, const SclTreeNode* nodeTree) const;
    void WriteInstance(XmlWriter& writer, const SclTreeNode& node);
    // Whether the written member holds a CF, DC, SG or SE value the file can give.
    bool HasWrittenConfiguration(const SclTreeNode& node) const;
    bool HasWrittenFc(const SclTreeNode& dataObject, std::string_view fc) const;
    // The bType a DOType gives the attribute; empty when it is left out.
    std::string DaTypeOf(const SclTreeNode& member) const;
    bool HasWrittenMembers(const DataSet& dataSet) const;
    std::string ReportControlName(const std::string& blockName) const;
    std::optional<std::string> DataSetAttribute(ControlBlock& block) const;
    std::string LogNameOf(LCB& block) const;
    static std::optional<std::uint64_t> SampleRateOf(ControlBlock& block);
    void WriteDoTypeMember(XmlWriter& writer, SclTreeNode& member);
    void WriteEnumType(XmlWriter& writer, const std::string& name, const std::vector<TypeFiling>& filings);
    // Node -> where it is filed, for the maps' lookups while the templates are written.
    void IndexFilings();
    // Takes data-object types none of whose members the file can write out of the index:
    // such a type and the data objects of it are left out.
    void DropEmptyDataObjectTypes();
    std::string FiledClassId(const TypeMap& map, const SclTreeNode& node) const;
    bool IsFiled(const TypeMap& map, const SclTreeNode& node) const;
    // Adds the node under the enumeration (beside what is filed there already).
    void FileEnumeration(const std::string& name, SclTreeNode& node);
    bool IsWrittenDaType(const SclTreeNode& node) const;
    // The bType a member of a constructed type is written with; empty when it is left out.
    std::string BdaTypeOf(const SclTreeNode& member) const;

    struct FilingPlace {
        const std::string* key = nullptr;
        std::uint32_t classNumber = 0;
    };
    std::map<std::pair<const TypeMap*, const SclTreeNode*>, FilingPlace> filingIndex_;
    std::set<const SclTreeNode*> writtenNodes_;
    FileContents contents_;

    // BuildSettingsXml's parts.
    void ComputeIedName(const std::vector<LogicalDevice*>& devices);
    void ReadRemoteAddressing();
    void WalkModelFacts(const std::vector<LogicalDevice*>& devices);
    void FileAddressesOf(LogicalDevice& device, LogicalNode& lln0);
    void WriteSectionList(XmlWriter& writer) const;

    std::int32_t Refuse(std::string reason);
    // The model lock's failure as the reason of a refusal.
    std::int32_t RefuseLock(System::ResultCode lock);

    std::map<std::string, ControlBlockAddress> gooseAddresses_;
    std::map<std::string, ControlBlockAddress> gsseAddresses_;
    std::map<std::string, ControlBlockAddress> svAddresses_;
    TypeMap lNodeTypes_;
    TypeMap doTypes_;
    TypeMap daTypes_;
    TypeMap enumTypes_;
    std::map<std::string, const IcdEnumRow*, std::less<>> enumerationIndex_;
    std::unique_ptr<SclTreeNode> treeRoot_;
    RemoteAddressing remote_;
    std::int32_t state_ = 0;
    std::string iedName_;
    // Whether each ldInst is the whole device name (see LdInstOf).
    bool wholeDeviceNames_ = false;
    std::string configRevision_;
    Counts counts_;
    Answers answers_;
    bool timerActivatedControl_ = false;
    // What the head left open for the logical devices.
    bool iedOpen_ = false;
    bool serverOpen_ = false;
    std::unique_ptr<IcdModelSource> source_;
    std::string lastFailure_;
};

// A logical-node name as SCL splits it: trailing digits the instance, the (up to) four
// characters before them the class, the rest the prefix; "LLN0" is class LLN0 alone.
void SplitNodeName(std::string_view name, std::string& prefix, std::string& lnClass, std::string& lnInst);

// The exporter for a model source; the factory the program and the tests register wraps it.
std::unique_ptr<IcdExport> MakeIcdExporter(std::unique_ptr<IcdModelSource> source);

}  // namespace Iec61850::Acsi::Scl
