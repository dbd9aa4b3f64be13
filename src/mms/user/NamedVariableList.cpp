#include "mms/user/NamedVariableList.h"

#include <string>
#include <utility>

#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/AccessResults.h"
#include "mms/user/Domain.h"
#include "mms/user/IndexedItem.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

// A domain's member that names a part of an array variable ("name(i)", and components or
// further indexes below it: IndexedItem.h), as the variable that part is bound to (a device
// model binds such parts to variables of their own). Null when the name has no index, or
// nothing answers to it.
NamedVariable* IndexedMemberVariable(const VMD& vmd, const MmsObjectName& name) {
    if (name.present != MmsObjectNameDomainSpecific) return nullptr;
    const std::string item = MmsText(name.choice.domainSpecific.itemId);
    if (item.find('(') == std::string::npos) return nullptr;
    Domain* domain = nullptr;
    if (vmd.FindDomain(MmsText(name.choice.domainSpecific.domainId), domain) != System::OkNoError) return nullptr;
    const Container* part = FindIndexedValue(*domain, item);
    if (part == nullptr) return nullptr;
    if (auto* bound = dynamic_cast<NamedVariable*>(part->GetBoundVariable())) return bound;
    // A part without a variable yet: the domain's maker names it with "$[i]" for each index.
    if (domain->GetVariableMaker() == nullptr) return nullptr;
    return domain->FindNamedVariable(ComponentItemOf(item));
}

}  // namespace

NamedVariableList::NamedVariableList(MmsObject* owner) : MmsObject(owner) {}

NamedVariableList::NamedVariableList(MmsUserConnection* connection, std::string name, MmsObject* owner)
    : MmsObject(connection, owner), Name(std::move(name)) {}

NamedVariableList::NamedVariableList(MmsUserConnection* connection, std::string name)
    : MmsObject(connection, nullptr), Deletable(true), Name(std::move(name)) {
    ErrStatus = connection != nullptr ? connection->AddObject(this) : System::InvalidContext;
}

NamedVariableList::NamedVariableList(std::string name, MmsObject* owner) : MmsObject(owner), Name(std::move(name)) {
    ErrStatus = owner != nullptr ? owner->AddObject(this) : System::InvalidContext;
}

std::uint32_t NamedVariableList::GetClassId() const { return NamedVariableListClassId; }

const char* NamedVariableList::GetClassName() const { return "NamedVariableList"; }

System::ResultCode NamedVariableList::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Name") {
        // Filed under its old name, a renamed list would be filed twice and deleted twice.
        if (owner_ != nullptr && value != Name && owner_->HoldsObject(this)) return System::InvalidState;
        Name = value;
        return owner_ != nullptr ? owner_->AddObject(this) : System::InvalidContext;
    }
    if (name == "Deletable") return System::ParseBoolean(Deletable, value);
    return MmsObject::SetAttribute(name, value);
}

System::ResultCode NamedVariableList::ToObjectName(MmsObjectName& name) const {
    if (owner_ == nullptr) return MmsSetAaSpecificName(name, Name);
    switch (owner_->GetClassId()) {
        case DomainClassId: return MmsSetObjectName(name, static_cast<const Domain*>(owner_)->Name, Name);
        case VmdClassId: return MmsSetObjectName(name, {}, Name);
        default: return System::NotSupported;
    }
}

System::ResultCode NamedVariableList::NewObjectName(MmsObjectName*& slot) const {
    if (slot == nullptr) {
        slot = MmsNewValue<MmsObjectName>(MmsObjectNameType);
        if (slot == nullptr) return System::NoResources;
    }
    return ToObjectName(*slot);
}

System::ResultCode NamedVariableList::Read() {
    return connection_ != nullptr ? connection_->ReadNamedVariableListValues(this) : System::NotConnected;
}

System::ResultCode NamedVariableList::Write() {
    return connection_ != nullptr ? connection_->WriteNamedVariableListValues(this) : System::NotConnected;
}

System::ResultCode NamedVariableList::Define() {
    return connection_ != nullptr ? connection_->DefineNamedVariableListObject(this) : System::NotConnected;
}

System::ResultCode NamedVariableList::Delete() {
    return connection_ != nullptr ? connection_->DeleteNamedVariableListObject(this) : System::NotConnected;
}

