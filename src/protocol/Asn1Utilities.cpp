#include "protocol/Asn1Utilities.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1Arena.h"

namespace Asn1 {

namespace {

constexpr std::int32_t kFirstCapacity = 16;

int Fail(int error) {
    errno = error;
    return -1;
}

void ReleaseOctets(Asn1OctetString* string) {
    if (string->borrowed == 0) std::free(string->buf);
    string->buf = nullptr;
    string->size = 0;
    string->borrowed = 0;
}

// Replaces an INTEGER's octets with count octets (big-endian, most significant first).
int StoreIntegerOctets(Asn1Integer* integer, const std::uint8_t* octets, std::size_t count) {
    std::uint8_t* storage = nullptr;
    if (count > 4) {
        storage = static_cast<std::uint8_t*>(std::malloc(count));
        if (storage == nullptr) return Fail(ENOMEM);
        std::memcpy(storage, octets, count);
    }
    // A decoded INTEGER's octets may lie in its tree's arena, which frees them itself.
    if (integer->size > 4 && Asn1Arena::Find(integer->octets) == nullptr) std::free(integer->octets);
    integer->size = static_cast<std::uint32_t>(count);
    if (count > 4) {
        integer->octets = storage;
    } else {
        std::memset(integer->inlineOctets, 0, sizeof integer->inlineOctets);
        std::memcpy(integer->inlineOctets, octets, count);
    }
    return 0;
}

// Minimal two's complement octets of a 64-bit pattern; `isUnsigned` reads it unsigned.
int StoreInteger(Asn1Integer* integer, std::uint64_t pattern, bool isUnsigned) {
    if (integer == nullptr) return Fail(EINVAL);
    std::uint8_t octets[9];
    octets[0] = (!isUnsigned && (pattern >> 63) != 0) ? 0xFF : 0x00;
    for (int i = 0; i < 8; ++i) octets[1 + i] = static_cast<std::uint8_t>(pattern >> (56 - 8 * i));
    std::size_t start = 0;
    while (start < 8 && ((octets[start] == 0x00 && (octets[start + 1] & 0x80) == 0) ||
                         (octets[start] == 0xFF && (octets[start + 1] & 0x80) != 0))) {
        ++start;
    }
    return StoreIntegerOctets(integer, octets + start, 9 - start);
}

// Reads the octets as signed (two's complement) into 64 bits; ERANGE beyond.
int ReadSigned(const Asn1Integer* integer, std::int64_t* value) {
    if (integer == nullptr || value == nullptr) return Fail(EINVAL);
    const std::uint8_t* octets = Asn1IntegerOctets(integer);
    std::size_t count = integer->size;
    if (count > 0 && octets == nullptr) return Fail(EINVAL);
    while (count > 1 &&
           ((octets[0] == 0x00 && (octets[1] & 0x80) == 0) || (octets[0] == 0xFF && (octets[1] & 0x80) != 0))) {
        ++octets;
        --count;
    }
    if (count > 8) return Fail(ERANGE);
    std::uint64_t pattern = (count > 0 && (octets[0] & 0x80) != 0) ? ~std::uint64_t{0} : 0;
    for (std::size_t i = 0; i < count; ++i) pattern = pattern << 8 | octets[i];
    *value = static_cast<std::int64_t>(pattern);
    return 0;
}

// Reads the octets as an unsigned number into 64 bits; ERANGE beyond.
int ReadUnsigned(const Asn1Integer* integer, std::uint64_t* value) {
    if (integer == nullptr || value == nullptr) return Fail(EINVAL);
    const std::uint8_t* octets = Asn1IntegerOctets(integer);
    std::size_t count = integer->size;
    if (count > 0 && octets == nullptr) return Fail(EINVAL);
    while (count > 0 && octets[0] == 0) {
        ++octets;
        --count;
    }
    if (count > 8) return Fail(ERANGE);
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < count; ++i) number = number << 8 | octets[i];
    *value = number;
    return 0;
}

bool ArcWidthValid(unsigned width) { return width == 1 || width == 2 || width == 4; }

std::uint64_t LoadArc(const void* arcs, unsigned width, unsigned index) {
    switch (width) {
        case 1: return static_cast<const std::uint8_t*>(arcs)[index];
        case 2: return static_cast<const std::uint16_t*>(arcs)[index];
        default: return static_cast<const std::uint32_t*>(arcs)[index];
    }
}

// Stores an arc into a slot of the width: ERANGE when it does not fit.
int StoreArc(void* arcs, unsigned width, unsigned index, std::uint64_t arc) {
    if (width < 8 && (arc >> (8 * width)) != 0) return Fail(ERANGE);
    switch (width) {
        case 1: static_cast<std::uint8_t*>(arcs)[index] = static_cast<std::uint8_t>(arc); break;
        case 2: static_cast<std::uint16_t*>(arcs)[index] = static_cast<std::uint16_t>(arc); break;
        default: static_cast<std::uint32_t*>(arcs)[index] = static_cast<std::uint32_t>(arc); break;
    }
    return 0;
}

// Reads one base-128 arc into 64 bits: octets consumed, or -1.
std::ptrdiff_t ReadArc(const std::uint8_t* data, std::size_t size, std::uint64_t* arc) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if ((value >> 57) != 0) return Fail(ERANGE);
        value = value << 7 | (data[i] & 0x7Fu);
        if ((data[i] & 0x80) == 0) {
            *arc = value;
            return static_cast<std::ptrdiff_t>(i + 1);
        }
    }
    return Fail(EINVAL);  // the last octet still announced a continuation
}

