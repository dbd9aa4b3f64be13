#include "device/DataTree.h"

#include <utility>

#include "device/DeviceTime.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"

namespace TestDevice {

using ContainerTestSupport::Type;

DataNode* DataNode::Find(const std::string& component) {
    for (DataNode& child : children) {
        if (child.name == component) return &child;
    }
    return nullptr;
}

const DataNode* DataNode::Find(const std::string& component) const {
    return const_cast<DataNode*>(this)->Find(component);
}

DataNode Leaf(std::string name, Mms::MmsTypeDescriptionChoice type, std::int32_t size, std::string initial) {
    DataNode node;
    node.name = std::move(name);
    node.type = type;
    node.size = size;
    node.initial = std::move(initial);
    return node;
}

DataNode Node(std::string name, std::vector<DataNode> children) {
    DataNode node;
    node.name = std::move(name);
    node.children = std::move(children);
    return node;
}

DataNode ArrayOf(std::string name, std::int32_t elements, DataNode element) {
    DataNode node;
    node.name = std::move(name);
    node.type = Mms::MmsTypeArray;
    node.elements = elements;
    node.children.push_back(std::move(element));
    return node;
}

Type ToType(const DataNode& node) {
    switch (node.type) {
        case Mms::MmsTypeStructure: {
            std::vector<std::pair<std::string, Type>> components;
            components.reserve(node.children.size());
            for (const DataNode& child : node.children) components.emplace_back(child.name, ToType(child));
            return ContainerTestSupport::StructureType(std::move(components));
        }
        case Mms::MmsTypeArray: return ContainerTestSupport::ArrayType(node.elements, ToType(node.children.front()));
        case Mms::MmsTypeFloatingPoint:
            return ContainerTestSupport::FloatType(node.size == 64 ? 64 : 32, node.size == 64 ? 11 : 8);
        case Mms::MmsTypeBinaryTime: {
            Type type = ContainerTestSupport::NewType();
            type->present = Mms::MmsTypeBinaryTime;
            type->choice.binaryTime = node.size != 0 ? 1 : 0;
            return type;
        }
        default: return ContainerTestSupport::SimpleType(node.type, node.size);
    }
}

std::size_t CountLeaves(const DataNode& node) {
    if (node.type != Mms::MmsTypeStructure) return 1;
    std::size_t count = 0;
    for (const DataNode& child : node.children) count += CountLeaves(child);
    return count;
}

namespace {

void CollectPaths(const DataNode& node, const std::string& path, std::vector<std::string>& paths) {
    if (node.type != Mms::MmsTypeStructure) return;
    for (const DataNode& child : node.children) {
        const std::string below = path + "$" + child.name;
        paths.push_back(below);
        CollectPaths(child, below, paths);
    }
}

void SetInitialValues(Mms::Domain& domain, const DataNode& node, const std::string& path,
                      const System::UtcTime& start) {
    for (const DataNode& child : node.children) {
        const std::string below = path + "$" + child.name;
        if (child.type == Mms::MmsTypeStructure) {
            SetInitialValues(domain, child, below, start);
        } else if (child.type == Mms::MmsTypeUtcTime && child.name == "t") {
            if (Mms::NamedVariable* variable = domain.FindNamedVariable(below)) SetTimeStamp(*variable, start);
        } else if (child.IsLeaf() && !child.initial.empty()) {
            if (Mms::NamedVariable* variable = domain.FindNamedVariable(below)) variable->FromText(child.initial);
        }
    }
}

}  // namespace

Mms::NamedVariable* AddToDomain(Mms::Domain& domain, const DataNode& node, const System::UtcTime& start) {
    std::vector<std::string> paths;
    CollectPaths(node, node.name, paths);
    // The component variables first: the typed variable binds its parts to them.
    for (const std::string& path : paths) {
        auto* variable = new Mms::NamedVariable(domain.GetConnection(), path, &domain);
        if (domain.AddObject(variable) != System::OkNoError) delete variable;
    }
    Mms::NamedVariable* variable = MmsObjectTest::AddVariable(domain, node.name, ToType(node));
    if (variable != nullptr) SetInitialValues(domain, node, node.name, start);
    return variable;
}

}  // namespace TestDevice
