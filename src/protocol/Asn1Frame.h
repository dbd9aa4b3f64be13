#pragma once

#include <cstdint>
#include <span>

#include "protocol/Asn1Types.h"
#include "protocol/Frame.h"

namespace Asn1 {

// A frame that carries one ASN.1 value (a coder value structure, owned, with its type
// descriptor) and turns it into its BER encoding or back. Encoding writes backwards
// into the storage, so a sending frame keeps its whole storage as head room in front
// of an empty window at the storage's end (SetWindow(capacity, 0, 0)); afterwards the
// window is exactly the encoding and the lower layers write their headers in front.
class Asn1Frame : public Protocol::Frame {
public:
    // An empty frame (no storage) carrying the value; the subclass allocates the
    // storage and sets the window.
    Asn1Frame(Protocol::Connection* owner, void* value, const Asn1TypeDescriptor* descriptor, std::int32_t kind);
    explicit Asn1Frame(Protocol::Connection* owner);
    // Decodes the bytes at once: StateDecoded when they hold a value of the type, else
    // the frame stays StateEncoded without a value. The bytes are not kept.
    Asn1Frame(const std::uint8_t* bytes, std::uint32_t size, const Asn1TypeDescriptor* descriptor);
    Asn1Frame(std::span<const std::uint8_t> bytes, const Asn1TypeDescriptor* descriptor);
    ~Asn1Frame() override;

    // Encodes the value so that the encoding ends at the end of the frame's bytes and
    // frees the value whatever the outcome. Success: window = the encoding,
    // StateEncoded. Failure (including an encoding that does not end there):
    // StateInvalid, the coder's errno as a result code (NoResources when the room ran
    // out). Nothing is done in StateEncoded.
    System::ResultCode Encode() override;
    // Only in StateEncoded (else InvalidState): decodes the bytes into a new value (in
    // an arena of its own: a part kept beyond the frame is copied); StateDecoded on success. Bytes that do not decode give ProtocolError; nothing of
    // the partly built value is kept and the state stays StateEncoded.
    virtual System::ResultCode Decode(const std::uint8_t* bytes, std::uint32_t size);

    void* GetValue() const { return value_; }
    template <typename T>
    T* GetValueAs() const {
        return static_cast<T*>(value_);
    }
    const Asn1TypeDescriptor* GetDescriptor() const { return descriptor_; }
    std::int32_t GetKind() const { return kind_; }

    // Attaches a value (freeing one held before); the frame owns it from now on.
    void AttachValue(void* value, const Asn1TypeDescriptor* descriptor);
    // Hands the value over to the caller, who frees it through the descriptor.
    void* DetachValue();

private:
    void FreeValue();

    void* value_ = nullptr;
    const Asn1TypeDescriptor* descriptor_ = nullptr;
    std::int32_t kind_ = 0;
};

}  // namespace Asn1
