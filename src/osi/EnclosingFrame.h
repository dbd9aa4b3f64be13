#pragma once

#include <cstdint>
#include <span>

#include "protocol/Asn1Frame.h"

// A PDU that encloses the PDU of an upper frame. For sending, built on an upper frame
// it is encoded into that frame's head room around the upper PDU (which is not
// copied), built without one into OwnBufferSize octets of its own. A received PDU is
// decoded at construction.
class EnclosingFrame : public Asn1::Asn1Frame {
public:
    static constexpr std::uint32_t OwnBufferSize = 1023;

    ~EnclosingFrame() override;

    bool IsDecoded() const { return GetState() == StateDecoded && GetValue() != nullptr; }
    bool HasUpper() const { return upper_ != nullptr; }

    // Encodes the PDU (in place around the upper PDU when there is one) and frees the
    // value whatever the outcome: StateEncoded, or StateInvalid with the failure.
    System::ResultCode Encode() override;
    // The frame whose window is the encoded PDU: the upper frame or this one.
    Protocol::Frame* GetOutput() { return upper_ != nullptr ? upper_ : this; }

protected:
    // For sending. upper: the frame whose window holds the upper PDU, or null; it stays
    // the caller's and must outlive this frame.
    EnclosingFrame(Protocol::Connection* owner, void* value, const Asn1::Asn1TypeDescriptor* descriptor,
                   std::int32_t kind, Protocol::Frame* upper);
    // Received bytes, decoded as the descriptor's type.
    EnclosingFrame(std::span<const std::uint8_t> bytes, const Asn1::Asn1TypeDescriptor* descriptor);

    Protocol::Frame* GetUpper() const { return upper_; }

private:
    Protocol::Frame* const upper_ = nullptr;
};