std::size_t WriteArc(std::uint8_t* out, std::uint64_t arc) {
    std::uint8_t groups[10];
    std::size_t count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(arc & 0x7F);
        arc >>= 7;
    } while (arc != 0);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>(groups[count - 1 - i] | (i + 1 < count ? 0x80 : 0));
    }
    return count;
}

}  // namespace

// ---- lists ----

namespace {

// The freeElement mark of a lent list: its elements are never freed through the list.
void KeepLentElement(void*) {}

}  // namespace

int Asn1SequenceOfLend(void* list, void** elements, std::int32_t count) {
    if (list == nullptr || count < 0 || (elements == nullptr && count > 0)) return Fail(EINVAL);
    auto* sequence = static_cast<Asn1SequenceOf*>(list);
    if (sequence->array != nullptr || sequence->count != 0) return Fail(EINVAL);
    sequence->array = elements;
    sequence->count = count;
    sequence->capacity = count;
    sequence->freeElement = &KeepLentElement;
    return 0;
}

bool Asn1SequenceOfIsLent(const void* list) {
    return list != nullptr && static_cast<const Asn1SequenceOf*>(list)->freeElement == &KeepLentElement;
}

int Asn1SequenceOfAppend(void* list, void* element) {
    if (list == nullptr || element == nullptr) return Fail(EINVAL);
    auto* sequence = static_cast<Asn1SequenceOf*>(list);
    if (Asn1SequenceOfIsLent(sequence)) return Fail(EINVAL);
    if (sequence->count < 0 || sequence->capacity < 0 || sequence->count > sequence->capacity) return Fail(EINVAL);
    if (sequence->count == sequence->capacity) {
        if (sequence->capacity > INT32_MAX / 2) return Fail(ENOMEM);
        const std::int32_t capacity = sequence->capacity == 0 ? kFirstCapacity : sequence->capacity * 2;
        const std::size_t bytes = sizeof(void*) * static_cast<std::size_t>(capacity);
        void* grown = nullptr;
        if (sequence->array != nullptr && Asn1Arena::Find(sequence->array) != nullptr) {
            // A decoded list's array lies in its arena: the grown one is a heap cell.
            grown = std::malloc(bytes);
            if (grown != nullptr) {
                std::memcpy(grown, sequence->array, sizeof(void*) * static_cast<std::size_t>(sequence->count));
            }
        } else {
            grown = std::realloc(sequence->array, bytes);
        }
        if (grown == nullptr) return Fail(ENOMEM);
        sequence->array = static_cast<void**>(grown);
        sequence->capacity = capacity;
    }
    sequence->array[sequence->count++] = element;
    return 0;
}

void Asn1SequenceOfEmpty(void* list) {
    if (list == nullptr) return;
    auto* sequence = static_cast<Asn1SequenceOf*>(list);
    if (Asn1SequenceOfIsLent(sequence)) {
        *sequence = Asn1SequenceOf{};
        return;
    }
    if (sequence->array != nullptr && sequence->freeElement != nullptr) {
        for (std::int32_t i = sequence->count; i-- > 0;) {
            if (sequence->array[i] != nullptr) sequence->freeElement(sequence->array[i]);
        }
    }
    if (Asn1Arena::Find(sequence->array) == nullptr) std::free(sequence->array);
    sequence->array = nullptr;
    sequence->count = 0;
    sequence->capacity = 0;
}

