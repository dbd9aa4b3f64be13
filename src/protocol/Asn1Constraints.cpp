// Constraint checks of every family and the ready-made range checks. Only
// Asn1CheckConstraints runs them; encoding and decoding never do.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1Coder.h"

namespace Asn1 {

namespace {

int CheckMember(const Asn1Member& member, const void* value, Asn1MessageCallback* callback, void* key) {
    Asn1CheckFunction* check = member.memberCheck != nullptr ? member.memberCheck : member.type->checkConstraints;
    if (check == nullptr) return 0;
    return check(member.type, value, callback, key) == 0 ? 0 : -1;
}

// Collects messages into the caller's buffer.
struct MessageSink {
    char* buffer;
    std::size_t capacity;
    std::size_t used;
};

void CollectMessage(void* key, const Asn1TypeDescriptor* type, const void*, const char* message) {
    auto* sink = static_cast<MessageSink*>(key);
    if (sink->buffer == nullptr || sink->capacity == 0) return;
    const std::size_t room = sink->capacity - sink->used;  // includes the terminating NUL
    if (room <= 1) return;
    const int written = std::snprintf(sink->buffer + sink->used, room, "%s%s: %s", sink->used > 0 ? "; " : "",
                                      type != nullptr && type->name != nullptr ? type->name : "value", message);
    if (written < 0) return;
    sink->used += static_cast<std::size_t>(written) < room ? static_cast<std::size_t>(written) : room - 1;
}

}  // namespace

int Asn1ReportConstraint(Asn1MessageCallback* callback, void* key, const Asn1TypeDescriptor* type, const void* value,
                         const char* message) {
    if (callback != nullptr) callback(key, type, value, message);
    return -1;
}

int Asn1AcceptAnyValue(const Asn1TypeDescriptor*, const void*, Asn1MessageCallback*, void*) { return 0; }

int Asn1VisibleStringCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback,
                           void* key) {
    const auto* string = static_cast<const Asn1VisibleString*>(value);
    if (string == nullptr || string->size < 0 || (string->size > 0 && string->buf == nullptr)) {
        return Asn1ReportConstraint(callback, key, type, value, "value missing");
    }
    for (std::int32_t i = 0; i < string->size; ++i) {
        if (string->buf[i] < 32 || string->buf[i] > 126) {
            return Asn1ReportConstraint(callback, key, type, value, "character outside 32..126");
        }
    }
    return 0;
}

int Asn1Utf8StringCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    if (Utf8StringLength(static_cast<const Asn1Utf8String*>(value)) < 0) {
        const auto* string = static_cast<const Asn1Utf8String*>(value);
        if (string != nullptr && string->size == 0) return 0;  // an empty text has no octets to point at
        return Asn1ReportConstraint(callback, key, type, value, "invalid UTF-8");
    }
    return 0;
}

int Asn1BitStringCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    const auto* bits = static_cast<const Asn1BitString*>(value);
    if (bits == nullptr || bits->size < 0 || (bits->size > 0 && bits->buf == nullptr)) {
        return Asn1ReportConstraint(callback, key, type, value, "octets missing");
    }
    if (bits->unusedBits < 0 || bits->unusedBits > 7) {
        return Asn1ReportConstraint(callback, key, type, value, "unused bits outside 0..7");
    }
    if (bits->size == 0 && bits->unusedBits != 0) {
        return Asn1ReportConstraint(callback, key, type, value, "empty bit string with unused bits");
    }
    return 0;
}

int Asn1GeneralizedTimeCheck(const Asn1TypeDescriptor*, const void*, Asn1MessageCallback*, void*) {
    errno = EPERM;
    return 0;
}

int Asn1ObjectIdentifierCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback,
                              void* key) {
    const auto* oid = static_cast<const Asn1ObjectIdentifier*>(value);
    if (oid == nullptr || oid->size < 1 || oid->buf == nullptr) {
        return Asn1ReportConstraint(callback, key, type, value, "no content octets");
    }
    return 0;
}

