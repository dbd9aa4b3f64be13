#pragma once

#include <cstdint>

#include "osi/Tpdu.h"

// The common form of the connection request and confirm: LI, code with the credit
// in its low nibble, DST-REF, SRC-REF, the class octet (class in its top three bits,
// option bits below), then the variable part.
class ConnectTpdu : public Tpdu {
public:
    static constexpr std::uint32_t FixedLength = 7;

    std::uint8_t GetCredit() const { return static_cast<std::uint8_t>(GetCode() & 0x0F); }
    std::uint16_t GetDestinationReference() const { return destinationReference_; }
    void SetDestinationReference(std::uint16_t reference) { destinationReference_ = reference; }
    std::uint16_t GetSourceReference() const { return sourceReference_; }
    void SetSourceReference(std::uint16_t reference) { sourceReference_ = reference; }
    std::uint8_t GetProtocolClass() const { return protocolClass_; }
    void SetProtocolClass(std::uint8_t protocolClass) { protocolClass_ = protocolClass; }

    // Fixed part, then the parameters (only in class 0, the one class spoken here).
    System::ResultCode Encode() override;
    System::ResultCode Decode(const Protocol::Frame& received) override;

protected:
    ConnectTpdu(Protocol::Connection* owner, std::uint8_t type);

private:
    std::uint16_t destinationReference_ = 0;
    std::uint16_t sourceReference_ = 0;
    std::uint8_t protocolClass_ = 0;
};
