#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "system/ResultCode.h"

namespace Protocol {

class Connection;

// The buffer in which one protocol data unit travels through the stack. The frame owns
// its storage and describes a window in it: the head in front of the window holds
// headers already written or consumed (or room for them), the window is what the
// current layer works on, and a trailer may follow. All offsets are into the storage.
//
// Received bytes are untrusted: every reader is bounded by the frame's bytes and fails
// without moving anything when a read would pass their end; every writer is bounded by
// the storage and fails without writing when the bytes would not fit.
class Frame {
public:
    static constexpr std::int32_t StateNew = 0;
    static constexpr std::int32_t StateBeingFilled = 1;
    static constexpr std::int32_t StateComplete = 2;
    static constexpr std::int32_t StateEncoded = 4;
    static constexpr std::int32_t StateDecoded = 6;
    static constexpr std::int32_t StateInvalid = 7;

    // A window of length bytes at offset 0 (or behind head bytes of head room); no
    // storage until Allocate.
    explicit Frame(Connection* owner, std::uint32_t length = 0);
    Frame(Connection* owner, std::uint32_t head, std::uint32_t length);
    virtual ~Frame();

    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    // Storage. Allocate replaces the storage by capacity zeroed bytes (none for 0);
    // NoResources, frame unchanged, when memory runs out. The window is not changed.
    System::ResultCode Allocate(std::uint32_t capacity);
    // As Allocate, but the bytes are not zeroed: for storage that is written in full
    // before anything reads it.
    System::ResultCode AllocateUnfilled(std::uint32_t capacity);
    void AdoptStorage(std::unique_ptr<std::uint8_t[]> storage, std::uint32_t capacity);
    std::uint32_t GetCapacity() const { return capacity_; }

    // Window. SetWindow: origin 0, head = offset, then length window bytes and trailer.
    void SetWindow(std::uint32_t offset, std::uint32_t length, std::uint32_t trailer);
    std::uint32_t GetOrigin() const { return origin_; }
    std::uint32_t GetHead() const { return headerLength_; }
    std::uint32_t GetWindowStart() const { return origin_ + headerLength_; }
    std::uint32_t GetWindowLength() const { return windowLength_; }
    std::uint32_t GetTrailerLength() const { return trailerLength_; }
    // Head + window + trailer: the frame's bytes from the origin.
    std::uint32_t GetTotalLength() const { return headerLength_ + windowLength_ + trailerLength_; }
    Connection* GetOwner() const { return owner_; }
    // Storage + origin and storage + window start; null while there is no storage.
    std::uint8_t* Data();
    const std::uint8_t* Data() const;
    std::uint8_t* WindowData();
    const std::uint8_t* WindowData() const;
    // Consumes n bytes at the window start (they join the head). OutOfRange, nothing
    // moved, when the window is shorter.
    System::ResultCode Advance(std::uint32_t n);

    std::int32_t GetState() const { return state_; }
    void SetState(std::int32_t state) { state_ = state; }

    // Base: BeginWrite.
    virtual System::ResultCode Encode();
    // Cursor to the origin: write base = origin, write position 0.
    virtual void BeginWrite();
    // The bytes go right after the frame's bytes; the storage doubles until they fit
    // (or is made just large enough when there is none). The former trailer joins the
    // window and the appended bytes become the trailer. NoResources, frame unchanged,
    // when memory runs out; InvalidArguments for null bytes.
    virtual System::ResultCode Append(const std::uint8_t* bytes, std::uint32_t n);
    // Writes code, the length indicator and the other frame's window bytes at the
    // cursor; then the window is exactly that value (origin 0, no trailer) and the
    // cursor is behind it. NoResources when it does not fit.
    virtual System::ResultCode AppendParameter(std::uint8_t code, const Frame& value);
    // One line per 16 bytes from the origin: "%04X\t", 16 cells "%02X " (blank cells past
    // the end), the bytes as characters (below 32 as "."), "\n". Stops before a line
    // that would not fit with its terminating zero (71 characters). Returns text.
    virtual char* HexDump(char* text, std::size_t size) const;

    // Write cursor with the ISO 8327 parameter encoding (code, length indicator, value).
    // Positions count from the write base. Readers stop at the end of the frame's bytes
    // (OutOfRange), writers at the end of the storage (NoResources); on failure neither
    // the bytes nor the cursor change.
    std::int32_t GetWritePosition() const { return writePosition_; }
    System::ResultCode SetWritePosition(std::int32_t position);

