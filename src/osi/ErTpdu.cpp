#include "osi/ErTpdu.h"

using System::ResultCode;

ResultCode ErTpdu::Decode(const Protocol::Frame& received) {
    const ResultCode result = TakeReceived(received, FixedLength);
    if (result != System::OkNoError) return result;
    GetUInt16(destinationReference_);
    GetByte(rejectCause_);
    // The variable part holds the offending TPDU (code 0xC1, which would read as a
    // calling TSAP here); the length indicator already keeps it inside the unit.
    SetState(StateComplete);
    return System::OkNoError;
}
