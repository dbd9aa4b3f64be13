// Free operations of every family. With contentsOnly a value embedded in a container
// releases what it owns and is left zeroed, so a second release does nothing.

#include <cstdlib>
#include <cstring>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1BuiltinTypes.h"

namespace Asn1 {

namespace {

void ReleaseStorage(void* value, std::size_t size, int contentsOnly) {
    if (contentsOnly) {
        std::memset(value, 0, size);
    } else {
        std::free(value);
    }
}

void FreeMember(void* container, const Asn1Member& member) {
    if (Access::IsPointer(member)) {
        void** slot = Access::PointerSlot(container, member);
        if (*slot != nullptr) member.type->free(member.type, *slot, 0);
        *slot = nullptr;
    } else {
        member.type->free(member.type, static_cast<std::uint8_t*>(container) + member.offset, 1);
    }
}

}  // namespace

void Asn1IntegerFree(const Asn1TypeDescriptor*, void* value, int contentsOnly) {
    if (value == nullptr) return;
    auto* integer = static_cast<Asn1Integer*>(value);
    if (integer->size > 4) std::free(integer->octets);
    ReleaseStorage(value, sizeof(Asn1Integer), contentsOnly);
}

void Asn1NativeIntegerFree(const Asn1TypeDescriptor*, void* value, int contentsOnly) {
    if (value != nullptr) ReleaseStorage(value, sizeof(Asn1NativeInteger), contentsOnly);
}

void Asn1BooleanFree(const Asn1TypeDescriptor*, void* value, int contentsOnly) {
    if (value != nullptr) ReleaseStorage(value, sizeof(Asn1Boolean), contentsOnly);
}

void Asn1NullFree(const Asn1TypeDescriptor*, void* value, int contentsOnly) {
    if (value != nullptr) ReleaseStorage(value, sizeof(Asn1Null), contentsOnly);
}

void Asn1OctetStringFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    if (value == nullptr) return;
    if (Access::StringSpecifics(type)->subvariant == Asn1BitStringVariant) {
        auto* bits = static_cast<Asn1BitString*>(value);
        if (bits->borrowed == 0) std::free(bits->buf);
        ReleaseStorage(value, sizeof(Asn1BitString), contentsOnly);
        return;
    }
    auto* string = static_cast<Asn1OctetString*>(value);
    if (string->borrowed == 0) std::free(string->buf);
    ReleaseStorage(value, sizeof(Asn1OctetString), contentsOnly);
}

void Asn1ObjectIdentifierFree(const Asn1TypeDescriptor*, void* value, int contentsOnly) {
    if (value == nullptr) return;
    auto* oid = static_cast<Asn1ObjectIdentifier*>(value);
    if (oid->borrowed == 0) std::free(oid->buf);
    ReleaseStorage(value, sizeof(Asn1ObjectIdentifier), contentsOnly);
}

void Asn1AnyFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    Asn1ObjectIdentifierFree(type, value, contentsOnly);
}

void Asn1SequenceFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    if (value == nullptr) return;
    for (std::uint32_t i = 0; i < type->memberCount; ++i) FreeMember(value, type->members[i]);
    if (!contentsOnly) std::free(value);
}

void Asn1ChoiceFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    if (value == nullptr) return;
    Asn1Presence* presence = Access::Presence(value, type);
    if (*presence >= 1 && static_cast<std::uint32_t>(*presence) <= type->memberCount) {
        FreeMember(value, type->members[*presence - 1]);
    }
    *presence = 0;
    if (!contentsOnly) std::free(value);
}

void Asn1SequenceOfFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    if (value == nullptr) return;
    auto* list = static_cast<Asn1SequenceOf*>(value);
    const Asn1TypeDescriptor* elementType = type->members[0].type;
    if (list->array != nullptr) {
        for (std::int32_t i = list->count; i-- > 0;) {
            if (list->array[i] != nullptr) elementType->free(elementType, list->array[i], 0);
        }
    }
    std::free(list->array);
    ReleaseStorage(value, sizeof(Asn1SequenceOf), contentsOnly);
}

}  // namespace Asn1
