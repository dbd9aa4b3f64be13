#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "protocol/Asn1Types.h"
#include "system/ResultCode.h"

namespace Asn1 {

// Conversions between plain bits, bytes and text and the coder's BIT STRING and OCTET
// STRING values (the OCTET STRING ones serve VisibleString and the other strings of
// the same layout). Absent values, presence flags and NewOptional... writers as in
// Asn1NumberValues.h. Writers replace what the value held (freeing octets it owned)
// and leave the value unchanged when they fail.

// A BIT STRING of n bits has (n + 7) / 8 octets (none for n = 0) and
// (8 - n mod 8) mod 8 unused bits, which are 0; the first bit is the most significant
// bit of the first octet.

// One octet per bit in; a non-zero octet is a 1 bit.
System::ResultCode BoolsToAsn1BitString(Asn1BitString* bitString, std::span<const std::uint8_t> bools);
// The first bitCount bits of the raw octets of a string (InvalidArguments when it holds
// fewer).
System::ResultCode StringBytesToAsn1BitString(Asn1BitString* bitString, std::string_view bytes, std::uint32_t bitCount);
// One octet 0 or 1 per bit into bools; count = the number of bits. Error when bools has
// less room than the bits; InvalidArguments for a value whose unused-bit count is not
// possible (above 7, or bits unused in an empty string).
System::ResultCode Asn1BitStringToBools(std::span<std::uint8_t> bools, std::size_t& count,
                                        const Asn1BitString* bitString, bool* present = nullptr);
// "0" or "1" per bit, first bit first, for every bit of the value; InvalidArguments when
// it holds fewer than requiredBits bits or an impossible unused-bit count. The
// unused-bit count goes to unusedBits when asked.
System::ResultCode Asn1BitStringToBitText(std::string& text, const Asn1BitString* bitString, std::uint32_t requiredBits,
                                          std::int32_t* unusedBits = nullptr, bool* present = nullptr);
// The first bitCount bits of plain octets as "0"/"1" text (InvalidArguments when the
// octets hold fewer).
System::ResultCode BitStringToBitText(std::string& text, std::span<const std::uint8_t> octets, std::uint32_t bitCount);

System::ResultCode BytesToAsn1OctetString(Asn1OctetString* octetString, std::span<const std::uint8_t> bytes);
System::ResultCode StringToAsn1OctetString(Asn1OctetString* octetString, std::string_view text);
System::ResultCode NewOptionalAsn1OctetString(Asn1OctetString*& octetString, bool present, std::string_view text);
// A new value holding the octets in reverse order.
System::ResultCode NewAsn1OctetStringReversed(Asn1OctetString*& octetString, std::span<const std::uint8_t> bytes);
// The octets as they are (raw text).
System::ResultCode Asn1OctetStringToString(std::string& text, const Asn1OctetString* octetString,
                                           bool* present = nullptr);

}  // namespace Asn1
