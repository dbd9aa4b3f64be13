#include "app/goose/GooseBerReaders.h"

#include <bit>
#include <cstring>

namespace {

std::uint64_t BigEndian(const std::uint8_t* octets, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | octets[i];
    return value;
}

}  // namespace

int BerReadLength(const std::uint8_t* data, std::size_t end, std::size_t& position, std::size_t& length) {
    if (position >= end) return 0;
    std::size_t at = position;
    const std::uint8_t first = data[at++];
    std::size_t value = first;
    if (first & 0x80) {
        const std::size_t count = first & 0x7F;
        if (count == 0 || count > 4 || count > end - at) return 0;
        value = static_cast<std::size_t>(BigEndian(data + at, count));
        at += count;
    }
    if (value > end - at) return 0;
    position = at;
    length = value;
    return 1;
}

int BerReadBoolean(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint32_t& value) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length) || length < 1 || length > 4) return 0;
    value = BigEndian(data + position, length) != 0 ? 1 : 0;
    position += length;
    return 1;
}

int BerReadBitString(const std::uint8_t* data, std::size_t end, std::size_t& position, BoundedOctets<255>& bits,
                     std::uint16_t& bitCount) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length)) return 0;
    if (length == 0) {
        bits.length = 0;
        bitCount = 0;
        return 1;
    }
    const std::uint8_t unused = data[position];
    const std::size_t octets = length - 1;
    if (unused > 7 || (octets == 0 && unused != 0)) return 0;
    if (!bits.Assign(data + position + 1, octets)) return 0;
    if (octets) bits.octets[octets - 1] &= static_cast<std::uint8_t>(0xFF << unused);
    bitCount = static_cast<std::uint16_t>(8 * octets - unused);
    position += length;
    return 1;
}

int BerReadInteger(const std::uint8_t* data, std::size_t end, std::size_t& position, std::int64_t& value) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length) || length > 8) return 0;
    std::uint64_t raw = BigEndian(data + position, length);
    if (length > 0 && length < 8 && (data[position] & 0x80)) raw |= ~std::uint64_t{0} << (8 * length);
    value = static_cast<std::int64_t>(raw);
    position += length;
    return 1;
}

int BerReadUnsigned(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint64_t& value) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length) || length < 1 || length > 8) return 0;
    value = BigEndian(data + position, length);
    position += length;
    return 1;
}

int BerReadUnsigned32(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint32_t& value) {
    std::size_t at = position;
    std::uint64_t wide;
    if (!BerReadUnsigned(data, end, at, wide) || wide > 0xFFFFFFFFu) return 0;
    value = static_cast<std::uint32_t>(wide);
    position = at;
    return 1;
}

int BerReadFloat(const std::uint8_t* data, std::size_t end, std::size_t& position, double& value) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length) || length == 0) return 0;
    const std::uint8_t exponentWidth = data[position];
    if (length == 5 && exponentWidth == 8) {
        value = std::bit_cast<float>(static_cast<std::uint32_t>(BigEndian(data + position + 1, 4)));
    } else if (length == 9 && exponentWidth == 11) {
        value = std::bit_cast<double>(BigEndian(data + position + 1, 8));
    } else {
        return 0;
    }
    position += length;
    return 1;
}

int BerReadOctetString(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint8_t* out,
                       std::size_t capacity, std::uint16_t& count) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length) || length > capacity) return 0;
    if (length) std::memcpy(out, data + position, length);
    count = static_cast<std::uint16_t>(length);
    position += length;
    return 1;
}

int BerReadUtcTime(const std::uint8_t* data, std::size_t end, std::size_t& position, std::uint32_t& seconds,
                   std::uint32_t& fraction) {
    std::size_t length;
    if (!BerReadLength(data, end, position, length) || length != 8) return 0;
    seconds = static_cast<std::uint32_t>(BigEndian(data + position, 4));
    fraction = static_cast<std::uint32_t>(BigEndian(data + position + 4, 4));
    position += length;
    return 1;
}

int GooseReadValue(const std::uint8_t* data, std::size_t end, std::size_t& position, GooseValue& value) {
    if (position >= end) return 0;
    value.type = data[position] & 0x7F;
    ++position;
    switch (value.type) {
        case kGooseBoolean: {
            std::uint32_t flag;
            if (!BerReadBoolean(data, end, position, flag)) return 0;
            value.integer = flag;
            return 1;
        }
        case kGooseBitString:
        case kGooseBooleanArray: return BerReadBitString(data, end, position, value.data, value.bitCount);
        case kGooseInteger:
        case kGooseBcd: return BerReadInteger(data, end, position, value.integer);
        case kGooseUnsigned: return BerReadUnsigned(data, end, position, value.unsignedValue);
        case kGooseFloat: return BerReadFloat(data, end, position, value.real);
        case kGooseOctetString:
        case kGooseVisibleString:
        case kGooseGeneralizedTime:
        case kGooseObjectId:
        case kGooseMmsString: return BerReadOctetString(data, end, position, value.data);
        case kGooseBinaryTime:
            // Milliseconds of the day, then (six octets) days since 1984-01-01.
            return BerReadOctetString(data, end, position, value.data) &&
                   (value.data.length == 4 || value.data.length == 6);
        case kGooseUtcTime: return BerReadUtcTime(data, end, position, value.seconds, value.fraction);
        default: {
            std::size_t length;
            if (!BerReadLength(data, end, position, length)) return 0;
            position += length;
            return 1;
        }
    }
}
