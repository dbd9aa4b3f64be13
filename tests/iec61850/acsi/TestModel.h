#pragma once

// Small stand-ins for the model classes that the base is written for: a logical device,
// a logical node that owns its functional-constraint groups in a map of its own (as the
// real node does), a group that hides in references, and data items of a given class.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "iec61850/acsi/model/NamedObject.h"
#include "mms/user/Domain.h"

namespace Iec61850::Acsi::TestModel {

class Device : public NamedObject {
public:
    explicit Device(Mms::Domain& domain) : NamedObject(static_cast<ModelLookup*>(nullptr), domain.Name, &domain) {}
    ModelClass GetModelClass() const override { return ModelClass::LogicalDevice; }
};

class Group : public NamedObject {
public:
    Group(NamedObject* node, std::string fc) : NamedObject(node, fc, nullptr), fc_(std::move(fc)) { BecomeInvisible(); }
    ModelClass GetModelClass() const override { return ModelClass::FunctionalConstraint; }
    const std::string& GetMmsComponent() const override { return fc_; }

private:
    std::string fc_;
};

class Node : public NamedObject {
public:
    Node(NamedObject* device, std::string name) : NamedObject(device, std::move(name), nullptr) {}
    ~Node() override {
        for (auto& [fc, group] : groups_) UnlinkChild(group.get());
    }
    ModelClass GetModelClass() const override {
        return GetName() == "LLN0" ? ModelClass::LLN0 : ModelClass::LogicalNode;
    }
    // The group of the constraint, made (and bound) on first use.
    Group& GetGroup(const std::string& fc) {
        auto& slot = groups_[fc];
        if (slot == nullptr) {
            slot = std::make_unique<Group>(this, fc);
            LinkChild(slot.get());
            slot->BindVariable(Scl::BasicTypeCode::Struct);
        }
        return *slot;
    }

private:
    std::map<std::string, std::unique_ptr<Group>> groups_;
};

class Item : public NamedObject {
public:
    Item(NamedObject* parent, std::string name, ModelClass modelClass)
        : NamedObject(parent, std::move(name), nullptr), modelClass_(modelClass) {}
    ModelClass GetModelClass() const override { return modelClass_; }

private:
    ModelClass modelClass_;
};

// A new item adopted by the parent and bound to a variable of the basic type; null when
// either step fails.
inline Item* AddItem(NamedObject& parent, const std::string& name, ModelClass modelClass, Scl::BasicTypeCode code) {
    auto item = std::make_unique<Item>(&parent, name, modelClass);
    Item* raw = item.get();
    if (parent.AdoptChild(std::move(item)) != System::OkNoError) return nullptr;
    if (raw->BindVariable(code) != System::OkNoError) return nullptr;
    return raw;
}

inline Node* AddNode(Device& device, const std::string& name) {
    auto node = std::make_unique<Node>(&device, name);
    Node* raw = node.get();
    if (device.AdoptChild(std::move(node)) != System::OkNoError) return nullptr;
    if (raw->BindVariable(Scl::BasicTypeCode::Struct) != System::OkNoError) return nullptr;
    return raw;
}

}  // namespace Iec61850::Acsi::TestModel
