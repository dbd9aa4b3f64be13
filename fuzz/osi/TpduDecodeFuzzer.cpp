// Every TPDU class decodes the same arbitrary bytes, as the transport connection
// would decode whatever the peer sends. The bytes sit in a frame of exactly their
// size (a read past them is caught) and again behind a head and before a trailer of
// other bytes (a decoder must read the window only, so both give the same result).
// What decodes is encoded again; the encoding must decode to the same fields.
#include "osi/CcTpdu.h"
#include "osi/CrTpdu.h"
#include "osi/DrTpdu.h"
#include "osi/DtTpdu.h"
#include "osi/ErTpdu.h"
#include "protocol/RawFrame.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A broken expectation names its line before the run ends.
void Require(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "expectation broken at line %d\n", line);
    std::abort();
}

// A received frame whose window is the bytes, with head and trailer octets around it.
std::unique_ptr<Protocol::RawFrame> Received(std::span<const std::uint8_t> bytes, std::uint32_t head,
                                             std::uint32_t trailer) {
    auto frame = std::make_unique<Protocol::RawFrame>(nullptr);
    const auto length = static_cast<std::uint32_t>(bytes.size());
    const std::uint32_t total = head + length + trailer;
    if (total > 0) {
        Require(frame->Allocate(total) == System::OkNoError);
        std::memset(frame->Data(), 0xC2, total);  // reads as a called TSAP parameter
        if (length > 0) std::memcpy(frame->Data() + head, bytes.data(), length);
    }
    frame->SetWindow(head, length, trailer);
    return frame;
}

Bytes WindowOf(const Protocol::Frame& frame) {
    if (frame.GetWindowLength() == 0) return {};
    return {frame.WindowData(), frame.WindowData() + frame.GetWindowLength()};
}

Bytes Octets(std::span<const std::uint8_t> octets) { return {octets.begin(), octets.end()}; }

// The fields that both decodings of the same bytes must agree on.
void RequireSameHeader(const Tpdu& a, const Tpdu& b) {
    Require(a.GetLengthIndicator() == b.GetLengthIndicator());
    Require(a.GetCode() == b.GetCode());
    Require(a.GetState() == b.GetState());
    Require(a.HasCalledTsap() == b.HasCalledTsap());
    Require(Octets(a.GetCalledTsapOctets()) == Octets(b.GetCalledTsapOctets()));
    Require(a.HasCallingTsap() == b.HasCallingTsap());
    Require(Octets(a.GetCallingTsapOctets()) == Octets(b.GetCallingTsapOctets()));
    Require(a.GetTpduSizeCode() == b.GetTpduSizeCode());
    Require(a.HasAdditionalInformation() == b.HasAdditionalInformation());
}

// A decoded TPDU's header lies inside what was received and carries the type.
void RequireSoundHeader(const Tpdu& tpdu, std::size_t size, std::uint8_t type) {
    Require(std::size_t{tpdu.GetLengthIndicator()} + 1 <= size);
    Require(tpdu.GetLengthIndicator() != 255);
    Require(tpdu.GetType() == type);
}

// Decodes the frame into a fresh TPDU of the class; the result, or -1 for a failure
// that must leave the TPDU invalid.
template <typename T>
System::ResultCode DecodeChecked(T& tpdu, const Protocol::Frame& frame) {
    const System::ResultCode result = tpdu.Decode(frame);
    if (result != System::OkNoError) {
        Require(result == System::ProtocolError);
        Require(tpdu.GetState() == Protocol::Frame::StateInvalid);
    }
    return result;
}

template <typename T>
void CheckConnect(const Protocol::Frame& exact, const Protocol::Frame& framed, std::size_t size, std::uint8_t type) {
    T tpdu(nullptr);
    T other(nullptr);
    const System::ResultCode result = DecodeChecked(tpdu, exact);
    Require(DecodeChecked(other, framed) == result);
    if (result != System::OkNoError) return;
    RequireSoundHeader(tpdu, size, type);
    RequireSameHeader(tpdu, other);
    Require(tpdu.GetState() == Protocol::Frame::StateComplete);
    Require(tpdu.GetProtocolClass() < 8);

    // The encoding keeps the fixed part and, in class 0, the parameters this side
    // writes; it is never longer than the header it came from.
    Require(tpdu.Encode() == System::OkNoError);
    Require(tpdu.GetState() == Protocol::Frame::StateEncoded);
    Require(tpdu.GetWindowLength() == tpdu.GetLengthIndicator() + 1u);
    Require(tpdu.GetWindowLength() <= size);
    T again(nullptr);
    Require(again.Decode(tpdu) == System::OkNoError);
    Require(again.GetCode() == tpdu.GetCode());
    Require(again.GetDestinationReference() == tpdu.GetDestinationReference());
    Require(again.GetSourceReference() == tpdu.GetSourceReference());
    Require(again.GetProtocolClass() == tpdu.GetProtocolClass());
    if (tpdu.GetProtocolClass() == 0) {
        Require(again.HasTpduSize() == tpdu.HasTpduSize());
        Require(again.GetTpduSizeCode() == tpdu.GetTpduSizeCode());
        Require(again.HasCalledTsap() == tpdu.HasCalledTsap());
        Require(Octets(again.GetCalledTsapOctets()) == Octets(tpdu.GetCalledTsapOctets()));
        Require(again.HasCallingTsap() == tpdu.HasCallingTsap());
        Require(Octets(again.GetCallingTsapOctets()) == Octets(tpdu.GetCallingTsapOctets()));
    }
}

