#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "protocol/RawFrame.h"
#include "support/WireCheck.h"

namespace CotpTest {

// A received unit as the layer below hands it up: a frame whose window is the bytes.
inline std::unique_ptr<Protocol::RawFrame> ReceivedFrame(const std::vector<std::uint8_t>& bytes) {
    auto frame = std::make_unique<Protocol::RawFrame>(nullptr);
    if (!bytes.empty()) {
        frame->Allocate(static_cast<std::uint32_t>(bytes.size()));
        std::memcpy(frame->Data(), bytes.data(), bytes.size());
    }
    frame->SetWindow(0, static_cast<std::uint32_t>(bytes.size()), 0);
    return frame;
}

inline std::unique_ptr<Protocol::RawFrame> ReceivedFrame(const char* hex) {
    return ReceivedFrame(TestSupport::BytesFromHex(hex));
}

// The frame's bytes from its origin (what the transport below would send).
inline std::vector<std::uint8_t> BytesOf(const Protocol::Frame& frame) {
    const std::uint8_t* data = frame.Data();
    if (data == nullptr) return {};
    return {data, data + frame.GetTotalLength()};
}

inline std::vector<std::uint8_t> WindowOf(const Protocol::Frame& frame) {
    const std::uint8_t* data = frame.WindowData();
    if (data == nullptr) return {};
    return {data, data + frame.GetWindowLength()};
}

inline std::vector<std::uint8_t> Hex(const char* hex) { return TestSupport::BytesFromHex(hex); }

// A TPKT around a TPDU, as RFC 1006 carries it.
inline std::vector<std::uint8_t> Tpkt(std::span<const std::uint8_t> tpdu) {
    const std::size_t length = tpdu.size() + 4;
    std::vector<std::uint8_t> packet(length);
    packet[0] = 0x03;
    packet[2] = static_cast<std::uint8_t>(length >> 8);
    packet[3] = static_cast<std::uint8_t>(length);
    if (!tpdu.empty()) std::memcpy(packet.data() + 4, tpdu.data(), tpdu.size());
    return packet;
}

inline std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t seed = 0) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

}  // namespace CotpTest
