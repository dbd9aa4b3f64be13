// Encode operations of every family. All write backwards: content first, then the
// tags in front of it, so no length is measured in advance. Every write checks the room
// in front of the position.

#include <cerrno>
#include <cstring>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1Ber.h"
#include "protocol/Asn1BuiltinTypes.h"

namespace Asn1 {

namespace {

std::ptrdiff_t Prepend(Asn1OutputBuffer* buffer, const void* octets, std::size_t count) {
    if (buffer->position < count) {
        errno = ENOMEM;
        return -1;
    }
    buffer->position -= count;
    // memmove: an ANY may already sit exactly where it is written (in-place embedding).
    if (count > 0) std::memmove(buffer->data + buffer->position, octets, count);
    return static_cast<std::ptrdiff_t>(count);
}

// Writes the type's own tags around `length` content octets: all of them with
// Asn1Explicit, otherwise all but the outermost, which the container writes.
std::ptrdiff_t WriteOwnTags(const Asn1TypeDescriptor* type, int tagMode, std::size_t length, int contentForm,
                            int* constructed, Asn1OutputBuffer* buffer) {
    const std::uint32_t first = tagMode == Asn1Explicit ? 0 : 1;
    std::ptrdiff_t written = 0;
    int form = contentForm;
    for (std::uint32_t i = type->tagCount; i-- > first;) {
        const std::ptrdiff_t header =
            Asn1WriteTagLength(length + static_cast<std::size_t>(written), type->tags[i], buffer, form);
        if (header < 0) return -1;
        written += header;
        form = Asn1Constructed;
    }
    if (constructed != nullptr) *constructed = form;
    return written;
}

// Content plus own tags, the common tail of the primitive encoders.
std::ptrdiff_t FinishPrimitive(const Asn1TypeDescriptor* type, int tagMode, std::ptrdiff_t content, int* constructed,
                               Asn1OutputBuffer* buffer) {
    if (content < 0) return -1;
    const std::ptrdiff_t tags = WriteOwnTags(type, tagMode, static_cast<std::size_t>(content), 0, constructed, buffer);
    if (tags < 0) return -1;
    return content + tags;
}

// Encodes one member (or element) and, unless it has no tag, prepends the member's tag.
std::ptrdiff_t EncodeMember(const Asn1Member& member, const void* value, Asn1OutputBuffer* buffer) {
    int form = 0;
    const std::ptrdiff_t content = member.type->encode(member.type, value, member.tagMode, member.tag, &form, buffer);
    if (content < 0) return -1;
    if (member.tag == Asn1NoTag) return content;
    const std::ptrdiff_t header = Asn1WriteTagLength(static_cast<std::size_t>(content), member.tag, buffer, form);
    if (header < 0) return -1;
    return content + header;
}

std::ptrdiff_t Invalid() {
    errno = EINVAL;
    return -1;
}

}  // namespace

std::ptrdiff_t Asn1IntegerEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                 int* constructed, Asn1OutputBuffer* buffer) {
    const auto* integer = static_cast<const Asn1Integer*>(value);
    if (integer->size > 4 && integer->octets == nullptr) return Invalid();
    const std::uint8_t* octets = integer->size > 4 ? integer->octets : integer->inlineOctets;
    return FinishPrimitive(type, tagMode, Prepend(buffer, octets, integer->size), constructed, buffer);
}

std::ptrdiff_t Asn1NativeIntegerEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                       int* constructed, Asn1OutputBuffer* buffer) {
    const std::int32_t number = *static_cast<const Asn1NativeInteger*>(value);
    std::uint8_t octets[4];
    for (int i = 0; i < 4; ++i)
        octets[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(number) >> (24 - 8 * i));
    // Minimal two's complement: drop leading octets that only repeat the sign.
    int start = 0;
    while (start < 3 && ((octets[start] == 0x00 && (octets[start + 1] & 0x80) == 0) ||
                         (octets[start] == 0xFF && (octets[start + 1] & 0x80) != 0))) {
        ++start;
    }
    return FinishPrimitive(type, tagMode, Prepend(buffer, octets + start, 4 - start), constructed, buffer);
}

std::ptrdiff_t Asn1NativeUnsignedEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                        int* constructed, Asn1OutputBuffer* buffer) {
    const std::uint32_t number = *static_cast<const Asn1NativeUnsigned*>(value);
    std::uint8_t octets[5] = {0};
    for (int i = 1; i < 5; ++i) octets[i] = static_cast<std::uint8_t>(number >> (32 - 8 * i));
    // Shortest form: a leading zero octet stays only where the next one's top bit would
    // otherwise read as a sign.
    int start = 0;
    while (start < 4 && octets[start] == 0x00 && (octets[start + 1] & 0x80) == 0) ++start;
    return FinishPrimitive(type, tagMode, Prepend(buffer, octets + start, 5 - start), constructed, buffer);
}

std::ptrdiff_t Asn1BooleanEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                 int* constructed, Asn1OutputBuffer* buffer) {
    const std::uint8_t octet = *static_cast<const Asn1Boolean*>(value) != 0 ? 1 : 0;
    return FinishPrimitive(type, tagMode, Prepend(buffer, &octet, 1), constructed, buffer);
}

std::ptrdiff_t Asn1NullEncode(const Asn1TypeDescriptor* type, const void*, int tagMode, Asn1Tag, int* constructed,
                              Asn1OutputBuffer* buffer) {
    return FinishPrimitive(type, tagMode, 0, constructed, buffer);
}