void* Asn1NewValue(const Asn1TypeDescriptor* type) {
    if (type == nullptr || type->specifics == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    return std::calloc(1, Access::ValueSize(type));
}

// ---- strings ----

int Asn1OctetStringSetBytes(Asn1OctetString* string, const void* bytes, std::size_t count) {
    if (string == nullptr || (bytes == nullptr && count > 0)) return Fail(EINVAL);
    if (count > INT32_MAX) return Fail(ERANGE);
    // At least one octet, so that even an empty string has octets to point at.
    auto* copy = static_cast<std::uint8_t*>(std::malloc(count > 0 ? count : 1));
    if (copy == nullptr) return Fail(ENOMEM);
    if (count > 0) std::memcpy(copy, bytes, count);
    ReleaseOctets(string);
    string->buf = copy;
    string->size = static_cast<std::int32_t>(count);
    return 0;
}

int Asn1OctetStringBorrowBytes(Asn1OctetString* string, const void* bytes, std::size_t count) {
    if (string == nullptr || (bytes == nullptr && count > 0)) return Fail(EINVAL);
    if (count > INT32_MAX) return Fail(ERANGE);
    ReleaseOctets(string);
    string->buf = static_cast<std::uint8_t*>(const_cast<void*>(bytes));
    string->size = static_cast<std::int32_t>(count);
    string->borrowed = 1;
    return 0;
}

int Asn1OctetStringSetText(Asn1OctetString* string, const char* text) {
    if (string == nullptr || text == nullptr) return Fail(EINVAL);
    const std::size_t length = std::strlen(text);
    if (length > INT32_MAX - 1) return Fail(ERANGE);
    auto* copy = static_cast<std::uint8_t*>(std::malloc(length + 1));
    if (copy == nullptr) return Fail(ENOMEM);
    std::memcpy(copy, text, length + 1);
    ReleaseOctets(string);
    string->buf = copy;
    string->size = static_cast<std::int32_t>(length);
    return 0;
}

int Asn1OctetStringBorrowText(Asn1OctetString* string, const char* text) {
    if (text == nullptr) return Fail(EINVAL);
    return Asn1OctetStringBorrowBytes(string, text, std::strlen(text));
}

Asn1OctetString* Asn1OctetStringNew(const Asn1TypeDescriptor* type, const void* bytes, std::size_t count) {
    auto* string = static_cast<Asn1OctetString*>(Asn1NewValue(type));
    if (string == nullptr) return nullptr;
    if (Asn1OctetStringSetBytes(string, bytes, count) != 0) {
        std::free(string);
        return nullptr;
    }
    return string;
}

// ---- INTEGER ----

const std::uint8_t* Asn1IntegerOctets(const Asn1Integer* integer) {
    if (integer == nullptr) return nullptr;
    return integer->size > 4 ? integer->octets : integer->inlineOctets;
}

int Asn1IntegerGetInt32(const Asn1Integer* integer, std::int32_t* value) {
    std::int64_t wide = 0;
    if (value == nullptr || ReadSigned(integer, &wide) != 0) return value == nullptr ? Fail(EINVAL) : -1;
    if (wide < INT32_MIN || wide > INT32_MAX) return Fail(ERANGE);
    *value = static_cast<std::int32_t>(wide);
    return 0;
}

int Asn1IntegerGetInt64(const Asn1Integer* integer, std::int64_t* value) { return ReadSigned(integer, value); }

int Asn1IntegerGetUInt32(const Asn1Integer* integer, std::uint32_t* value) {
    std::uint64_t wide = 0;
    if (value == nullptr || ReadUnsigned(integer, &wide) != 0) return value == nullptr ? Fail(EINVAL) : -1;
    if (wide > UINT32_MAX) return Fail(ERANGE);
    *value = static_cast<std::uint32_t>(wide);
    return 0;
}

int Asn1IntegerGetUInt64(const Asn1Integer* integer, std::uint64_t* value) { return ReadUnsigned(integer, value); }

int Asn1IntegerSetInt32(Asn1Integer* integer, std::int32_t value) {
    return StoreInteger(integer, static_cast<std::uint64_t>(static_cast<std::int64_t>(value)), false);
}

int Asn1IntegerSetInt64(Asn1Integer* integer, std::int64_t value) {
    return StoreInteger(integer, static_cast<std::uint64_t>(value), false);
}

int Asn1IntegerSetUInt64(Asn1Integer* integer, std::uint64_t value) { return StoreInteger(integer, value, true); }

// ---- OBJECT IDENTIFIER ----

std::ptrdiff_t Asn1OidGetSingleArc(const std::uint8_t* data, std::size_t size, void* arc, unsigned arcWidth) {
    if (data == nullptr || arc == nullptr || !ArcWidthValid(arcWidth)) return Fail(EINVAL);
    std::uint64_t value = 0;
    const std::ptrdiff_t consumed = ReadArc(data, size, &value);
    if (consumed < 0) return -1;
    if (StoreArc(arc, arcWidth, 0, value) != 0) return -1;
    return consumed;
}

std::ptrdiff_t Asn1OidGetArcs(const Asn1ObjectIdentifier* oid, void* arcs, unsigned arcWidth, unsigned arcSlots) {
    if (oid == nullptr || oid->size < 1 || oid->buf == nullptr || !ArcWidthValid(arcWidth) ||
        (arcs == nullptr && arcSlots > 0)) {
        return Fail(EINVAL);
    }
    const std::size_t size = static_cast<std::size_t>(oid->size);
    std::size_t at = 0;
    std::ptrdiff_t count = 0;
    while (at < size) {
        std::uint64_t value = 0;
        const std::ptrdiff_t consumed = ReadArc(oid->buf + at, size - at, &value);
        if (consumed < 0) return -1;
        at += static_cast<std::size_t>(consumed);
        if (count == 0) {
            // The first subidentifier holds two arcs: 40 times the first plus the second.
            const std::uint64_t first = value < 40 ? 0 : (value < 80 ? 1 : 2);
            const std::uint64_t second = value - 40 * first;
            if (arcSlots > 0 && StoreArc(arcs, arcWidth, 0, first) != 0) return -1;
            if (arcSlots > 1 && StoreArc(arcs, arcWidth, 1, second) != 0) return -1;
            count = 2;
        } else {
            if (static_cast<unsigned>(count) < arcSlots &&
                StoreArc(arcs, arcWidth, static_cast<unsigned>(count), value) != 0) {
                return -1;
            }
            ++count;
        }
    }
    return count;
}

int Asn1OidSetArcs(Asn1ObjectIdentifier* oid, const void* arcs, unsigned arcWidth, unsigned arcCount) {
    if (oid == nullptr || arcs == nullptr || arcCount < 2) return Fail(EINVAL);
    if (arcWidth > 4) return Fail(ENOMEM);
    if (!ArcWidthValid(arcWidth)) return Fail(EINVAL);
    const std::uint64_t first = LoadArc(arcs, arcWidth, 0);
    const std::uint64_t second = LoadArc(arcs, arcWidth, 1);
    if (first > 2 || (first < 2 && second > 39)) return Fail(ERANGE);
    // Each arc of up to 64 bits takes at most 10 octets.
    if (arcCount > INT32_MAX / 10) return Fail(ERANGE);
    auto* octets = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(arcCount) * 10));
    if (octets == nullptr) return Fail(ENOMEM);
    std::size_t size = WriteArc(octets, first * 40 + second);
    for (unsigned i = 2; i < arcCount; ++i) size += WriteArc(octets + size, LoadArc(arcs, arcWidth, i));
    ReleaseOctets(oid);
    oid->buf = octets;
    oid->size = static_cast<std::int32_t>(size);
    return 0;
}

