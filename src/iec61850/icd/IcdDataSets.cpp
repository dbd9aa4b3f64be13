// Inside a logical node: its data sets as DataSet and FCDA elements, and its
// configuration, description and setting-group values as DOI, SDI, DAI and Val elements.

#include <algorithm>

#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/icd/DecimalText.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/ValueFacts.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/SclFunctionalConstraints.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi::Scl {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Append(std::string& path, const std::string& name) { path = path.empty() ? name : path + "." + name; }

// Whether the tree node holds data of the constraint, itself or (merged from several
// constraints) through a child.
bool HasFc(const SclTreeNode& node, std::string_view fc) {
    if (node.Fc() == fc) return true;
    if (node.Fc() != "XX") return false;
    return std::any_of(node.Children().begin(), node.Children().end(),
                       [fc](const auto& child) { return HasFc(*child, fc); });
}

// Whether a member of the constraint `fc` is the attribute the type gives under `written`:
// an SE attribute stands for the active group's copy (SG) too (see SclTreeNode::MergeChild).
bool IsNamedByFc(const std::string& written, std::string_view fc) {
    return written == fc || (written == "SE" && fc == "SG");
}

// Whether the node holds a value the file gives.
bool HasConfiguration(const SclTreeNode& node) {
    return std::any_of(SclValueConstraints.begin(), SclValueConstraints.end(),
                       [&node](std::string_view fc) { return HasFc(node, fc); });
}

}  // namespace

void SplitNodeName(std::string_view name, std::string& prefix, std::string& lnClass, std::string& lnInst) {
    prefix.clear();
    lnClass.clear();
    lnInst.clear();
    if (name == "LLN0") {
        lnClass = "LLN0";
        return;
    }
    std::size_t digits = name.size();
    while (digits > 0 && IsDigit(name[digits - 1])) --digits;
    lnInst = name.substr(digits);
    // Four class characters before the instance; a shorter name keeps what it has.
    const std::size_t classStart = digits >= 4 ? digits - 4 : 0;
    lnClass = name.substr(classStart, digits - classStart);
    prefix = name.substr(0, classStart);
}

bool IcdExporter::MakeFcda(const NamedObject& member, Fcda& fcda, std::string* leftOut) const {
    const auto refuse = [leftOut](std::string why) {
        if (leftOut != nullptr) *leftOut = std::move(why);
        return false;
    };
    fcda = {};
    fcda.fc = member.GetFcName();
    if (!IsSclFileConstraint(fcda.fc)) return refuse("SCL names no data-set member of that constraint");
    const std::string& reference = member.GetReference();
    const std::size_t slash = reference.find('/');
    const std::string device = reference.substr(0, slash);
    const std::string rest = slash == std::string::npos ? std::string() : reference.substr(slash + 1);
    const std::string nodeName = rest.substr(0, rest.find('.'));
    fcda.ldInst = LdInstOf(device);
    SplitNodeName(nodeName, fcda.prefix, fcda.lnClass, fcda.lnInst);

    // The node, then the data items from it down to the member, each in the file's types:
    // data objects (and sub-objects) first, then the attribute and its components.
    const SclTreeNode* deviceTree = treeRoot_ != nullptr ? treeRoot_->FindChild(device) : nullptr;
    const SclTreeNode* at = deviceTree != nullptr ? deviceTree->FindChild(nodeName) : nullptr;
    if (at == nullptr || !writtenNodes_.contains(at)) {
        return refuse(at != nullptr && !GetLnType(fcda.lnClass, at).empty() ? "logical node not in the file"
                                                                            : "no logical-node type");
    }
    std::vector<const DataItem*> path;
    for (const NamedObject* item = &member; item != nullptr; item = item->GetParent()) {
        const auto* dataItem = dynamic_cast<const DataItem*>(item);
        if (dataItem == nullptr) break;
        path.insert(path.begin(), dataItem);
    }
    if (path.empty()) return refuse("no data named");
    const SclTreeNode* attribute = nullptr;
    for (const DataItem* item : path) {
        if (item->GetName().starts_with('[')) {
            // An element of an array attribute: the array's node holds the members of every
            // element, and SCL names the element by its index after the array's name.
            if (attribute == nullptr || ArrayCountOf(*at) == 0) return refuse("an element of no array in the type");
            fcda.daName += "(" + item->GetName().substr(1, item->GetName().size() - 2) + ")";
            continue;
        }
        const SclTreeNode* next = at->FindChild(item->GetName());
        const bool dataObject = attribute == nullptr && next != nullptr && next->TypeKind() == SclTypeKind::DOType;
        if (next == nullptr || !IsWrittenMember(*next)) {
            return refuse((attribute == nullptr && at->TypeKind() == SclTypeKind::LNodeType ? "no data object "
                                                                                            : "no attribute ") +
                          item->GetName() + " in the type");
        }
        if (dataObject) {
            Append(fcda.doName, item->GetName());
        } else {
            if (attribute == nullptr) attribute = next;
            Append(fcda.daName, item->GetName());
        }
        at = next;
    }
    if (attribute != nullptr && !IsNamedByFc(WrittenFc(*attribute), fcda.fc)) {
        return refuse(attribute->Name() + " is " + WrittenFc(*attribute) + " in the type");
    }
    if (attribute == nullptr && !HasWrittenFc(*at, fcda.fc)) return refuse("no attribute of the constraint");
    return true;
}

