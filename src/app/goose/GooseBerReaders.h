#pragma once

// BER readers for the fields of a GOOSE frame. Every reader takes the frame's octets, the
// end of the data it may read (one behind the last octet) and the position, which stands
// on the length octet (the tag already passed) and ends behind the contents. They return
// 1 or 0; a length or contents that reach past the end fail, so no reader ever touches an
// octet at or behind the end.

#include "app/goose/GooseRecords.h"

#include <cstddef>
#include <cstdint>

// Definite length of at most four octets; the contents it announces must fit before the
// end. The indefinite form (0x80) fails: GOOSE does not use it.
int BerReadLength(const std::uint8_t* data, std::size_t end, std::size_t& position, std::size_t& length);

// 1 to 4 octets; any non-zero octet gives 1.
int BerReadBoolean(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint32_t& value);

// The unused-bit count (at most 7, and 0 when no octet follows), then at most 255 octets;
// the unused low bits of the last octet are cleared.
int BerReadBitString(const std::uint8_t* data, std::size_t end, std::size_t& position, BoundedOctets<255>& bits,
                     std::uint16_t& bitCount);

// Two's complement of 0 to 8 octets (0 octets give 0).
int BerReadInteger(const std::uint8_t* data, std::size_t end, std::size_t& position, std::int64_t& value);

// 1 to 8 octets, big-endian.
int BerReadUnsigned(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint64_t& value);

// 1 to 8 octets whose value fits 32 bits (a leading 0 octet is allowed, so 5 octets may too).
int BerReadUnsigned32(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint32_t& value);

// The exponent-width octet, then an IEEE 754 value: 8 with four octets (single), or
// 11 with eight octets (double).
int BerReadFloat(const std::uint8_t* data, std::size_t end, std::size_t& position, double& value);

// The octets as they are; more than the capacity fails.
int BerReadOctetString(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint8_t* out,
                       std::size_t capacity, std::uint16_t& count);

template <std::size_t Capacity>
int BerReadOctetString(const std::uint8_t* data, std::size_t end, std::size_t& position,
                       BoundedOctets<Capacity>& value) {
    return BerReadOctetString(data, end, position, value.octets.data(), Capacity, value.length);
}

// Exactly 8 octets: seconds, then the fraction word (fraction and quality octets).
int BerReadUtcTime(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint32_t& seconds,
                   std::uint32_t& fraction);

// One element of allData, tag included. Elements of the types the monitor shows go to
// their reader; every other element (structures and arrays too) is skipped by its length
// and never entered, so no nesting depth costs anything.
int GooseReadValue(const std::uint8_t* data, std::size_t end, std::size_t& position, GooseValue& value);
