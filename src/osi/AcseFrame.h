#pragma once

#include <cstdint>
#include <span>

#include "osi/AcsePdus.h"
#include "osi/EnclosingFrame.h"

// One association control PDU with the identifier of the presentation context it
// travels in. For sending it is built for a kind with the matching ACSE-apdu
// alternative chosen; built on an upper frame it is encoded into that frame's head
// room around the upper PDU (which is not copied), built without one into 1023 octets
// of its own. A received APDU is decoded at construction (StateDecoded when it is one).
class AcseFrame : public EnclosingFrame {
public:
    enum Kind : std::int32_t {
        KindAare = 0,
        KindAarq = 1,
        KindAbrt = 2,
        KindRlrq = 7,
    };
    // For sending. upper: the frame of the upper PDU (encoded, or with its value still
    // attached and its storage as head room), or null; it stays the caller's and must
    // outlive this frame.
    AcseFrame(Protocol::Connection* owner, std::int32_t kind, std::uint32_t contextIdentifier,
              Asn1::Asn1Frame* upper = nullptr);
    // Received bytes (one presentation data value), decoded as an ACSE-apdu.
    explicit AcseFrame(std::span<const std::uint8_t> bytes);
    ~AcseFrame() override;

    Acse::AcseApdu* GetApdu() const { return GetValueAs<Acse::AcseApdu>(); }
    std::uint32_t GetContextIdentifier() const { return contextIdentifier_; }

    // User information with one EXTERNAL that carries the upper frame's PDU as
    // single-ASN1-type, in place (see Asn1::WrapFrameAsExternal). InvalidArguments
    // without an upper frame, NoResources when memory runs out.
    System::ResultCode FillUserInformation(Acse::AssociationInformation*& information);

private:
    const std::uint32_t contextIdentifier_ = 0;
};
