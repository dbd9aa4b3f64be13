// Decode operations of every family. Input is untrusted: every tag and length is
// checked against what remains of its container, indefinite lengths are refused, and
// the nesting of constructed values is bounded by the context's stack depth.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1Arena.h"
#include "protocol/Asn1Ber.h"
#include "protocol/Asn1BuiltinTypes.h"
#include "protocol/Asn1Utilities.h"

namespace Asn1 {

namespace {

constexpr Asn1DecodeResult Done(std::size_t consumed) { return {Asn1DecodeDone, consumed}; }
constexpr Asn1DecodeResult Failed() { return {Asn1DecodeFailure, 0}; }
constexpr Asn1DecodeResult MoreData() { return {Asn1DecodeMoreData, 0}; }

// Inside a container whose length is known, running out of data is malformed input.
Asn1DecodeResult Contained(Asn1DecodeResult result) {
    if (result.code == Asn1DecodeMoreData) return Failed();
    return result;
}

// Counts one level of nesting for the lifetime of a constructed decoder.
class NestingLevel {
public:
    explicit NestingLevel(Asn1DecodeContext* context) : context_(context) { ++context_->depth; }
    ~NestingLevel() { --context_->depth; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
    bool TooDeep() const { return context_->depth > context_->maxStackDepth; }

private:
    Asn1DecodeContext* context_;
};

struct Header {
    Asn1Tag tag = 0;
    bool constructed = false;
    std::size_t headerLength = 0;
    std::size_t length = 0;
};

// Reads identifier and length octets; the content must lie within size.
Asn1DecodeCode ReadHeader(const std::uint8_t* data, std::size_t size, Header* header) {
    const std::ptrdiff_t tagOctets = BerFetchTag(data, size, &header->tag);
    if (tagOctets == 0) return Asn1DecodeMoreData;
    if (tagOctets < 0) return Asn1DecodeFailure;
    header->constructed = (data[0] & 0x20) != 0;
    const std::size_t afterTag = static_cast<std::size_t>(tagOctets);
    const std::ptrdiff_t lengthOctets =
        BerFetchLength(header->constructed, data + afterTag, size - afterTag, &header->length);
    if (lengthOctets == 0) return Asn1DecodeMoreData;
    if (lengthOctets < 0) return Asn1DecodeFailure;
    if (lengthOctets == 1 && data[afterTag] == 0x80) return Asn1DecodeFailure;  // indefinite form
    header->headerLength = afterTag + static_cast<std::size_t>(lengthOctets);
    if (header->length > size - header->headerLength) return Asn1DecodeMoreData;
    return Asn1DecodeDone;
}

// Whether the octets begin with a tag and length that can be read, whatever the
// length says about the content after them.
bool BeginsWithHeader(const std::uint8_t* data, std::size_t size) {
    Asn1Tag tag = 0;
    const std::ptrdiff_t tagOctets = BerFetchTag(data, size, &tag);
    if (tagOctets <= 0) return false;
    const std::size_t afterTag = static_cast<std::size_t>(tagOctets);
    std::size_t length = 0;
    const std::ptrdiff_t lengthOctets =
        BerFetchLength((data[0] & 0x20) != 0, data + afterTag, size - afterTag, &length);
    return lengthOctets > 0 && !(lengthOctets == 1 && data[afterTag] == 0x80);
}

// The content found inside a type's own tags.
struct Content {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t consumed = 0;  // octets of the whole element, tags included
    bool tagged = false;       // false: no tag was read (untagged CHOICE or ANY)
    bool constructed = false;  // form of the innermost tag read
};

// Reads the tags a value carries under the given tag mode: with Asn1Untagged all own
// tags, compared; with Asn1Implicit the member's tag (already matched by the container)
// in place of the outermost own tag; with Asn1Explicit the member's tag and then all
// own tags. Every tag but the innermost must be constructed and every inner element
// must fill its outer one exactly.
Asn1DecodeCode ReadOwnTags(const Asn1TypeDescriptor* type, int tagMode, const std::uint8_t* data, std::size_t size,
                           Content* content) {
    int mode = tagMode;
    if (mode == Asn1Implicit && type->tagCount == 0) mode = Asn1Explicit;  // a CHOICE or ANY tag is explicit
    const std::uint32_t reads = type->tagCount + (mode == Asn1Explicit ? 1 : 0);
    content->data = data;
    content->size = size;
    content->tagged = reads > 0;
    for (std::uint32_t k = 0; k < reads; ++k) {
        Header header;
        const Asn1DecodeCode code = ReadHeader(content->data, content->size, &header);
        if (code != Asn1DecodeDone) return k == 0 ? code : Asn1DecodeFailure;
        const bool compared = mode == Asn1Untagged || k > 0;
        if (compared) {
            const Asn1Tag expected = type->tags[mode == Asn1Explicit ? k - 1 : k];
            if (header.tag != expected) return Asn1DecodeFailure;
        }
        if (k + 1 < reads && !header.constructed) return Asn1DecodeFailure;
        if (k == 0) {
            content->consumed = header.headerLength + header.length;
        } else if (header.headerLength + header.length != content->size) {
            return Asn1DecodeFailure;
        }
        content->data += header.headerLength;
        content->size = header.length;
        content->constructed = header.constructed;
    }
    return Asn1DecodeDone;
}

// What every constructed decoder does first: it takes a context of its own when the
// caller gave none, counts one level of nesting for its lifetime (refusing a value
// nested too deep before reading anything) and reads the value's own tags.
class ConstructedEntry {
public:
    ConstructedEntry(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, int tagMode, const std::uint8_t* data,
                     std::size_t size)
        : context_(context != nullptr ? context : &local_), level_(context_) {
        code_ = level_.TooDeep() ? Asn1DecodeFailure : ReadOwnTags(type, tagMode, data, size, &content_);
    }

