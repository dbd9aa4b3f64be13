#include "mms/values/Boolean.h"

#include "mms/pdu/MmsPduData.h"
#include "protocol/Asn1NumberValues.h"

namespace Mms {

Boolean::Boolean() { ErrStatus = System::OkNoError; }

Boolean::Boolean(const MmsTypeDescription& type) { AcceptTypeChoice(type, MmsTypeBoolean); }

Boolean::Boolean(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataBoolean)) return;
    ErrStatus = FromData(data);
}

System::ResultCode Boolean::ToTypeSpec(MmsTypeDescription& type) { return WriteTypeChoice(type, MmsTypeBoolean); }

System::ResultCode Boolean::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    if (text == "True") {
        value_ = true;
    } else if (text == "False") {
        value_ = false;
    } else {
        ErrStatus = System::InvalidArguments;
        return System::InvalidArguments;
    }
    ErrStatus = System::OkNoError;
    return System::OkNoError;
}

System::ResultCode Boolean::AssignValue(const Boolean& source) {
    value_ = source.value_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Boolean::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataBoolean) != System::OkNoError) return Record(System::InvalidArguments);
    Asn1::Asn1BooleanToBool(value_, &data.choice.boolean);
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Boolean::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    text = value_ ? "True" : "False";
    ErrStatus = System::OkNoError;
    return System::OkNoError;
}

System::ResultCode Boolean::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataBoolean;
    Asn1::BoolToAsn1Boolean(&data.choice.boolean, value_);
    MarkValid();
    return System::OkNoError;
}

}  // namespace Mms
