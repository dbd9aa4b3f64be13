#pragma once

#include <cstdint>
#include <span>

#include "system/ResultCode.h"

namespace System {

// Wire integers are big-endian, whatever the host is. These helpers work on raw
// pointers: the caller has already checked that the octets lie inside its buffer.

// Writes the low n octets of value (n 1..4), most significant first.
void WriteBigEndian(std::uint8_t* at, std::uint32_t value, unsigned n);
// Writes the low n octets of value (n 1..8), most significant first.
void WriteBigEndian64(std::uint8_t* at, std::uint64_t value, unsigned n);

std::uint16_t ReadBigEndian16(const std::uint8_t* at);
std::uint32_t ReadBigEndian24(const std::uint8_t* at);
std::uint32_t ReadBigEndian32(const std::uint8_t* at);
std::uint64_t ReadBigEndian48(const std::uint8_t* at);
std::uint64_t ReadBigEndian64(const std::uint8_t* at);

// Bit k of a bit array lives in octet k / 8, bit k mod 8 counted from the least
// significant bit.
void SetBitInArray(std::uint8_t* bits, unsigned k);
bool TestBitInArray(const std::uint8_t* bits, unsigned k);

// Copies n octets between a host value and a big-endian place at offset in a buffer.
// OutOfRange when offset + n passes the buffer's end (nothing is touched), or when n
// octets cannot be held by the value (reading more than 8).
ResultCode ReadBytesReversed(std::uint64_t& value, std::span<const std::uint8_t> buffer, std::size_t n,
                             std::size_t offset);
// Octets beyond the eighth are written as zero.
ResultCode WriteBytesReversed(std::span<std::uint8_t> buffer, std::uint64_t value, std::size_t n, std::size_t offset);
// As WriteBytesReversed, but octets beyond the eighth carry the sign.
ResultCode WriteSignExtendedReversed(std::span<std::uint8_t> buffer, std::int64_t value, std::size_t n,
                                     std::size_t offset);

}  // namespace System
