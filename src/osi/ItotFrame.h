#pragma once

#include "protocol/Frame.h"

#include <cstdint>

// One TPKT (RFC 1006): version 3, reserved 0, the packet length big-endian
// (header included), then one transport PDU. The frame holds the whole packet with
// the window on the TPDU.
class ItotFrame : public Protocol::Frame {
public:
    static constexpr std::uint32_t HeaderLength = 4;
    static constexpr std::uint8_t Version = 3;
    static constexpr std::uint32_t MaximumPacketLength = 0xFFFF;
    static constexpr std::uint32_t MaximumTpduLength = MaximumPacketLength - HeaderLength;

    explicit ItotFrame(Protocol::Connection* owner);

    // Storage for a whole received packet of totalLength octets (at least the
    // header), to be copied to Data(); the window is set on the TPDU.
    System::ResultCode Reserve(std::uint32_t totalLength);
    // Reserve, then copies the packet.
    System::ResultCode Fill(const std::uint8_t* packet, std::uint32_t totalLength);
    // Builds the packet that carries length TPDU octets: 4 OutOfRange above
    // MaximumTpduLength.
    System::ResultCode Wrap(const std::uint8_t* tpdu, std::uint32_t length);

    // The packet length, header included.
    std::uint32_t GetPacketLength() const { return packetLength_; }

private:
    std::uint32_t packetLength_ = 0;
};