    // True when the tags are read; otherwise the decoder returns Refusal().
    bool IsEntered() const { return code_ == Asn1DecodeDone; }
    Asn1DecodeResult Refusal() const { return {code_, 0}; }
    Asn1DecodeContext* GetContext() const { return context_; }
    const Content& GetContent() const { return content_; }

private:
    Asn1DecodeContext local_;
    Asn1DecodeContext* const context_;
    NestingLevel level_;
    Content content_;
    Asn1DecodeCode code_ = Asn1DecodeDone;
};

// Allocates the value when *value is null: from the decode's arena when it has one.
void* ValueStorage(const Asn1DecodeContext* context, void** value, std::size_t size) {
    if (*value != nullptr) return *value;
    if (context != nullptr && context->arena != nullptr) {
        *value = context->arena->AllocateValue(size);
    } else {
        *value = std::calloc(1, size);
    }
    return *value;
}

// Room for octets: an arena's (the string then borrows them) or a heap cell.
std::uint8_t* OctetStorage(const Asn1DecodeContext* context, std::size_t size) {
    if (context != nullptr && context->arena != nullptr) return context->arena->AllocateOctets(size);
    return static_cast<std::uint8_t*>(std::malloc(size));
}
void ReleaseOctetStorage(const Asn1DecodeContext* context, std::uint8_t* octets) {
    if (context == nullptr || context->arena == nullptr) std::free(octets);
}
std::int32_t BorrowedFlag(const Asn1DecodeContext* context) {
    return context != nullptr && context->arena != nullptr ? 1 : 0;
}

Asn1DecodeResult DecodeMember(Asn1DecodeContext* context, void* container, const Asn1Member& member,
                              const std::uint8_t* data, std::size_t size) {
    if (Access::IsPointer(member)) {
        return member.type->decode(context, member.type, Access::PointerSlot(container, member), data, size,
                                   member.tagMode);
    }
    void* embedded = static_cast<std::uint8_t*>(container) + member.offset;
    return member.type->decode(context, member.type, &embedded, data, size, member.tagMode);
}

// Length of the whole element at data (skipped without looking inside), 0 when bad.
std::size_t SkipElement(Asn1DecodeContext* context, const std::uint8_t* data, std::size_t size) {
    Asn1Tag tag = 0;
    const std::ptrdiff_t tagOctets = BerFetchTag(data, size, &tag);
    if (tagOctets <= 0) return 0;
    const std::size_t afterTag = static_cast<std::size_t>(tagOctets);
    const std::ptrdiff_t rest = BerSkipLength(context, data[0] & 0x20, data + afterTag, size - afterTag);
    if (rest <= 0) return 0;
    return afterTag + static_cast<std::size_t>(rest);
}

std::int32_t FindInTagMap(const Asn1TagToMember* map, std::uint32_t count, Asn1Tag tag) {
    const auto order = [](Asn1Tag t) { return (Asn1TagClassOf(t) << 14) | Asn1TagNumber(t); };
    std::uint32_t low = 0;
    std::uint32_t high = count;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (map[middle].tag == tag) return static_cast<std::int32_t>(middle);
        if (order(map[middle].tag) < order(tag)) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return -1;
}

// Whether a value of the type can start with the tag (looking through untagged CHOICEs).
bool TypeAcceptsTag(const Asn1TypeDescriptor* type, Asn1Tag tag, int level) {
    if (level > Asn1DefaultMaxStackDepth) return false;
    if (type->tagCount > 0) return type->tags[0] == tag;
    if (!Access::IsChoice(type)) return true;  // ANY
    const Asn1ChoiceSpecifics* specifics = Access::ChoiceSpecifics(type);
    if (FindInTagMap(specifics->tagMap, specifics->tagMapCount, tag) >= 0) return true;
    for (std::uint32_t i = 0; i < type->memberCount; ++i) {
        const Asn1Member& member = type->members[i];
        if (Access::IsOpenType(member)) return true;
        if (member.tag == Asn1NoTag && TypeAcceptsTag(member.type, tag, level + 1)) return true;
    }
    return false;
}

bool MemberMatches(const Asn1Member& member, Asn1Tag tag) {
    if (Access::IsOpenType(member)) return true;
    if (member.tag != Asn1NoTag) return member.tag == tag;
    return TypeAcceptsTag(member.type, tag, 0);
}

bool IsExtensibleUntaggedChoice(const Asn1Member& member) {
    return member.tag == Asn1NoTag && !Access::IsOpenType(member) && Access::IsChoice(member.type) &&
           member.type->tagCount == 0 && Access::ChoiceSpecifics(member.type)->extensible != 0;
}

// Among members first..last, the one that takes the tag: through the tag map for
// members with their own tag, then the untagged ones.
std::int32_t FindMember(const Asn1TypeDescriptor* type, const Asn1TagToMember* map, std::uint32_t mapCount,
                        std::uint32_t first, std::uint32_t last, Asn1Tag tag, bool linear) {
    if (linear) {
        for (std::uint32_t k = first; k <= last; ++k) {
            if (MemberMatches(type->members[k], tag)) return static_cast<std::int32_t>(k);
        }
        return -1;
    }
    const std::int32_t entry = FindInTagMap(map, mapCount, tag);
    if (entry >= 0) {
        std::int32_t best = -1;
        for (std::int32_t e = entry + map[entry].firstRelative; e <= entry + map[entry].lastRelative; ++e) {
            const std::int32_t index = map[e].memberIndex;
            if (index >= static_cast<std::int32_t>(first) && index <= static_cast<std::int32_t>(last) &&
                (best < 0 || index < best)) {
                best = index;
            }
        }
        if (best >= 0) return best;
    }
    for (std::uint32_t k = first; k <= last; ++k) {
        const Asn1Member& member = type->members[k];
        if (!Access::HasOwnTag(member) && MemberMatches(member, tag)) return static_cast<std::int32_t>(k);
    }
    return -1;
}

std::int32_t FindExtensibleChoice(const Asn1TypeDescriptor* type, std::uint32_t first, std::uint32_t last) {
    for (std::uint32_t k = first; k <= last && k < type->memberCount; ++k) {
        if (IsExtensibleUntaggedChoice(type->members[k])) return static_cast<std::int32_t>(k);
    }
    return -1;
}

// ---- strings ----

// Appends the content of a constructed string's segments to out (room for all of them
// is there: they are no longer than their container).
bool CollectSegments(Asn1DecodeContext* context, const std::uint8_t* data, std::size_t size, bool bitString,
                     std::uint8_t* out, std::size_t* used, std::int32_t* unusedBits) {
    NestingLevel level(context);
    if (level.TooDeep()) return false;
    const Asn1Tag segmentTag = bitString ? Asn1BitStringTag : Asn1OctetStringTag;
    std::size_t at = 0;
    while (at < size) {
        if (*unusedBits != 0) return false;  // only the last bit-string segment may leave bits unused
        Header header;
        if (ReadHeader(data + at, size - at, &header) != Asn1DecodeDone) return false;
        if (header.tag != segmentTag) return false;
        const std::uint8_t* segment = data + at + header.headerLength;
        if (header.constructed) {
            if (!CollectSegments(context, segment, header.length, bitString, out, used, unusedBits)) return false;
        } else if (bitString) {
            if (header.length == 0 || segment[0] > 7 || (header.length == 1 && segment[0] != 0)) return false;
            std::memcpy(out + *used, segment + 1, header.length - 1);
            *used += header.length - 1;
            *unusedBits = segment[0];
        } else {
            std::memcpy(out + *used, segment, header.length);
            *used += header.length;
        }
        at += header.headerLength + header.length;
    }
    return true;
}

Asn1DecodeResult DecodePrimitiveOctets(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                       const std::uint8_t* data, std::size_t size, int tagMode, bool stringFamily) {
    Content content;
    const Asn1DecodeCode code = ReadOwnTags(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    if (content.constructed && !stringFamily) return Failed();
    void* storage = ValueStorage(context, value, Access::ValueSize(type));
    if (storage == nullptr) return Failed();
    // One octet more than the content: decoded strings end with a NUL.
    std::uint8_t* octets = OctetStorage(context, content.size + 1);
    if (octets == nullptr) return Failed();
    const bool bitString = stringFamily && Access::StringSpecifics(type)->subvariant == Asn1BitStringVariant;
    std::size_t used = 0;
    std::int32_t unusedBits = 0;
    bool valid = true;
    if (content.constructed) {
        valid = CollectSegments(context, content.data, content.size, bitString, octets, &used, &unusedBits);
    } else if (bitString) {
        valid = content.size > 0 && content.data[0] <= 7 && (content.size > 1 || content.data[0] == 0);
        if (valid) {
            used = content.size - 1;
            std::memcpy(octets, content.data + 1, used);
            unusedBits = content.data[0];
        }
    } else {
        used = content.size;
        if (used > 0) std::memcpy(octets, content.data, used);
    }
    if (!valid) {
        ReleaseOctetStorage(context, octets);
        return Failed();
    }
    octets[used] = 0;
    if (bitString) {
        auto* bits = static_cast<Asn1BitString*>(storage);
        bits->buf = octets;
        bits->size = static_cast<std::int32_t>(used);
        bits->borrowed = BorrowedFlag(context);
        bits->unusedBits = unusedBits;
    } else {
        auto* string = static_cast<Asn1OctetString*>(storage);
        string->buf = octets;
        string->size = static_cast<std::int32_t>(used);
        string->borrowed = BorrowedFlag(context);
    }
    return Done(content.consumed);
}

// ---- lists ----

// An arena list gets its element array at once, as long as the elements the content
// holds (counted by their headers; a malformed one ends the count, and the decode of
// the elements then fails on it).
bool ReserveElements(const Asn1DecodeContext* context, Asn1SequenceOf* list, const Content& content) {
    std::size_t count = 0;
    std::size_t at = 0;
    while (at < content.size) {
        Header header;
        if (ReadHeader(content.data + at, content.size - at, &header) != Asn1DecodeDone) break;
        at += header.headerLength + header.length;
        ++count;
    }
    if (count == 0) return true;
    if (count > INT32_MAX / 2) return false;
    list->array = static_cast<void**>(context->arena->AllocateValue(count * sizeof(void*)));
    if (list->array == nullptr) return false;
    list->capacity = static_cast<std::int32_t>(count);
    return true;
}

// Appends a decoded element; an arena list grows within its arena (its former array
// is left there).
int AppendElement(const Asn1DecodeContext* context, Asn1SequenceOf* list, void* element) {
    if (context->arena == nullptr) return Asn1SequenceOfAppend(list, element);
    if (list->count == list->capacity) {
        if (list->capacity > INT32_MAX / 4) return -1;
        const std::int32_t capacity = list->capacity == 0 ? 16 : list->capacity * 2;
        auto* grown =
            static_cast<void**>(context->arena->AllocateValue(static_cast<std::size_t>(capacity) * sizeof(void*)));
        if (grown == nullptr) return -1;
        if (list->count > 0) std::memcpy(grown, list->array, static_cast<std::size_t>(list->count) * sizeof(void*));
        list->array = grown;
        list->capacity = capacity;
    }
    list->array[list->count++] = element;
    return 0;
}

// Content of a primitive element of the type.
Asn1DecodeCode ReadPrimitive(const Asn1TypeDescriptor* type, int tagMode, const std::uint8_t* data, std::size_t size,
                             Content* content) {
    const Asn1DecodeCode code = ReadOwnTags(type, tagMode, data, size, content);
    if (code != Asn1DecodeDone) return code;
    if (content->constructed) return Asn1DecodeFailure;
    return Asn1DecodeDone;
}

}  // namespace

// ---- primitive families ----

Asn1DecodeResult Asn1IntegerDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                   const std::uint8_t* data, std::size_t size, int tagMode) {
    Content content;
    const Asn1DecodeCode code = ReadPrimitive(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    auto* integer = static_cast<Asn1Integer*>(ValueStorage(context, value, sizeof(Asn1Integer)));
    if (integer == nullptr) return Failed();
    if (content.size <= 4) {
        if (content.size > 0) std::memcpy(integer->inlineOctets, content.data, content.size);
    } else {
        integer->octets = OctetStorage(context, content.size);
        if (integer->octets == nullptr) return Failed();
        std::memcpy(integer->octets, content.data, content.size);
    }
    integer->size = static_cast<std::uint32_t>(content.size);
    return Done(content.consumed);
}

Asn1DecodeResult Asn1NativeIntegerDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                         const std::uint8_t* data, std::size_t size, int tagMode) {
    Content content;
    const Asn1DecodeCode code = ReadPrimitive(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    const std::uint8_t* octets = content.data;
    std::size_t count = content.size;
    // Octets that only repeat the sign do not count against the 32 bits.
    while (count > 1 &&
           ((octets[0] == 0x00 && (octets[1] & 0x80) == 0) || (octets[0] == 0xFF && (octets[1] & 0x80) != 0))) {
        ++octets;
        --count;
    }
    if (count > 4) return Failed();
    std::uint32_t number = (count > 0 && (octets[0] & 0x80) != 0) ? 0xFFFFFFFFu : 0;
    for (std::size_t i = 0; i < count; ++i) number = number << 8 | octets[i];
    auto* native = static_cast<Asn1NativeInteger*>(ValueStorage(context, value, sizeof(Asn1NativeInteger)));
    if (native == nullptr) return Failed();
    *native = static_cast<std::int32_t>(number);
    return Done(content.consumed);
}

Asn1DecodeResult Asn1NativeUnsignedDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                          const std::uint8_t* data, std::size_t size, int tagMode) {
    Content content;
    const Asn1DecodeCode code = ReadPrimitive(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    const std::uint8_t* octets = content.data;
    std::size_t count = content.size;
    // No content, a sign bit (a negative number) or a leading zero octet that the next
    // octet does not need is not the form of any unsigned value.
    if (count == 0 || (octets[0] & 0x80) != 0) return Failed();
    if (count > 1 && octets[0] == 0x00) {
        if ((octets[1] & 0x80) == 0) return Failed();
        ++octets;
        --count;
    }
    if (count > 4) return Failed();
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < count; ++i) number = number << 8 | octets[i];
    auto* native = static_cast<Asn1NativeUnsigned*>(ValueStorage(context, value, sizeof(Asn1NativeUnsigned)));
    if (native == nullptr) return Failed();
    *native = number;
    return Done(content.consumed);
}

Asn1DecodeResult Asn1BooleanDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                   const std::uint8_t* data, std::size_t size, int tagMode) {
    Content content;
    const Asn1DecodeCode code = ReadPrimitive(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    auto* boolean = static_cast<Asn1Boolean*>(ValueStorage(context, value, sizeof(Asn1Boolean)));
    if (boolean == nullptr) return Failed();
    *boolean = 0;
    for (std::size_t i = 0; i < content.size; ++i) {
        if (content.data[i] != 0) {
            *boolean = content.data[i];
            break;
        }
    }
    return Done(content.consumed);
}

Asn1DecodeResult Asn1NullDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                const std::uint8_t* data, std::size_t size, int tagMode) {
    Content content;
    const Asn1DecodeCode code = ReadPrimitive(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    if (content.size != 0) return Failed();
    if (ValueStorage(context, value, sizeof(Asn1Null)) == nullptr) return Failed();
    return Done(content.consumed);
}

Asn1DecodeResult Asn1OctetStringDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                       const std::uint8_t* data, std::size_t size, int tagMode) {
    Asn1DecodeContext local;
    if (context == nullptr) context = &local;
    return DecodePrimitiveOctets(context, type, value, data, size, tagMode, true);
}

Asn1DecodeResult Asn1ObjectIdentifierDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                            const std::uint8_t* data, std::size_t size, int tagMode) {
    Asn1DecodeContext local;
    if (context == nullptr) context = &local;
    return DecodePrimitiveOctets(context, type, value, data, size, tagMode, false);
}

