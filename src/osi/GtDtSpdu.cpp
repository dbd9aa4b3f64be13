#include "osi/GtDtSpdu.h"

#include <cstring>

using System::ResultCode;

ResultCode GtDtSpdu::Encode() {
    std::uint64_t total = 0;
    for (const Protocol::Frame* part : parts_) {
        if (part->GetState() != StateEncoded) return System::InvalidState;
        total += part->GetTotalLength();
    }
    if (total > UINT32_MAX) return System::NoResources;
    const ResultCode result = Allocate(static_cast<std::uint32_t>(total));
    if (result != System::OkNoError) return result;
    std::uint32_t offset = 0;
    for (const Protocol::Frame* part : parts_) {
        const std::uint32_t length = part->GetTotalLength();
        if (length > 0) std::memcpy(Data() + offset, part->Data(), length);
        offset += length;
    }
    SetWindow(0, offset, 0);
    SetState(StateEncoded);
    return System::OkNoError;
}
