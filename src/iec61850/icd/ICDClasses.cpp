#include "iec61850/icd/ICDClasses.h"

#include <algorithm>
#include <utility>

#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/icd/ReplacingFileWriter.h"
#include "iec61850/icd/ValueFacts.h"
#include "iec61850/scl/BuiltInDictionary.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/ElementType.h"
#include "iec61850/scl/SclFunctionalConstraints.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/user/NamedVariable.h"
#include "system/ResultCode.h"

namespace Iec61850::Acsi::Scl {

namespace {

constexpr std::int32_t kRefused = -1;
constexpr std::int32_t kStateAnswered = 2;

Mms::NamedVariable* VariableOf(const Mms::ModelHold& hold, const NamedObject& object) {
    return dynamic_cast<Mms::NamedVariable*>(object.GetMmsObject(hold));
}

// The member of that exact name of the type, or null.
const Element* MemberNamed(const ElementType* type, const std::string& name) {
    const Element* member = type != nullptr ? type->FindElement(name) : nullptr;
    return member != nullptr && member->name != nullptr && name == member->name ? member : nullptr;
}

std::unique_ptr<SclTreeNode> NodeFor(const Mms::ModelHold& hold, DataItem& item, SclTreeNode* parent) {
    const Element* element = item.GetDescription();
    // Below a constructed attribute (an array's element of a type of its own included) a
    // component the model left undescribed is what that type declares under its name.
    if (element == nullptr && parent != nullptr && parent->TypeKind() == SclTypeKind::DAType) {
        element = MemberNamed(parent->MemberType(), item.GetName());
    }
    auto node =
        std::make_unique<SclTreeNode>(item.GetName(), item.GetFcName(), element, VariableOf(hold, item), parent);
    // An attribute the dictionary does not describe keeps the basic type the device gives it,
    // where the file can hold it at all.
    const Mms::NamedVariable* variable = node->GetVariable();
    if (element == nullptr && variable != nullptr && variable->GetValue() != nullptr &&
        IsSclFileConstraint(item.GetFcName())) {
        node->SetValueBasicType(BasicTypeOfValue(*variable->GetValue()));
    }
    return node;
}

// Whether the type declares every name.
bool DeclaresAll(const ElementType* type, const std::vector<std::string>& names) {
    return type != nullptr &&
           std::all_of(names.begin(), names.end(), [type](const auto& name) { return MemberNamed(type, name); });
}

// The dictionary's type whose members the element's components are, when its array's
// own type does not declare them all: an attribute type first, then a data-object type
// (an array of data objects: the elements of harmonics are complex measurements).
const ElementType* ElementTypeOf(const SclTreeNode& array, const DataItem& element) {
    std::vector<std::string> names;
    for (const NamedObject* child : element.GetChildren()) names.push_back(child->GetName());
    if (names.empty() || DeclaresAll(array.MemberType(), names)) return nullptr;
    const BuiltInDictionary& dictionary = BuiltInDictionary::Instance();
    for (const ElementType* type : dictionary.DATypes()) {
        if (DeclaresAll(type, names)) return type;
    }
    for (const ElementType* type : dictionary.DOTypes()) {
        if (DeclaresAll(type, names)) return type;
    }
    return nullptr;
}

}  // namespace

IcdExporter::IcdExporter(std::unique_ptr<IcdModelSource> source) : source_(std::move(source)) {
    for (const IcdEnumRow& row : IcdEnumerationTable()) enumerationIndex_[row.name] = &row;
}

IcdExporter::~IcdExporter() = default;

std::unique_ptr<IcdExport> MakeIcdExporter(std::unique_ptr<IcdModelSource> source) {
    return std::make_unique<IcdExporter>(std::move(source));
}

std::int32_t IcdExporter::Refuse(std::string reason) {
    lastFailure_ = std::move(reason);
    return kRefused;
}

std::int32_t IcdExporter::RefuseLock(System::ResultCode lock) {
    return Refuse(std::string("The device model could not be locked: ") +
                  (lock == System::Timeout ? "the wait timed out." : "the lock failed."));
}

bool IcdExporter::CreateFileBeside(const std::string& path, std::string& staged, std::string& error) {
    return Scl::CreateFileBeside(path, staged, error);
}

std::int32_t IcdExporter::WriteFile(const std::string& path) {
    lastFailure_.clear();
    if (state_ != kStateAnswered) {
        return Refuse("The ICD file cannot be written before the export settings have been answered.");
    }
    XmlWriter writer(true);
    {
        const Mms::ModelHold hold = source_->HoldModel();
        if (!hold.Taken()) return RefuseLock(hold.GetResult());
        BuildDocument(hold, writer);
    }
    std::string document;
    writer.GetXml(document);
    std::string content;
    content.reserve(document.size() + 160);
    content += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    content += "<!--This file is generated using Ostravin IEC61850 library (";
    content += kIcdGeneratorNote;
    content += ")-->\n";
    content += document;
    std::string error;
    if (!WriteFileReplacing(path, content, error)) return Refuse(error);
    return 0;
}

void IcdExporter::BuildDocument(const Mms::ModelHold& hold, XmlWriter& writer) {
    treeRoot_ = std::make_unique<SclTreeNode>("", "", nullptr, nullptr, nullptr);
    lNodeTypes_.clear();
    doTypes_.clear();
    daTypes_.clear();
    enumTypes_.clear();
    filingIndex_.clear();
    writtenNodes_.clear();
    contents_ = {};

    // The tree and its types first: the head already needs to know which logical devices
    // SCL can take. Nothing is written while they are built.
    const std::vector<LogicalDevice*> devices = source_->GetLogicalDevices();
    for (LogicalDevice* device : devices) AddLogicalDeviceToTree(hold, *device);
    for (TypeMap* map : {&lNodeTypes_, &doTypes_, &daTypes_}) {
        for (auto& [id, filings] : *map) NumberTypeClasses(filings);
    }
    IndexFilings();
    DropEmptyDataObjectTypes();
    CollectWrittenNodes(devices);
    // The logical devices before the head, at the depth they take inside the server (SCL,
    // IED, AccessPoint, Server): the head counts and addresses what they hold.
    constexpr std::size_t kServerContentDepth = 4;
    XmlWriter body(writer.Indents(), kServerContentDepth);
    for (LogicalDevice* device : devices) WriteLDevice(body, *device);
    std::string bodyText;
    body.GetXml(bodyText);
    WriteHeaderAndServices(writer);
    if (serverOpen_) {
        writer.WriteRaw(bodyText);
        writer.EndElement();  // Server
    }
    if (iedOpen_) {
        writer.EndElement();  // AccessPoint
        writer.EndElement();  // IED
    }
    WriteDataTypeTemplates(writer);
    writer.EndElement();  // SCL
}

void IcdExporter::AddLogicalDeviceToTree(const Mms::ModelHold& hold, LogicalDevice& device) {
    auto deviceNode = std::make_unique<SclTreeNode>(device.GetName(), "", nullptr, nullptr, nullptr);
    for (const auto& [name, node] : device.GetLogicalNodes()) AddLogicalNodeToTree(hold, *node, *deviceNode);
    SclTreeNode::SortByDictionary(*deviceNode);
    SclTreeNode::MergeChild(*treeRoot_, std::move(deviceNode));
}

void IcdExporter::AddLogicalNodeToTree(const Mms::ModelHold& hold, LogicalNode& node, SclTreeNode& deviceNode) {
    auto nodeTree =
        std::make_unique<SclTreeNode>(node.GetName(), "", node.GetClassType(), VariableOf(hold, node), &deviceNode);
    for (const FunctionalConstraint* group : node.GetFcsInOrder()) {
        for (NamedObject* child : group->GetChildren()) {
            auto* item = dynamic_cast<DataItem*>(child);
            if (item == nullptr) continue;
            std::unique_ptr<SclTreeNode> itemNode = NodeFor(hold, *item, nodeTree.get());
            FillSubtree(hold, *item, *itemNode);
            SclTreeNode::MergeChild(*nodeTree, std::move(itemNode));
        }
    }
    SclTreeNode* const fresh = nodeTree.get();
    SclTreeNode* const kept = SclTreeNode::MergeChild(deviceNode, std::move(nodeTree));
    // A node merged into one of the same name (a device cannot list a name twice) added
    // only children to nodes already filed; filing the survivor again would count them twice.
    if (kept == fresh) CollectTypes(*kept);
}

void IcdExporter::FillSubtree(const Mms::ModelHold& hold, DataItem& item, SclTreeNode& node) {
    for (NamedObject* child : item.GetChildren()) {
        auto* childItem = dynamic_cast<DataItem*>(child);
        if (childItem == nullptr) continue;
        if (childItem->GetName().find('[') != std::string::npos) {
            // An array element stands for the array's members: all of its components join
            // the array's node (an element of basic values has none and adds nothing).
            if (!node.HasElementTypeOfItsOwn()) node.DescribeElementsAs(ElementTypeOf(node, *childItem));
            FillSubtree(hold, *childItem, node);
            continue;
        }
        std::unique_ptr<SclTreeNode> childNode = NodeFor(hold, *childItem, &node);
        FillSubtree(hold, *childItem, *childNode);
        SclTreeNode::MergeChild(node, std::move(childNode));
    }
}

void IcdExporter::CollectTypes(SclTreeNode& node) {
    const SclTypeKind kind = node.TypeKind();
    TypeMap* map = nullptr;
    switch (kind) {
        case SclTypeKind::LNodeType: map = &lNodeTypes_; break;
        case SclTypeKind::DOType: map = &doTypes_; break;
        case SclTypeKind::DAType: map = &daTypes_; break;
        case SclTypeKind::EnumType: map = &enumTypes_; break;
        case SclTypeKind::NoType: return;
    }
    const std::string id = node.TypeName();
    std::vector<TypeFiling>& filings = (*map)[kind == SclTypeKind::EnumType ? EnumNameFromTypeId(id) : id];
    filings.push_back({&node, static_cast<std::uint32_t>(filings.size()), true});
    if (kind == SclTypeKind::EnumType) return;
    for (const auto& child : node.Children()) CollectTypes(*child);
}

std::string IcdExporter::LdInstOf(const LogicalDevice& device) const { return LdInstOf(device.GetName()); }

std::string IcdExporter::LdInstOf(std::string_view deviceName) const {
    if (wholeDeviceNames_) return std::string(deviceName);
    const std::size_t skip = iedName_.size();
    return deviceName.size() > skip ? std::string(deviceName.substr(skip)) : std::string();
}

std::string IcdExporter::EnumTypeIdFor(const SclTreeNode& node) const {
    const SclTreeNode* dataObject = node.Parent();
    if (dataObject == nullptr) return {};
    const std::string type = dataObject->TypeName();
    if (type != "INC" && type != "INS") return {};
    std::string name = dataObject->Name();
    if (name == "EEHealth" || name == "PhyHealth") name = "Health";
    return FindEnumeration(name) != nullptr ? name : std::string();
}

std::string IcdExporter::EnumNameFromTypeId(std::string_view id) {
    std::string name = id == "dirGeneralEnum" ? std::string("dir")
                       : id == "orCatEnum"    ? std::string("orCategory")
                                              : std::string(id);
    if (const std::size_t at = name.find("Enum"); at != std::string::npos) name.erase(at, 4);
    return name;
}

const IcdEnumRow* IcdExporter::FindEnumeration(std::string_view name) const {
    const auto found = enumerationIndex_.find(name);
    return found != enumerationIndex_.end() ? found->second : nullptr;
}

}  // namespace Iec61850::Acsi::Scl