namespace {

// An ANY: the one complete element inside its explicit tag, or the element here. With
// carried, what the explicit tag holds is kept as it stands when it at least begins
// with a readable tag and length, whether or not that element fills the tag.
Asn1DecodeResult DecodeAny(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                           const std::uint8_t* data, std::size_t size, int tagMode, bool carried) {
    Content content;
    const Asn1DecodeCode code = ReadOwnTags(type, tagMode, data, size, &content);
    if (code != Asn1DecodeDone) return {code, 0};
    Header inner;
    const Asn1DecodeCode innerCode = ReadHeader(content.data, content.size, &inner);
    if (content.tagged) {
        if (!content.constructed) return Failed();
        const bool whole = innerCode == Asn1DecodeDone && inner.headerLength + inner.length == content.size;
        if (!whole && !(carried && BeginsWithHeader(content.data, content.size))) return Failed();
    } else {
        if (innerCode != Asn1DecodeDone) return {innerCode, 0};
        content.size = inner.headerLength + inner.length;
        content.consumed = content.size;
    }
    auto* any = static_cast<Asn1Any*>(ValueStorage(context, value, sizeof(Asn1Any)));
    if (any == nullptr) return Failed();
    std::uint8_t* octets = OctetStorage(context, content.size + 1);
    if (octets == nullptr) return Failed();
    std::memcpy(octets, content.data, content.size);
    octets[content.size] = 0;
    any->buf = octets;
    any->size = static_cast<std::int32_t>(content.size);
    any->borrowed = BorrowedFlag(context);
    return Done(content.consumed);
}

}  // namespace

