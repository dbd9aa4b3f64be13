#include "osi/CoppFrame.h"

#include "osi/PresentationEncoding.h"

namespace {

void* NewPpduValue(std::int32_t kind)
{
    const Asn1::Asn1TypeDescriptor* type = CoppFrame::DescriptorFor(kind);
    return type != nullptr ? Asn1::Asn1NewValue(type) : nullptr;
}

}  // namespace

CoppFrame::CoppFrame(Protocol::Connection* owner, std::int32_t kind, Protocol::Frame* upper)
    : Asn1Frame(owner, NewPpduValue(kind), DescriptorFor(kind), kind), upper_(upper), ppduKind_(kind)
{
    if (upper_ == nullptr && Allocate(OwnBufferSize) == System::OkNoError)
        SetWindow(OwnBufferSize, 0, 0);
}

CoppFrame::CoppFrame(std::span<const std::uint8_t> bytes, std::int32_t kind)
    : Asn1Frame(bytes, DescriptorFor(kind)), ppduKind_(kind)
{
}

CoppFrame::~CoppFrame() = default;

const Asn1::Asn1TypeDescriptor* CoppFrame::DescriptorFor(std::int32_t kind)
{
    switch (kind) {
    case KindArp:
        return &Presentation::ArpPpduType;
    case KindAru:
        return &Presentation::AruPpduType;
    case KindCp:
        return &Presentation::CpTypeType;
    case KindCpa:
        return &Presentation::CpaPpduType;
    case KindCpr:
        return &Presentation::CprPpduType;
    case KindUserData:
        return &Presentation::UserDataType;
    default:
        return nullptr;
    }
}

System::ResultCode CoppFrame::FillUserData(Presentation::UserData& userData, std::uint32_t contextIdentifier)
{
    if (upper_ == nullptr)
        return System::InvalidArguments;
    userData.present = Presentation::FullyEncoded;
    Presentation::PdvList* pdv = Presentation::AppendNewElement(userData.choice.fullyEncoded);
    if (pdv == nullptr)
        return System::NoResources;
    pdv->contextIdentifier = static_cast<Asn1::Asn1NativeInteger>(contextIdentifier);
    pdv->values.present = Presentation::PdvSingleAsn1Type;
    return Presentation::BorrowWindow(pdv->values.choice.singleAsn1Type, *upper_);
}

System::ResultCode CoppFrame::Encode()
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
