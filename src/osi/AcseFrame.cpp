#include "osi/AcseFrame.h"

#include "osi/PresentationEncoding.h"
#include "protocol/Asn1External.h"

namespace {

Acse::ApduChoice ChoiceOf(std::int32_t kind)
{
    switch (kind) {
    case AcseFrame::KindAare:
        return Acse::ApduAare;
    case AcseFrame::KindAarq:
        return Acse::ApduAarq;
    case AcseFrame::KindAbrt:
        return Acse::ApduAbrt;
    case AcseFrame::KindRlrq:
        return Acse::ApduRlrq;
    default:
        return static_cast<Acse::ApduChoice>(0);
    }
}

void* NewApdu(std::int32_t kind)
{
    const Acse::ApduChoice choice = ChoiceOf(kind);
    if (choice == 0)
        return nullptr;
    auto* apdu = Presentation::NewValue<Acse::AcseApdu>();
    if (apdu != nullptr)
        apdu->present = choice;
    return apdu;
}

}  // namespace

AcseFrame::AcseFrame(Protocol::Connection* owner, std::int32_t kind, std::uint32_t contextIdentifier,
                     Asn1::Asn1Frame* upper)
    : Asn1Frame(owner, NewApdu(kind), &Acse::AcseApduType, kind), upper_(upper),
      contextIdentifier_(contextIdentifier)
{
    if (upper_ == nullptr && Allocate(OwnBufferSize) == System::OkNoError)
        SetWindow(OwnBufferSize, 0, 0);
}

AcseFrame::AcseFrame(std::span<const std::uint8_t> bytes) : Asn1Frame(bytes, &Acse::AcseApduType) {}

AcseFrame::~AcseFrame() = default;

System::ResultCode AcseFrame::FillUserInformation(Acse::AssociationInformation*& information)
{
    if (upper_ == nullptr)
        return System::InvalidArguments;
    information = Presentation::NewValue<Acse::AssociationInformation>();
    if (information == nullptr)
        return System::NoResources;
    Asn1::Asn1External* external = nullptr;
    const System::ResultCode result = Asn1::WrapFrameAsExternal(external, *upper_);
    if (result != System::OkNoError)
        return result;
    if (Asn1::Asn1SequenceOfAppend(&information->list, external) != 0) {
        Asn1::Asn1FreeValue(&Asn1::Asn1ExternalType, external);
        return System::NoResources;
    }
    return System::OkNoError;
}

System::ResultCode AcseFrame::Encode()
{
    if (GetState() == StateEncoded)
        return System::OkNoError;
    if (GetValue() == nullptr) {
        SetState(StateInvalid);
        return System::InvalidArguments;
    }
    if (upper_ == nullptr)
        return Asn1Frame::Encode();
    const System::ResultCode result = Presentation::EncodeAroundWindow(GetDescriptor(), GetValue(), *upper_);
    Asn1::Asn1FreeValue(GetDescriptor(), DetachValue());
    SetState(result == System::OkNoError ? StateEncoded : StateInvalid);
    return result;
}
