#include "osi/PresentationEncoding.h"

#include <cerrno>

namespace Presentation {

System::ResultCode BorrowWindow(Asn1::Asn1Any& any, Protocol::Frame& frame) {
    if (frame.GetState() != Protocol::Frame::StateEncoded) {
        const System::ResultCode result = frame.Encode();
        if (result != System::OkNoError) return result;
    }
    if (frame.WindowData() == nullptr) return System::InvalidArguments;
    any.buf = frame.WindowData();
    any.size = static_cast<std::int32_t>(frame.GetWindowLength());
    any.borrowed = 1;
    return System::OkNoError;
}

System::ResultCode ResultFromCoderErrno(int errnoValue) {
    if (errnoValue == 0) return System::Error;
    return System::ResultFromErrno(errnoValue);
}

System::ResultCode EncodeAroundWindow(const Asn1::Asn1TypeDescriptor* type, const void* value, Protocol::Frame& frame) {
    std::uint8_t* origin = frame.Data();
    if (origin == nullptr || type == nullptr || value == nullptr) return System::InvalidArguments;
    const std::uint32_t end = frame.GetWindowStart() + frame.GetWindowLength();
    Asn1::Asn1OutputBuffer buffer{origin - frame.GetOrigin(), end};
    int constructed = 0;
    errno = 0;
    const std::ptrdiff_t written = Asn1::Asn1Encode(type, value, &constructed, &buffer);
    if (written < 0) return ResultFromCoderErrno(errno);
    if (buffer.position + static_cast<std::size_t>(written) != end) return System::Error;
    frame.SetWindow(static_cast<std::uint32_t>(buffer.position), static_cast<std::uint32_t>(written), 0);
    frame.SetState(Protocol::Frame::StateEncoded);
    return System::OkNoError;
}

}  // namespace Presentation
