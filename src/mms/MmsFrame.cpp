#include "mms/MmsFrame.h"

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
    const std::uint64_t capacity = std::uint64_t{maxPduSize_} + HeadRoom;
    if (capacity > UINT32_MAX) return;
    const auto size = static_cast<std::uint32_t>(capacity);
    if (Allocate(size) != System::OkNoError && Allocate(size) != System::OkNoError) return;
    SetWindow(size, 0, 0);
}

MmsPduKind MmsFrame::GetPduKind() const {
    const MmsPdu* pdu = GetPdu();
    return pdu == nullptr ? MmsPduNone : static_cast<MmsPduKind>(pdu->present);
}

System::ResultCode MmsFrame::Encode() {
    if (GetState() == StateEncoded) return System::OkNoError;
    if (GetCapacity() == 0) {
        AttachValue(nullptr, &MmsPduType);
        SetState(StateInvalid);
        return System::NoResources;
    }
    const System::ResultCode result = Asn1Frame::Encode();
    if (result != System::OkNoError) return result;
    if (GetWindowLength() > maxPduSize_) {
        SetState(StateInvalid);
        return System::OutOfRange;
    }
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
