#pragma once

#include <cstdint>
#include <span>

#include "osi/EnclosingFrame.h"
#include "osi/PresentationPdus.h"

// One presentation PDU. For sending it is built for a kind with a zeroed value that
// the presentation connection fills in; built on an upper frame it is encoded into
// that frame's head room around the upper PDU (which is not copied), built without
// one into 1023 octets of its own. A received PPDU is decoded from the session
// layer's bytes at construction (StateDecoded when they hold a PPDU of the kind).
class CoppFrame : public EnclosingFrame {
public:
    enum Kind : std::int32_t {
        KindArp = 2,
        KindAru = 3,
        KindCp = 4,
        KindCpa = 5,
        KindCpr = 6,
        KindUserData = 11,
    };

    // For sending. upper: the frame whose window holds the upper PDU, or null; it stays
    // the caller's and must outlive this frame.
    CoppFrame(Protocol::Connection* owner, std::int32_t kind, Protocol::Frame* upper = nullptr);
    // Received bytes, decoded as the kind's PPDU.
    CoppFrame(std::span<const std::uint8_t> bytes, std::int32_t kind);
    ~CoppFrame() override;

    // The descriptor of a kind's PPDU, or null for a kind without one.
    static const Asn1::Asn1TypeDescriptor* DescriptorFor(std::int32_t kind);

    std::int32_t GetPpduKind() const { return ppduKind_; }

    // Fully encoded user data with one PDV-list: the context identifier and the upper
    // frame's PDU as single-ASN1-type, in place (an upper frame that still holds its
    // value is encoded first). InvalidArguments without an upper frame, NoResources
    // when memory runs out.
    System::ResultCode FillUserData(Presentation::UserData& userData, std::uint32_t contextIdentifier);

private:
    const std::int32_t ppduKind_;
};
