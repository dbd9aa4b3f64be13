#include "protocol/Frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "system/ByteOrder.h"

namespace Protocol {

using System::ResultCode;

namespace {
constexpr std::uint32_t LongLengthMark = 255;
constexpr std::uint32_t LargestLengthIndicator = 0xFFFF;
constexpr std::size_t HexDumpLineRoom = 71;

// Minimal big-endian octets of a number (at least one).
unsigned SignificantOctets(std::uint32_t value) {
    unsigned n = 1;
    while (n < 4 && (value >> (8 * n)) != 0) ++n;
    return n;
}
}  // namespace

Frame::Frame(Connection* owner, std::uint32_t length) : windowLength_(length), owner_(owner) {}

Frame::Frame(Connection* owner, std::uint32_t head, std::uint32_t length)
    : headerLength_(head), windowLength_(length), owner_(owner) {}

Frame::~Frame() = default;

ResultCode Frame::Allocate(std::uint32_t capacity) {
    if (capacity == 0) {
        storage_.reset();
        capacity_ = 0;
        return System::OkNoError;
    }
    std::unique_ptr<std::uint8_t[]> storage(new (std::nothrow) std::uint8_t[capacity]());
    if (!storage) return System::NoResources;
    storage_ = std::move(storage);
    capacity_ = capacity;
    return System::OkNoError;
}

ResultCode Frame::AllocateUnfilled(std::uint32_t capacity) {
    if (capacity == 0) return Allocate(0);
    std::unique_ptr<std::uint8_t[]> storage(new (std::nothrow) std::uint8_t[capacity]);
    if (!storage) return System::NoResources;
    storage_ = std::move(storage);
    capacity_ = capacity;
    return System::OkNoError;
}

void Frame::AdoptStorage(std::unique_ptr<std::uint8_t[]> storage, std::uint32_t capacity) {
    storage_ = std::move(storage);
    capacity_ = storage_ ? capacity : 0;
}

void Frame::SetWindow(std::uint32_t offset, std::uint32_t length, std::uint32_t trailer) {
    origin_ = 0;
    headerLength_ = offset;
    windowLength_ = length;
    trailerLength_ = trailer;
}

std::uint8_t* Frame::Data() { return storage_ ? storage_.get() + origin_ : nullptr; }
const std::uint8_t* Frame::Data() const { return storage_ ? storage_.get() + origin_ : nullptr; }
std::uint8_t* Frame::WindowData() { return storage_ ? storage_.get() + GetWindowStart() : nullptr; }
const std::uint8_t* Frame::WindowData() const { return storage_ ? storage_.get() + GetWindowStart() : nullptr; }

ResultCode Frame::Advance(std::uint32_t n) {
    if (n > windowLength_) return System::OutOfRange;
    headerLength_ += n;
    windowLength_ -= n;
    return System::OkNoError;
}

ResultCode Frame::Encode() {
    BeginWrite();
    return System::OkNoError;
}

void Frame::BeginWrite() {
    writeBase_ = origin_;
    writePosition_ = 0;
}

ResultCode Frame::Append(const std::uint8_t* bytes, std::uint32_t n) {
    if (bytes == nullptr && n > 0) return System::InvalidArguments;
    const std::uint64_t end = std::uint64_t{origin_} + GetTotalLength();
    const std::uint64_t needed = end + n;
    if (needed > UINT32_MAX) return System::NoResources;
    if (needed > capacity_) {
        std::uint64_t grown = capacity_ == 0 ? needed : std::uint64_t{capacity_} * 2;
        while (grown <= needed && grown < UINT32_MAX) grown *= 2;
        grown = std::min<std::uint64_t>(grown, UINT32_MAX);
        std::unique_ptr<std::uint8_t[]> storage(new (std::nothrow) std::uint8_t[grown]());
        if (!storage) return System::NoResources;
        if (storage_) std::memcpy(storage.get(), storage_.get(), capacity_);
        storage_ = std::move(storage);
        capacity_ = static_cast<std::uint32_t>(grown);
    }
    if (n > 0) std::memcpy(storage_.get() + end, bytes, n);
    windowLength_ += trailerLength_;
    trailerLength_ = n;
    return System::OkNoError;
}

ResultCode Frame::AppendParameter(std::uint8_t code, const Frame& value) {
    const std::uint32_t length = value.GetWindowLength();
    if (length > 0 && (value.storage_ == nullptr || std::uint64_t{value.GetWindowStart()} + length > value.capacity_)) {
        return System::InvalidArguments;
    }
    if (length > LargestLengthIndicator) return System::OutOfRange;
    const std::uint32_t indicator = length < LongLengthMark ? 1 : 3;
    if (writePosition_ < 0 || !CursorFits(1 + indicator + length, capacity_)) {
        return System::NoResources;
    }
    PutByte(code);
    PutLengthIndicator(length);
    const std::uint32_t valueStart = CursorOffset();
    if (length > 0) std::memmove(storage_.get() + valueStart, value.WindowData(), length);
    writePosition_ += static_cast<std::int32_t>(length);
    origin_ = 0;
    headerLength_ = valueStart;
    windowLength_ = length;
    trailerLength_ = 0;
    return System::OkNoError;
}

char* Frame::HexDump(char* text, std::size_t size) const {
    if (text == nullptr || size == 0) return text;
    text[0] = '\0';
    std::uint32_t total = GetTotalLength();
    const std::uint32_t present = storage_ && origin_ < capacity_ ? capacity_ - origin_ : 0;
    total = std::min(total, present);
    const std::uint8_t* bytes = Data();
    const std::uint32_t lines = total == 0 ? 1 : (total - 1) / 16 + 1;
    std::size_t written = 0;
    for (std::uint32_t line = 0; line < lines; ++line) {
        char buffer[96];
        int length = std::snprintf(buffer, sizeof buffer, "%04X\t", line * 16);
        for (std::uint32_t i = line * 16; i < line * 16 + 16; ++i) {
            if (i < total) {
                length += std::snprintf(buffer + length, sizeof buffer - length, "%02X ", bytes[i]);
            } else {
                length += std::snprintf(buffer + length, sizeof buffer - length, "   ");
            }
        }
        for (std::uint32_t i = line * 16; i < line * 16 + 16 && i < total; ++i) {
            buffer[length++] = bytes[i] >= 32 ? static_cast<char>(bytes[i]) : '.';
        }
        buffer[length++] = '\n';
        const std::size_t room = std::max<std::size_t>(HexDumpLineRoom, static_cast<std::size_t>(length) + 1);
        if (written + room > size) break;
        std::memcpy(text + written, buffer, static_cast<std::size_t>(length));
        written += static_cast<std::size_t>(length);
        text[written] = '\0';
    }
    return text;
}

// ---- write cursor ----

bool Frame::CursorFits(std::uint32_t n, std::uint32_t limit) const {
    if (writePosition_ < 0 || !storage_) return false;
    return std::uint64_t{writeBase_} + static_cast<std::uint32_t>(writePosition_) + n <= limit;
}

std::uint32_t Frame::ReadLimit() const {
    const std::uint64_t end = std::uint64_t{origin_} + GetTotalLength();
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(end, capacity_));
}

