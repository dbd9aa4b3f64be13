#pragma once

#include "system/ResultCode.h"

#include <cstdint>
#include <memory>

namespace Protocol {

// A bounded byte queue for reassembling a byte stream: writes append at the write
// position, reads peek and skip from the read position. It never grows by itself:
// the owner sizes it once for the largest unit it expects and compacts it after
// consuming, so a partial unit and the next chunk fit behind each other.
class ByteBuffer {
public:
    explicit ByteBuffer(std::uint32_t capacity = 0);
    virtual ~ByteBuffer();

    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Replaces the storage with n bytes. InvalidArguments for 0; OkNoError when n is
    // the present capacity; InvalidState while either position is not 0 (the data
    // stay); NoResources when the memory cannot be had (capacity 0 afterwards).
    System::ResultCode SetCapacity(std::uint32_t n);

    std::uint32_t GetCapacity() const { return capacity_; }
    // Unread bytes.
    std::uint32_t Available() const { return writePosition_ - readPosition_; }
    // Bytes that can still be written behind the write position (Compact may free more).
    std::uint32_t Room() const { return capacity_ - writePosition_; }

    // Big-endian reads at read position + offset that consume nothing: OkNoError, or
    // OutOfRange when fewer than offset + width bytes are unread.
    System::ResultCode PeekByte(std::uint32_t offset, std::uint8_t& value) const;
    System::ResultCode PeekUInt16(std::uint32_t offset, std::uint16_t& value) const;
    System::ResultCode PeekUInt32(std::uint32_t offset, std::uint32_t& value) const;
    System::ResultCode PeekBytes(std::uint32_t offset, std::uint8_t* destination, std::uint32_t n) const;

    // Appends n bytes: OkNoError, or OutOfRange when they do not all fit (nothing is
    // written).
    System::ResultCode Write(const std::uint8_t* bytes, std::uint32_t n);
    // Consumes n bytes: OkNoError, or OutOfRange when fewer are unread.
    System::ResultCode Skip(std::uint32_t n);

    // Forgets everything: both positions 0.
    void Clear();
    // Moves the unread bytes to the start of the storage.
    void Compact();

private:
    bool HasUnread(std::uint32_t offset, std::uint32_t width) const;

    std::uint32_t capacity_ = 0;
    std::unique_ptr<std::uint8_t[]> data_;
    std::uint32_t readPosition_ = 0;
    std::uint32_t writePosition_ = 0;
};

}  // namespace Protocol
