#include "system/ByteOrder.h"

namespace System {

void WriteBigEndian(std::uint8_t* at, std::uint32_t value, unsigned n) { WriteBigEndian64(at, value, n > 4 ? 4 : n); }

void WriteBigEndian64(std::uint8_t* at, std::uint64_t value, unsigned n) {
    if (n > 8) n = 8;
    for (unsigned i = 0; i < n; ++i) {
        at[n - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

namespace {
std::uint64_t ReadBigEndianN(const std::uint8_t* at, unsigned n) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < n; ++i) value = (value << 8) | at[i];
    return value;
}

bool FitsInBuffer(std::size_t size, std::size_t n, std::size_t offset) { return offset <= size && n <= size - offset; }
}  // namespace

std::uint16_t ReadBigEndian16(const std::uint8_t* at) { return static_cast<std::uint16_t>(ReadBigEndianN(at, 2)); }
std::uint32_t ReadBigEndian24(const std::uint8_t* at) { return static_cast<std::uint32_t>(ReadBigEndianN(at, 3)); }
std::uint32_t ReadBigEndian32(const std::uint8_t* at) { return static_cast<std::uint32_t>(ReadBigEndianN(at, 4)); }
std::uint64_t ReadBigEndian48(const std::uint8_t* at) { return ReadBigEndianN(at, 6); }
std::uint64_t ReadBigEndian64(const std::uint8_t* at) { return ReadBigEndianN(at, 8); }

void SetBitInArray(std::uint8_t* bits, unsigned k) {
    bits[k / 8] = static_cast<std::uint8_t>(bits[k / 8] | (1u << (k % 8)));
}

bool TestBitInArray(const std::uint8_t* bits, unsigned k) { return (bits[k / 8] >> (k % 8)) & 1u; }

ResultCode ReadBytesReversed(std::uint64_t& value, std::span<const std::uint8_t> buffer, std::size_t n,
                             std::size_t offset) {
    if (n > 8 || !FitsInBuffer(buffer.size(), n, offset)) return OutOfRange;
    value = ReadBigEndianN(buffer.data() + offset, static_cast<unsigned>(n));
    return OkNoError;
}

namespace {
ResultCode WriteExtended(std::span<std::uint8_t> buffer, std::uint64_t value, std::uint8_t fill, std::size_t n,
                         std::size_t offset) {
    if (!FitsInBuffer(buffer.size(), n, offset)) return OutOfRange;
    std::uint8_t* at = buffer.data() + offset;
    for (std::size_t i = 0; i < n; ++i) {
        at[n - 1 - i] = i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : fill;
    }
    return OkNoError;
}
}  // namespace

ResultCode WriteBytesReversed(std::span<std::uint8_t> buffer, std::uint64_t value, std::size_t n, std::size_t offset) {
    return WriteExtended(buffer, value, 0x00, n, offset);
}

ResultCode WriteSignExtendedReversed(std::span<std::uint8_t> buffer, std::int64_t value, std::size_t n,
                                     std::size_t offset) {
    return WriteExtended(buffer, static_cast<std::uint64_t>(value), value < 0 ? 0xFF : 0x00, n, offset);
}

}  // namespace System
