#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace System {

// Decimal text of integers. Readers take optional blanks around the number and an
// optional sign; anything else in the text, or no digits at all, refuses the text,
// and a refused text leaves the output unchanged. Text is read and written the same
// way under every locale.

// The MMS width (the type's size in bits) picks the store: 8 bits up to width 8, 16 up
// to 16, 32 up to 32, 64 up to 64. A number that does not fit the store gives
// OutOfRange, a text that is no number InvalidArguments, a width above 64 NotSupported.
ResultCode ParseIntegerByWidth(std::int64_t& value, unsigned width, std::string_view text);

// As above for stores of up to 32 bits, and the value must also lie within
// minimum..maximum (OutOfRange otherwise); a width above 32 gives NotSupported.
ResultCode ParseIntegerInRangeByWidth(std::int32_t& value, unsigned width, std::string_view text, std::int32_t minimum,
                                      std::int32_t maximum);

// The value as it reads from the store of the width (8, 16, 32 bits, or 64 bits for
// widths 33..128), in signed decimal; a width above 128 gives NotSupported.
ResultCode FormatIntegerByWidth(std::string& text, std::int64_t value, unsigned width);

// "1" is true and "0" false; a text of two or more characters is true when it starts
// with "T" or "t" and false otherwise. An empty text or another single character gives
// InvalidArguments and leaves the flag unchanged.
ResultCode ParseBoolean(bool& flag, std::string_view text);
// "true" or "false".
void FormatBoolText(std::string& text, bool flag);

// InvalidArguments when the text is not a number of that type (out of its range too).
ResultCode ParseInt8Text(std::int8_t& value, std::string_view text);
ResultCode ParseUInt8Text(std::uint8_t& value, std::string_view text);
ResultCode ParseInt16Text(std::int16_t& value, std::string_view text);
ResultCode ParseUInt16Text(std::uint16_t& value, std::string_view text);
ResultCode ParseInt32Text(std::int32_t& value, std::string_view text);
ResultCode ParseUnsignedText(std::uint32_t& value, std::string_view text);
ResultCode ParseInt64Text(std::int64_t& value, std::string_view text);
ResultCode ParseUInt64Text(std::uint64_t& value, std::string_view text);

// Decimal text right-aligned in fieldWidth characters (0: no padding) padded with the
// fill character (0: a blank), the padding going in front of any sign.
void FormatInt8(std::string& text, std::int8_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatInt16(std::string& text, std::int16_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatInt32(std::string& text, std::int32_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatInt64(std::string& text, std::int64_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatUInt8(std::string& text, std::uint8_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatUInt16(std::string& text, std::uint16_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatUInt32(std::string& text, std::uint32_t value, unsigned fieldWidth = 0, char fill = 0);
void FormatUInt64(std::string& text, std::uint64_t value, unsigned fieldWidth = 0, char fill = 0);

// "#" and a decimal number, or "'" hex digits "'H": that number; any other text
// (empty, quoted, malformed, or beyond 32 bits) gives 0.
std::uint32_t ParseNumberNotation(std::string_view text);

// The four octets of the value, most significant first, in decimal joined by ".".
void FormatDottedQuad(std::string& text, std::uint32_t value);

}  // namespace System