Asn1DecodeResult Asn1AnyDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                               const std::uint8_t* data, std::size_t size, int tagMode) {
    return DecodeAny(context, type, value, data, size, tagMode, false);
}

Asn1DecodeResult Asn1CarriedAnyDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                      const std::uint8_t* data, std::size_t size, int tagMode) {
    return DecodeAny(context, type, value, data, size, tagMode, true);
}

// ---- constructed families ----

Asn1DecodeResult Asn1SequenceDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                    const std::uint8_t* data, std::size_t size, int tagMode) {
    const ConstructedEntry entry(context, type, tagMode, data, size);
    if (!entry.IsEntered()) return entry.Refusal();
    context = entry.GetContext();
    const Content& content = entry.GetContent();
    if (!content.constructed) return Failed();
    const Asn1SequenceSpecifics* specifics = Access::SequenceSpecifics(type);
    void* sequence = ValueStorage(context, value, specifics->valueSize);
    if (sequence == nullptr) return Failed();

    const std::int32_t after = specifics->extensionAfter;
    const std::int32_t before = specifics->extensionBefore;
    const auto isOptional = [&](std::uint32_t k) {
        const auto index = static_cast<std::int32_t>(k);
        return type->members[k].optionalCount > 0 || (after >= 0 && index > after && index < before);
    };
    const std::uint32_t memberCount = type->memberCount;
    std::uint32_t next = 0;  // index of the next member that may come
    const std::uint8_t* at = content.data;
    const std::uint8_t* end = content.data + content.size;
    while (at < end) {
        const std::size_t remaining = static_cast<std::size_t>(end - at);
        Asn1Tag tag = 0;
        if (BerFetchTag(at, remaining, &tag) <= 0) return Failed();
        // Candidates: the optional members from `next` and the first mandatory one.
        std::int32_t found = -1;
        std::uint32_t last = next;
        if (next < memberCount) {
            while (last + 1 < memberCount && isOptional(last)) ++last;
            found = FindMember(type, specifics->tagMap, specifics->tagMapCount, next, last, tag, last - next < 8);
        }
        // An unknown element is an extension addition when only optional members before
        // the marker can still come: they cannot follow it any more.
        const auto index = static_cast<std::int32_t>(next);
        bool inExtension = after >= 0 && index <= before;
        for (std::int32_t k = index; inExtension && k <= after; ++k) {
            inExtension = isOptional(static_cast<std::uint32_t>(k));
        }
        if (found < 0 && next < memberCount) {
            // An unknown alternative of an untagged extensible CHOICE at this place; an
            // optional one leaves unknown elements in the extension to the SEQUENCE.
            const std::int32_t choice = FindExtensibleChoice(type, next, last);
            if (choice >= 0 && (!inExtension || !isOptional(static_cast<std::uint32_t>(choice)))) found = choice;
        }
        if (found < 0) {
            // The tag of a member that may no longer come is out of order, not unknown.
            for (std::uint32_t k = 0; k < next && k < memberCount && inExtension; ++k) {
                if (Access::HasOwnTag(type->members[k]) && type->members[k].tag == tag) inExtension = false;
            }
            if (inExtension) {
                const std::size_t skipped = SkipElement(context, at, remaining);
                if (skipped == 0) return Failed();
                at += skipped;
                if (index <= after) next = static_cast<std::uint32_t>(after) + 1;
                continue;
            }
            return Failed();
        }
        const Asn1Member& member = type->members[found];
        const Asn1DecodeResult result = Contained(DecodeMember(context, sequence, member, at, remaining));
        if (result.code != Asn1DecodeDone || result.consumed == 0) return Failed();
        at += result.consumed;
        next = static_cast<std::uint32_t>(found) + 1;
    }
    for (std::uint32_t k = next; k < memberCount; ++k) {
        if (!isOptional(k)) return Failed();  // a mandatory member is missing
    }
    return Done(content.consumed);
}

