#include "osi/AcseFrame.h"

#include "osi/PresentationEncoding.h"
#include "protocol/Asn1External.h"

namespace {

Acse::ApduChoice ChoiceOf(std::int32_t kind) {
    switch (kind) {
        case AcseFrame::KindAare: return Acse::ApduAare;
        case AcseFrame::KindAarq: return Acse::ApduAarq;
        case AcseFrame::KindAbrt: return Acse::ApduAbrt;
        case AcseFrame::KindRlrq: return Acse::ApduRlrq;
        default: return static_cast<Acse::ApduChoice>(0);
    }
}

void* NewApdu(std::int32_t kind) {
    const Acse::ApduChoice choice = ChoiceOf(kind);
    if (choice == 0) return nullptr;
    auto* apdu = Presentation::NewValue<Acse::AcseApdu>();
    if (apdu != nullptr) apdu->present = choice;
    return apdu;
}

}  // namespace

AcseFrame::AcseFrame(Protocol::Connection* owner, std::int32_t kind, std::uint32_t contextIdentifier,
                     Asn1::Asn1Frame* upper)
    : EnclosingFrame(owner, NewApdu(kind), &Acse::AcseApduType, kind, upper), contextIdentifier_(contextIdentifier) {}

AcseFrame::AcseFrame(std::span<const std::uint8_t> bytes) : EnclosingFrame(bytes, &Acse::AcseApduType) {}

AcseFrame::~AcseFrame() = default;

System::ResultCode AcseFrame::FillUserInformation(Acse::AssociationInformation*& information) {
    if (!HasUpper()) return System::InvalidArguments;
    information = Presentation::NewValue<Acse::AssociationInformation>();
    if (information == nullptr) return System::NoResources;
    Asn1::Asn1External* external = nullptr;
    // Built on an Asn1Frame (see the constructor).
    auto& upper = static_cast<Asn1::Asn1Frame&>(*GetUpper());
    const System::ResultCode result = Asn1::WrapFrameAsExternal(external, upper);
    if (result != System::OkNoError) return result;
    if (Asn1::Asn1SequenceOfAppend(&information->list, external) != 0) {
        Asn1::Asn1FreeValue(&Asn1::Asn1ExternalType, external);
        return System::NoResources;
    }
    return System::OkNoError;
}
