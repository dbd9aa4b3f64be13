#include "osi/DrTpdu.h"

using System::ResultCode;

ResultCode DrTpdu::Encode() {
    const ResultCode result = BeginEncoding(FixedLength);
    if (result != System::OkNoError) return result;
    SetLengthIndicator(FixedLength - 1);
    PutByte(FixedLength - 1);
    PutByte(GetCode());
    PutUInt16(destinationReference_);
    PutUInt16(sourceReference_);
    PutByte(reason_);
    FinishEncoding();
    return System::OkNoError;
}

ResultCode DrTpdu::Decode(const Protocol::Frame& received) {
    ResultCode result = TakeReceived(received, FixedLength);
    if (result != System::OkNoError) return result;
    GetUInt16(destinationReference_);
    GetUInt16(sourceReference_);
    GetByte(reason_);
    result = ReadVariablePart();
    if (result != System::OkNoError) return result;
    SetState(StateComplete);
    return System::OkNoError;
}