Asn1DecodeResult Asn1SetDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                               const std::uint8_t* data, std::size_t size, int tagMode) {
    const ConstructedEntry entry(context, type, tagMode, data, size);
    if (!entry.IsEntered()) return entry.Refusal();
    context = entry.GetContext();
    const Content& content = entry.GetContent();
    if (!content.constructed || type->memberCount > 64) return Failed();
    const Asn1SetSpecifics* specifics = Access::SetSpecifics(type);
    void* set = ValueStorage(context, value, specifics->valueSize);
    if (set == nullptr) return Failed();

    std::uint64_t seen = 0;
    const std::uint8_t* at = content.data;
    const std::uint8_t* end = content.data + content.size;
    while (at < end) {
        const std::size_t remaining = static_cast<std::size_t>(end - at);
        Asn1Tag tag = 0;
        if (BerFetchTag(at, remaining, &tag) <= 0) return Failed();
        std::int32_t found = -1;
        if (type->memberCount > 0) {
            found = FindMember(type, specifics->tagMap, specifics->tagMapCount, 0, type->memberCount - 1, tag, false);
        }
        if (found < 0) {
            if (specifics->extensible == 0) return Failed();
            const std::size_t skipped = SkipElement(context, at, remaining);
            if (skipped == 0) return Failed();
            at += skipped;
            continue;
        }
        const std::uint64_t bit = std::uint64_t{1} << found;
        if ((seen & bit) != 0) return Failed();  // a member that comes twice
        seen |= bit;
        const Asn1DecodeResult result = Contained(DecodeMember(context, set, type->members[found], at, remaining));
        if (result.code != Asn1DecodeDone || result.consumed == 0) return Failed();
        at += result.consumed;
    }
    for (std::uint32_t k = 0; k < type->memberCount; ++k) {
        if (type->members[k].optionalCount == 0 && (seen & (std::uint64_t{1} << k)) == 0) return Failed();
    }
    return Done(content.consumed);
}

