#include "osi/EnclosingFrame.h"

#include "osi/PresentationEncoding.h"

EnclosingFrame::EnclosingFrame(Protocol::Connection* owner, void* value, const Asn1::Asn1TypeDescriptor* descriptor,
                               std::int32_t kind, Protocol::Frame* upper)
    : Asn1Frame(owner, value, descriptor, kind), upper_(upper) {
    if (upper_ == nullptr && Allocate(OwnBufferSize) == System::OkNoError) SetWindow(OwnBufferSize, 0, 0);
}

EnclosingFrame::EnclosingFrame(std::span<const std::uint8_t> bytes, const Asn1::Asn1TypeDescriptor* descriptor)
    : Asn1Frame(bytes, descriptor) {}

EnclosingFrame::~EnclosingFrame() = default;

System::ResultCode EnclosingFrame::Encode() {
    if (GetState() == StateEncoded) return System::OkNoError;
    if (GetValue() == nullptr) {
        SetState(StateInvalid);
        return System::InvalidArguments;
    }
    if (upper_ == nullptr) return Asn1Frame::Encode();
    const System::ResultCode result = Presentation::EncodeAroundWindow(GetDescriptor(), GetValue(), *upper_);
    Asn1::Asn1FreeValue(GetDescriptor(), DetachValue());
    SetState(result == System::OkNoError ? StateEncoded : StateInvalid);
    return result;
}