std::ptrdiff_t Asn1OctetStringEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                     int* constructed, Asn1OutputBuffer* buffer) {
    if (Access::StringSpecifics(type)->subvariant != Asn1BitStringVariant) {
        const auto* string = static_cast<const Asn1OctetString*>(value);
        if (string->size < 0 || (string->size > 0 && string->buf == nullptr)) return Invalid();
        return FinishPrimitive(type, tagMode, Prepend(buffer, string->buf, static_cast<std::size_t>(string->size)),
                               constructed, buffer);
    }
    const auto* bits = static_cast<const Asn1BitString*>(value);
    if (bits->size < 0 || (bits->size > 0 && bits->buf == nullptr)) return Invalid();
    const std::size_t size = static_cast<std::size_t>(bits->size);
    if (bits->unusedBits < 0 || bits->unusedBits > 7 || (size == 0 && bits->unusedBits != 0)) return Invalid();
    const std::size_t before = buffer->position;
    if (Prepend(buffer, bits->buf, size) < 0) return -1;
    const std::uint8_t unused = static_cast<std::uint8_t>(bits->unusedBits);
    if (Prepend(buffer, &unused, 1) < 0) {
        buffer->position = before;
        return -1;
    }
    return FinishPrimitive(type, tagMode, static_cast<std::ptrdiff_t>(size + 1), constructed, buffer);
}

std::ptrdiff_t Asn1GeneralizedTimeEncode(const Asn1TypeDescriptor*, const void*, int, Asn1Tag, int*,
                                         Asn1OutputBuffer*) {
    errno = EPERM;
    return -1;
}

std::ptrdiff_t Asn1ObjectIdentifierEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                          int* constructed, Asn1OutputBuffer* buffer) {
    const auto* oid = static_cast<const Asn1ObjectIdentifier*>(value);
    if (oid->size < 0 || (oid->size > 0 && oid->buf == nullptr)) return Invalid();
    return FinishPrimitive(type, tagMode, Prepend(buffer, oid->buf, static_cast<std::size_t>(oid->size)), constructed,
                           buffer);
}

std::ptrdiff_t Asn1AnyEncode(const Asn1TypeDescriptor*, const void* value, int, Asn1Tag, int* constructed,
                             Asn1OutputBuffer* buffer) {
    const auto* any = static_cast<const Asn1Any*>(value);
    if (any->size < 0 || (any->size > 0 && any->buf == nullptr)) return Invalid();
    // The octets already hold a complete encoding: a tag around them is constructed.
    if (constructed != nullptr) *constructed = Asn1Constructed;
    return Prepend(buffer, any->buf, static_cast<std::size_t>(any->size));
}

std::ptrdiff_t Asn1SequenceEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                  int* constructed, Asn1OutputBuffer* buffer) {
    std::ptrdiff_t content = 0;
    for (std::uint32_t i = type->memberCount; i-- > 0;) {
        const Asn1Member& member = type->members[i];
        const void* memberValue = Access::MemberValue(value, member);
        if (memberValue == nullptr) continue;  // absent
        const std::ptrdiff_t written = EncodeMember(member, memberValue, buffer);
        if (written < 0) return -1;
        content += written;
    }
    const std::ptrdiff_t tags =
        WriteOwnTags(type, tagMode, static_cast<std::size_t>(content), Asn1Constructed, constructed, buffer);
    if (tags < 0) return -1;
    return content + tags;
}

std::ptrdiff_t Asn1ChoiceEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                int* constructed, Asn1OutputBuffer* buffer) {
    const Asn1Presence presence = Access::Presence(value, type);
    if (presence < 1 || static_cast<std::uint32_t>(presence) > type->memberCount) return Invalid();
    const Asn1Member& member = type->members[presence - 1];
    if (constructed != nullptr) *constructed = Asn1Constructed;
    const void* alternative = Access::MemberValue(value, member);
    if (alternative == nullptr) return 0;  // an alternative held by a null pointer writes nothing
    const std::ptrdiff_t content = EncodeMember(member, alternative, buffer);
    if (content < 0) return -1;
    const std::ptrdiff_t tags =
        WriteOwnTags(type, tagMode, static_cast<std::size_t>(content), Asn1Constructed, constructed, buffer);
    if (tags < 0) return -1;
    return content + tags;
}

Asn1Tag Asn1ChoiceOutermostTag(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag tag) {
    if (tagMode != Asn1Untagged && tag != Asn1NoTag) return tag;
    if (type->tagCount > 0) return type->tags[0];
    const Asn1Presence presence = Access::Presence(value, type);
    if (presence < 1 || static_cast<std::uint32_t>(presence) > type->memberCount) return Asn1NoTag;
    const Asn1Member& member = type->members[presence - 1];
    if (member.tag != Asn1NoTag) return member.tag;
    const void* alternative = Access::MemberValue(value, member);
    if (alternative == nullptr || member.type->outermostTag == nullptr) return Asn1NoTag;
    return member.type->outermostTag(member.type, alternative, Asn1Untagged, Asn1NoTag);
}

std::ptrdiff_t Asn1SequenceOfEncode(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag,
                                    int* constructed, Asn1OutputBuffer* buffer) {
    const auto* list = static_cast<const Asn1SequenceOf*>(value);
    if (list->count < 0 || (list->count > 0 && list->array == nullptr)) return Invalid();
    const Asn1Member& member = type->members[0];
    std::ptrdiff_t content = 0;
    for (std::int32_t i = list->count; i-- > 0;) {
        if (list->array[i] == nullptr) continue;
        const std::ptrdiff_t written = EncodeMember(member, list->array[i], buffer);
        if (written < 0) return -1;
        content += written;
    }
    const std::ptrdiff_t tags =
        WriteOwnTags(type, tagMode, static_cast<std::size_t>(content), Asn1Constructed, constructed, buffer);
    if (tags < 0) return -1;
    return content + tags;
}

}  // namespace Asn1