int Asn1SequenceCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    if (value == nullptr) return Asn1ReportConstraint(callback, key, type, value, "value missing");
    int result = 0;
    for (std::uint32_t i = 0; i < type->memberCount; ++i) {
        const Asn1Member& member = type->members[i];
        const void* memberValue = Access::MemberValue(value, member);
        if (memberValue == nullptr) {
            if (member.optionalCount == 0) {
                char message[160];
                std::snprintf(message, sizeof message, "mandatory member %s missing", member.name);
                result = Asn1ReportConstraint(callback, key, type, value, message);
            }
            continue;
        }
        if (CheckMember(member, memberValue, callback, key) != 0) result = -1;
    }
    return result;
}

int Asn1ChoiceCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    if (value == nullptr) return Asn1ReportConstraint(callback, key, type, value, "value missing");
    const Asn1Presence presence = Access::Presence(value, type);
    if (presence < 1 || static_cast<std::uint32_t>(presence) > type->memberCount) {
        return Asn1ReportConstraint(callback, key, type, value, "no alternative chosen");
    }
    const Asn1Member& member = type->members[presence - 1];
    const void* alternative = Access::MemberValue(value, member);
    if (alternative == nullptr) return Asn1ReportConstraint(callback, key, type, value, "alternative missing");
    return CheckMember(member, alternative, callback, key);
}

int Asn1SequenceOfCheck(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    const auto* list = static_cast<const Asn1SequenceOf*>(value);
    if (list == nullptr || list->count < 0 || (list->count > 0 && list->array == nullptr)) {
        return Asn1ReportConstraint(callback, key, type, value, "list missing");
    }
    int result = 0;
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (list->array[i] != nullptr && CheckMember(type->members[0], list->array[i], callback, key) != 0) {
            result = -1;
        }
    }
    return result;
}

int Asn1CheckIntegerRangeOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key,
                            std::int64_t minimum, std::int64_t maximum) {
    std::int64_t number = 0;
    if (value == nullptr || Asn1IntegerGetInt64(static_cast<const Asn1Integer*>(value), &number) != 0 ||
        number < minimum || number > maximum) {
        return Asn1ReportConstraint(callback, key, type, value, "value out of range");
    }
    return 0;
}

int Asn1CheckNativeIntegerRangeOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback,
                                  void* key, std::int64_t minimum, std::int64_t maximum) {
    if (value == nullptr) return Asn1ReportConstraint(callback, key, type, value, "value missing");
    const std::int64_t number = *static_cast<const Asn1NativeInteger*>(value);
    if (number < minimum || number > maximum) {
        return Asn1ReportConstraint(callback, key, type, value, "value out of range");
    }
    return 0;
}

int Asn1CheckBitCountOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key,
                        std::int64_t minimum, std::int64_t maximum) {
    if (Asn1BitStringCheck(type, value, callback, key) != 0) return -1;
    const auto* bits = static_cast<const Asn1BitString*>(value);
    const std::int64_t count = std::int64_t{bits->size} * 8 - bits->unusedBits;
    if (count < minimum || count > maximum) {
        return Asn1ReportConstraint(callback, key, type, value, "bit count out of range");
    }
    return 0;
}

int Asn1CheckOctetCountOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key,
                          std::int64_t minimum, std::int64_t maximum) {
    if (value == nullptr) return Asn1ReportConstraint(callback, key, type, value, "value missing");
    const std::int64_t count = static_cast<const Asn1OctetString*>(value)->size;
    if (count < minimum || count > maximum) {
        return Asn1ReportConstraint(callback, key, type, value, "size out of range");
    }
    return 0;
}

int Asn1CheckConstraints(const Asn1TypeDescriptor* type, const void* value, char* messageBuffer,
                         std::size_t* bufferSize) {
    MessageSink sink{messageBuffer, bufferSize != nullptr ? *bufferSize : 0, 0};
    if (sink.buffer != nullptr && sink.capacity > 0) sink.buffer[0] = '\0';
    int result = -1;
    if (type == nullptr) {
        errno = EINVAL;
    } else if (type->checkConstraints == nullptr) {
        result = 0;
    } else {
        result = type->checkConstraints(type, value, &CollectMessage, &sink) == 0 ? 0 : -1;
    }
    if (bufferSize != nullptr) *bufferSize = sink.used;
    return result;
}

}  // namespace Asn1
