#pragma once

#include <cstdint>

#include "osi/Tpdu.h"

// Disconnect request: LI, 0x80, DST-REF, SRC-REF, reason, and a variable part that
// is passed over. In class 0 it refuses a connection request.
class DrTpdu : public Tpdu {
public:
    static constexpr std::uint32_t FixedLength = 7;

    explicit DrTpdu(Protocol::Connection* owner) : Tpdu(owner, TypeDr << 4) {}

    std::uint16_t GetDestinationReference() const { return destinationReference_; }
    void SetDestinationReference(std::uint16_t reference) { destinationReference_ = reference; }
    std::uint16_t GetSourceReference() const { return sourceReference_; }
    void SetSourceReference(std::uint16_t reference) { sourceReference_ = reference; }
    std::uint8_t GetReason() const { return reason_; }
    void SetReason(std::uint8_t reason) { reason_ = reason; }

    System::ResultCode Encode() override;
    System::ResultCode Decode(const Protocol::Frame& received) override;

private:
    std::uint16_t destinationReference_ = 0;
    std::uint16_t sourceReference_ = 0;
    std::uint8_t reason_ = 0;
};
