#include "protocol/Asn1StringValues.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "protocol/Asn1Coder.h"
#include "protocol/Asn1ValueSupport.h"

namespace Asn1 {

using System::ResultCode;
using ValueSupport::FromCoder;
using ValueSupport::Present;

namespace {

bool BitIsSet(const std::uint8_t* octets, std::size_t bit) { return (octets[bit / 8] >> (7 - bit % 8)) & 1u; }

// Replaces the bit string's octets by a fresh zeroed block for bitCount bits.
ResultCode ResetBits(Asn1BitString* bitString, std::size_t bitCount, std::uint8_t*& octets) {
    const std::size_t size = (bitCount + 7) / 8;
    if (size > INT32_MAX) return System::OutOfRange;
    octets = static_cast<std::uint8_t*>(std::calloc(size + 1, 1));
    if (octets == nullptr) return System::NoResources;
    if (!bitString->borrowed) std::free(bitString->buf);
    bitString->buf = octets;
    bitString->size = static_cast<std::int32_t>(size);
    bitString->borrowed = 0;
    bitString->unusedBits = static_cast<std::int32_t>((8 - bitCount % 8) % 8);
    return System::OkNoError;
}

// The number of bits a received value holds, or false for an impossible value.
bool BitCount(const Asn1BitString* bitString, std::size_t& count) {
    if (bitString->size < 0 || bitString->unusedBits < 0 || bitString->unusedBits > 7) return false;
    if (bitString->size == 0) {
        count = 0;
        return bitString->unusedBits == 0;
    }
    if (bitString->buf == nullptr) return false;
    count = static_cast<std::size_t>(bitString->size) * 8 - static_cast<std::size_t>(bitString->unusedBits);
    return true;
}

// The eight characters of each octet's bits, first bit first.
constexpr auto OctetBitTexts = [] {
    std::array<std::array<char, 8>, 256> texts{};
    for (std::size_t octet = 0; octet < texts.size(); ++octet) {
        for (std::size_t bit = 0; bit < 8; ++bit) texts[octet][bit] = ((octet >> (7 - bit)) & 1u) != 0 ? '1' : '0';
    }
    return texts;
}();

void AppendBitText(std::string& text, const std::uint8_t* octets, std::size_t bitCount) {
    // Sized once and written an octet at a time: every read of a quality or a status
    // passes here.
    text.resize(bitCount);
    char* out = text.data();
    const std::size_t whole = bitCount / 8;
    for (std::size_t i = 0; i < whole; ++i) std::memcpy(out + 8 * i, OctetBitTexts[octets[i]].data(), 8);
    for (std::size_t bit = 8 * whole; bit < bitCount; ++bit) out[bit] = OctetBitTexts[octets[whole]][bit % 8];
}

}  // namespace

ResultCode BoolsToAsn1BitString(Asn1BitString* bitString, std::span<const std::uint8_t> bools) {
    if (bitString == nullptr) return System::InvalidArguments;
    std::uint8_t* octets = nullptr;
    const ResultCode result = ResetBits(bitString, bools.size(), octets);
    if (result != System::OkNoError) return result;
    for (std::size_t bit = 0; bit < bools.size(); ++bit) {
        if (bools[bit] != 0) octets[bit / 8] = static_cast<std::uint8_t>(octets[bit / 8] | (0x80u >> (bit % 8)));
    }
    return System::OkNoError;
}

ResultCode StringBytesToAsn1BitString(Asn1BitString* bitString, std::string_view bytes, std::uint32_t bitCount) {
    if (bitString == nullptr || bitCount > bytes.size() * 8) return System::InvalidArguments;
    std::uint8_t* octets = nullptr;
    const ResultCode result = ResetBits(bitString, bitCount, octets);
    if (result != System::OkNoError) return result;
    const std::size_t size = (bitCount + 7) / 8;
    if (size > 0) {
        std::memcpy(octets, bytes.data(), size);
        if (bitCount % 8 != 0)
            octets[size - 1] = static_cast<std::uint8_t>(octets[size - 1] & (0xFF00u >> (bitCount % 8)));
    }
    return System::OkNoError;
}

ResultCode Asn1BitStringToBools(std::span<std::uint8_t> bools, std::size_t& count, const Asn1BitString* bitString,
                                bool* present) {
    ResultCode result;
    if (!Present(bitString, present, result)) return result;
    std::size_t bitCount = 0;
    if (!BitCount(bitString, bitCount)) return System::InvalidArguments;
    if (bools.size() < bitCount) return System::Error;
    for (std::size_t bit = 0; bit < bitCount; ++bit) bools[bit] = BitIsSet(bitString->buf, bit) ? 1 : 0;
    count = bitCount;
    return System::OkNoError;
}

ResultCode Asn1BitStringToBitText(std::string& text, const Asn1BitString* bitString, std::uint32_t requiredBits,
                                  std::int32_t* unusedBits, bool* present) {
    ResultCode result;
    if (!Present(bitString, present, result)) return result;
    std::size_t bitCount = 0;
    if (!BitCount(bitString, bitCount) || bitCount < requiredBits) return System::InvalidArguments;
    AppendBitText(text, bitString->buf, bitCount);
    if (unusedBits != nullptr) *unusedBits = bitString->unusedBits;
    return System::OkNoError;
}

ResultCode BitStringToBitText(std::string& text, std::span<const std::uint8_t> octets, std::uint32_t bitCount) {
    if (bitCount > octets.size() * 8) return System::InvalidArguments;
    AppendBitText(text, octets.data(), bitCount);
    return System::OkNoError;
}

ResultCode BytesToAsn1OctetString(Asn1OctetString* octetString, std::span<const std::uint8_t> bytes) {
    if (octetString == nullptr || bytes.size() > INT32_MAX) return System::InvalidArguments;
    errno = 0;
    return FromCoder(Asn1OctetStringSetBytes(octetString, bytes.data(), bytes.size()));
}

ResultCode StringToAsn1OctetString(Asn1OctetString* octetString, std::string_view text) {
    return BytesToAsn1OctetString(
        octetString, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

ResultCode NewOptionalAsn1OctetString(Asn1OctetString*& octetString, bool present, std::string_view text) {
    octetString = nullptr;
    if (!present) return System::OkNoError;
    auto* created = static_cast<Asn1OctetString*>(std::calloc(1, sizeof(Asn1OctetString)));
    if (created == nullptr) return System::NoResources;
    const ResultCode result = StringToAsn1OctetString(created, text);
    if (result != System::OkNoError) {
        std::free(created);
        return result;
    }
    octetString = created;
    return System::OkNoError;
}

ResultCode NewAsn1OctetStringReversed(Asn1OctetString*& octetString, std::span<const std::uint8_t> bytes) {
    octetString = nullptr;
    auto* created = static_cast<Asn1OctetString*>(std::calloc(1, sizeof(Asn1OctetString)));
    if (created == nullptr) return System::NoResources;
    const ResultCode result = BytesToAsn1OctetString(created, bytes);
    if (result != System::OkNoError) {
        std::free(created);
        return result;
    }
    std::reverse(created->buf, created->buf + created->size);
    octetString = created;
    return System::OkNoError;
}

ResultCode Asn1OctetStringToString(std::string& text, const Asn1OctetString* octetString, bool* present) {
    ResultCode result;
    if (!Present(octetString, present, result)) return result;
    if (octetString->size < 0 || (octetString->size > 0 && octetString->buf == nullptr)) {
        return System::InvalidArguments;
    }
    text.assign(reinterpret_cast<const char*>(octetString->buf), static_cast<std::size_t>(octetString->size));
    return System::OkNoError;
}

}  // namespace Asn1
