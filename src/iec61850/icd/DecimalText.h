#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Iec61850::Acsi::Scl {

// Reads a number the way the profile's texts are read: leading blanks, an optional sign,
// then decimal digits up to the first other character. None when no digit follows, or
// when the number does not fit 64 bits. Independent of the locale.
std::optional<std::int64_t> ReadLeadingDecimal(std::string_view text);

// The whole text as a decimal 32-bit integer (an optional "-", then digits, nothing
// else); none for anything else, an empty text or a number out of range.
std::optional<std::int32_t> ReadWholeDecimal(std::string_view text);

}  // namespace Iec61850::Acsi::Scl
