#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "system/ResultCode.h"

namespace System {

// The IEC 61850 time stamp as it travels: seconds since 1970 in octets 0-3 and a
// 24-bit binary fraction of the second in octets 4-6 (both big-endian), and the time
// quality in octet 7.
using UtcTime = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t UtcLeapSecondsKnown = 0x80;
inline constexpr std::uint8_t UtcClockFailure = 0x40;
inline constexpr std::uint8_t UtcClockNotSynchronized = 0x20;
inline constexpr std::uint8_t UtcTimeAccuracyMask = 0x1F;

// Quality octet 0. OutOfRange (octets untouched) when the seconds do not fit 32 bits.
ResultCode EncodeUtcTime(UtcTime& octets, std::uint32_t days, std::uint32_t ms);

// The milliseconds may reach 1000 past the last whole second for a fraction close to
// one; FormatTimeText carries them into the next second.
void DecodeUtcTime(const UtcTime& octets, std::uint32_t& days, std::uint32_t& ms);

// FormatTimeText followed, for a non-zero quality, by a blank and the flag texts
// "[Leap Second Known]", "[Clock Failure]", "[Clock Not Synchronized]" and the accuracy
// "[Time Accuracy = N bits]" (N below 25), "[Time Accuracy = Invalid]" (25..29) or
// "[Time Accuracy = Unspecified]" (30, 31).
void FormatUtcTimeText(std::string& text, std::uint32_t days, std::uint32_t ms, std::uint8_t quality);

// Decodes the octets and formats them with their own quality octet.
void FormatUtcTimeOctets(std::string& text, const UtcTime& octets);

}  // namespace System
