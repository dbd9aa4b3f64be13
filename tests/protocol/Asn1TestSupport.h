#pragma once

// Helpers of the coder's tests: hex images, encoding into an exactly sized heap buffer
// (so that a write in front of it is caught by AddressSanitizer) and owned values.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/Asn1Coder.h"

namespace Asn1TestSupport {

using Bytes = std::vector<std::uint8_t>;

// "30 07 02 01 05" -> octets.
inline Bytes Hex(const std::string& text) {
    Bytes octets;
    std::string digits;
    for (char c : text) {
        if (c == ' ') continue;
        digits += c;
        if (digits.size() == 2) {
            octets.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
            digits.clear();
        }
    }
    return octets;
}

struct Encoded {
    std::ptrdiff_t result = -1;
    int error = 0;
    Bytes octets;
};

// Encodes into a buffer of exactly `room` octets (default: plenty).
inline Encoded Encode(const Asn1::Asn1TypeDescriptor& type, const void* value, std::size_t room = 4096) {
    std::unique_ptr<std::uint8_t[]> storage(new std::uint8_t[room > 0 ? room : 1]);
    Asn1::Asn1OutputBuffer buffer{storage.get(), room};
    errno = 0;
    Encoded encoded;
    encoded.result = Asn1::Asn1Encode(&type, value, nullptr, &buffer);
    encoded.error = errno;
    if (encoded.result >= 0) encoded.octets.assign(storage.get() + buffer.position, storage.get() + room);
    return encoded;
}

// A decoded value freed through its descriptor.
template <typename Value>
struct Decoded {
    Asn1::Asn1DecodeResult result{};
    std::unique_ptr<Value, std::function<void(Value*)>> value;
};

template <typename Value>
Decoded<Value> Decode(const Asn1::Asn1TypeDescriptor& type, const Bytes& octets,
                      Asn1::Asn1DecodeContext* context = nullptr) {
    void* raw = nullptr;
    Decoded<Value> decoded;
    decoded.result = Asn1::Asn1Decode(context, &type, &raw, octets.data(), octets.size());
    const Asn1::Asn1TypeDescriptor* descriptor = &type;
    decoded.value = std::unique_ptr<Value, std::function<void(Value*)>>(
        static_cast<Value*>(raw), [descriptor](Value* v) { Asn1::Asn1FreeValue(descriptor, v); });
    return decoded;
}

// A value allocated the coder's way (zeroed, C allocator) and freed through its type.
template <typename Value>
struct Owned {
    explicit Owned(const Asn1::Asn1TypeDescriptor& descriptor)
        : type(&descriptor), value(static_cast<Value*>(std::calloc(1, sizeof(Value)))) {}
    ~Owned() { Asn1::Asn1FreeValue(type, value); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Value* operator->() const { return value; }
    Value& operator*() const { return *value; }
    const Asn1::Asn1TypeDescriptor* type;
    Value* value;
};

template <typename T>
T* NewOf() {
    return static_cast<T*>(std::calloc(1, sizeof(T)));
}

}  // namespace Asn1TestSupport
