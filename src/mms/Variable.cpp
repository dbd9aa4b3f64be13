#include "mms/Variable.h"

#include "mms/Container.h"
#include "system/NumberText.h"

namespace Mms {

Variable::Variable(MmsObject* owner) : MmsObject(owner) {}

Variable::Variable(MmsUserConnection* connection, MmsObject* owner) : MmsObject(connection, owner) {}

Variable::~Variable() {
    Container* value = value_;
    value_ = nullptr;
    if (value == nullptr) return;
    if (ownsValue_) {
        delete value;
    } else {
        value->ForgetVariable(this);
    }
}

std::uint32_t Variable::GetClassId() const { return VariableClassId; }

const char* Variable::GetClassName() const { return "Variable"; }

System::ResultCode Variable::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Deletable") return System::ParseBoolean(Deletable, value);
    return MmsObject::SetAttribute(name, value);
}

System::ResultCode Variable::GetName(std::string& name) const {
    name.clear();
    return System::NotSupported;
}

void Variable::ForgetValue(const Container* container) {
    if (value_ != nullptr && value_ == container) {
        value_ = nullptr;
        ownsValue_ = false;
    }
}

void Variable::LinkValue(Container* container) {
    if (value_ == container) return;
    Container* previous = value_;
    const bool ownedPrevious = ownsValue_;
    value_ = nullptr;
    ownsValue_ = false;
    if (previous != nullptr) {
        if (ownedPrevious) {
            delete previous;
        } else {
            previous->ForgetVariable(this);
        }
    }
    value_ = container;
    ownsValue_ = container != nullptr && container->GetParent() == nullptr;
}

System::ResultCode Variable::FromText(std::string_view text) {
    return value_ != nullptr ? value_->FromText(text) : System::NotInitialized;
}

System::ResultCode Variable::Assign(const Container& other) {
    return value_ != nullptr ? value_->Assign(other) : System::NotInitialized;
}

System::ResultCode Variable::ToText(std::string& text) {
    return value_ != nullptr ? value_->ToText(text) : System::NotInitialized;
}

System::ResultCode Variable::ToXml(std::string& text) {
    return value_ != nullptr ? value_->WriteXml(text) : System::NotInitialized;
}

}  // namespace Mms
