#include "system/UtcTime.h"

#include "system/ByteOrder.h"
#include "system/TimeText.h"

namespace System {

namespace {
constexpr std::uint32_t SecondsPerDay = 86400;
// 2^32 / 1000, rounded down: one millisecond as a 32-bit binary fraction.
constexpr std::uint64_t FractionPerMillisecond = 4294967;

void AppendQualityText(std::string& text, std::uint8_t quality) {
    if (quality == 0) return;
    text += ' ';
    if (quality & UtcLeapSecondsKnown) text += "[Leap Second Known]";
    if (quality & UtcClockFailure) text += "[Clock Failure]";
    if (quality & UtcClockNotSynchronized) text += "[Clock Not Synchronized]";
    const unsigned accuracy = quality & UtcTimeAccuracyMask;
    if (accuracy < 25) {
        text += "[Time Accuracy = " + std::to_string(accuracy) + " bits]";
    } else if (accuracy < 30) {
        text += "[Time Accuracy = Invalid]";
    } else {
        text += "[Time Accuracy = Unspecified]";
    }
}
}  // namespace

ResultCode EncodeUtcTime(UtcTime& octets, std::uint32_t days, std::uint32_t ms) {
    const std::uint64_t seconds = std::uint64_t{days} * SecondsPerDay + ms / 1000;
    if (seconds > UINT32_MAX) return OutOfRange;
    const std::uint64_t fraction = (ms % 1000) * FractionPerMillisecond + 255;
    WriteBigEndian(octets.data(), static_cast<std::uint32_t>(seconds), 4);
    WriteBigEndian(octets.data() + 4, static_cast<std::uint32_t>(fraction >> 8), 3);
    octets[7] = 0;
    return OkNoError;
}

void DecodeUtcTime(const UtcTime& octets, std::uint32_t& days, std::uint32_t& ms) {
    const std::uint32_t seconds = ReadBigEndian32(octets.data());
    const std::uint64_t fraction = std::uint64_t{ReadBigEndian24(octets.data() + 4)} << 8;
    days = seconds / SecondsPerDay;
    ms = static_cast<std::uint32_t>(fraction / FractionPerMillisecond) + seconds % SecondsPerDay * 1000;
}

void FormatUtcTimeText(std::string& text, std::uint32_t days, std::uint32_t ms, std::uint8_t quality) {
    FormatTimeText(text, days, ms);
    AppendQualityText(text, quality);
}

void FormatUtcTimeOctets(std::string& text, const UtcTime& octets) {
    std::uint32_t days = 0;
    std::uint32_t ms = 0;
    DecodeUtcTime(octets, days, ms);
    FormatUtcTimeText(text, days, ms, octets[7]);
}

}  // namespace System
