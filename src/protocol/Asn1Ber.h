#pragma once

// BER identifier and length octets.

#include <cstddef>
#include <cstdint>

#include "protocol/Asn1Types.h"

namespace Asn1 {

// Reads identifier octets: returns the octets consumed (1 or 2), 0 when size is 0, -1
// on a form not taken. The high-tag-number form takes exactly one subsequent octet
// (numbers up to 127); a subsequent octet with its top bit set gives -1.
std::ptrdiff_t BerFetchTag(const std::uint8_t* data, std::size_t size, Asn1Tag* tag);

// Reads length octets: returns the octets consumed, 0 when size is 0 or the long form's
// octets are not all there, -1 when the length exceeds 0xFFFFFF. The indefinite form
// (0x80) reads as length 0 with one octet consumed; the structured decoders refuse it.
std::ptrdiff_t BerFetchLength(int constructed, const std::uint8_t* data, std::size_t size, std::size_t* length);

// Writes a length in front of the buffer's position (short form below 128, else the
// minimal long form). Returns the octets written, or -1 (errno ENOMEM) without room.
std::ptrdiff_t BerWriteLength(std::size_t length, Asn1OutputBuffer* buffer);

// Writes identifier octets in front of the position (1, 2 or 3 octets by tag number).
// Returns the octets written, or -1 (errno ENOMEM) without room.
std::ptrdiff_t BerWriteTag(Asn1Tag tag, Asn1OutputBuffer* buffer, int constructed);

// Prepends the length and then the tag. Returns the octets written, or -1.
std::ptrdiff_t Asn1WriteTagLength(std::size_t contentLength, Asn1Tag tag, Asn1OutputBuffer* buffer, int constructed);

// data starts at length octets: returns length octets plus content length when the
// content is all there, 0 when it is not, -1 on a bad (or indefinite) length.
std::ptrdiff_t BerSkipLength(Asn1DecodeContext* context, int constructed, const std::uint8_t* data, std::size_t size);

}  // namespace Asn1
