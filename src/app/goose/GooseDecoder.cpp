// Decoding of one captured GOOSE frame: the header for the filters and the change test,
// then the values text. Frames come from the network and are trusted in nothing.

#include "app/goose/GooseBerReaders.h"
#include "app/goose/GooseCapture.h"
#include "app/goose/GooseValueText.h"

#include <algorithm>

namespace {

constexpr std::uint16_t kVlanType = 0x8100;
constexpr std::uint16_t kGooseType = 0x88B8;

std::uint16_t Word(const std::uint8_t* octets) { return static_cast<std::uint16_t>(octets[0] << 8 | octets[1]); }

// true when the next octet before the end is `tag`; the position then stands behind it.
bool TakeTag(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint8_t tag) {
    if (position >= end || data[position] != tag) return false;
    ++position;
    return true;
}

}  // namespace

int CGooseCapture::ParseGooseHeader(const std::uint8_t* frame, std::size_t capturedLength, GooseHeader& header,
                                    std::size_t& position) {
    if (!frame || capturedLength < 15) return 0;
    GooseHeader h;
    std::copy_n(frame, 6, h.destinationMac.begin());
    std::copy_n(frame + 6, 6, h.sourceMac.begin());

    std::uint16_t etherType = Word(frame + 12);
    std::size_t p = 14;
    if (etherType == kVlanType && capturedLength > 18) {
        h.tagged = 1;
        h.priority = frame[14] >> 5;
        h.cfi = (frame[14] & 0x10) ? 1 : 0;
        h.vlanId = static_cast<std::uint16_t>((frame[14] & 0x0F) << 8 | frame[15]);
        etherType = Word(frame + 16);
        p = 18;
    }
    if (etherType != kGooseType) return 0;
    if (capturedLength < p + 9) return 0;
    h.appId = Word(frame + p);
    // Octets behind APPID offset + Length are padding (or a captured FCS) and not read.
    const std::size_t declared = Word(frame + p + 2);
    if (declared < 9 || p + declared > capturedLength) return 0;
    const std::size_t end = p + declared;
    h.end = end;
    if (frame[p + 8] != 0x61) return 0;

    std::size_t at = p + 9;
    std::size_t pduLength;
    if (!BerReadLength(frame, end, at, pduLength)) return 0;

    if (!TakeTag(frame, end, at, 0x80) || !BerReadOctetString(frame, end, at, h.gocbRef)) return 0;
    if (!TakeTag(frame, end, at, 0x81) || !BerReadUnsigned32(frame, end, at, h.timeAllowedtoLive)) return 0;
    if (!TakeTag(frame, end, at, 0x82) || !BerReadOctetString(frame, end, at, h.datSet)) return 0;
    if (TakeTag(frame, end, at, 0x83) && !BerReadOctetString(frame, end, at, h.goId)) return 0;
    if (!TakeTag(frame, end, at, 0x84) || !BerReadUtcTime(frame, end, at, h.tSeconds, h.tFraction)) return 0;
    if (!TakeTag(frame, end, at, 0x85) || !BerReadUnsigned32(frame, end, at, h.stNum)) return 0;
    if (!TakeTag(frame, end, at, 0x86) || !BerReadUnsigned32(frame, end, at, h.sqNum)) return 0;
    // test and ndsCom are DEFAULT FALSE: a publisher may leave them out.
    if (TakeTag(frame, end, at, 0x87) && !BerReadBoolean(frame, end, at, h.test)) return 0;
    if (!TakeTag(frame, end, at, 0x88) || !BerReadUnsigned32(frame, end, at, h.confRev)) return 0;
    if (TakeTag(frame, end, at, 0x89) && !BerReadBoolean(frame, end, at, h.ndsCom)) return 0;

    header = h;
    position = at;
    return 1;
}

int CGooseCapture::FormatValues(const std::uint8_t* data, std::size_t length, std::string& text) {
    if (!data) return 0;
    const std::size_t end = length;
    std::size_t at = 0;
    std::uint64_t count;
    if (!TakeTag(data, end, at, 0x8A) || !BerReadUnsigned(data, end, at, count)) return 0;
    std::size_t allDataLength;
    if (!TakeTag(data, end, at, 0xAB) || !BerReadLength(data, end, at, allDataLength)) return 0;

    // The count is the publisher's word only: every element must really be there, and
    // each takes at least two octets, so a huge count fails at the end of the data.
    std::string values;
    GooseValue value;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!GooseReadValue(data, end, at, value)) return 0;
        AppendGooseValueText(values, value);
        if (i + 1 < count) values += ',';
    }
    text = std::move(values);
    return 1;
}