ResultCode Frame::SetWritePosition(std::int32_t position) {
    if (position < 0 || std::uint64_t{writeBase_} + static_cast<std::uint32_t>(position) > capacity_) {
        return System::OutOfRange;
    }
    writePosition_ = position;
    return System::OkNoError;
}

ResultCode Frame::PutBytes(const std::uint8_t* bytes, std::uint32_t n) {
    if (bytes == nullptr && n > 0) return System::InvalidArguments;
    if (!CursorFits(n, capacity_)) return System::NoResources;
    if (n > 0) std::memmove(storage_.get() + CursorOffset(), bytes, n);
    writePosition_ += static_cast<std::int32_t>(n);
    return System::OkNoError;
}

ResultCode Frame::PutByte(std::uint8_t value) { return PutBytes(&value, 1); }

ResultCode Frame::PutUInt16(std::uint16_t value) {
    std::uint8_t octets[2];
    System::WriteBigEndian(octets, value, 2);
    return PutBytes(octets, 2);
}

ResultCode Frame::PutUInt32(std::uint32_t value) {
    std::uint8_t octets[4];
    System::WriteBigEndian(octets, value, 4);
    return PutBytes(octets, 4);
}

ResultCode Frame::GetBytes(std::uint8_t* destination, std::uint32_t n) {
    if (destination == nullptr && n > 0) return System::InvalidArguments;
    if (!CursorFits(n, ReadLimit())) return System::OutOfRange;
    if (n > 0) std::memcpy(destination, storage_.get() + CursorOffset(), n);
    writePosition_ += static_cast<std::int32_t>(n);
    return System::OkNoError;
}

ResultCode Frame::GetByte(std::uint8_t& value) { return GetBytes(&value, 1); }

