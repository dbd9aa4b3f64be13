#include "protocol/ByteBuffer.h"

#include <cstring>
#include <new>

namespace Protocol {

ByteBuffer::ByteBuffer(std::uint32_t capacity) {
    if (capacity != 0) {
        data_.reset(new (std::nothrow) std::uint8_t[capacity]);
        capacity_ = data_ ? capacity : 0;
    }
}

ByteBuffer::~ByteBuffer() = default;

System::ResultCode ByteBuffer::SetCapacity(std::uint32_t n) {
    if (n == 0) return System::InvalidArguments;
    if (n == capacity_) return System::OkNoError;
    if (readPosition_ != 0 || writePosition_ != 0) return System::InvalidState;
    data_.reset();
    capacity_ = 0;
    data_.reset(new (std::nothrow) std::uint8_t[n]);
    if (!data_) return System::NoResources;
    capacity_ = n;
    return System::OkNoError;
}

bool ByteBuffer::HasUnread(std::uint32_t offset, std::uint32_t width) const {
    // Widened so that a huge offset cannot wrap around and pass the test.
    return std::uint64_t{offset} + width <= Available();
}

System::ResultCode ByteBuffer::PeekByte(std::uint32_t offset, std::uint8_t& value) const {
    if (!HasUnread(offset, 1)) return System::OutOfRange;
    value = data_[readPosition_ + offset];
    return System::OkNoError;
}

System::ResultCode ByteBuffer::PeekUInt16(std::uint32_t offset, std::uint16_t& value) const {
    if (!HasUnread(offset, 2)) return System::OutOfRange;
    const std::uint8_t* at = &data_[readPosition_ + offset];
    value = static_cast<std::uint16_t>((at[0] << 8) | at[1]);
    return System::OkNoError;
}

System::ResultCode ByteBuffer::PeekUInt32(std::uint32_t offset, std::uint32_t& value) const {
    if (!HasUnread(offset, 4)) return System::OutOfRange;
    const std::uint8_t* at = &data_[readPosition_ + offset];
    value = (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
    return System::OkNoError;
}

System::ResultCode ByteBuffer::PeekBytes(std::uint32_t offset, std::uint8_t* destination, std::uint32_t n) const {
    if (!HasUnread(offset, n)) return System::OutOfRange;
    if (n != 0) std::memcpy(destination, &data_[readPosition_ + offset], n);
    return System::OkNoError;
}

System::ResultCode ByteBuffer::Write(const std::uint8_t* bytes, std::uint32_t n) {
    if (n > Room()) return System::OutOfRange;
    if (n != 0) std::memcpy(&data_[writePosition_], bytes, n);
    writePosition_ += n;
    return System::OkNoError;
}

System::ResultCode ByteBuffer::Skip(std::uint32_t n) {
    if (n > Available()) return System::OutOfRange;
    readPosition_ += n;
    return System::OkNoError;
}

void ByteBuffer::Clear() {
    readPosition_ = 0;
    writePosition_ = 0;
}

void ByteBuffer::Compact() {
    const std::uint32_t unread = Available();
    if (unread != 0 && readPosition_ != 0) std::memmove(&data_[0], &data_[readPosition_], unread);
    readPosition_ = 0;
    writePosition_ = unread;
}

}  // namespace Protocol
