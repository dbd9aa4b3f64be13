// The presentation connection decodes what the session hands up as the PPDU that its
// state expects: a CP, a CPA, or the user data of a P-DATA. Each PPDU kind that the
// presentation frame knows decodes the same arbitrary bytes here, and what decodes
// goes through the round trip of Asn1RoundTrip.h, the frame's own sending path included.
#include "osi/CoppFrame.h"
#include "osi/PresentationPdus.h"

#include "Asn1RoundTrip.h"

#include <cstdint>
#include <span>

using OsiFuzz::Bytes;
using OsiFuzz::Require;

namespace {

constexpr std::int32_t kKinds[] = {CoppFrame::KindArp, CoppFrame::KindAru, CoppFrame::KindCp,
                                   CoppFrame::KindCpa, CoppFrame::KindCpr, CoppFrame::KindUserData};

// Reads every octet string a P-DATA hands to the users, as delivery does.
std::size_t DeliveredOctets(const Presentation::UserData& userData) {
    std::size_t sum = 0;
    if (userData.present == Presentation::SimplyEncodedData) {
        const auto& octets = userData.choice.simplyEncoded;
        for (int i = 0; i < octets.size; ++i) sum += octets.buf[i];
        return sum;
    }
    if (userData.present != Presentation::FullyEncoded) return sum;
    for (const Presentation::PdvList* pdv : userData.choice.fullyEncoded) {
        Require(pdv != nullptr);
        const Presentation::PresentationDataValues& values = pdv->values;
        const std::uint8_t* buf = nullptr;
        int size = 0;
        switch (values.present) {
            case Presentation::PdvSingleAsn1Type:
                buf = values.choice.singleAsn1Type.buf;
                size = static_cast<int>(values.choice.singleAsn1Type.size);
                break;
            case Presentation::PdvOctetAligned:
                buf = values.choice.octetAligned.buf;
                size = static_cast<int>(values.choice.octetAligned.size);
                break;
            case Presentation::PdvArbitrary:
                buf = values.choice.arbitrary.buf;
                size = static_cast<int>(values.choice.arbitrary.size);
                break;
            default: break;
        }
        Require(size >= 0);
        for (int i = 0; i < size; ++i) sum += buf[i];
    }
    return sum;
}

void CheckKind(std::span<const std::uint8_t> bytes, std::int32_t kind) {
    CoppFrame received(bytes, kind);
    Require(received.GetPpduKind() == kind);
    if (!received.IsDecoded()) {
        Require(received.GetValue() == nullptr);
        return;
    }
    const Asn1::Asn1TypeDescriptor* type = CoppFrame::DescriptorFor(kind);
    if (kind == CoppFrame::KindUserData) DeliveredOctets(*received.GetValueAs<Presentation::UserData>());

    OsiFuzz::CheckRoundTrip(type, received.GetValue(), bytes.size(), [kind](const Bytes& encoding) -> void* {
        CoppFrame again(encoding, kind);
        return again.IsDecoded() ? again.DetachValue() : nullptr;
    });
    CoppFrame sender(nullptr, kind);
    OsiFuzz::CheckSendingFrame(sender, type, received.DetachValue(), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (const std::int32_t kind : kKinds) CheckKind(bytes, kind);
    return 0;
}
