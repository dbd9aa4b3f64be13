#include "osi/AcseFrame.h"

#include "osi/PresentationEncoding.h"
#include "protocol/Asn1External.h"
#include "protocol/Asn1NumberValues.h"

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
                     Protocol::Frame* upper)
    : Asn1Frame(owner, NewApdu(kind), &Acse::AcseApduType, kind), upper_(upper),
      contextIdentifier_(contextIdentifier)
{
    if (upper_ == nullptr && Allocate(OwnBufferSize) == System::OkNoError)
        SetWindow(OwnBufferSize, 0, 0);
}

AcseFrame::AcseFrame(std::span<const std::uint8_t> bytes) : Asn1Frame(bytes, &Acse::AcseApduType) {}

AcseFrame::~AcseFrame() = default;

System::ResultCode AcseFrame::FillUserInformation(Acse::AssociationInformation*& information,
                                                  std::int32_t indirectReference)
{
    if (upper_ == nullptr || upper_->WindowData() == nullptr)
        return System::InvalidArguments;
    information = Presentation::NewValue<Acse::AssociationInformation>();
    if (information == nullptr)
        return System::NoResources;
    Asn1::External* external = Presentation::AppendNewElement(*information);
    if (external == nullptr)
        return System::NoResources;
    external->directReference = Presentation::NewValue<Asn1::Asn1ObjectIdentifier>();
    external->indirectReference = Presentation::NewValue<Asn1::Asn1Integer>();
    if (external->directReference == nullptr || external->indirectReference == nullptr)
        return System::NoResources;
    System::ResultCode result = Asn1::TextToAsn1Oid(external->directReference, BerTransferSyntax);
    if (result == System::OkNoError)
        result = Asn1::Int32ToAsn1Integer(external->indirectReference, indirectReference);
    if (result != System::OkNoError)
        return result;
    external->encoding.present = 1;
    Presentation::BorrowWindow(external->encoding.choice.singleAsn1Type, *upper_);
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
