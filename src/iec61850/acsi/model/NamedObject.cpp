#include "iec61850/acsi/model/NamedObject.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>

#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Array.h"
#include "mms/values/Container.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

namespace {

bool IsOfObjectClass(const NamedObject& object, std::int32_t objectClass) {
    const ModelClass exact = object.GetModelClass();
    switch (objectClass) {
        case ObjectClassLogicalDevice: return exact == ModelClass::LogicalDevice;
        // LLN0 is a logical node: the objects below it belong to it.
        case ObjectClassLogicalNode: return exact == ModelClass::LogicalNode || exact == ModelClass::LLN0;
        case ObjectClassData: return exact == ModelClass::Data;
        case ObjectClassDataAttribute: return exact == ModelClass::DataAttribute;
        default: return false;
    }
}

const NamedObject* FindUpwards(const NamedObject* from, ModelClass wanted) {
    for (const NamedObject* at = from; at != nullptr; at = at->GetParent()) {
        if (at->GetModelClass() == wanted) return at;
    }
    return nullptr;
}

// The member of a structure by name, or of an array by "[index]"; null when none.
Mms::Container* MemberOf(const Mms::Container& whole, std::string_view name) {
    if (whole.GetClassId() == Mms::StructureClassId)
        return static_cast<const Mms::Structure&>(whole).FindComponent(name);
    if (whole.GetClassId() != Mms::ArrayClassId || name.size() < 3 || name.front() != '[' || name.back() != ']') {
        return nullptr;
    }
    const auto& array = static_cast<const Mms::Array&>(whole);
    std::size_t index = 0;
    const char* first = name.data() + 1;
    const char* last = name.data() + name.size() - 1;
    const auto [end, error] = std::from_chars(first, last, index);
    if (error != std::errc() || end != last || index >= array.GetElementCount()) return nullptr;
    return array.GetElement(index);
}

}  // namespace

NamedObject::NamedObject(NamedObject* parent, std::string name, Mms::MmsObject* mmsObject)
    : parent_(parent), name_(std::move(name)), mmsObject_(mmsObject) {
    if (parent_ != nullptr) server_ = parent_->server_;
}

NamedObject::NamedObject(NamedObject* parent, std::string name, ValueInParent)
    : NamedObject(parent, std::move(name), nullptr) {
    valueInParent_ = parent_ != nullptr;
}

NamedObject::NamedObject(ModelLookup* server, std::string name, Mms::MmsObject* mmsObject)
    : server_(server), name_(std::move(name)), serverRoot_(true), mmsObject_(mmsObject) {}

std::string NamedObject::GetReference() const {
    std::string text;
    AppendReference(text);
    return text;
}

void NamedObject::AppendReference(std::string& text) const {
    if (invisible_) {
        if (parent_ != nullptr) parent_->AppendReference(text);
        return;
    }
    if (parent_ == nullptr) {
        if (!serverRoot_) text += '@';
    } else if (parent_->GetModelClass() == ModelClass::LogicalDevice) {
        text += parent_->name_;
        text += '/';
    } else {
        parent_->AppendReference(text);
        text += '.';
    }
    text += name_;
}

bool NamedObject::ReferenceIs(std::string_view text) const {
    if (invisible_) return parent_ != nullptr ? parent_->ReferenceIs(text) : text.empty();
    if (text.size() < name_.size() || text.substr(text.size() - name_.size()) != name_) return false;
    text.remove_suffix(name_.size());
    if (parent_ == nullptr) return serverRoot_ ? text.empty() : text == "@";
    if (parent_->GetModelClass() == ModelClass::LogicalDevice) {
        return text.size() == parent_->name_.size() + 1 && text.back() == '/' &&
               text.substr(0, parent_->name_.size()) == parent_->name_;
    }
    if (text.empty() || text.back() != '.') return false;
    text.remove_suffix(1);
    return parent_->ReferenceIs(text);
}

NamedObject::~NamedObject() {
    childrenIndex_.reset();
    children_.clear();
    for (NamedObject* child = firstOwned_; child != nullptr;) {
        NamedObject* const next = child->nextOwned_;
        delete child;
        child = next;
    }
}

System::ResultCode NamedObject::Build() { return System::OkNoError; }

System::ResultCode NamedObject::Bind(const Mms::ModelHold& hold) {
    // Owned names are unique, so name order is one order.
    std::vector<NamedObject*> byName;
    for (NamedObject* child = firstOwned_; child != nullptr; child = child->nextOwned_) byName.push_back(child);
    std::sort(byName.begin(), byName.end(),
              [](const NamedObject* a, const NamedObject* b) { return a->name_ < b->name_; });
    System::ResultCode last = System::OkNoError;
    for (NamedObject* child : byName) {
        const System::ResultCode result = child->Bind(hold);
        if (result != System::OkNoError) last = result;
    }
    return last;
}

