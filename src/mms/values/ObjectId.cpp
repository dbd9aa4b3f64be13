#include "mms/values/ObjectId.h"

#include "mms/pdu/MmsPduData.h"

namespace Mms {

ObjectId::ObjectId() { ErrStatus = System::OkNoError; }

ObjectId::ObjectId(const MmsTypeDescription& type) { AcceptTypeChoice(type, MmsTypeObjId); }

ObjectId::ObjectId(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataObjId)) return;
    ErrStatus = FromData(data);
}

System::ResultCode ObjectId::ToTypeSpec(MmsTypeDescription& type) { return WriteTypeChoice(type, MmsTypeObjId); }

System::ResultCode ObjectId::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode ObjectId::AssignValue(const ObjectId& source) {
    text_ = source.text_;
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