void CheckDisconnect(const Protocol::Frame& exact, const Protocol::Frame& framed, std::size_t size) {
    DrTpdu dr(nullptr);
    DrTpdu other(nullptr);
    const System::ResultCode result = DecodeChecked(dr, exact);
    Require(DecodeChecked(other, framed) == result);
    if (result != System::OkNoError) return;
    RequireSoundHeader(dr, size, Tpdu::TypeDr);
    RequireSameHeader(dr, other);
    Require(dr.Encode() == System::OkNoError);
    Require(dr.GetWindowLength() == DrTpdu::FixedLength);
    DrTpdu again(nullptr);
    Require(again.Decode(dr) == System::OkNoError);
    Require(again.GetDestinationReference() == dr.GetDestinationReference());
    Require(again.GetSourceReference() == dr.GetSourceReference());
    Require(again.GetReason() == dr.GetReason());
}

void CheckError(const Protocol::Frame& exact, const Protocol::Frame& framed, std::size_t size) {
    ErTpdu er(nullptr);
    ErTpdu other(nullptr);
    const System::ResultCode result = DecodeChecked(er, exact);
    Require(DecodeChecked(other, framed) == result);
    if (result != System::OkNoError) return;
    RequireSoundHeader(er, size, Tpdu::TypeEr);
    Require(er.GetDestinationReference() == other.GetDestinationReference());
    Require(er.GetRejectCause() == other.GetRejectCause());
    // This side never sends ER: the base encoding only rewinds the cursor.
    Require(er.Encode() == System::OkNoError);
}

void CheckData(const Protocol::Frame& exact, const Protocol::Frame& framed, std::span<const std::uint8_t> bytes) {
    DtTpdu dt(nullptr);
    DtTpdu other(nullptr);
    const System::ResultCode result = DecodeChecked(dt, exact);
    Require(DecodeChecked(other, framed) == result);
    if (result != System::OkNoError) return;
    RequireSoundHeader(dt, bytes.size(), Tpdu::TypeDt);
    RequireSameHeader(dt, other);
    Require(dt.GetState() == (dt.IsEndOfUnit() ? Protocol::Frame::StateComplete : Tpdu::StateSegment));
    // The user data is what follows the header, to the end of the unit.
    const std::size_t header = dt.GetLengthIndicator() + 1u;
    const Bytes userData = Octets(bytes.subspan(header));
    Require(WindowOf(dt) == userData);
    Require(WindowOf(other) == userData);
    Require(Octets(dt.GetUserData()) == userData);

    // Only a class 0 header (three octets) leaves the room that the encoder writes
    // into; the encoding is then the received TPDU itself.
    const System::ResultCode encoded = dt.Encode();
    if (header != DtTpdu::HeaderRoom) {
        Require(encoded == System::InvalidState);
        return;
    }
    Require(encoded == System::OkNoError);
    Require(WindowOf(dt) == Octets(bytes));
    DtTpdu again(nullptr);
    Require(again.Decode(dt) == System::OkNoError);
    Require(again.IsEndOfUnit() == dt.IsEndOfUnit());
    Require(again.GetTpduNumber() == dt.GetTpduNumber());
    Require(WindowOf(again) == userData);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A TPKT carries at most this much.
    if (size > 65531) return 0;
    const std::span<const std::uint8_t> bytes(data, size);
    const auto exact = Received(bytes, 0, 0);
    const auto framed = Received(bytes, 5, 3);
    Require(Tpdu::TypeOf(*exact) == Tpdu::TypeOf(*framed));

    CheckConnect<CrTpdu>(*exact, *framed, size, Tpdu::TypeCr);
    CheckConnect<CcTpdu>(*exact, *framed, size, Tpdu::TypeCc);
    CheckDisconnect(*exact, *framed, size);
    CheckError(*exact, *framed, size);
    CheckData(*exact, *framed, bytes);
    return 0;
}