System::ResultCode NamedObject::CollectByName(std::string_view name, std::list<NamedObject*>& found) {
    // Equal names keep the order they were added in, which is the children's order.
    if (childrenIndex_ == nullptr) {
        for (NamedObject* child : children_) {
            if (child->name_ == name) found.push_back(child);
        }
        return System::OkNoError;
    }
    const auto [first, last] = childrenIndex_->equal_range(name);
    for (auto at = first; at != last; ++at) found.push_back(at->second);
    return System::OkNoError;
}

System::ResultCode NamedObject::Find(std::string_view fc, std::string_view reference, NamedObject*& found) {
    found = nullptr;
    if (ReferenceIs(reference) && GetFcName() == fc) {
        found = this;
        return System::OkNoError;
    }
    for (NamedObject* child : children_) {
        child->Find(fc, reference, found);
        if (found != nullptr) break;
    }
    return System::OkNoError;
}

System::ResultCode NamedObject::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    return System::OkNoError;
}

System::ResultCode NamedObject::GetChild(std::string_view name, std::string& text) {
    NamedObject* child = FindOwnedChild(name);
    if (child == nullptr) return System::InvalidArguments;
    if (Mms::Container* value = child->ValueWithoutVariable()) return value->ToText(text);
    Mms::NamedVariable* variable = NamedVariableOf(child->GetBoundMmsObject());
    if (variable == nullptr) return System::NotSupported;
    return variable->ToText(text);
}

System::ResultCode NamedObject::ValueToText(std::string& text) {
    if (Mms::Container* value = ValueWithoutVariable()) return value->ToText(text);
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr) return System::NotSupported;
    return variable->ToText(text);
}

System::ResultCode NamedObject::ValueFromText(std::string_view text) {
    if (Mms::Container* value = ValueWithoutVariable()) return value->FromText(text);
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr) return System::NotSupported;
    return variable->FromText(text);
}

System::ResultCode NamedObject::GetChildValue(std::string_view name, Mms::Container*& value) {
    value = nullptr;
    NamedObject* child = FindOwnedChild(name);
    if (child == nullptr) return System::InvalidArguments;
    return child->NamedObject::GetValue(value);
}

System::ResultCode NamedObject::GetValue(Mms::Container*& value) {
    value = ValueWithoutVariable();
    if (value != nullptr) return System::OkNoError;
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr) return System::NotSupported;
    value = variable->GetValue();
    return System::OkNoError;
}

ObjectState NamedObject::SetState(ObjectState state) {
    state_ = state;
    return state_;
}

bool NamedObject::IsRead() const { return state_ == ObjectState::Read; }

std::uint32_t NamedObject::IsKindOf(ModelClass modelClass, ObjectState state) const {
    std::uint32_t count = 0;
    const ModelClass asked[] = {modelClass};
    ModelTally tally{asked, state, std::span(&count, 1)};
    CountKinds(tally);
    return count;
}

void NamedObject::CountKinds(ModelTally& tally) const { CountSelf(tally); }

void NamedObject::CountSelf(ModelTally& tally) const {
    if (tally.state != AnyObjectState && tally.state != state_) return;
    const ModelClass exact = GetModelClass();
    for (std::size_t i = 0; i < tally.classes.size(); ++i) {
        if (ModelClassMatches(tally.classes[i], exact)) ++tally.counts[i];
    }
}

System::ResultCode NamedObject::BindVariable(Scl::BasicTypeCode code) {
    if (GetModelClass() == ModelClass::LogicalDevice) return System::NotSupported;
    if (MakeMmsObject() != nullptr) return System::OkNoError;
    Mms::NamedVariable* variable = nullptr;
    const System::ResultCode result =
        CreateMmsVariable(code, parent_ != nullptr ? parent_->MakeMmsObject() : nullptr, GetMmsComponent(), variable);
    if (result != System::OkNoError) return result;
    if (variable->GetOwner() == nullptr) unfiledVariable_.reset(variable);
    mmsObject_ = variable;
    return System::OkNoError;
}

ModelClass NamedObject::GetModelClass() const { return ModelClass::NamedObject; }

const std::string& NamedObject::GetMmsComponent() const { return name_; }

std::string NamedObject::GetFcName() const {
    const NamedObject* group = FindUpwards(this, ModelClass::FunctionalConstraint);
    return group != nullptr ? group->GetMmsComponent() : std::string();
}

std::string NamedObject::GetLogicalNodeName() const {
    NamedObject* node = nullptr;
    return FindAncestor(ObjectClassLogicalNode, node) == System::OkNoError ? node->name_ : std::string();
}

std::string NamedObject::GetLogicalDeviceName() const {
    const NamedObject* device = FindUpwards(this, ModelClass::LogicalDevice);
    return device != nullptr ? device->name_ : std::string();
}

System::ResultCode NamedObject::FindAncestor(std::int32_t objectClass, NamedObject*& found) const {
    switch (objectClass) {
        case ObjectClassLogicalDevice:
        case ObjectClassLogicalNode:
        case ObjectClassData:
        case ObjectClassDataAttribute: break;
        default: return System::NotSupported;
    }
    for (const NamedObject* at = this; at != nullptr; at = at->parent_) {
        if (IsOfObjectClass(*at, objectClass)) {
            found = const_cast<NamedObject*>(at);
            return System::OkNoError;
        }
    }
    return System::NotFound;
}