Asn1DecodeResult Asn1ChoiceDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                  const std::uint8_t* data, std::size_t size, int tagMode) {
    const ConstructedEntry entry(context, type, tagMode, data, size);
    if (!entry.IsEntered()) return entry.Refusal();
    context = entry.GetContext();
    const Content& content = entry.GetContent();
    if (content.tagged && !content.constructed) return Failed();
    const Asn1ChoiceSpecifics* specifics = Access::ChoiceSpecifics(type);
    void* choice = ValueStorage(context, value, specifics->valueSize);
    if (choice == nullptr) return Failed();

    Asn1Tag tag = 0;
    const std::ptrdiff_t tagOctets = BerFetchTag(content.data, content.size, &tag);
    if (tagOctets == 0 && !content.tagged) return MoreData();
    if (tagOctets <= 0) return Failed();
    std::int32_t found = -1;
    if (type->memberCount > 0) {
        found = FindMember(type, specifics->tagMap, specifics->tagMapCount, 0, type->memberCount - 1, tag, false);
        if (found < 0) found = FindExtensibleChoice(type, 0, type->memberCount - 1);
    }
    std::size_t used = 0;
    if (found < 0) {
        if (specifics->extensible == 0) return Failed();
        // An unknown alternative: skipped whole, presence 0.
        *Access::Presence(choice, type) = 0;
        Header header;
        const Asn1DecodeCode skipCode = ReadHeader(content.data, content.size, &header);
        if (skipCode != Asn1DecodeDone) return {content.tagged ? Asn1DecodeFailure : skipCode, 0};
        used = header.headerLength + header.length;
    } else {
        *Access::Presence(choice, type) = found + 1;
        Asn1DecodeResult result = DecodeMember(context, choice, type->members[found], content.data, content.size);
        if (content.tagged) result = Contained(result);
        if (result.code != Asn1DecodeDone) return {result.code, 0};
        used = result.consumed;
    }
    if (!content.tagged) return Done(used);
    if (used != content.size) return Failed();
    return Done(content.consumed);
}