ResultCode Frame::GetUInt16(std::uint16_t& value) {
    std::uint8_t octets[2];
    const ResultCode result = GetBytes(octets, 2);
    if (result == System::OkNoError) value = System::ReadBigEndian16(octets);
    return result;
}

ResultCode Frame::GetUInt32(std::uint32_t& value) {
    std::uint8_t octets[4];
    const ResultCode result = GetBytes(octets, 4);
    if (result == System::OkNoError) value = System::ReadBigEndian32(octets);
    return result;
}

ResultCode Frame::PutLengthIndicator(std::uint32_t length) {
    if (length > LargestLengthIndicator) return System::OutOfRange;
    if (length < LongLengthMark) return PutByte(static_cast<std::uint8_t>(length));
    const std::uint8_t octets[3] = {static_cast<std::uint8_t>(LongLengthMark), static_cast<std::uint8_t>(length >> 8),
                                    static_cast<std::uint8_t>(length)};
    return PutBytes(octets, 3);
}

ResultCode Frame::PeekLengthIndicator(std::uint32_t& length, std::uint32_t& octets) const {
    const std::uint32_t limit = ReadLimit();
    if (!CursorFits(1, limit)) return System::OutOfRange;
    const std::uint8_t* at = storage_.get() + CursorOffset();
    if (at[0] != LongLengthMark) {
        length = at[0];
        octets = 1;
        return System::OkNoError;
    }
    if (!CursorFits(3, limit)) return System::OutOfRange;
    length = System::ReadBigEndian16(at + 1);
    octets = 3;
    return System::OkNoError;
}

ResultCode Frame::GetLengthIndicator(std::uint32_t& length) {
    std::uint32_t octets = 0;
    const ResultCode result = PeekLengthIndicator(length, octets);
    if (result == System::OkNoError) writePosition_ += static_cast<std::int32_t>(octets);
    return result;
}

ResultCode Frame::PutParameterByte(std::uint8_t code, std::uint8_t value) {
    const std::uint8_t octets[3] = {code, 1, value};
    return PutBytes(octets, 3);
}

ResultCode Frame::PutParameterUInt16(std::uint8_t code, std::uint16_t value) {
    std::uint8_t octets[4] = {code, 2};
    System::WriteBigEndian(octets + 2, value, 2);
    return PutBytes(octets, 4);
}

ResultCode Frame::PutParameterUInt32(std::uint8_t code, std::uint32_t value) {
    std::uint8_t octets[6] = {code, 4};
    System::WriteBigEndian(octets + 2, value, 4);
    return PutBytes(octets, 6);
}

ResultCode Frame::PutParameterBytes(std::uint8_t code, const std::uint8_t* bytes, std::uint32_t n) {
    if (bytes == nullptr && n > 0) return System::InvalidArguments;
    if (n > LargestLengthIndicator) return System::OutOfRange;
    const std::uint32_t indicator = n < LongLengthMark ? 1 : 3;
    if (!CursorFits(1 + indicator + n, capacity_)) return System::NoResources;
    PutByte(code);
    PutLengthIndicator(n);
    return PutBytes(bytes, n);
}

ResultCode Frame::BeginGroup(std::uint8_t code) {
    if (!CursorFits(2, capacity_)) return System::NoResources;
    PutByte(code);
    groupMark_ = writePosition_;
    return PutByte(0);
}

ResultCode Frame::EndGroup() {
    if (groupMark_ < 0 || writePosition_ <= groupMark_) return System::InvalidState;
    const ResultCode result = SetLengthAt(groupMark_, static_cast<std::uint32_t>(writePosition_ - groupMark_ - 1));
    if (result == System::OkNoError) groupMark_ = -1;
    return result;
}

ResultCode Frame::SetLengthAt(std::int32_t position, std::uint32_t length) {
    if (!storage_ || position < 0 || std::uint64_t{writeBase_} + static_cast<std::uint32_t>(position) >= capacity_) {
        return System::OutOfRange;
    }
    std::uint8_t* at = storage_.get() + writeBase_ + position;
    if (length < LongLengthMark) {
        *at = static_cast<std::uint8_t>(length);
        return System::OkNoError;
    }
    if (length > LargestLengthIndicator) return System::OutOfRange;
    if (std::uint64_t{writeBase_} + static_cast<std::uint32_t>(position) + length + 3 > capacity_) {
        return System::NoResources;
    }
    std::memmove(at + 3, at + 1, length);
    at[0] = static_cast<std::uint8_t>(LongLengthMark);
    System::WriteBigEndian(at + 1, length, 2);
    writePosition_ += 2;
    return System::OkNoError;
}