std::ptrdiff_t Asn1OidParseText(const char* text, std::size_t length, std::uint32_t* arcs, unsigned arcSlots) {
    if (text == nullptr || (arcs == nullptr && arcSlots > 0) || length == 0) return Fail(EINVAL);
    std::ptrdiff_t count = 0;
    std::size_t at = 0;
    while (true) {
        if (at >= length || text[at] < '0' || text[at] > '9') return Fail(EINVAL);
        std::uint64_t arc = 0;
        while (at < length && text[at] >= '0' && text[at] <= '9') {
            arc = arc * 10 + static_cast<unsigned>(text[at] - '0');
            if (arc > UINT32_MAX) return Fail(ERANGE);
            ++at;
        }
        if (static_cast<unsigned>(count) < arcSlots) arcs[count] = static_cast<std::uint32_t>(arc);
        ++count;
        if (at == length) break;
        if (text[at] != '.') return Fail(EINVAL);
        ++at;
    }
    return count;
}

// ---- UTF-8 ----

std::ptrdiff_t Utf8StringDecode(const std::uint8_t* octets, std::size_t size, std::uint32_t* codePoints) {
    if (octets == nullptr && size > 0) return -1;
    std::ptrdiff_t count = 0;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t lead = octets[at];
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        std::uint32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            length = 2;
            codePoint = lead & 0x1Fu;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            codePoint = lead & 0x0Fu;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            codePoint = lead & 0x07u;
            minimum = 0x10000;
        } else {
            return -2;
        }
        if (length > size - at) return -1;
        for (std::size_t i = 1; i < length; ++i) {
            const std::uint8_t next = octets[at + i];
            if (next < 0x80 || next > 0xBF) return -3;
            codePoint = codePoint << 6 | (next & 0x3Fu);
        }
        if (codePoint < minimum) return -4;
        // Surrogates and values past U+10FFFF: the continuation octet left its range.
        if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) return -3;
        if (codePoints != nullptr) codePoints[count] = codePoint;
        ++count;
        at += length;
    }
    if (codePoints != nullptr) codePoints[count] = 0;
    return count;
}

std::ptrdiff_t Utf8StringLength(const Asn1Utf8String* string) {
    if (string == nullptr || string->buf == nullptr || string->size < 0) return -5;
    return Utf8StringDecode(string->buf, static_cast<std::size_t>(string->size), nullptr);
}

}  // namespace Asn1
