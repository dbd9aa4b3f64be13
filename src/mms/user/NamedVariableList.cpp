#include "mms/user/NamedVariableList.h"

#include <string>
#include <utility>

#include "mms/pdu/AlternateAccess.h"
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

// The variable of the part of a named variable that a member's alternate access selects:
// the one the part is bound to, else the one the domain's maker makes for it (a device
// model names it "name$[i]$c", IndexedItem.h). A selection other than a chain of indexes
// and components is NotSupported, as is a part nobody has a variable for (the list owns
// none of its members); a part the variable does not hold is InvalidArguments.
System::ResultCode SelectedPartVariable(const NamedVariable& whole, const MmsAlternateAccess& access,
                                        NamedVariable*& part) {
    AccessPath path;
    if (const System::ResultCode read = MmsReadAlternateAccess(access, path); read != System::OkNoError) return read;
    for (const AccessStep& step : path) {
        if (step.kind != AccessStep::Kind::Index && step.kind != AccessStep::Kind::Component) {
            return System::NotSupported;
        }
    }
    const Container* value = FindPart(whole.GetValue(), path);
    if (value == nullptr) return System::InvalidArguments;
    if ((part = dynamic_cast<NamedVariable*>(value->GetBoundVariable())) != nullptr) return System::OkNoError;
    auto* domain = dynamic_cast<Domain*>(whole.GetOwner());
    if (domain == nullptr || domain->GetVariableMaker() == nullptr) return System::NotSupported;
    part = domain->FindNamedVariable(ComponentItemOf(whole.Name, path));
    return part != nullptr ? System::OkNoError : System::InvalidArguments;
}

}  // namespace

System::ResultCode AppendVariableEntry(const NamedVariable& variable, MmsVariableList& variables) {
    CoderValue<MmsVariableSpecification> spec(MmsVariableSpecificationType);
    if (System::ResultCode result = variable.ToVariableSpecification(*spec); result != System::OkNoError) {
        return result;
    }
    std::string whole;
    AccessPath path;
    const bool part = SplitIndexedItem(variable.Name, whole, path);
    if (part) {
        MmsObjectName& object = spec->choice.name;
        Asn1OctetString& item = object.present == MmsObjectNameDomainSpecific ? object.choice.domainSpecific.itemId
                                : object.present == MmsObjectNameVmdSpecific  ? object.choice.vmdSpecific
                                                                              : object.choice.aaSpecific;
        if (System::ResultCode result = MmsSetText(item, whole); result != System::OkNoError) return result;
    }
    if (System::ResultCode result = MmsAppendVariable(variables, *spec); result != System::OkNoError) return result;
    return part ? MmsNewAlternateAccess(path, variables[variables.Count() - 1]->alternateAccess) : System::OkNoError;
}

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
        }
        if (found == System::OkNoError && entry->alternateAccess != nullptr) {
            found = SelectedPartVariable(*variable, *entry->alternateAccess, variable);
        }
        if (found != System::OkNoError) return found;
        Members.push_back(variable);
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
        if (System::ResultCode result = AppendVariableEntry(static_cast<const NamedVariable&>(*member), variables);
            result != System::OkNoError) {
            return result == System::NoResources ? result : System::InvalidContext;
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