ResultCode Frame::GetParameterInteger(std::uint32_t& value) {
    std::uint32_t length = 0;
    std::uint32_t octets = 0;
    const ResultCode result = PeekLengthIndicator(length, octets);
    if (result != System::OkNoError) return result;
    if (!CursorFits(octets + length, ReadLimit())) return System::OutOfRange;
    const std::uint8_t* at = storage_.get() + CursorOffset() + octets;
    std::uint64_t number = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        number = (number << 8) | at[i];
        if (number > UINT32_MAX) return System::OutOfRange;
    }
    value = static_cast<std::uint32_t>(number);
    writePosition_ += static_cast<std::int32_t>(octets + length);
    return System::OkNoError;
}

ResultCode Frame::GetParameterBytes(std::uint8_t* destination, std::uint32_t& length, std::uint32_t maximum) {
    std::uint32_t announced = 0;
    std::uint32_t octets = 0;
    const ResultCode result = PeekLengthIndicator(announced, octets);
    if (result != System::OkNoError) return result;
    if (announced > maximum) return System::OutOfRange;
    if (!CursorFits(octets + announced, ReadLimit())) return System::OutOfRange;
    if (destination == nullptr && announced > 0) return System::InvalidArguments;
    if (announced > 0) std::memcpy(destination, storage_.get() + CursorOffset() + octets, announced);
    length = announced;
    writePosition_ += static_cast<std::int32_t>(octets + announced);
    return System::OkNoError;
}

// ---- BER helpers ----

namespace {
// Identifier octets (one, or two for a tag above 0xFF) and the definite length.
std::uint32_t BuildBerHeader(std::uint32_t contentLength, std::uint16_t tag, std::uint8_t (&header)[7]) {
    std::uint32_t size = 0;
    if (tag > 0xFF) header[size++] = static_cast<std::uint8_t>(tag >> 8);
    header[size++] = static_cast<std::uint8_t>(tag);
    if (contentLength < 128) {
        header[size++] = static_cast<std::uint8_t>(contentLength);
    } else {
        const unsigned octets = SignificantOctets(contentLength);
        header[size++] = static_cast<std::uint8_t>(0x80 | octets);
        System::WriteBigEndian(header + size, contentLength, octets);
        size += octets;
    }
    return size;
}

constexpr std::uint32_t LargestBerContent = INT32_MAX - 8;
}  // namespace

const std::uint8_t* Frame::PeekWindow(std::uint32_t n) const {
    const std::uint8_t* at = WindowData();
    if (at == nullptr || n > windowLength_ || std::uint64_t{GetWindowStart()} + n > capacity_) {
        return nullptr;
    }
    return at;
}

int Frame::PrependOctets(const std::uint8_t* bytes, std::uint32_t n) {
    if (!storage_ || n > headerLength_ || GetWindowStart() > capacity_) return -1;
    headerLength_ -= n;
    windowLength_ += n;
    if (n > 0) std::memmove(storage_.get() + GetWindowStart(), bytes, n);
    return static_cast<int>(n);
}

int Frame::PrependHeaderAndContent(const std::uint8_t* content, std::uint32_t n, std::uint16_t tag) {
    if ((content == nullptr && n > 0) || n > LargestBerContent) return -1;
    std::uint8_t header[7];
    const std::uint32_t size = BuildBerHeader(n, tag, header);
    if (!storage_ || std::uint64_t{size} + n > headerLength_) return -1;
    PrependOctets(content, n);
    PrependOctets(header, size);
    return static_cast<int>(size + n);
}

int Frame::PrependBerLength(std::uint32_t contentLength, std::uint16_t tag) {
    if (contentLength > LargestBerContent) return -1;
    std::uint8_t header[7];
    const std::uint32_t size = BuildBerHeader(contentLength, tag, header);
    if (PrependOctets(header, size) < 0) return -1;
    return static_cast<int>(size + contentLength);
}

int Frame::PrependBerOctets(const std::uint8_t* bytes, std::uint32_t n, std::uint16_t tag) {
    return PrependHeaderAndContent(bytes, n, tag);
}

int Frame::PrependBerBoolean(bool value, std::uint16_t tag) {
    const std::uint8_t content = value ? 1 : 0;
    return PrependHeaderAndContent(&content, 1, tag);
}

