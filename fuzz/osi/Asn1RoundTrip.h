#pragma once

// What the presentation and association control fuzz targets ask of a PDU value that
// was decoded from a peer's bytes: its constraint check stays inside its message
// buffer; it encodes again (a value whose CHOICE holds no alternative this side
// knows may refuse); what it encodes to decodes again and encodes to the same
// octets; with one octet less room the encoding fails without writing in front of
// the buffer; and the frame that sends such a PDU encodes it to the same octets, or
// refuses when they do not fit its own buffer.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "protocol/Asn1Coder.h"
#include "protocol/Asn1Frame.h"

namespace OsiFuzz {

using Bytes = std::vector<std::uint8_t>;

// A broken expectation names its line before the run ends.
inline void Require(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "expectation broken at line %d\n", line);
    std::abort();
}

// Encodes the value in front of the end of a buffer of room octets, with guard
// octets before the buffer that must stay untouched. Empty and false when it fails.
inline bool EncodeWithRoom(const Asn1::Asn1TypeDescriptor* type, const void* value, std::size_t room, Bytes& encoding) {
    constexpr std::size_t Guard = 16;
    constexpr std::uint8_t GuardOctet = 0xA5;
    std::unique_ptr<std::uint8_t[]> storage(new std::uint8_t[Guard + room]);
    std::memset(storage.get(), GuardOctet, Guard + room);
    Asn1::Asn1OutputBuffer buffer{storage.get() + Guard, room};
    const std::ptrdiff_t length = Asn1::Asn1Encode(type, value, nullptr, &buffer);
    for (std::size_t i = 0; i < Guard; ++i) Require(storage[i] == GuardOctet);
    encoding.clear();
    if (length < 0) return false;
    Require(buffer.position + static_cast<std::size_t>(length) == room);
    encoding.assign(storage.get() + Guard + buffer.position, storage.get() + Guard + room);
    return true;
}

// Decodes bytes as the type the way a receiving frame does: the value or null.
using DecodeAgain = std::function<void*(const Bytes& bytes)>;

// The checks above for a value decoded from size received octets; the value stays
// the caller's.
inline void CheckRoundTrip(const Asn1::Asn1TypeDescriptor* type, const void* value, std::size_t size,
                           const DecodeAgain& decodeAgain) {
    char messages[64];
    std::size_t messageSize = sizeof messages;
    Asn1::Asn1CheckConstraints(type, value, messages, &messageSize);
    Require(messageSize < sizeof messages && messages[messageSize] == '\0');

    Bytes first;
    if (!EncodeWithRoom(type, value, 2 * size + 64, first)) return;
    void* again = decodeAgain(first);
    Require(again != nullptr);
    Bytes repeated;
    Require(EncodeWithRoom(type, again, first.size(), repeated));
    Require(repeated == first);
    if (!first.empty()) {
        Bytes tooSmall;
        Require(!EncodeWithRoom(type, again, first.size() - 1, tooSmall));
    }
    Asn1::Asn1FreeValue(type, again);
}

// Hands the value to a sending frame (which then owns and frees it) and encodes it:
// the same octets as the coder gives, or a refusal when they exceed the frame's room.
inline void CheckSendingFrame(Asn1::Asn1Frame& sender, const Asn1::Asn1TypeDescriptor* type, void* value,
                              std::size_t size) {
    Bytes expected;
    const bool encodable = EncodeWithRoom(type, value, 2 * size + 64, expected);
    sender.AttachValue(value, type);
    const System::ResultCode result = sender.Encode();
    Require(sender.GetValue() == nullptr);
    if (result != System::OkNoError) {
        Require(sender.GetState() == Protocol::Frame::StateInvalid);
        Require(!encodable || expected.size() > sender.GetCapacity());
        return;
    }
    Require(encodable && sender.GetState() == Protocol::Frame::StateEncoded);
    Require(Bytes(sender.WindowData(), sender.WindowData() + sender.GetWindowLength()) == expected);
}

}  // namespace OsiFuzz
