#pragma once

// Builds GOOSE frames octet by octet, independently of the decoder: the tests, the
// benchmark and the fuzz seeds use it.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace GooseTest {

using Bytes = std::vector<std::uint8_t>;

// A definite BER length, short form below 128, else the shortest long form.
inline Bytes BerLength(std::size_t length) {
    if (length < 0x80) return {static_cast<std::uint8_t>(length)};
    Bytes octets;
    for (std::size_t rest = length; rest; rest >>= 8) octets.insert(octets.begin(), static_cast<std::uint8_t>(rest));
    octets.insert(octets.begin(), static_cast<std::uint8_t>(0x80 | octets.size()));
    return octets;
}

inline Bytes Tlv(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    const Bytes length = BerLength(content.size());
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Shortest two's complement.
inline Bytes SignedContent(std::int64_t value) {
    Bytes octets;
    for (int i = 7; i >= 0; --i)
        octets.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
    while (octets.size() > 1 &&
           ((octets[0] == 0x00 && !(octets[1] & 0x80)) || (octets[0] == 0xFF && (octets[1] & 0x80))))
        octets.erase(octets.begin());
    return octets;
}

// Shortest unsigned form as BER writes it: a leading 0 when the top bit is set.
inline Bytes UnsignedContent(std::uint64_t value) {
    Bytes octets;
    for (int i = 7; i >= 0; --i) octets.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    while (octets.size() > 1 && octets[0] == 0 && !(octets[1] & 0x80)) octets.erase(octets.begin());
    if (octets[0] & 0x80) octets.insert(octets.begin(), 0);
    return octets;
}

inline Bytes BigEndian32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Elements of allData.
inline Bytes BooleanValue(bool value) { return Tlv(0x83, {static_cast<std::uint8_t>(value ? 0xFF : 0x00)}); }
inline Bytes BitStringValue(std::uint8_t unusedBits, const Bytes& octets) {
    Bytes content{unusedBits};
    content.insert(content.end(), octets.begin(), octets.end());
    return Tlv(0x84, content);
}
inline Bytes IntegerValue(std::int64_t value) { return Tlv(0x85, SignedContent(value)); }
inline Bytes UnsignedValue(std::uint64_t value) { return Tlv(0x86, UnsignedContent(value)); }
inline Bytes FloatValue(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Bytes content{8};
    const Bytes word = BigEndian32(bits);
    content.insert(content.end(), word.begin(), word.end());
    return Tlv(0x87, content);
}
inline Bytes DoubleValue(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    Bytes content{11};
    for (int i = 7; i >= 0; --i) content.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return Tlv(0x87, content);
}
inline Bytes OctetStringValue(const Bytes& octets) { return Tlv(0x89, octets); }
inline Bytes VisibleStringValue(const std::string& text) { return Tlv(0x8A, Text(text)); }
inline Bytes UtcTimeValue(std::uint32_t seconds, std::uint32_t fraction) {
    return Tlv(0x91, Concat({BigEndian32(seconds), BigEndian32(fraction)}));
}
// Milliseconds of the day; with days (since 1984-01-01) the six-octet form with its date.
inline Bytes BinaryTimeValue(std::uint32_t milliseconds, int days = -1) {
    Bytes content = {static_cast<std::uint8_t>(milliseconds >> 24), static_cast<std::uint8_t>(milliseconds >> 16),
                     static_cast<std::uint8_t>(milliseconds >> 8), static_cast<std::uint8_t>(milliseconds)};
    if (days >= 0)
        content.insert(content.end(), {static_cast<std::uint8_t>(days >> 8), static_cast<std::uint8_t>(days)});
    return Tlv(0x8C, content);
}
inline Bytes StructureValue(const std::vector<Bytes>& members) { return Tlv(0xA2, Concat(members)); }
inline Bytes ArrayValue(const std::vector<Bytes>& members) { return Tlv(0xA1, Concat(members)); }

struct GooseFrameSpec {
    Bytes destination{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x01};
    Bytes source{0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
    bool tagged = false;
    std::uint8_t tagControl[2] = {0x80, 0x05};  // priority 4, VLAN 5
    std::uint16_t etherType = 0x88B8;
    std::uint16_t appId = 0x1001;
    std::string gocbRef = "IED1LD0/LLN0$GO$gcb01";
    std::uint32_t timeAllowedtoLive = 2000;
    std::string datSet = "IED1LD0/LLN0$DS1";
    bool withGoId = true;
    std::string goId = "IED1_GOOSE1";
    std::uint32_t tSeconds = 1700000000;
    std::uint32_t tFraction = 0x80000000;
    std::uint32_t stNum = 1;
    std::uint32_t sqNum = 0;
    bool withTest = true;
    bool test = false;
    std::uint32_t confRev = 1;
    bool withNdsCom = true;
    bool ndsCom = false;
    bool countFromValues = true;
    std::uint64_t numDatSetEntries = 0;  // used when countFromValues is false
    std::vector<Bytes> values;
    Bytes trailer;  // octets behind the PDU, not counted in Length (padding, FCS)
};

// The header fields of the goosePdu, in order.
inline Bytes HeaderFields(const GooseFrameSpec& s) {
    std::vector<Bytes> parts = {Tlv(0x80, Text(s.gocbRef)), Tlv(0x81, UnsignedContent(s.timeAllowedtoLive)),
                                Tlv(0x82, Text(s.datSet))};
    if (s.withGoId) parts.push_back(Tlv(0x83, Text(s.goId)));
    parts.push_back(Tlv(0x84, Concat({BigEndian32(s.tSeconds), BigEndian32(s.tFraction)})));
    parts.push_back(Tlv(0x85, UnsignedContent(s.stNum)));
    parts.push_back(Tlv(0x86, UnsignedContent(s.sqNum)));
    if (s.withTest) parts.push_back(Tlv(0x87, {static_cast<std::uint8_t>(s.test ? 0xFF : 0)}));
    parts.push_back(Tlv(0x88, UnsignedContent(s.confRev)));
    if (s.withNdsCom) parts.push_back(Tlv(0x89, {static_cast<std::uint8_t>(s.ndsCom ? 0xFF : 0)}));
    return Concat(parts);
}

// numDatSetEntries and allData.
inline Bytes ValueFields(const GooseFrameSpec& s) {
    const std::uint64_t count = s.countFromValues ? s.values.size() : s.numDatSetEntries;
    return Concat({Tlv(0x8A, UnsignedContent(count)), Tlv(0xAB, Concat(s.values))});
}

inline Bytes BuildGooseFrame(const GooseFrameSpec& s) {
    Bytes frame = Concat({s.destination, s.source});
    if (s.tagged) frame.insert(frame.end(), {0x81, 0x00, s.tagControl[0], s.tagControl[1]});
    const Bytes pdu = Tlv(0x61, Concat({HeaderFields(s), ValueFields(s)}));
    const std::size_t length = 8 + pdu.size();
    frame.insert(frame.end(), {static_cast<std::uint8_t>(s.etherType >> 8), static_cast<std::uint8_t>(s.etherType),
                               static_cast<std::uint8_t>(s.appId >> 8), static_cast<std::uint8_t>(s.appId),
                               static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 0, 0, 0, 0});
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    frame.insert(frame.end(), s.trailer.begin(), s.trailer.end());
    return frame;
}

// Where the APPID stands.
inline std::size_t AppIdOffset(const GooseFrameSpec& s) { return s.tagged ? 18 : 14; }

// Rewrites the Length field (octets 2-3 behind the APPID).
inline void SetLengthField(Bytes& frame, std::size_t appIdOffset, std::size_t length) {
    frame[appIdOffset + 2] = static_cast<std::uint8_t>(length >> 8);
    frame[appIdOffset + 3] = static_cast<std::uint8_t>(length);
}

}  // namespace GooseTest
