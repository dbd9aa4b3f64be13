#include "mms/user/NamedVariable.h"

#include <utility>

#include "mms/pdu/MmsPduServices.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"

namespace Mms {

NamedVariable::NamedVariable(MmsObject* owner) : Variable(owner) {}

NamedVariable::NamedVariable(MmsUserConnection* connection, std::string name, MmsObject* owner)
    : Variable(connection, owner), Name(std::move(name)) {}

std::uint32_t NamedVariable::GetClassId() const { return NamedVariableClassId; }

const char* NamedVariable::GetClassName() const { return "NamedVariable"; }

System::ResultCode NamedVariable::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Name") {
        // Filed under its old name, a renamed variable would be filed twice and deleted twice.
        if (owner_ != nullptr && value != Name && owner_->HoldsObject(this)) return System::InvalidState;
        Name = value;
        return AddObject(this);
    }
    return Variable::SetAttribute(name, value);
}

System::ResultCode NamedVariable::GetName(std::string& name) const {
    name.clear();
    if (owner_ == nullptr) return System::NotSupported;
    switch (owner_->GetClassId()) {
        case DomainClassId: name = static_cast<const Domain*>(owner_)->Name + "/" + Name; return System::OkNoError;
        case VmdClassId: name = Name; return System::OkNoError;
        default: return System::NotSupported;
    }
}

System::ResultCode NamedVariable::ToObjectName(MmsObjectName& name) const {
    MmsObjectNameType.free(&MmsObjectNameType, &name, 1);
    if (owner_ == nullptr) return System::NotSupported;
    switch (owner_->GetClassId()) {
        case DomainClassId: return MmsSetObjectName(name, static_cast<const Domain*>(owner_)->Name, Name);
        case VmdClassId: return MmsSetObjectName(name, {}, Name);
        default: return System::NotSupported;
    }
}

System::ResultCode NamedVariable::ToVariableSpecification(MmsVariableSpecification& spec) const {
    MmsVariableSpecificationType.free(&MmsVariableSpecificationType, &spec, 1);
    if (System::ResultCode result = ToObjectName(spec.choice.name); result != System::OkNoError) {
        return result;
    }
    spec.present = MmsVariableSpecificationName;
    return System::OkNoError;
}

const ObjectMap* NamedVariable::OwnerVariables() const {
    if (owner_ == nullptr) return nullptr;
    switch (owner_->GetClassId()) {
        case DomainClassId: return static_cast<const Domain*>(owner_)->GetObjectMap(MmsClassNamedVariable);
        case VmdClassId: return static_cast<const VMD*>(owner_)->GetObjectMap(MmsClassNamedVariable);
        default: return nullptr;
    }
}

System::ResultCode NamedVariable::SetType(const MmsTypeSpecification& type) {
    if (OwnerVariables() == nullptr) return System::InvalidArguments;
    if (type.present != MmsTypeSpecificationDescription) return System::NotSupported;
    return RebuildValue(type.choice.typeDescription);
}

System::ResultCode NamedVariable::AdoptValue(Container* container) { return container->Bind(this, OwnerVariables()); }

}  // namespace Mms
