#include "mms/MmsFrame.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "protocol/Asn1Coder.h"

namespace Mms {

namespace {

MmsPduKind PduKindOf(MmsFrame::Kind kind) {
    switch (kind) {
        case MmsFrame::KindInitiateRequest: return MmsPduInitiateRequest;
        case MmsFrame::KindInitiateResponse: return MmsPduInitiateResponse;
        case MmsFrame::KindInitiateError: return MmsPduInitiateError;
        case MmsFrame::KindConcludeRequest: return MmsPduConcludeRequest;
        case MmsFrame::KindConcludeResponse: return MmsPduConcludeResponse;
        case MmsFrame::KindConcludeError: return MmsPduConcludeError;
        case MmsFrame::KindConfirmedRequest: return MmsPduConfirmedRequest;
        case MmsFrame::KindConfirmedResponse: return MmsPduConfirmedResponse;
        case MmsFrame::KindConfirmedError: return MmsPduConfirmedError;
        case MmsFrame::KindReject: return MmsPduReject;
        case MmsFrame::KindUnconfirmed: return MmsPduUnconfirmed;
        default: return MmsPduNone;
    }
}

// Where a thread encodes its PDUs before they get storage of their own size: it grows
// to the largest PDU the thread has encoded and is kept, so that a request costs one
// allocation of its own size.
class ScratchBuffer {
public:
    static constexpr std::size_t FirstSize = 4096;

    std::uint8_t* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }
    // At least size octets (their contents undefined); false when memory runs out.
    bool Reserve(std::size_t size) {
        if (size <= size_) return true;
        std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[size]);
        if (!data) return false;
        data_ = std::move(data);
        size_ = size;
        return true;
    }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};

thread_local ScratchBuffer scratch;

}  // namespace

MmsFrame::MmsFrame(Protocol::Connection* owner, Kind kind, std::uint32_t maxPduSize, std::uint32_t contextIdentifier)
    : Asn1Frame(owner, MmsNewPdu(), &MmsPduType, kind), maxPduSize_(maxPduSize), contextIdentifier_(contextIdentifier) {
    Prepare(kind);
}

MmsFrame::MmsFrame(Protocol::Connection* owner, Kind kind, const MmsFrame& request, std::uint32_t maxPduSize,
                   std::uint32_t contextIdentifier)
    : MmsFrame(owner, kind, maxPduSize, contextIdentifier) {
    MmsPdu* pdu = GetPdu();
    const MmsPdu* question = request.GetPdu();
    if (pdu == nullptr || question == nullptr || question->present != MmsPduConfirmedRequest) return;
    const Asn1NativeInteger invokeId = question->choice.confirmedRequest.invokeId;
    if (kind == KindConfirmedResponse) pdu->choice.confirmedResponse.invokeId = invokeId;
    if (kind == KindConfirmedError) pdu->choice.confirmedError.invokeId = invokeId;
}

MmsFrame::MmsFrame(Protocol::Connection* owner, std::span<const std::uint8_t> bytes) : Asn1Frame(owner) {
    SetState(StateEncoded);
    Decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void MmsFrame::Prepare(Kind kind) {
    if (MmsPdu* pdu = GetPdu(); pdu != nullptr) pdu->present = PduKindOf(kind);
}

std::uint32_t MmsFrame::HeaderRoom() const {
    switch (GetKind()) {
        case KindInitiateRequest:
        case KindInitiateResponse:
        case KindInitiateError: return ConnectHeadRoom;
        default: return HeadRoom;
    }
}

MmsPduKind MmsFrame::GetPduKind() const {
    const MmsPdu* pdu = GetPdu();
    return pdu == nullptr ? MmsPduNone : static_cast<MmsPduKind>(pdu->present);
}

System::ResultCode MmsFrame::Encode() {
    if (GetState() == StateEncoded) return System::OkNoError;
    auto fail = [this](System::ResultCode result) {
        AttachValue(nullptr, &MmsPduType);
        SetState(StateInvalid);
        return result;
    };
    if (GetValue() == nullptr) return fail(System::InvalidArguments);
    // The encoder may use the largest PDU plus the head room, as a frame holding the
    // largest PDU could; what it writes beyond the largest PDU is refused below.
    const std::size_t limit = std::size_t{maxPduSize_} + HeadRoom;
    std::size_t room = std::min(std::max(scratch.Size(), ScratchBuffer::FirstSize), limit);
    std::ptrdiff_t length = -1;
    for (;;) {
        if (!scratch.Reserve(room)) return fail(System::NoResources);
        Asn1::Asn1OutputBuffer buffer{scratch.Data(), room};
        int constructed = 0;
        errno = 0;
        length = Asn1::Asn1Encode(&MmsPduType, GetValue(), &constructed, &buffer);
        if (length >= 0 || errno != ENOMEM || room == limit) break;
        room = std::min(room * 2, limit);
    }
    if (length < 0) {
        const System::ResultCode result = System::ResultFromErrno(errno);
        return fail(result == System::OkNoError ? System::Error : result);
    }
    const auto size = static_cast<std::uint32_t>(length);
    if (size > maxPduSize_) return fail(System::OutOfRange);
    const std::uint32_t head = HeaderRoom();
    if (AllocateUnfilled(head + size) != System::OkNoError) return fail(System::NoResources);
    if (size > 0) std::memcpy(Data() + head, scratch.Data() + room - size, size);
    AttachValue(nullptr, &MmsPduType);
    SetWindow(head, size, 0);
    SetState(StateEncoded);
    return System::OkNoError;
}

System::ResultCode MmsFrame::Decode(const std::uint8_t* bytes, std::uint32_t size) {
    if (GetState() != StateEncoded) return System::InvalidState;
    MmsPdu* pdu = nullptr;
    const System::ResultCode result = MmsDecodePdu(bytes, size, pdu);
    if (result != System::OkNoError) return result;
    AttachValue(pdu, &MmsPduType);
    SetState(StateDecoded);
    return System::OkNoError;
}

}  // namespace Mms
