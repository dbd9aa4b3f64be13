#pragma once

// The records that decoding a GOOSE frame fills in.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The octets of a string field of fixed capacity. A string longer than the field fails
// its frame: cutting it would show a value the publisher never sent.
template <std::size_t Capacity>
struct BoundedOctets {
    static constexpr std::size_t kCapacity = Capacity;

    std::uint16_t length = 0;
    std::array<std::uint8_t, Capacity> octets{};

    // false (and nothing copied) when the octets do not fit.
    bool Assign(const std::uint8_t* data, std::size_t size) {
        if (size > Capacity) return false;
        if (size) std::memcpy(octets.data(), data, size);
        length = static_cast<std::uint16_t>(size);
        return true;
    }
    std::string_view View() const { return {reinterpret_cast<const char*>(octets.data()), length}; }
};

using MacAddress = std::array<std::uint8_t, 6>;

// The Ethernet framing and the goosePdu header fields of one frame.
struct GooseHeader {
    MacAddress destinationMac{};
    MacAddress sourceMac{};
    std::uint32_t tagged = 0;
    std::uint8_t priority = 0;  // priority, VLAN ID and CFI are written for tagged frames only
    std::uint16_t vlanId = 0;
    std::uint32_t cfi = 0;
    std::uint16_t appId = 0;
    BoundedOctets<256> gocbRef;
    BoundedOctets<256> goId;  // length 0 when the frame has none
    BoundedOctets<256> datSet;
    std::uint32_t ndsCom = 0;
    std::uint32_t test = 0;
    std::uint32_t timeAllowedtoLive = 0;
    std::uint32_t stNum = 0;
    std::uint32_t sqNum = 0;
    std::uint32_t confRev = 0;
    std::uint32_t tSeconds = 0;
    std::uint32_t tFraction = 0;  // three octets of fraction, then the quality octet
    // The APPID's offset + Length: where the PDU ends. Octets behind it (Ethernet padding,
    // a captured FCS) are not part of the frame's data.
    std::size_t end = 0;
};

// Element types of allData: the tag octet with its top bit cleared.
enum GooseValueType : std::uint8_t {
    kGooseArray = 0x21,
    kGooseStructure = 0x22,
    kGooseBoolean = 3,
    kGooseBitString = 4,
    kGooseInteger = 5,
    kGooseUnsigned = 6,
    kGooseFloat = 7,
    kGooseOctetString = 9,
    kGooseVisibleString = 10,
    kGooseGeneralizedTime = 11,
    kGooseBinaryTime = 12,
    kGooseBcd = 13,
    kGooseBooleanArray = 14,
    kGooseObjectId = 15,
    kGooseMmsString = 16,
    kGooseUtcTime = 17,
};

// One element of allData.
struct GooseValue {
    std::uint8_t type = 0;
    std::int64_t integer = 0;  // boolean (0 or 1) and integer
    std::uint64_t unsignedValue = 0;
    double real = 0;          // single or double precision, widened
    BoundedOctets<255> data;  // strings, binary times, object ids; the octets of a bit string
    std::uint16_t bitCount = 0;
    std::uint32_t seconds = 0;  // utc-time
    std::uint32_t fraction = 0;
};
