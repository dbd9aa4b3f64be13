#include "protocol/Asn1Coder.h"

#include <climits>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1Arena.h"

namespace Asn1 {

std::ptrdiff_t Asn1Encode(const Asn1TypeDescriptor* type, const void* value, int* constructed,
                          Asn1OutputBuffer* buffer) {
    if (type == nullptr || value == nullptr || buffer == nullptr || buffer->data == nullptr) {
        errno = EINVAL;
        return -1;
    }
    const std::size_t start = buffer->position;
    int form = 0;
    const std::ptrdiff_t written =
        type->encode(type, value, Asn1Explicit, 0, constructed != nullptr ? constructed : &form, buffer);
    if (written < 0) buffer->position = start;  // nothing counts of a failed encoding
    return written;
}

Asn1DecodeResult Asn1Decode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                            const std::uint8_t* data, std::size_t size) {
    if (type == nullptr || value == nullptr || (data == nullptr && size > 0)) return {Asn1DecodeFailure, 0};
    // A fresh depth count for every PDU; the caller's context only sets the limit.
    Asn1DecodeContext run;
    if (context != nullptr) run.maxStackDepth = context->maxStackDepth;
    return type->decode(&run, type, value, data, size, Asn1Untagged);
}

Asn1DecodeResult Asn1DecodeInArena(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                   const std::uint8_t* data, std::size_t size) {
    if (type == nullptr || value == nullptr || *value != nullptr || type->specifics == nullptr ||
        (data == nullptr && size > 0)) {
        return {Asn1DecodeFailure, 0};
    }
    Asn1Arena* arena = Asn1Arena::Create(size);
    if (arena == nullptr) {
        errno = ENOMEM;
        return {Asn1DecodeFailure, 0};
    }
    void* root = arena->AllocateValue(Access::ValueSize(type));
    if (root == nullptr) {
        Asn1Arena::Destroy(arena);
        errno = ENOMEM;
        return {Asn1DecodeFailure, 0};
    }
    arena->SetRoot(root);
    Asn1DecodeContext run;
    if (context != nullptr) run.maxStackDepth = context->maxStackDepth;
    run.arena = arena;
    *value = root;
    return type->decode(&run, type, value, data, size, Asn1Untagged);
}

int Asn1EncodeToAny(Asn1Any* any, const Asn1TypeDescriptor* type, const void* value, Asn1OutputBuffer* buffer) {
    if (any == nullptr) {
        errno = EINVAL;
        return -1;
    }
    if (value == nullptr) {
        if (any->borrowed == 0) std::free(any->buf);
        any->buf = nullptr;
        any->size = 0;
        any->borrowed = 0;
        return 0;
    }
    const std::ptrdiff_t written = Asn1Encode(type, value, nullptr, buffer);
    if (written < 0) return -1;
    if (written > INT32_MAX) {
        buffer->position += static_cast<std::size_t>(written);
        errno = ERANGE;
        return -1;
    }
    if (any->borrowed == 0) std::free(any->buf);
    any->buf = buffer->data + buffer->position;
    any->size = static_cast<std::int32_t>(written);
    any->borrowed = 1;
    return 0;
}

int Asn1DecodeFromAny(const Asn1Any* any, const Asn1TypeDescriptor* type, void** value) {
    if (any == nullptr || type == nullptr || value == nullptr || any->size < 0) {
        errno = EINVAL;
        return -1;
    }
    *value = nullptr;
    if (any->size == 0 || any->buf == nullptr) return 0;
    errno = 0;
    const std::size_t size = static_cast<std::size_t>(any->size);
    const Asn1DecodeResult result = Asn1Decode(nullptr, type, value, any->buf, size);
    if (result.code == Asn1DecodeDone && result.consumed == size) return 0;
    const int error = errno == ENOMEM ? ENOMEM : EINVAL;
    Asn1FreeValue(type, *value);
    *value = nullptr;
    errno = error;
    return -1;
}

}  // namespace Asn1