Asn1DecodeResult Asn1SequenceOfDecode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                      const std::uint8_t* data, std::size_t size, int tagMode) {
    const ConstructedEntry entry(context, type, tagMode, data, size);
    if (!entry.IsEntered()) return entry.Refusal();
    context = entry.GetContext();
    const Content& content = entry.GetContent();
    if (!content.constructed) return Failed();
    const Asn1SequenceOfSpecifics* specifics = Access::SequenceOfSpecifics(type);
    auto* list = static_cast<Asn1SequenceOf*>(ValueStorage(context, value, specifics->valueSize));
    if (list == nullptr) return Failed();
    list->freeElement = specifics->freeElement;
    if (context->arena != nullptr && list->array == nullptr && !ReserveElements(context, list, content))
        return Failed();

    const Asn1Member& member = type->members[0];
    const std::uint8_t* at = content.data;
    const std::uint8_t* end = content.data + content.size;
    while (at < end) {
        const std::size_t remaining = static_cast<std::size_t>(end - at);
        if (Access::HasOwnTag(member)) {
            Asn1Tag tag = 0;
            if (BerFetchTag(at, remaining, &tag) <= 0 || tag != member.tag) return Failed();
        }
        void* element = nullptr;
        const Asn1DecodeResult result =
            Contained(member.type->decode(context, member.type, &element, at, remaining, member.tagMode));
        // An element that consumes nothing would never end the loop.
        if (result.code != Asn1DecodeDone || result.consumed == 0 || AppendElement(context, list, element) != 0) {
            if (element != nullptr) member.type->free(member.type, element, 0);
            return Failed();
        }
        at += result.consumed;
    }
    return Done(content.consumed);
}

}  // namespace Asn1
