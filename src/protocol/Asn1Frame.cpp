#include "protocol/Asn1Frame.h"

#include <cerrno>

#include "protocol/Asn1Coder.h"

namespace Asn1 {

using System::ResultCode;

Asn1Frame::Asn1Frame(Protocol::Connection* owner, void* value, const Asn1TypeDescriptor* descriptor, std::int32_t kind)
    : Frame(owner, 0), value_(value), descriptor_(descriptor), kind_(kind) {}

Asn1Frame::Asn1Frame(Protocol::Connection* owner) : Frame(owner, 0) {}

Asn1Frame::Asn1Frame(const std::uint8_t* bytes, std::uint32_t size, const Asn1TypeDescriptor* descriptor)
    : Frame(nullptr, size), descriptor_(descriptor) {
    SetState(StateEncoded);
    Decode(bytes, size);
}

Asn1Frame::Asn1Frame(std::span<const std::uint8_t> bytes, const Asn1TypeDescriptor* descriptor)
    : Asn1Frame(bytes.data(), static_cast<std::uint32_t>(bytes.size()), descriptor) {}

Asn1Frame::~Asn1Frame() { FreeValue(); }

void Asn1Frame::FreeValue() {
    if (value_ != nullptr && descriptor_ != nullptr) descriptor_->free(descriptor_, value_, 0);
    value_ = nullptr;
}

void Asn1Frame::AttachValue(void* value, const Asn1TypeDescriptor* descriptor) {
    if (value != value_) FreeValue();
    value_ = value;
    descriptor_ = descriptor;
}

void* Asn1Frame::DetachValue() {
    void* value = value_;
    value_ = nullptr;
    return value;
}

ResultCode Asn1Frame::Encode() {
    if (GetState() == StateEncoded) return System::OkNoError;
    if (value_ == nullptr || descriptor_ == nullptr || Data() == nullptr) {
        FreeValue();
        SetState(StateInvalid);
        return System::InvalidArguments;
    }
    const std::uint32_t position = GetWindowStart();
    const std::uint32_t end = GetOrigin() + GetTotalLength();
    if (end > GetCapacity()) {
        FreeValue();
        SetState(StateInvalid);
        return System::InvalidArguments;
    }
    Asn1OutputBuffer buffer{Data() - GetOrigin(), position};
    int constructed = 0;
    errno = 0;
    const std::ptrdiff_t length = Asn1::Asn1Encode(descriptor_, value_, &constructed, &buffer);
    const int error = errno;
    FreeValue();
    if (length < 0 || static_cast<std::size_t>(length) != end - buffer.position) {
        SetState(StateInvalid);
        const ResultCode result = length < 0 ? System::ResultFromErrno(error) : System::Error;
        return result == System::OkNoError ? System::Error : result;
    }
    SetWindow(static_cast<std::uint32_t>(buffer.position), static_cast<std::uint32_t>(length), 0);
    SetState(StateEncoded);
    return System::OkNoError;
}

ResultCode Asn1Frame::Decode(const std::uint8_t* bytes, std::uint32_t size) {
    if (GetState() != StateEncoded) return System::InvalidState;
    if (descriptor_ == nullptr || (bytes == nullptr && size > 0)) return System::InvalidArguments;
    FreeValue();
    void* value = nullptr;
    const Asn1DecodeResult result = Asn1::Asn1DecodeInArena(nullptr, descriptor_, &value, bytes, size);
    if (result.code != Asn1DecodeDone) {
        if (value != nullptr) descriptor_->free(descriptor_, value, 0);
        return System::ProtocolError;
    }
    value_ = value;
    SetState(StateDecoded);
    return System::OkNoError;
}

}  // namespace Asn1