bool IcdExporter::HasWrittenFc(const SclTreeNode& dataObject, std::string_view fc) const {
    for (const auto& child : dataObject.Children()) {
        if (!IsWrittenMember(*child)) continue;
        if (child->TypeKind() == SclTypeKind::DOType ? HasWrittenFc(*child, fc) : IsNamedByFc(WrittenFc(*child), fc)) {
            return true;
        }
    }
    return false;
}

bool IcdExporter::HasWrittenMembers(const DataSet& dataSet) const {
    Fcda fcda;
    return std::any_of(dataSet.GetMembers().begin(), dataSet.GetMembers().end(),
                       [&](const NamedObject* member) { return member != nullptr && MakeFcda(*member, fcda); });
}

void IcdExporter::WriteDataSet(XmlWriter& writer, const DataSet& dataSet) {
    // SCL needs one member at least: a set with none the file can name is left out.
    if (!HasWrittenMembers(dataSet)) {
        writer.WriteComment("left out: data set " + dataSet.GetName() + ": none of its members is in the file");
        return;
    }
    writer.StartElement("DataSet");
    writer.WriteAttribute("name", dataSet.GetName());
    std::uint32_t written = 0;
    for (const NamedObject* member : dataSet.GetMembers()) {
        Fcda fcda;
        std::string leftOut;
        if (member == nullptr) {
            writer.WriteComment("left out: a member the model could not find");
            continue;
        }
        if (!MakeFcda(*member, fcda, &leftOut)) {
            // An engineer sees why the set is shorter than on the device.
            writer.WriteComment("left out: " + member->GetReference() + " [" + member->GetFcName() + "]: " + leftOut);
            continue;
        }
        writer.StartElement("FCDA");
        if (!fcda.ldInst.empty()) writer.WriteAttribute("ldInst", fcda.ldInst);
        writer.WriteAttribute("prefix", fcda.prefix);
        if (!fcda.lnClass.empty()) writer.WriteAttribute("lnClass", fcda.lnClass);
        if (!fcda.lnInst.empty()) writer.WriteAttribute("lnInst", fcda.lnInst);
        if (!fcda.doName.empty()) writer.WriteAttribute("doName", fcda.doName);
        if (!fcda.daName.empty()) writer.WriteAttribute("daName", fcda.daName);
        writer.WriteAttribute("fc", fcda.fc);
        writer.EndElement();
        ++written;
    }
    writer.EndElement();
    ++contents_.dataSets;
    contents_.largestDataSet = std::max(contents_.largestDataSet, written);
}

void IcdExporter::WriteConfigurationValues(XmlWriter& writer, const SclTreeNode& nodeTree) {
    // Values only of what the node's type holds: a tool stops at a value of data it lacks.
    for (const auto& dataObject : nodeTree.Children()) {
        if (!IsWrittenMember(*dataObject) || !HasWrittenConfiguration(*dataObject)) continue;
        writer.StartElement("DOI");
        writer.WriteAttribute("name", dataObject->Name());
        for (const auto& child : dataObject->Children()) {
            if (IsWrittenMember(*child) && HasWrittenConfiguration(*child)) WriteInstance(writer, *child);
        }
        writer.EndElement();
    }
}

bool IcdExporter::HasWrittenConfiguration(const SclTreeNode& node) const {
    if (IsWrittenStructure(node)) {
        return std::any_of(node.Children().begin(), node.Children().end(), [this](const auto& child) {
            return IsWrittenMember(*child) && HasWrittenConfiguration(*child);
        });
    }
    // A basic attribute the device gave components has no value SCL can hold, and one
    // whose value the device never gave has nothing to say.
    return node.Children().empty() && HasConfiguration(node) && ValueText(node).has_value();
}

void IcdExporter::WriteInstance(XmlWriter& writer, const SclTreeNode& node) {
    // As the types have it: a sub-data object or a structured attribute is an SDI, a basic
    // attribute a DAI with its value.
    const bool structured = IsWrittenStructure(node);
    writer.StartElement(structured ? "SDI" : "DAI");
    writer.WriteAttribute("name", node.Name());
    if (structured) {
        for (const auto& child : node.Children()) {
            if (IsWrittenMember(*child) && HasWrittenConfiguration(*child)) WriteInstance(writer, *child);
        }
    } else if (const std::optional<std::string> value = ValueText(node)) {
        writer.StartElement("Val");
        writer.WriteText(*value);
        writer.EndElement();
    }
    writer.EndElement();
}

std::optional<std::string> IcdExporter::ValueText(const SclTreeNode& node) const {
    // Only what the device said: a container the client never had a value for holds a
    // default, which a configuration tool would take for the device's setting.
    Mms::NamedVariable* variable = node.GetVariable();
    Mms::Container* value = variable != nullptr ? variable->GetValue() : nullptr;
    if (!WasReceived(value)) return std::nullopt;
    std::string text;
    if (value->ToText(text) != System::OkNoError) return std::nullopt;
    const std::string enumeration = EnumerationOf(node);
    if (enumeration.empty()) return text;
    // SCL gives an enumerated value by its literal; a number its type lacks has none.
    const std::optional<std::int32_t> number = ReadWholeDecimal(text);
    return number ? EnumLiteral(enumeration, node, *number) : std::nullopt;
}

}  // namespace Iec61850::Acsi::Scl
