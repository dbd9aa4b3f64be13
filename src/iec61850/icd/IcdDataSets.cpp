// Inside a logical node: its data sets as DataSet and FCDA elements, and its
// configuration and description values as DOI, SDI, DAI and Val elements.

#include <algorithm>
#include <array>

#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/user/NamedVariable.h"

namespace Iec61850::Acsi::Scl {

namespace {

// The functional constraints SCL lets an FCDA name.
constexpr std::array<std::string_view, 10> kSclFcs = {"ST", "MX", "CO", "SP", "SG", "SE", "SV", "CF", "DC", "EX"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Prepend(std::string& path, const std::string& name) { path = path.empty() ? name : name + "." + path; }

// Whether the tree node holds data of the constraint, itself or (merged from several
// constraints) through a child.
bool HasFc(const SclTreeNode& node, std::string_view fc) {
    if (node.Fc() == fc) return true;
    if (node.Fc() != "XX") return false;
    return std::any_of(node.Children().begin(), node.Children().end(),
                       [fc](const auto& child) { return HasFc(*child, fc); });
}

bool HasConfiguration(const SclTreeNode& node) { return HasFc(node, "CF") || HasFc(node, "DC"); }

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

bool IcdExporter::MakeFcda(const NamedObject& member, Fcda& fcda) const {
    fcda = {};
    fcda.fc = member.GetFcName();
    if (std::find(kSclFcs.begin(), kSclFcs.end(), fcda.fc) == kSclFcs.end()) return false;
    const std::string& reference = member.GetReference();
    const std::size_t slash = reference.find('/');
    const std::string device = reference.substr(0, slash);
    const std::string rest = slash == std::string::npos ? std::string() : reference.substr(slash + 1);
    fcda.ldInst = LdInstOf(device);
    SplitNodeName(rest.substr(0, rest.find('.')), fcda.prefix, fcda.lnClass, fcda.lnInst);
    // Up through the data items: what the dictionary calls them, or what the model made of
    // them where the dictionary does not describe them.
    for (const NamedObject* at = &member; at != nullptr; at = at->GetParent()) {
        const auto* item = dynamic_cast<const DataItem*>(at);
        if (item == nullptr) break;
        bool dataObject = item->GetModelClass() == ModelClass::Data;
        if (const Element* element = item->GetDescription()) {
            dataObject = element->kind == ElementKind::DO || element->kind == ElementKind::SDO;
        }
        Prepend(dataObject ? fcda.doName : fcda.daName, item->GetName());
    }
    // An FCDA that names no data would name the whole logical node.
    return !fcda.doName.empty() || !fcda.daName.empty();
}

bool IcdExporter::HasWrittenMembers(const DataSet& dataSet) const {
    Fcda fcda;
    return std::any_of(dataSet.GetMembers().begin(), dataSet.GetMembers().end(),
                       [&](const NamedObject* member) { return member != nullptr && MakeFcda(*member, fcda); });
}

void IcdExporter::WriteDataSet(XmlWriter& writer, const DataSet& dataSet) {
    // SCL needs one member at least: a set with none that SCL can name is left out.
    if (!HasWrittenMembers(dataSet)) return;
    writer.StartElement("DataSet");
    writer.WriteAttribute("name", dataSet.GetName());
    for (const NamedObject* member : dataSet.GetMembers()) {
        Fcda fcda;
        if (member == nullptr || !MakeFcda(*member, fcda)) continue;
        writer.StartElement("FCDA");
        if (!fcda.ldInst.empty()) writer.WriteAttribute("ldInst", fcda.ldInst);
        writer.WriteAttribute("prefix", fcda.prefix);
        if (!fcda.lnClass.empty()) writer.WriteAttribute("lnClass", fcda.lnClass);
        if (!fcda.lnInst.empty()) writer.WriteAttribute("lnInst", fcda.lnInst);
        if (!fcda.doName.empty()) writer.WriteAttribute("doName", fcda.doName);
        if (!fcda.daName.empty()) writer.WriteAttribute("daName", fcda.daName);
        writer.WriteAttribute("fc", fcda.fc);
        writer.EndElement();
    }
    writer.EndElement();
}

void IcdExporter::WriteConfigurationValues(XmlWriter& writer, const SclTreeNode& nodeTree) {
    for (const auto& dataObject : nodeTree.Children()) {
        if (!HasConfiguration(*dataObject)) continue;
        writer.StartElement("DOI");
        writer.WriteAttribute("name", dataObject->Name());
        for (const auto& child : dataObject->Children()) {
            if (HasConfiguration(*child)) WriteInstance(writer, *child);
        }
        writer.EndElement();
    }
}

void IcdExporter::WriteInstance(XmlWriter& writer, const SclTreeNode& node) {
    // A sub-data object is an SDI; anything else (attributes, and what the dictionary does
    // not describe) an SDI with members and a DAI without.
    const Element* element = node.GetElement();
    const bool structured = !node.Children().empty() || (element != nullptr && element->kind == ElementKind::SDO);
    writer.StartElement(structured ? "SDI" : "DAI");
    writer.WriteAttribute("name", node.Name());
    if (structured) {
        for (const auto& child : node.Children()) {
            if (HasConfiguration(*child)) WriteInstance(writer, *child);
        }
    } else if (Mms::NamedVariable* variable = node.GetVariable()) {
        std::string text;
        if (variable->ToText(text) == System::OkNoError) {
            writer.StartElement("Val");
            writer.WriteText(text);
            writer.EndElement();
        }
    }
    writer.EndElement();
}

}  // namespace Iec61850::Acsi::Scl
