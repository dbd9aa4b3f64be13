#include "mms/values/Container.h"

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerXml.h"
#include "mms/values/Structure.h"
#include "mms/values/ValueHolder.h"
#include "system/NumberText.h"

namespace Mms {

Container::Container() { ErrStatus = -1; }

Container::~Container() {
    if (holder_ != nullptr) {
        ValueHolder* holder = holder_;
        holder_ = nullptr;
        holder->ForgetValue(this);
    }
    if (parent_ != nullptr) {
        Container* parent = parent_;
        parent_ = nullptr;
        parent->ForgetMember(this);
    }
}

std::uint32_t Container::GetClassId() const { return ContainerClassId; }

const char* Container::GetClassName() const { return "Container"; }

System::ResultCode Container::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Name") {
        if (Structure* structure = GetParentStructure()) return structure->RenameComponent(*this, value);
        name_ = value;
        return System::OkNoError;
    }
    if (name == "SyncState") {
        std::int32_t state = 0;
        const System::ResultCode result = System::ParseInt32Text(state, value);
        if (result != System::OkNoError) return result;
        if (state < 0 || state > StateInvalidType) return System::OutOfRange;
        state_ = state;
        return System::OkNoError;
    }
    // "ReferenceType" and "ReferenceName" are accepted and ignored like unknown names.
    return Object::SetAttribute(name, value);
}

bool Container::IsValid() const { return state_ == StateValid; }

void Container::SetState(std::int32_t state) {
    if (state_ != StateInvalidType) state_ = state;
}

System::ResultCode Container::Bind(ValueHolder* holder, const ObjectMap* variables) {
    if (holder_ != nullptr) return System::Error;
    if (holder == nullptr) return System::InvalidArguments;
    // The holder would delete its present value, and with it this container.
    for (const Container* above = parent_; above != nullptr; above = above->parent_) {
        if (holder->GetValue() == above) return System::InvalidArguments;
    }
    holder_ = holder;
    holder->LinkValue(this);
    return System::OkNoError;
}

bool Container::Equals(Container& other) {
    std::string mine;
    std::string theirs;
    if (ToText(mine) != System::OkNoError) return false;
    if (other.ToText(theirs) != System::OkNoError) return false;
    return mine == theirs;
}

std::int32_t Container::SetAccessError(std::int32_t code) {
    ErrStatus = code + AccessErrorBase;
    SetState(StateAccessError);
    return ErrStatus;
}

System::ResultCode Container::GetBit(std::uint32_t index, bool& bit) const { return System::NotImplemented; }

System::ResultCode Container::WriteXml(std::string& text) {
    text += "<c ";
    if (holder_ != nullptr) {
        text += "name=\"";
        if (!name_.empty()) {
            AppendXmlEscaped(text, name_);
        } else if (const std::string* item = holder_->ItemName(); item != nullptr) {
            AppendXmlEscaped(text, *item);
        }
        text += "\" ";
    }
    text += "type=\"";
    text += GetClassName();
    std::string value;
    ToText(value);
    const std::uint32_t classId = GetClassId();
    if (classId == ArrayClassId || classId == StructureClassId) {
        // The members' text is XML already, written and escaped by their own WriteXml.
        text += "\">\n";
        text += value;
        text += "</c>\n";
    } else {
        text += "\" value=\"";
        AppendXmlEscaped(text, value);
        text += "\" />";
    }
    return System::OkNoError;
}

Structure* Container::GetParentStructure() const {
    if (parent_ == nullptr || parent_->GetClassId() != StructureClassId) return nullptr;
    return static_cast<Structure*>(parent_);
}

void Container::RefuseType(System::ResultCode reason) {
    state_ = StateInvalidType;
    ErrStatus = reason;
}

void Container::MarkValid() {
    if (state_ != StateInvalidType) state_ = StateValid;
    ErrStatus = System::OkNoError;
}

System::ResultCode Container::CheckSameClass(const Container& other) {
    if (other.GetClassId() == GetClassId()) return System::OkNoError;
    ErrStatus = System::InvalidArguments;
    return System::InvalidArguments;
}

bool Container::AcceptTypeChoice(const MmsTypeDescription& type, std::int32_t choice) {
    if (type.present != choice) {
        RefuseType(System::InvalidArguments);
        return false;
    }
    ErrStatus = System::OkNoError;
    return true;
}

bool Container::AcceptDataChoice(const MmsData& data, std::int32_t choice) {
    if (data.present != choice) {
        ErrStatus = System::InvalidArguments;
        return false;
    }
    return true;
}

System::ResultCode Container::WriteTypeChoice(MmsTypeDescription& type, std::int32_t choice) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = choice;
    ErrStatus = System::OkNoError;
    return System::OkNoError;
}

System::ResultCode Container::FinishData(MmsData& data, System::ResultCode written) {
    if (written != System::OkNoError) {
        ClearData(data);
        return Record(written);
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Container::RefuseText(std::string& text) {
    text.clear();
    return System::InvalidState;
}

System::ResultCode Container::ParsePrecision(std::uint8_t& precision, std::string_view value, unsigned largest) {
    std::uint32_t parsed = 0;
    const System::ResultCode result = System::ParseUnsignedText(parsed, value);
    if (result != System::OkNoError) return result;
    if (parsed < 8 || parsed > largest) return System::OutOfRange;
    precision = static_cast<std::uint8_t>(parsed);
    return System::OkNoError;
}

System::ResultCode Container::CheckDataChoice(const MmsData& data, std::int32_t choice) {
    return data.present == choice ? System::OkNoError : System::InvalidArguments;
}

System::ResultCode Container::CheckEmptyData(const MmsData& data) {
    return data.present == MmsDataNone ? System::OkNoError : System::InvalidArguments;
}

System::ResultCode Container::CheckEmptyType(const MmsTypeDescription& type) {
    return type.present == MmsTypeNone ? System::OkNoError : System::InvalidArguments;
}

void Container::ClearData(MmsData& data) {
    MmsDataType.free(&MmsDataType, &data, 1);
    data.present = MmsDataNone;
}

void Container::ClearType(MmsTypeDescription& type) {
    MmsTypeDescriptionType.free(&MmsTypeDescriptionType, &type, 1);
    type.present = MmsTypeNone;
}

void Container::ForgetHolder(const ValueHolder* holder) {
    if (holder_ == holder) holder_ = nullptr;
}

void Container::ForgetMember(Container* member) {}

std::unique_ptr<Container> Container::ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) {
    return nullptr;
}

}  // namespace Mms
