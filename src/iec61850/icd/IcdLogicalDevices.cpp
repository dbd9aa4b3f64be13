// The logical devices inside the access point's server: LDevice, LN0 and LN elements with
// their content.

#include <algorithm>

#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/icd/DecimalText.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/ValueFacts.h"
#include "iec61850/scl/XmlWriter.h"

namespace Iec61850::Acsi::Scl {

namespace {

bool IsInstanceNumber(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string IcdExporter::GetLnType(const std::string& lnClass, const SclTreeNode* nodeTree) const {
    if (nodeTree == nullptr) return {};
    const auto filed = lNodeTypes_.find(lnClass);
    if (filed == lNodeTypes_.end()) return {};
    // SCL's LNodeType holds one data object at least: a node without any it can type has none.
    const auto typed = [this](const auto& child) { return IsFiled(doTypes_, *child); };
    if (std::none_of(nodeTree->Children().begin(), nodeTree->Children().end(), typed)) return {};
    for (const TypeFiling& filing : filed->second) {
        if (filing.node == nodeTree) return lnClass + "_" + std::to_string(filing.classNumber);
    }
    return {};
}

const SclTreeNode* IcdExporter::TreeNodeOf(const LogicalDevice& device, const std::string& node) const {
    const SclTreeNode* deviceTree = treeRoot_ != nullptr ? treeRoot_->FindChild(device.GetName()) : nullptr;
    return deviceTree != nullptr ? deviceTree->FindChild(node) : nullptr;
}

bool IcdExporter::HasLDeviceForm(LogicalDevice& device) const {
    // SCL gives every logical device a typed LN0.
    auto* lln0 = dynamic_cast<LLN0*>(device.FindLogicalNode("LLN0"));
    return lln0 != nullptr && !GetLnType(lln0->GetLnClass(), TreeNodeOf(device, "LLN0")).empty();
}

bool IcdExporter::IsWrittenNode(LogicalNode& node, const SclTreeNode* nodeTree) const {
    // SCL needs a type and a numeric instance: a node of a class the dictionary does not
    // know, or without an instance number, has no valid form.
    if (node.GetName() == "LLN0") return true;
    return !GetLnType(node.GetLnClass(), nodeTree).empty() && IsInstanceNumber(node.GetInstance());
}

void IcdExporter::CollectWrittenNodes(const std::vector<LogicalDevice*>& devices) {
    writtenNodes_.clear();
    for (LogicalDevice* device : devices) {
        if (!HasLDeviceForm(*device)) continue;
        for (const auto& [name, node] : device->GetLogicalNodes()) {
            const SclTreeNode* nodeTree = TreeNodeOf(*device, name);
            if (nodeTree != nullptr && IsWrittenNode(*node, nodeTree)) writtenNodes_.insert(nodeTree);
        }
    }
}

void IcdExporter::WriteLDevice(XmlWriter& writer, LogicalDevice& device) {
    if (!HasLDeviceForm(device)) return;
    writer.StartElement("LDevice");
    writer.WriteAttribute("inst", LdInstOf(device));
    WriteLogicalNodes(writer, device, static_cast<LLN0&>(*device.FindLogicalNode("LLN0")));
    writer.EndElement();
}

void IcdExporter::WriteLogicalNodes(XmlWriter& writer, LogicalDevice& device, LLN0& lln0) {
    const SclTreeNode* lln0Tree = TreeNodeOf(device, "LLN0");
    writer.StartElement("LN0");
    writer.WriteAttribute("lnType", GetLnType(lln0.GetLnClass(), lln0Tree));
    writer.WriteAttribute("lnClass", "LLN0");
    writer.WriteAttribute("inst", "");
    WriteLnContent(writer, lln0, lln0Tree);
    // Each block written is counted and keyed as its address is (see FileAddressesOf).
    const std::string ldInst = LdInstOf(device);
    for (const auto& [name, block] : lln0.GetGoCBs()) {
        WriteGooseControl(writer, *block);
        ++contents_.gooseControlBlocks;
        contents_.addressedBlocks.insert("GO" + ldInst + name);
    }
    for (const auto& [name, block] : lln0.GetGsCBs()) {
        WriteGsseControl(writer, *block);
        ++contents_.gsseControlBlocks;
        contents_.addressedBlocks.insert("GS" + ldInst + name);
    }
    const auto sampledValues = [&](ControlBlock& block, const std::string& name, bool multicast) {
        if (!WriteSampledValueControl(writer, block, multicast)) return;
        ++contents_.sampledValueControlBlocks;
        contents_.sampleRates.insert(*SampleRateOf(block));
        contents_.addressedBlocks.insert("SV" + ldInst + (multicast ? "M" : "U") + name);
    };
    for (const auto& [name, block] : lln0.GetMSVCBs()) sampledValues(*block, name, true);
    for (const auto& [name, block] : lln0.GetUSVCBs()) sampledValues(*block, name, false);
    WriteSettingControl(writer, lln0);
    writer.EndElement();
    for (const auto& [name, node] : device.GetLogicalNodes()) {
        if (name == "LLN0") continue;
        WriteLN(writer, *node, TreeNodeOf(device, name));
    }
}

void IcdExporter::WriteSettingControl(XmlWriter& writer, LLN0& lln0) {
    if (lln0.GetSGCBs().empty()) return;
    SGCB& block = *lln0.GetSGCBs().begin()->second;
    const auto number = [&block](std::string_view name) -> std::optional<std::int32_t> {
        Mms::Container* value = nullptr;
        if (block.GetChildValue(name, value) != System::OkNoError) return std::nullopt;
        const std::optional<std::string> text = ReceivedText(value);
        const std::optional<std::int32_t> read = text ? ReadWholeDecimal(*text) : std::nullopt;
        return read && *read >= 0 ? read : std::nullopt;
    };
    // The number of groups is required, and a made-up one would give a regenerated server
    // another device.
    const std::optional<std::int32_t> groups = number("NumOfSG");
    if (!groups) return;
    writer.StartElement("SettingControl");
    writer.AddAttribute("numOfSGs", static_cast<std::uint32_t>(*groups));
    if (const std::optional<std::int32_t> active = number("ActSG")) {
        writer.AddAttribute("actSG", static_cast<std::uint32_t>(*active));
    }
    writer.EndElement();
}

void IcdExporter::WriteLN(XmlWriter& writer, LogicalNode& node, const SclTreeNode* nodeTree) {
    if (!IsWrittenNode(node, nodeTree)) return;
    writer.StartElement("LN");
    writer.WriteAttribute("lnType", GetLnType(node.GetLnClass(), nodeTree));
    writer.WriteAttribute("lnClass", node.GetLnClass());
    writer.WriteAttribute("prefix", node.GetPrefix());
    writer.WriteAttribute("inst", node.GetInstance());
    WriteLnContent(writer, node, nodeTree);
    writer.EndElement();
}

void IcdExporter::WriteLnContent(XmlWriter& writer, LogicalNode& node, const SclTreeNode* nodeTree) {
    for (const auto& [name, dataSet] : node.GetDataSets()) WriteDataSet(writer, *dataSet);
    WriteReportControls(writer, node);
    for (const auto& [name, block] : node.GetLCBs()) {
        WriteLogControl(writer, *block);
        ++contents_.logControlBlocks;
    }
    if (nodeTree != nullptr) WriteConfigurationValues(writer, *nodeTree);
}

}  // namespace Iec61850::Acsi::Scl