    System::ResultCode PutByte(std::uint8_t value);
    System::ResultCode PutUInt16(std::uint16_t value);
    System::ResultCode PutUInt32(std::uint32_t value);
    System::ResultCode PutBytes(const std::uint8_t* bytes, std::uint32_t n);
    System::ResultCode GetByte(std::uint8_t& value);
    System::ResultCode GetUInt16(std::uint16_t& value);
    System::ResultCode GetUInt32(std::uint32_t& value);
    System::ResultCode GetBytes(std::uint8_t* destination, std::uint32_t n);

    // Below 255 one octet; otherwise 255 and two octets big-endian (OutOfRange above
    // 65535).
    System::ResultCode PutLengthIndicator(std::uint32_t length);
    System::ResultCode GetLengthIndicator(std::uint32_t& length);

    System::ResultCode PutParameterByte(std::uint8_t code, std::uint8_t value);
    System::ResultCode PutParameterUInt16(std::uint8_t code, std::uint16_t value);
    System::ResultCode PutParameterUInt32(std::uint8_t code, std::uint32_t value);
    System::ResultCode PutParameterBytes(std::uint8_t code, const std::uint8_t* bytes, std::uint32_t n);

    // A parameter group: BeginGroup writes the code and a one-octet placeholder for the
    // length; EndGroup fills it with the length of what was written since, widening it
    // to three octets (and the cursor by two) for 255 or more. One group is open at a
    // time; EndGroup without BeginGroup gives InvalidState.
    System::ResultCode BeginGroup(std::uint8_t code);
    System::ResultCode EndGroup();
    // The length at position: below 255 the octet there; otherwise the length octets
    // of content behind it move two places on to make room for 255 and two octets.
    System::ResultCode SetLengthAt(std::int32_t position, std::uint32_t length);

    // A length indicator and that many octets as a big-endian number (0 for none);
    // OutOfRange when it does not fit 32 bits.
    System::ResultCode GetParameterInteger(std::uint32_t& value);
    // A length indicator and that many octets; OutOfRange (nothing copied) when the
    // length is above maximum.
    System::ResultCode GetParameterBytes(std::uint8_t* destination, std::uint32_t& length, std::uint32_t maximum);

    // BER helpers. Tags here are the identifier octets themselves (up to two), not the
    // coder's tag word. The writers prepend in front of the window, into the head room,
    // and the window grows over what they wrote; the readers read at the window start
    // and consume what they read. Each returns the octets written or read, or -1 when
    // the head room or the window is exhausted (nothing changed).
    int PrependBerLength(std::uint32_t contentLength, std::uint16_t tag);
    int PrependBerOctets(const std::uint8_t* bytes, std::uint32_t n, std::uint16_t tag);
    int PrependBerBoolean(bool value, std::uint16_t tag);
    int PrependBerInteger(std::int32_t value, std::uint16_t tag);
    int PrependBerUnsigned(std::uint32_t value, std::uint16_t tag);
    // Tag: the identifier octet, or for the high-tag-number form the number carried by
    // the octets that follow it (at most four). Length: definite form only, and it must
    // not pass the window's end.
    int ReadBerTagLength(std::uint32_t& tag, std::uint32_t& length);
    int ReadBerBoolean(bool& value, std::uint32_t length);
    int ReadBerInteger(std::int32_t& value, std::uint32_t length);
    int ReadBerUnsigned(std::uint32_t& value, std::uint32_t length);
    int ReadBytes(std::uint8_t* destination, std::uint32_t n);
    int ReadText(std::string& text, std::uint32_t n);
    int Skip(std::uint32_t n);

private:
    // Absolute offset of the cursor plus n octets, checked against limit.
    bool CursorFits(std::uint32_t n, std::uint32_t limit) const;
    std::uint32_t ReadLimit() const;
    std::uint32_t CursorOffset() const { return writeBase_ + static_cast<std::uint32_t>(writePosition_); }
    System::ResultCode PeekLengthIndicator(std::uint32_t& length, std::uint32_t& octets) const;
    // The n window bytes at the window start, or null when they are not all there.
    const std::uint8_t* PeekWindow(std::uint32_t n) const;
    int PrependOctets(const std::uint8_t* bytes, std::uint32_t n);
    int PrependHeaderAndContent(const std::uint8_t* content, std::uint32_t n, std::uint16_t tag);

    std::uint32_t origin_ = 0;
    std::uint32_t headerLength_ = 0;
    std::uint32_t windowLength_ = 0;
    std::uint32_t trailerLength_ = 0;
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint32_t capacity_ = 0;
    Connection* owner_ = nullptr;
    std::uint32_t writeBase_ = 0;
    std::int32_t writePosition_ = 0;
    std::int32_t groupMark_ = -1;
    std::int32_t state_ = StateNew;
};

}  // namespace Protocol