System::ResultCode NamedVariableList::GetAttributes() {
    return connection_ != nullptr ? connection_->RequestNamedVariableListAttributes(this) : System::NotConnected;
}

VMD* NamedVariableList::FindVmd() const {
    const MmsObject* top = owner_;
    while (top != nullptr && top->GetOwner() != nullptr) top = top->GetOwner();
    if (top != nullptr && top->GetClassId() == VmdClassId) return const_cast<VMD*>(static_cast<const VMD*>(top));
    return connection_ != nullptr ? connection_->GetVmd() : nullptr;
}

System::ResultCode NamedVariableList::SetMembers(const MmsVariableList& variables) {
    Members.clear();
    VMD* const vmd = FindVmd();
    for (const MmsVariableEntry* entry : variables) {
        const MmsVariableSpecification& spec = entry->variableSpecification;
        switch (spec.present) {
            case MmsVariableSpecificationName: break;
            case MmsVariableSpecificationAddress:
            case MmsVariableSpecificationDescription: return System::NotSupported;
            default: return System::Error;
        }
        NamedVariable* variable = nullptr;
        System::ResultCode found = System::InvalidContext;
        if (spec.choice.name.present == MmsObjectNameAaSpecific) {
            variable = connection_ != nullptr
                           ? connection_->FindNamedVariable(MmsText(spec.choice.name.choice.aaSpecific))
                           : nullptr;
            found = variable != nullptr ? System::OkNoError : System::InvalidArguments;
        } else if (vmd != nullptr) {
            found = vmd->FindNamedVariable(spec.choice.name, variable);
            if (found != System::OkNoError && (variable = IndexedMemberVariable(*vmd, spec.choice.name)) != nullptr) {
                found = System::OkNoError;
            }
        }
        if (found != System::OkNoError) return found;
        Members.push_back(variable);
        if (entry->alternateAccess != nullptr) return System::NotSupported;
    }
    return System::OkNoError;
}

System::ResultCode NamedVariableList::ApplyAttributes(const MmsGetNamedVariableListAttributesResponse& response) {
    Deletable = response.mmsDeletable != 0;
    return SetMembers(response.listOfVariable);
}

System::ResultCode NamedVariableList::ApplyReadResults(const MmsAccessResultList& results) {
    AccessResults view(results);
    return ApplyReadResults(view);
}

System::ResultCode NamedVariableList::ApplyReadResults(AccessResults& results) {
    if (results.Count() != Members.size()) return System::InvalidArguments;
    for (Variable* member : Members) member->ErrStatus = results.ApplyNext(*member);
    return System::OkNoError;
}

System::ResultCode NamedVariableList::ApplyWriteResults(const ModelHold& hold, const MmsWriteResponse& results) {
    if (static_cast<std::size_t>(results.Count()) != Members.size()) return System::InvalidArguments;
    System::ResultCode last = System::OkNoError;
    std::int32_t index = 0;
    for (Variable* member : Members) {
        const System::ResultCode outcome = member->ApplyWriteResult(hold, *results[index++]);
        member->ErrStatus = outcome;
        if (outcome != System::OkNoError) last = outcome;
    }
    ErrStatus = last;
    return last;
}

System::ResultCode NamedVariableList::FillAttributes(MmsGetNamedVariableListAttributesResponse& response) const {
    response.mmsDeletable = Deletable ? 1 : 0;
    return ToVariableList(response.listOfVariable);
}

System::ResultCode NamedVariableList::ToVariableList(MmsVariableList& variables) const {
    for (const Variable* member : Members) {
        if (member->GetClassId() != NamedVariableClassId) return System::InvalidContext;
        CoderValue<MmsVariableSpecification> spec(MmsVariableSpecificationType);
        if (System::ResultCode result = member->ToVariableSpecification(*spec); result != System::OkNoError) {
            return result == System::NoResources ? result : System::InvalidContext;
        }
        if (System::ResultCode result = MmsAppendVariable(variables, *spec); result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

System::ResultCode NamedVariableList::ToDataList(MmsDataList& data) const {
    for (const Variable* member : Members) {
        MmsData* value = MmsAppendNew(data, MmsDataType);
        if (value == nullptr) return System::NoResources;
        if (System::ResultCode result = member->ValueToData(*value); result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

}  // namespace Mms
