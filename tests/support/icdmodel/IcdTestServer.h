#pragma once

// A stand-in for the server whose model an ICD export writes: a VMD (its domains and its
// model lock), the server's lookups, an association profile, the services an association
// would have negotiated and the exporter, reached through the model's export interface as
// the server's forwarders reach it. The model is built with the model's own operations:
// the flat name list, each node's type, then data sets and control-block bindings. No
// network is involved.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "iec61850/acsi/model/IcdExport.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/ModelLookup.h"
#include "iec61850/icd/ICDClasses.h"
#include "mms/ContainerTestSupport.h"
#include "mms/user/VMD.h"

namespace IcdTestModel {

using Type = ContainerTestSupport::Type;
using Iec61850::Acsi::DataSet;
using Iec61850::Acsi::LogicalDevice;
using Iec61850::Acsi::LogicalNode;
using Iec61850::Acsi::NamedObject;

// A logical node as a device describes it: its name and its MMS type (made on demand,
// since a type description has one owner).
struct NodeShape {
    std::string name;
    std::function<Type()> type;
};

// The services a device may have negotiated, by their MMS numbers.
inline constexpr std::int32_t ServiceDefineNamedVariableList = 7;
inline constexpr std::int32_t ServiceDeleteNamedVariableList = 9;
inline constexpr std::int32_t ServiceReadJournal = 12;
inline constexpr std::int32_t ServiceInitializeJournal = 14;

class IcdTestServer : public Mms::VMD, public Iec61850::Acsi::ModelLookup {
public:
    // With the server's default profile, vendor and model names of its own, no services.
    IcdTestServer();
    ~IcdTestServer() override;

    // ---- building the model ----
    // A device with the nodes: directory, types, nodes built; the device is returned.
    LogicalDevice& AddDevice(const std::string& name, const std::vector<NodeShape>& nodes);
    // A data set of the node whose members are the device's variables of these MMS names
    // ("XCBR1$ST$Pos$stVal"); null when it cannot be made.
    DataSet* AddDataSet(const std::string& device, const std::string& node, const std::string& name,
                        const std::vector<std::string>& members);
    // The value text of the item (fc, "LD/LN.DO.da") or of a control block's attribute
    // ("", "LD/LLN0.gocb1.DstAddress.Addr"); false when it is missing or refuses the text.
    bool SetValue(const std::string& fc, const std::string& reference, const std::string& text);
    // Binds every device (control blocks find their data sets).
    void BindAll();
    NamedObject* Find(const std::string& fc, const std::string& reference) const;

    // ---- what a server gives the exporter ----
    std::map<std::string, std::unique_ptr<LogicalDevice>, std::less<>> devices;
    // The profile's parameters in name order; "RemoteNAddress" is the device's address.
    std::map<std::string, std::string> profile;
    // The seam for the services an association's initiate would have negotiated.
    std::set<std::int32_t> negotiatedServices;
    bool connected = true;
    // How long the exporter waits for the model lock (0: no limit).
    std::uint32_t lockWaitMs = 0;
    // Counts reads of the model that happened without the model lock held.
    int unlockedModelReads = 0;

    // ---- the server's forwarders, through the model's export interface ----
    std::int32_t BuildIcdSettingsXml(std::string& text) { return exporter_->BuildSettingsXml(text); }
    std::int32_t ReadIcdAnswers(std::string_view answers) { return exporter_->ReadAnswers(answers); }
    std::int32_t WriteIcdFile(const std::string& path) { return exporter_->WriteFile(path); }
    std::string IcdFailure() const { return exporter_->GetLastFailure(); }
    // The exporter itself, for its facts.
    Iec61850::Acsi::Scl::IcdExporter& Exporter() const;

    // ModelLookup.
    System::ResultCode ResolveReference(const Mms::ModelHold& hold, std::string_view reference, std::string_view fc,
                                        std::list<NamedObject*>& found) override;
    System::ResultCode FindDataSet(const Mms::ModelHold& hold, std::string_view reference, DataSet*& found) override;

private:
    std::unique_ptr<Iec61850::Acsi::IcdExport> exporter_;
};

// Gives the device, made and bound to its domain but still empty, the nodes as a device
// describes them: its flat name list, then each node's type, then the nodes built from
// them. Throws when a node cannot be built.
void BuildNodes(LogicalDevice& device, const std::vector<NodeShape>& nodes);

// The answers text the device-parameters dialog writes: "<Answers>" and, for every
// section given, its items in the given order with their values.
std::string AnswersText(const std::vector<std::pair<std::string, std::vector<std::pair<std::string, int>>>>& sections);

}  // namespace IcdTestModel
