#include "app/client/SelectionCollector.h"

#include <algorithm>
#include <vector>

#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"

namespace App {

using Iec61850::Acsi::ControlBlock;
using Iec61850::Acsi::FunctionalConstraint;
using Iec61850::Acsi::LogicalDevice;
using Iec61850::Acsi::ModelClass;
using Iec61850::Acsi::NamedObject;
using Iec61850::Acsi::Server;

namespace {

bool Is(const NamedObject* object, ModelClass modelClass) { return object->GetModelClass() == modelClass; }

// The children in the order of their names, as the model's maps hold them.
std::vector<const NamedObject*> ChildrenByName(const NamedObject& parent) {
    std::vector<const NamedObject*> children(parent.GetChildren().begin(), parent.GetChildren().end());
    std::stable_sort(children.begin(), children.end(),
                     [](const NamedObject* a, const NamedObject* b) { return a->GetName() < b->GetName(); });
    return children;
}

// The node's functional-constraint groups in the order of their constraints.
std::vector<const FunctionalConstraint*> GroupsByConstraint(const NamedObject& node) {
    std::vector<const FunctionalConstraint*> groups;
    for (const NamedObject* child : node.GetChildren()) {
        if (Is(child, ModelClass::FunctionalConstraint))
            groups.push_back(static_cast<const FunctionalConstraint*>(child));
    }
    std::stable_sort(groups.begin(), groups.end(), [](const FunctionalConstraint* a, const FunctionalConstraint* b) {
        return a->GetFc() < b->GetFc();
    });
    return groups;
}

bool ContainsEvery(const std::set<std::string>& texts, const std::string& name) {
    return std::all_of(texts.begin(), texts.end(),
                       [&name](const std::string& text) { return name.find(text) != std::string::npos; });
}

// An element of an array attribute (named by its index, "[7]") is a part of that
// attribute, as its components are: devices list such elements, or parts of them, in
// their data sets.
bool IsAttributePart(const NamedObject* object) {
    return Is(object, ModelClass::DataAttribute) ||
           (Is(object, ModelClass::DataItem) && object->GetParent() != nullptr &&
            Is(object->GetParent(), ModelClass::DataAttribute));
}

SelectionEntry& EntryFor(SelectionLnEntry& node, const NamedObject& data) {
    const std::string key = SelectionCollector::DataKey(data.GetReference());
    auto [at, added] = node.entries.try_emplace(key);
    if (added) at->second = SelectionEntry{key, data.GetReference(), data.GetName(), key, {}};
    return at->second;
}

void StoreLeaf(SelectionEntry& record, const NamedObject& attribute, const std::string& path) {
    record.attributes.insert_or_assign(path,
                                       SelectionAttribute{attribute.GetFcName(), path, path, attribute.GetReference()});
}

// Leaves below an attribute, named by their path from the top-level attribute. A data
// object met below an attribute is passed through: its attributes start the path again
// from this attribute's name.
void WalkAttribute(SelectionEntry& record, const NamedObject& attribute, const std::string& prefix) {
    if (attribute.GetChildren().empty()) {
        StoreLeaf(record, attribute, prefix + attribute.GetName());
        return;
    }
    for (const NamedObject* child : attribute.GetChildren()) {
        if (Is(child, ModelClass::DataAttribute)) {
            WalkAttribute(record, *child, prefix + attribute.GetName() + ".");
        } else if (dynamic_cast<const Iec61850::Acsi::DataItem*>(child) != nullptr) {
            for (const NamedObject* grandChild : child->GetChildren()) {
                if (Is(grandChild, ModelClass::DataAttribute)) {
                    WalkAttribute(record, *grandChild, attribute.GetName() + "." + child->GetName() + ".");
                }
            }
        }
    }
}

}  // namespace

SelectionFilter SelectionFilter::Read() {
    SelectionFilter filter;
    filter.functionalConstraints = {"DC", "CF", "SP", "EX", "MX", "ST"};
    return filter;
}

SelectionFilter SelectionFilter::Control() {
    SelectionFilter filter;
    filter.functionalConstraints = {"CO"};
    filter.attributeNames = {"Oper", "SBO", "SBOw", "Cancel"};
    return filter;
}

SelectionFilter SelectionFilter::Report() {
    SelectionFilter filter;
    filter.functionalConstraints = {"MX", "ST"};
    return filter;
}

const LogicalDevice* ChooseLogicalDevice(const Server& server, const std::string& device) {
    const auto& devices = server.GetLogicalDevices();
    if (devices.empty()) return nullptr;
    if (!device.empty()) {
        if (auto found = devices.find(device); found != devices.end()) return found->second.get();
    }
    return devices.begin()->second.get();
}

std::string SelectionCollector::DataKey(const std::string& reference) {
    const std::size_t point = reference.find('.');
    return point == std::string::npos ? reference : reference.substr(point + 1);
}

bool SelectionCollector::PassesData(const NamedObject& data) const {
    return Is(&data, ModelClass::Data) && ContainsEvery(filter_.dataTexts, data.GetName());
}

bool SelectionCollector::PassesAttribute(const NamedObject& attribute) const {
    return Is(&attribute, ModelClass::DataAttribute) &&
           (filter_.attributeNames.empty() || filter_.attributeNames.contains(attribute.GetName()));
}

bool SelectionCollector::PassesFc(const std::string& fc) const {
    return filter_.functionalConstraints.empty() || filter_.functionalConstraints.contains(fc);
}

void SelectionCollector::CollectReadTree(Server& server, SelectionTree& tree, const std::string& device) const {
    CollectNodes(server, tree, device, false);
}

void SelectionCollector::CollectControlTree(Server& server, SelectionTree& tree, const std::string& device) const {
    CollectNodes(server, tree, device, true);
}

void SelectionCollector::CollectNodes(Server& server, SelectionTree& tree, const std::string& device,
                                      bool control) const {
    Mms::VMD::ModelHold hold(&server);
    const LogicalDevice* chosen = ChooseLogicalDevice(server, device);
    if (chosen == nullptr) return;
    for (const auto& [name, node] : chosen->GetLogicalNodes()) {
        if (!ContainsEvery(filter_.logicalNodeTexts, name)) continue;
        SelectionLnEntry entry{name, name, {}};
        for (const FunctionalConstraint* group : GroupsByConstraint(*node)) {
            if (!PassesFc(group->GetFc())) continue;
            for (const NamedObject* child : ChildrenByName(*group)) {
                if (Is(child, ModelClass::Data)) AddDataObject(*child, entry, control);
            }
        }
        if (!entry.entries.empty()) tree.emplace(name, std::move(entry));
    }
}

void SelectionCollector::AddDataObject(const NamedObject& data, SelectionLnEntry& node, bool control) const {
    if (!PassesData(data)) return;
    if (control) {
        const std::string& cdc = static_cast<const Iec61850::Acsi::DataItem&>(data).GetCdc();
        if (cdc != "SPC" && cdc != "DPC") return;
    }
    if (filter_.maximumDataObjects > 0 && node.entries.size() >= static_cast<std::size_t>(filter_.maximumDataObjects)) {
        return;
    }
    for (const NamedObject* child : ChildrenByName(data)) {
        if (Is(child, ModelClass::Data)) {
            AddDataObject(*child, node, control);
        } else if (PassesAttribute(*child)) {
            SelectionEntry& record = EntryFor(node, data);
            if (control) {
                record.attributes.try_emplace(
                    child->GetName(),
                    SelectionAttribute{child->GetFcName(), child->GetName(), child->GetName(), child->GetReference()});
            } else {
                WalkAttribute(record, *child, {});
            }
        }
    }
}

void SelectionCollector::CollectReportTree(Server& server, SelectionTree& tree, const std::string& device) const {
    Mms::VMD::ModelHold hold(&server);
    const LogicalDevice* chosen = ChooseLogicalDevice(server, device);
    if (chosen == nullptr) return;
    for (const auto& [deviceName, logicalDevice] : server.GetLogicalDevices()) {
        for (const auto& [nodeName, node] : logicalDevice->GetLogicalNodes()) {
            for (const FunctionalConstraint* group : GroupsByConstraint(*node)) {
                for (const NamedObject* child : ChildrenByName(*group)) {
                    if (!Is(child, ModelClass::BRCB) && !Is(child, ModelClass::URCB)) continue;
                    const Iec61850::Acsi::DataSet* dataSet = static_cast<const ControlBlock*>(child)->GetDataSet();
                    if (dataSet == nullptr) continue;
                    for (const NamedObject* member : dataSet->GetMembers()) {
                        if (member->GetLogicalDeviceName() != chosen->GetName()) continue;
                        if (!PassesFc(member->GetFcName())) continue;
                        if (IsAttributePart(member)) {
                            AddReportAttribute(*member, tree);
                        } else {
                            AddReportDataObject(*member, tree);
                        }
                    }
                }
            }
        }
    }
}

void SelectionCollector::AddReportDataObject(const NamedObject& data, SelectionTree& tree) const {
    if (!PassesData(data)) return;
    for (const NamedObject* child : ChildrenByName(data)) {
        if (Is(child, ModelClass::Data)) {
            AddReportDataObject(*child, tree);
        } else if (PassesAttribute(*child)) {
            const std::string node = child->GetLogicalNodeName();
            auto [at, added] = tree.try_emplace(node);
            if (added) at->second = SelectionLnEntry{node, node, {}};
            WalkAttribute(EntryFor(at->second, data), *child, {});
        }
    }
}

// Devices whose data sets list attributes (stVal, q), or elements of array attributes and
// parts of them, would otherwise offer nothing to report on. The member alone goes in, not its siblings: a block is found by what its
// data set holds, so an attribute the set lacks would find none.
void SelectionCollector::AddReportAttribute(const NamedObject& attribute, SelectionTree& tree) const {
    std::string prefix;
    const NamedObject* top = &attribute;
    while (top->GetParent() != nullptr && IsAttributePart(top->GetParent())) {
        top = top->GetParent();
        prefix = top->GetName() + "." + prefix;
    }
    const NamedObject* data = top->GetParent();
    if (data == nullptr || !PassesData(*data) || !PassesAttribute(*top)) return;
    const std::string node = attribute.GetLogicalNodeName();
    auto [at, added] = tree.try_emplace(node);
    if (added) at->second = SelectionLnEntry{node, node, {}};
    WalkAttribute(EntryFor(at->second, *data), attribute, prefix);
}

}  // namespace App