int Frame::PrependBerInteger(std::int32_t value, std::uint16_t tag) {
    std::uint8_t content[4];
    System::WriteBigEndian(content, static_cast<std::uint32_t>(value), 4);
    std::uint32_t skip = 0;
    // Drop leading octets that only repeat the sign of the next one.
    while (skip < 3 && ((content[skip] == 0x00 && (content[skip + 1] & 0x80) == 0) ||
                        (content[skip] == 0xFF && (content[skip + 1] & 0x80) != 0))) {
        ++skip;
    }
    return PrependHeaderAndContent(content + skip, 4 - skip, tag);
}

int Frame::PrependBerUnsigned(std::uint32_t value, std::uint16_t tag) {
    std::uint8_t content[5] = {0};
    System::WriteBigEndian(content + 1, value, 4);
    std::uint32_t first = 5 - SignificantOctets(value);
    if (content[first] & 0x80) --first;
    return PrependHeaderAndContent(content + first, 5 - first, tag);
}

int Frame::ReadBerTagLength(std::uint32_t& tag, std::uint32_t& length) {
    const std::uint8_t* at = WindowData();
    const std::uint32_t start = GetWindowStart();
    const std::uint32_t available =
        at == nullptr || start >= capacity_ ? 0 : std::min(windowLength_, capacity_ - start);
    std::uint32_t used = 0;
    if (available < 1) return -1;
    std::uint32_t readTag = at[used++];
    if ((readTag & 0x1F) == 0x1F) {
        readTag = 0;
        for (int octets = 0;; ++octets) {
            if (octets == 4 || used >= available) return -1;
            const std::uint8_t octet = at[used++];
            readTag = (readTag << 7) | (octet & 0x7F);
            if ((octet & 0x80) == 0) break;
        }
    }
    if (used >= available) return -1;
    const std::uint8_t first = at[used++];
    std::uint32_t readLength = first;
    if (first & 0x80) {
        // 0x80 alone would be the indefinite form, which the frame does not take.
        const std::uint32_t octets = first & 0x7F;
        if (octets == 0 || octets > 4 || available - used < octets) return -1;
        readLength = 0;
        for (std::uint32_t i = 0; i < octets; ++i) readLength = (readLength << 8) | at[used++];
    }
    if (readLength > available - used) return -1;
    tag = readTag;
    length = readLength;
    Advance(used);
    return static_cast<int>(used);
}

int Frame::ReadBerBoolean(bool& value, std::uint32_t length) {
    const std::uint8_t* at = length == 1 ? PeekWindow(1) : nullptr;
    if (at == nullptr) return -1;
    value = at[0] != 0;
    Advance(1);
    return 1;
}

int Frame::ReadBerInteger(std::int32_t& value, std::uint32_t length) {
    const std::uint8_t* at = length >= 1 && length <= 4 ? PeekWindow(length) : nullptr;
    if (at == nullptr) return -1;
    std::uint32_t number = (at[0] & 0x80) ? UINT32_MAX : 0;
    for (std::uint32_t i = 0; i < length; ++i) number = (number << 8) | at[i];
    value = static_cast<std::int32_t>(number);
    Advance(length);
    return static_cast<int>(length);
}

int Frame::ReadBerUnsigned(std::uint32_t& value, std::uint32_t length) {
    const std::uint8_t* at = length >= 1 && length <= 5 ? PeekWindow(length) : nullptr;
    if (at == nullptr || (length == 5 && at[0] != 0)) return -1;
    std::uint32_t number = 0;
    for (std::uint32_t i = 0; i < length; ++i) number = (number << 8) | at[i];
    value = number;
    Advance(length);
    return static_cast<int>(length);
}

int Frame::ReadBytes(std::uint8_t* destination, std::uint32_t n) {
    if (n == 0) return 0;
    const std::uint8_t* at = n <= LargestBerContent ? PeekWindow(n) : nullptr;
    if (at == nullptr || destination == nullptr) return -1;
    std::memcpy(destination, at, n);
    Advance(n);
    return static_cast<int>(n);
}

int Frame::ReadText(std::string& text, std::uint32_t n) {
    if (n == 0) {
        text.clear();
        return 0;
    }
    const std::uint8_t* at = n <= LargestBerContent ? PeekWindow(n) : nullptr;
    if (at == nullptr) return -1;
    text.assign(reinterpret_cast<const char*>(at), n);
    Advance(n);
    return static_cast<int>(n);
}

int Frame::Skip(std::uint32_t n) {
    if (n > LargestBerContent || Advance(n) != System::OkNoError) return -1;
    return static_cast<int>(n);
}

}  // namespace Protocol
