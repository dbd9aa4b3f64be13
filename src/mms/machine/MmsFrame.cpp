#include "mms/machine/MmsFrame.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "mms/values/DataDecoder.h"
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

// Tag octets of the read answer's envelope.
constexpr std::uint8_t ConfirmedResponseTag = 0xA1;
constexpr std::uint8_t InvokeIdTag = 0x02;
constexpr std::uint8_t ReadResponseTag = 0xA4;
constexpr std::uint8_t VariableAccessTag = 0xA0;
constexpr std::uint8_t AccessResultListTag = 0xA1;

// Octets of a one-octet tag and a definite length.
std::size_t HeaderLength(std::size_t length) {
    std::size_t octets = 2;
    if (length >= 0x80) {
        for (std::size_t rest = length; rest != 0; rest >>= 8) ++octets;
    }
    return octets;
}

void AppendHeader(std::vector<std::uint8_t>& out, std::uint8_t tag, std::size_t length) {
    out.push_back(tag);
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    std::uint8_t octets[sizeof length];
    std::size_t count = 0;
    for (std::size_t rest = length; rest != 0; rest >>= 8) octets[count++] = static_cast<std::uint8_t>(rest);
    out.push_back(static_cast<std::uint8_t>(0x80 | count));
    while (count > 0) out.push_back(octets[--count]);
}

void AppendOctets(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> octets) {
    out.insert(out.end(), octets.begin(), octets.end());
}

// The element that fills the octets exactly, of the given tag.
bool ReadWhole(std::span<const std::uint8_t> octets, std::uint8_t tag, DataDecoder::Element& element) {
    return DataDecoder::ReadElement(octets, element) && element.tag == tag && element.size == octets.size();
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

MmsFrame::MmsFrame(Protocol::Connection* owner, std::span<const std::uint8_t> bytes) : MmsFrame(owner, bytes, false) {}

MmsFrame::MmsFrame(Protocol::Connection* owner, std::span<const std::uint8_t> bytes, bool keepReadResults)
    : Asn1Frame(owner), keepReadResults_(keepReadResults) {
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
    if (keepReadResults_ && bytes != nullptr && DecodeKeepingReadResults({bytes, size})) return System::OkNoError;
    MmsPdu* pdu = nullptr;
    const System::ResultCode result = MmsDecodePdu(bytes, size, pdu);
    if (result != System::OkNoError) return result;
    AttachValue(pdu, &MmsPduType);
    SetState(StateDecoded);
    return System::OkNoError;
}

bool MmsFrame::DecodeKeepingReadResults(std::span<const std::uint8_t> bytes) {
    // confirmed-ResponsePDU { invokeID, read { [variableAccessSpecification,]
    // listOfAccessResult } }, nothing after the results: any other shape (or a result
    // that is not plain) is left to the generic decode of the whole PDU.
    DataDecoder::Element pdu;
    DataDecoder::Element invokeId;
    DataDecoder::Element read;
    if (!ReadWhole(bytes, ConfirmedResponseTag, pdu)) return false;
    const std::span<const std::uint8_t> confirmed(pdu.content, pdu.length);
    if (!DataDecoder::ReadElement(confirmed, invokeId) || invokeId.tag != InvokeIdTag) return false;
    if (!ReadWhole(confirmed.subspan(invokeId.size), ReadResponseTag, read)) return false;
    std::span<const std::uint8_t> rest(read.content, read.length);
    DataDecoder::Element variableAccess;
    DataDecoder::Element results;
    if (!DataDecoder::ReadElement(rest, variableAccess)) return false;
    if (variableAccess.tag == VariableAccessTag) {
        rest = rest.subspan(variableAccess.size);
    } else {
        variableAccess.size = 0;
    }
    if (!ReadWhole(rest, AccessResultListTag, results)) return false;
    const std::span<const std::uint8_t> content(results.content, results.length);
    std::size_t count = 0;
    if (!DataDecoder::CheckAccessResults(content, count)) return false;

    // The envelope with an empty list decodes as the whole PDU would, but for the list.
    const std::size_t readLength = variableAccess.size + 2;
    const std::size_t confirmedLength = invokeId.size + HeaderLength(readLength) + readLength;
    std::vector<std::uint8_t> envelope;
    envelope.reserve(HeaderLength(confirmedLength) + confirmedLength);
    AppendHeader(envelope, ConfirmedResponseTag, confirmedLength);
    AppendOctets(envelope, invokeId.Octets());
    AppendHeader(envelope, ReadResponseTag, readLength);
    if (variableAccess.size > 0) AppendOctets(envelope, variableAccess.Octets());
    envelope.push_back(AccessResultListTag);
    envelope.push_back(0);
    MmsPdu* decoded = nullptr;
    if (MmsDecodePdu(envelope.data(), envelope.size(), decoded) != System::OkNoError) return false;
    try {
        readResults_.assign(content.begin(), content.end());
    } catch (const std::bad_alloc&) {
        MmsFreePdu(decoded);
        return false;
    }
    readResultCount_ = count;
    readResultsKept_ = true;
    AttachValue(decoded, &MmsPduType);
    SetState(StateDecoded);
    return true;
}

}  // namespace Mms
