// The association control connection decodes every presentation data value of its
// context as an ACSE-apdu (AARQ, AARE, RLRQ, RLRE, ABRT) and reads the result and
// the user information's EXTERNALs of what it gets. Here the same happens to
// arbitrary bytes, and what decodes goes through the round trip of Asn1RoundTrip.h,
// the frame's own sending path included.
#include "osi/AcseFrame.h"
#include "osi/AcsePdus.h"
#include "protocol/Asn1NumberValues.h"

#include "Asn1RoundTrip.h"

#include <cstdint>
#include <span>

using OsiFuzz::Bytes;
using OsiFuzz::Require;

namespace {

// Reads what the connection reads of an association's user information.
std::size_t ReadInformation(const Acse::AssociationInformation* information) {
    std::size_t sum = 0;
    if (information == nullptr) return sum;
    for (const Asn1::Asn1External* external : *information) {
        Require(external != nullptr);
        std::int32_t indirect = 0;
        Asn1::Asn1IntegerToInt32(indirect, external->indirectReference, nullptr);
        const std::uint8_t* buf = nullptr;
        int size = 0;
        switch (external->encoding.present) {
            case 1:
                buf = external->encoding.choice.singleAsn1Type.buf;
                size = static_cast<int>(external->encoding.choice.singleAsn1Type.size);
                break;
            case 2:
                buf = external->encoding.choice.octetAligned.buf;
                size = static_cast<int>(external->encoding.choice.octetAligned.size);
                break;
            case 3:
                buf = external->encoding.choice.arbitrary.buf;
                size = static_cast<int>(external->encoding.choice.arbitrary.size);
                break;
            default: break;
        }
        Require(size >= 0);
        for (int i = 0; i < size; ++i) sum += buf[i];
    }
    return sum;
}

void ReadApdu(const Acse::AcseApdu& apdu) {
    std::int32_t number = 0;
    switch (apdu.present) {
        case Acse::ApduAarq:
            ReadInformation(apdu.choice.aarq.userInformation);
            Asn1::Asn1IntegerToInt32(number, apdu.choice.aarq.calledApInvocationIdentifier, nullptr);
            break;
        case Acse::ApduAare:
            Asn1::Asn1IntegerToInt32(number, &apdu.choice.aare.result, nullptr);
            ReadInformation(apdu.choice.aare.userInformation);
            break;
        case Acse::ApduRlrq: ReadInformation(apdu.choice.rlrq.userInformation); break;
        case Acse::ApduRlre: ReadInformation(apdu.choice.rlre.userInformation); break;
        case Acse::ApduAbrt: ReadInformation(apdu.choice.abrt.userInformation); break;
        default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    AcseFrame received(bytes);
    if (!received.IsDecoded()) {
        Require(received.GetValue() == nullptr);
        return 0;
    }
    ReadApdu(*received.GetApdu());
    OsiFuzz::CheckRoundTrip(&Acse::AcseApduType, received.GetValue(), size, [](const Bytes& encoding) -> void* {
        AcseFrame again(encoding);
        return again.IsDecoded() ? again.DetachValue() : nullptr;
    });
    AcseFrame sender(nullptr, AcseFrame::KindAarq, 1);
    OsiFuzz::CheckSendingFrame(sender, &Acse::AcseApduType, received.DetachValue(), size);
    return 0;
}