System::ResultCode NamedObject::AdoptChild(std::unique_ptr<NamedObject> child) {
    if (child == nullptr) return System::InvalidArguments;
    if (FindOwnedChild(child->name_) != nullptr) return System::AlreadyExist;
    child->ownedByParent_ = true;
    child->nextOwned_ = firstOwned_;
    firstOwned_ = child.release();
    Append(firstOwned_);
    SubtreeChanged();
    return System::OkNoError;
}

NamedObject* NamedObject::FindOwnedChild(std::string_view name) const {
    if (childrenIndex_ == nullptr) {
        for (NamedObject* child : children_) {
            if (child->ownedByParent_ && child->name_ == name) return child;
        }
        return nullptr;
    }
    const auto [first, last] = childrenIndex_->equal_range(name);
    for (auto at = first; at != last; ++at) {
        if (at->second->ownedByParent_) return at->second;
    }
    return nullptr;
}

std::unique_ptr<NamedObject> NamedObject::ReleaseChild(std::string_view name) {
    NamedObject* found = FindOwnedChild(name);
    if (found == nullptr) return nullptr;
    for (NamedObject** link = &firstOwned_; *link != nullptr; link = &(*link)->nextOwned_) {
        if (*link == found) {
            *link = found->nextOwned_;
            break;
        }
    }
    std::unique_ptr<NamedObject> child(found);
    child->nextOwned_ = nullptr;
    child->ownedByParent_ = false;
    UnlinkChild(child.get());
    return child;
}

void NamedObject::LinkChild(NamedObject* child) {
    if (child == nullptr) return;
    Append(child);
    SubtreeChanged();
}

void NamedObject::UnlinkChild(const NamedObject* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
    if (child != nullptr && childrenIndex_ != nullptr) {
        auto [at, last] = childrenIndex_->equal_range(child->name_);
        while (at != last) at = at->second == child ? childrenIndex_->erase(at) : std::next(at);
    }
    SubtreeChanged();
}

void NamedObject::ForgetChildren() {
    childrenIndex_.reset();
    children_.clear();
}

void NamedObject::Append(NamedObject* child) {
    children_.push_back(child);
    if (childrenIndex_ != nullptr) {
        childrenIndex_->emplace(child->name_, child);
    } else if (children_.size() >= kIndexedFrom) {
        // In child order, so that equal names keep it.
        childrenIndex_ = std::make_unique<ChildIndex>();
        for (NamedObject* each : children_) childrenIndex_->emplace(each->name_, each);
    }
}

void NamedObject::SubtreeChanged() {
    if (parent_ != nullptr) parent_->SubtreeChanged();
}

Mms::MmsObject* NamedObject::GetMmsObject(const Mms::ModelHold&) const { return MakeMmsObject(); }

Mms::MmsObject* NamedObject::MakeMmsObject() const {
    if (mmsObject_ != nullptr || !valueInParent_) return mmsObject_;
    // A member the parent's value lacks makes nothing, not even the ancestors' variables.
    Mms::Container* value = GetValueContainer();
    if (value == nullptr) return nullptr;
    Mms::NamedVariable* parentVariable = NamedVariableOf(parent_->MakeMmsObject());
    if (parentVariable == nullptr) return nullptr;
    Mms::NamedVariable* bound = nullptr;
    std::unique_ptr<Mms::NamedVariable> unfiled;
    if (VariableForComponent(*parentVariable, *value, GetMmsComponent(), bound, unfiled) != System::OkNoError) {
        return nullptr;
    }
    mmsObject_ = bound;
    if (unfiled != nullptr) unfiledVariable_ = std::move(unfiled);
    return mmsObject_;
}

Mms::Container* NamedObject::GetValueContainer() const {
    if (mmsObject_ != nullptr || !valueInParent_) {
        Mms::NamedVariable* variable = NamedVariableOf(mmsObject_);
        return variable != nullptr ? variable->GetValue() : nullptr;
    }
    Mms::Container* whole = parent_->GetValueContainer();
    return whole != nullptr ? MemberOf(*whole, GetMmsComponent()) : nullptr;
}

Mms::Container* NamedObject::ValueWithoutVariable() const {
    return valueInParent_ && mmsObject_ == nullptr ? GetValueContainer() : nullptr;
}

void NamedObject::OwnVariable(std::unique_ptr<Mms::NamedVariable> variable) {
    if (variable == nullptr) return;
    if (mmsObject_ != nullptr && mmsObject_ != variable.get()) return;
    mmsObject_ = variable.get();
    unfiledVariable_ = std::move(variable);
}

void NamedObject::BecomeInvisible() {
    name_.clear();
    invisible_ = true;
}

}  // namespace Iec61850::Acsi
