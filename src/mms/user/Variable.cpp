#include "mms/user/Variable.h"

#include <memory>
#include <new>

#include "mms/pdu/MmsPduServices.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/values/Container.h"
#include "mms/values/ContainerFactory.h"
#include "system/NumberText.h"

namespace Mms {

Variable::Variable(MmsObject* owner) : MmsObject(owner) {}

Variable::Variable(MmsUserConnection* connection, MmsObject* owner) : MmsObject(connection, owner) {}

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

System::ResultCode Variable::FromText(std::string_view text) {
    Container* value = GetValue();
    return value != nullptr ? value->FromText(text) : System::NotInitialized;
}

System::ResultCode Variable::Assign(const Container& other) {
    Container* value = GetValue();
    return value != nullptr ? value->Assign(other) : System::NotInitialized;
}

System::ResultCode Variable::ToText(std::string& text) {
    Container* value = GetValue();
    return value != nullptr ? value->ToText(text) : System::NotInitialized;
}

System::ResultCode Variable::ToXml(std::string& text) {
    Container* value = GetValue();
    return value != nullptr ? value->WriteXml(text) : System::NotInitialized;
}

System::ResultCode Variable::ToVariableSpecification(MmsVariableSpecification& spec) const {
    MmsVariableSpecificationType.free(&MmsVariableSpecificationType, &spec, 1);
    return System::NotSupported;
}

System::ResultCode Variable::NewVariableSpecification(MmsVariableSpecification*& slot) const {
    if (slot == nullptr) {
        slot = MmsNewValue<MmsVariableSpecification>(MmsVariableSpecificationType);
        if (slot == nullptr) return System::NoResources;
    }
    return ToVariableSpecification(*slot);
}

System::ResultCode Variable::GetAccessAttributes() {
    return connection_ != nullptr ? connection_->RequestVariableAccessAttributes(this) : System::NotConnected;
}

System::ResultCode Variable::Read(bool always) {
    if (Container* value = GetValue(); !always && value != nullptr && value->IsValid()) return System::OkNoError;
    return connection_ != nullptr ? connection_->ReadVariableValue(this) : System::NotConnected;
}

System::ResultCode Variable::Write(bool always) {
    if (Container* value = GetValue(); !always && value != nullptr && value->IsValid()) return System::OkNoError;
    return connection_ != nullptr ? connection_->WriteVariableValue(this) : System::NotConnected;
}

System::ResultCode Variable::ReadAndWait(bool always) {
    if (Container* value = GetValue(); !always && value != nullptr && value->IsValid()) return System::OkNoError;
    return connection_ != nullptr ? connection_->ReadVariableValueAndWait(this) : System::NotConnected;
}

System::ResultCode Variable::WriteAndWait(bool always) {
    if (Container* value = GetValue(); !always && value != nullptr && value->IsValid()) return System::OkNoError;
    return connection_ != nullptr ? connection_->WriteVariableValueAndWait(this) : System::NotConnected;
}

System::ResultCode Variable::SetType(const MmsTypeSpecification& type) { return System::NotImplemented; }

System::ResultCode Variable::AdoptValue(Container* container) { return container->Bind(this, nullptr); }

System::ResultCode Variable::RebuildValue(const MmsTypeDescription& type) {
    Container* holder = GetValue();
    const System::ResultCode built = NewContainerFromType(type, holder);
    if (built != System::OkNoError && built != System::AlreadyExist) return built;
    if (holder == nullptr) return System::Error;
    // The old value is gone: an owned one was deleted, a member replaced in its place.
    const System::ResultCode bound = AdoptValue(holder);
    if (bound != System::OkNoError && holder->GetParent() == nullptr) delete holder;
    return bound;
}

System::ResultCode Variable::ApplyReadResult(const MmsAccessResult& result) {
    Container* value = GetValue();
    if (result.present == MmsAccessResultFailure) {
        if (!IsKeptAccessErrorCode(result.choice.failure)) return System::InvalidResponse;
        return value != nullptr ? value->SetAccessError(result.choice.failure)
                                : AccessErrorBase + result.choice.failure;
    }
    if (result.present != MmsAccessResultSuccess) return System::InvalidResponse;
    if (value != nullptr) return value->FromData(result.choice.success);
    // No type known yet: the value takes the type the data brings.
    std::unique_ptr<Container> fresh;
    System::ResultCode made = System::NoResources;
    try {
        made = NewContainerFromData(result.choice.success, fresh);
    } catch (const std::bad_alloc&) {
        fresh.reset();
    }
    if (fresh == nullptr) return made != System::OkNoError ? made : System::Error;
    Container* container = fresh.get();
    if (System::ResultCode bound = AdoptValue(container); bound != System::OkNoError) return bound;
    fresh.release();
    return container->GetState() == StateValid ? System::OkNoError : System::InvalidArguments;
}

System::ResultCode Variable::ApplyWriteResult(const ModelHold&, const MmsWriteResult& result) {
    Container* value = GetValue();
    if (result.present == MmsWriteResultSuccess) {
        if (value != nullptr) value->SetState(StateValid);
        return System::OkNoError;
    }
    if (result.present == MmsWriteResultFailure) {
        if (!IsKeptAccessErrorCode(result.choice.failure)) return System::InvalidResponse;
        return value != nullptr ? value->SetAccessError(result.choice.failure)
                                : AccessErrorBase + result.choice.failure;
    }
    return System::InvalidResponse;
}

System::ResultCode Variable::ApplyAccessAttributes(const MmsGetVariableAccessAttributesResponse& response) {
    Deletable = response.mmsDeletable != 0;
    if (response.address != nullptr) return System::NotImplemented;
    return SetType(response.typeSpecification);
}

System::ResultCode Variable::ValueToData(MmsData& data) const {
    Container* value = GetValue();
    return value != nullptr ? value->ToData(data) : System::NotInitialized;
}

System::ResultCode Variable::NewData(MmsData*& slot) const {
    if (slot == nullptr) {
        slot = MmsNewValue<MmsData>(MmsDataType);
        if (slot == nullptr) return System::NoResources;
    }
    return ValueToData(*slot);
}

}  // namespace Mms
