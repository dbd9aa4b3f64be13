#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "mms/pdu/MmsPdu.h"
#include "protocol/Asn1Frame.h"

namespace Mms {

// A frame carrying one MMS PDU; its owner is the connection that builds or received
// it. A sending frame starts with a zeroed PDU of its kind and no storage: Encode
// writes the PDU into a scratch buffer of its thread and then gives the frame storage
// sized to what it carries, the encoding at its end behind room for the lower layers'
// headers. A received frame decodes its bytes at once (state 6 when they hold exactly
// one PDU).
class MmsFrame : public Asn1::Asn1Frame {
public:
    enum Kind : std::int32_t {
        KindInitiateRequest = 0,
        KindInitiateResponse = 1,
        KindInitiateError = 2,
        KindConcludeRequest = 3,
        KindConcludeResponse = 4,
        KindConcludeError = 5,
        KindConfirmedRequest = 9,
        KindConfirmedResponse = 10,  // the invoke id copied from the request
        KindConfirmedError = 11,     // the invoke id copied from the request
        KindReject = 12,
        KindUnconfirmed = 13,
        KindReceived = -1,
    };
    // Octets kept in front of the encoding for the presentation, session, transport
    // and RFC 1006 headers of a data unit.
    static constexpr std::uint32_t HeadRoom = 64;
    // The same for the initiate PDUs, which travel inside the association's connect
    // PDUs (ACSE, presentation and session headers with selectors and titles).
    static constexpr std::uint32_t ConnectHeadRoom = 1024;

    // maxPduSize: the largest encoding allowed; contextIdentifier: the presentation
    // context the PDU travels in.
    MmsFrame(Protocol::Connection* owner, Kind kind, std::uint32_t maxPduSize, std::uint32_t contextIdentifier);
    // KindConfirmedResponse or KindConfirmedError answering a decoded confirmed request.
    MmsFrame(Protocol::Connection* owner, Kind kind, const MmsFrame& request, std::uint32_t maxPduSize,
             std::uint32_t contextIdentifier);
    // A received PDU.
    MmsFrame(Protocol::Connection* owner, std::span<const std::uint8_t> bytes);
    // A received PDU; with keepReadResults, a confirmed read answer in the plain form
    // DataDecoder takes keeps its listOfAccessResult as received octets (the decoded
    // list stays empty) for the service user to apply without decoding them first.
    MmsFrame(Protocol::Connection* owner, std::span<const std::uint8_t> bytes, bool keepReadResults);

    // The PDU (null when the frame holds none: encoded, or undecodable).
    MmsPdu* GetPdu() const { return GetValueAs<MmsPdu>(); }
    // The MMSpdu choice of the PDU, 0 without one.
    MmsPduKind GetPduKind() const;
    bool IsDecoded() const { return GetState() == StateDecoded; }
    std::uint32_t GetContextIdentifier() const { return contextIdentifier_; }
    std::uint32_t GetMaxPduSize() const { return maxPduSize_; }
    // True when the read answer's results are kept as received octets: the content of
    // its listOfAccessResult (which DataDecoder::CheckAccessResults has passed), owned
    // by the frame, and the number of results in it.
    bool KeepsReadResults() const { return readResultsKept_; }
    std::span<const std::uint8_t> GetReadResults() const { return readResults_; }
    std::size_t GetReadResultCount() const { return readResultCount_; }

    // Encodes the PDU; fails (state 7) with OutOfRange when the encoding is longer than
    // the largest PDU allowed, with NoResources when it is longer than that plus
    // HeadRoom (the encoder stops there) or memory runs out.
    System::ResultCode Encode() override;
    // Decodes exactly one PDU filling the bytes.
    System::ResultCode Decode(const std::uint8_t* bytes, std::uint32_t size) override;

private:
    void Prepare(Kind kind);
    std::uint32_t HeaderRoom() const;
    // Decodes a confirmed read answer of the plain form with its results kept as
    // octets; false (nothing changed) for any other PDU or form.
    bool DecodeKeepingReadResults(std::span<const std::uint8_t> bytes);

    std::uint32_t maxPduSize_ = 0;
    std::uint32_t contextIdentifier_ = 0;
    bool keepReadResults_ = false;
    bool readResultsKept_ = false;
    std::vector<std::uint8_t> readResults_;
    std::size_t readResultCount_ = 0;
};

}  // namespace Mms
