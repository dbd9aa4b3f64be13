#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace System {

// Two upper-case hex digits per octet, no separators.
void OctetsToHexText(std::string& text, std::span<const std::uint8_t> octets);

// Each element in upper-case hex, zero-filled to two digits per octet of the element
// type, joined by the separator (none when it is 0).
void FormatHexArray(std::string& text, std::span<const std::uint8_t> elements, char separator);
void FormatHexArray(std::string& text, std::span<const std::uint16_t> elements, char separator);
void FormatHexArray(std::string& text, std::span<const std::uint32_t> elements, char separator);
void FormatHexArray(std::string& text, std::span<const std::uint64_t> elements, char separator);

void FormatHex8(std::string& text, std::uint8_t value);
void FormatHex16(std::string& text, std::uint16_t value);
void FormatHex32(std::string& text, std::uint32_t value);

// Cuts elements off the front of the text at the separator, or with separator 0 as two
// hex digits per octet of the element type each (a short last piece is its low
// digits: "ABC" gives AB 0C). Each element is hex digits only, blanks around it aside,
// and must fit its type. count starts at 0 and counts the elements stored; reading
// ends with OkNoError when the text is used up or the elements are full (the rest of
// the text is ignored). A bad element gives InvalidArguments, keeping those before it.
ResultCode ParseHexArray(std::span<std::uint8_t> elements, std::size_t& count, std::string_view text, char separator);
ResultCode ParseHexArray(std::span<std::uint16_t> elements, std::size_t& count, std::string_view text, char separator);
ResultCode ParseHexArray(std::span<std::uint32_t> elements, std::size_t& count, std::string_view text, char separator);
ResultCode ParseHexArray(std::span<std::uint64_t> elements, std::size_t& count, std::string_view text, char separator);

// The whole text (blanks around it aside) is one hex number that must fit the type;
// otherwise InvalidArguments and the value is unchanged.
ResultCode ParseHex8(std::uint8_t& value, std::string_view text);
ResultCode ParseHex16(std::uint16_t& value, std::string_view text);
ResultCode ParseHex32(std::uint32_t& value, std::string_view text);
ResultCode ParseHex64(std::uint64_t& value, std::string_view text);

}  // namespace System
