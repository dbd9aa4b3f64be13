#pragma once

#include <cstdint>

#include "osi/Tpdu.h"

// TPDU error: LI, 0x70, DST-REF, reject cause, and a variable part (the invalid
// TPDU) that is passed over. The peer's way of refusing what we sent; this side
// only receives it.
class ErTpdu : public Tpdu {
public:
    static constexpr std::uint32_t FixedLength = 5;

    explicit ErTpdu(Protocol::Connection* owner) : Tpdu(owner, TypeEr << 4) {}

    std::uint16_t GetDestinationReference() const { return destinationReference_; }
    std::uint8_t GetRejectCause() const { return rejectCause_; }

    System::ResultCode Decode(const Protocol::Frame& received) override;

private:
    std::uint16_t destinationReference_ = 0;
    std::uint8_t rejectCause_ = 0;
};
