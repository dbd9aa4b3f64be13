#include "mms/ObjectId.h"

#include "mms/MmsPduData.h"

namespace Mms {

ObjectId::ObjectId() { ErrStatus = System::OkNoError; }

ObjectId::ObjectId(const MmsTypeDescription& type) { AcceptTypeChoice(type, MmsTypeObjId); }

ObjectId::ObjectId(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataObjId)) return;
    ErrStatus = FromData(data);
}

std::uint32_t ObjectId::GetClassId() const { return ObjectIdClassId; }

const char* ObjectId::GetClassName() const { return "ObjectId"; }

System::ResultCode ObjectId::ToTypeSpec(MmsTypeDescription& type) { return WriteTypeChoice(type, MmsTypeObjId); }

System::ResultCode ObjectId::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode ObjectId::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    text_ = static_cast<const ObjectId&>(other).text_;
    MarkValid();
    return Record(System::NotImplemented);
}

System::ResultCode ObjectId::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataObjId) != System::OkNoError) return Record(System::InvalidArguments);
    MarkValid();
    return Record(System::NotImplemented);
}

System::ResultCode ObjectId::ToText(std::string& text) {
    text.clear();
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode ObjectId::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    MarkValid();
    return Record(System::NotImplemented);
}

}  // namespace Mms
