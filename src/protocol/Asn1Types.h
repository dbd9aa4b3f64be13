#pragma once

// Data model of the BER coder: tag words, value structures, the output buffer, the
// decode result, and the static type descriptors with their member tables and family
// records. How to write tables for a PDU module is explained in Asn1Coder.h.

#include <cstddef>
#include <cstdint>

namespace Asn1 {

// ---------------------------------------------------------------------------------
// Tags
// ---------------------------------------------------------------------------------

// Tag word: tag number << 2 | class. The primitive/constructed bit is not part of it;
// it travels separately as the octet value Asn1Constructed (0x20) or 0.
using Asn1Tag = std::uint16_t;

// A member without a tag of its own: an untagged CHOICE (its alternative supplies the
// tag) or an untagged open type.
inline constexpr Asn1Tag Asn1NoTag = 0xFFFF;

inline constexpr int Asn1Constructed = 0x20;

enum Asn1TagClass : std::uint16_t {
    Asn1UniversalClass = 0,
    Asn1ApplicationClass = 1,
    Asn1ContextClass = 2,
    Asn1PrivateClass = 3,
};

// Tag numbers go up to 16383 (what a 16-bit tag word holds).
constexpr Asn1Tag Asn1MakeTag(Asn1TagClass tagClass, unsigned number) {
    return static_cast<Asn1Tag>(number << 2 | tagClass);
}
constexpr Asn1Tag Asn1UniversalTag(unsigned number) { return Asn1MakeTag(Asn1UniversalClass, number); }
constexpr Asn1Tag Asn1ApplicationTag(unsigned number) { return Asn1MakeTag(Asn1ApplicationClass, number); }
constexpr Asn1Tag Asn1ContextTag(unsigned number) { return Asn1MakeTag(Asn1ContextClass, number); }
constexpr Asn1Tag Asn1PrivateTag(unsigned number) { return Asn1MakeTag(Asn1PrivateClass, number); }
constexpr unsigned Asn1TagNumber(Asn1Tag tag) { return tag >> 2; }
constexpr unsigned Asn1TagClassOf(Asn1Tag tag) { return tag & 3u; }

// The universal tags of the built-in types, for untagged members of types whose
// descriptor is not visible at compile time (see Asn1Field in Asn1Tables.h).
inline constexpr Asn1Tag Asn1BooleanTag = Asn1UniversalTag(1);
inline constexpr Asn1Tag Asn1IntegerTag = Asn1UniversalTag(2);
inline constexpr Asn1Tag Asn1BitStringTag = Asn1UniversalTag(3);
inline constexpr Asn1Tag Asn1OctetStringTag = Asn1UniversalTag(4);
inline constexpr Asn1Tag Asn1NullTag = Asn1UniversalTag(5);
inline constexpr Asn1Tag Asn1ObjectIdentifierTag = Asn1UniversalTag(6);
inline constexpr Asn1Tag Asn1ObjectDescriptorTag = Asn1UniversalTag(7);
inline constexpr Asn1Tag Asn1ExternalTag = Asn1UniversalTag(8);
inline constexpr Asn1Tag Asn1Utf8StringTag = Asn1UniversalTag(12);
inline constexpr Asn1Tag Asn1SequenceTag = Asn1UniversalTag(16);
inline constexpr Asn1Tag Asn1SetTag = Asn1UniversalTag(17);
inline constexpr Asn1Tag Asn1VisibleStringTag = Asn1UniversalTag(26);
inline constexpr Asn1Tag Asn1GraphicStringTag = Asn1UniversalTag(25);
inline constexpr Asn1Tag Asn1GeneralizedTimeTag = Asn1UniversalTag(24);

// Tag modes of a member (and of the encode and decode operations).
//  Asn1Implicit: the member's tag replaces the type's outermost tag.
//  Asn1Untagged: the member carries the type's own outermost tag (held in Asn1Member::tag).
//  Asn1Explicit: the member's tag wraps the type's complete encoding.
// Asn1Encode runs the top-level type with Asn1Explicit (1): "write all own tags".
enum Asn1TagMode : std::int32_t {
    Asn1Implicit = -1,
    Asn1Untagged = 0,
    Asn1Explicit = 1,
};

// ---------------------------------------------------------------------------------
// Value structures. Values are plain structures allocated zeroed with the C allocator
// (calloc) and released through their descriptor's free operation; octets are
// allocated with malloc. Decoded strings carry a NUL after their octets. A whole PDU
// decoded with Asn1DecodeInArena lives in one arena instead (protocol/Asn1Arena.h).
// ---------------------------------------------------------------------------------

// INTEGER: big-endian two's complement content octets as they travel; up to four are
// held inline, more through a pointer (see Asn1IntegerOctets).
struct Asn1Integer {
    std::uint32_t size;
    union {
        std::uint8_t inlineOctets[4];
        std::uint8_t* octets;
    };
};

// INTEGER held as a number.
using Asn1NativeInteger = std::int32_t;

// INTEGER held as an unsigned number (0..2^32-1).
using Asn1NativeUnsigned = std::uint32_t;

// BOOLEAN: 0 false, any other value true. Decoding stores the octet as received.
using Asn1Boolean = std::int32_t;

// NULL: only its presence matters.
using Asn1Null = std::int32_t;

// OCTET STRING and the types that share its layout. borrowed = 1: the octets belong to
// someone else and are never freed by the coder.
struct Asn1OctetString {
    std::uint8_t* buf;
    std::int32_t size;
    std::int32_t borrowed;
};
using Asn1VisibleString = Asn1OctetString;
using Asn1Utf8String = Asn1OctetString;
using Asn1GraphicString = Asn1OctetString;
using Asn1ObjectDescriptor = Asn1OctetString;
using Asn1GeneralizedTime = Asn1OctetString;
// OBJECT IDENTIFIER: the BER content octets of the identifier.
using Asn1ObjectIdentifier = Asn1OctetString;
// ANY (open type): the complete encoding (tag, length, content) of one value.
using Asn1Any = Asn1OctetString;

// BIT STRING: the first bit is the most significant bit of buf[0]; size counts data
// octets only; unusedBits (0..7) are the unused low bits of the last octet.
struct Asn1BitString {
    std::uint8_t* buf;
    std::int32_t size;
    std::int32_t borrowed;
    std::int32_t unusedBits;
};

// CHOICE presence number: 1-based index of the chosen alternative, 0 none.
using Asn1Presence = std::int32_t;

// SEQUENCE OF / SET OF: element pointers in order. The list owns its elements.
using Asn1ElementFree = void(void* element);
struct Asn1SequenceOf {
    void** array;
    std::int32_t count;
    std::int32_t capacity;
    Asn1ElementFree* freeElement;  // used by Asn1SequenceOfEmpty; set by the decoder
};

// A typed view of a SEQUENCE OF value, with the same layout. Declare list members of
// value structures as Asn1ListOf<Element>.
template <typename Element>
struct Asn1ListOf {
    Asn1SequenceOf list;

    struct Iterator {
        void* const* at;
        Element* operator*() const { return static_cast<Element*>(*at); }
        Iterator& operator++() {
            ++at;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at != other.at; }
    };

    std::int32_t Count() const { return list.count; }
    Element* operator[](std::int32_t index) const { return static_cast<Element*>(list.array[index]); }
    Iterator begin() const { return {list.array}; }
    Iterator end() const { return {list.array + list.count}; }
};

// ---------------------------------------------------------------------------------
// Buffers and results
// ---------------------------------------------------------------------------------

// Encoders write in front of position and lower it; they never write before data[0]
// and fail with -1 and errno ENOMEM when the room in front is exhausted.
struct Asn1OutputBuffer {
    std::uint8_t* data;
    std::size_t position;
};

enum Asn1DecodeCode : std::int32_t {
    Asn1DecodeDone = 0,
    Asn1DecodeMoreData = 1,  // the outermost length runs past the given data
    Asn1DecodeFailure = 2,
};

struct Asn1DecodeResult {
    Asn1DecodeCode code;
    std::size_t consumed;
};

class Asn1Arena;

// Decoding always works on a whole PDU in one buffer; the context carries the nesting
// depth of the decode in progress and its limit, and the arena the values are cut from
// (null: each value is a heap cell of its own).
inline constexpr std::int32_t Asn1DefaultMaxStackDepth = 64;
struct Asn1DecodeContext {
    std::int32_t maxStackDepth = Asn1DefaultMaxStackDepth;
    std::int32_t depth = 0;
    Asn1Arena* arena = nullptr;
};

// ---------------------------------------------------------------------------------
// Descriptors
// ---------------------------------------------------------------------------------

struct Asn1TypeDescriptor;
struct Asn1Member;

// Constraint-check messages go to a callback with the caller's key.
using Asn1MessageCallback = void(void* key, const Asn1TypeDescriptor* type, const void* value, const char* message);

// Releases a value; with contentsOnly only what the value owns (its storage is
// embedded in a container), and the storage is then left zeroed.
using Asn1FreeFunction = void(const Asn1TypeDescriptor* type, void* value, int contentsOnly);
// Returns 0 when the value satisfies the type's constraints, else -1 after reporting.
using Asn1CheckFunction = int(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback,
                              void* key);
// Decodes one value at data; allocates it when *value is null.
using Asn1DecodeFunction = Asn1DecodeResult(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                            const std::uint8_t* data, std::size_t size, int tagMode);
// Writes the value in front of the buffer's position: with tagMode Asn1Explicit all own
// tags, otherwise all but the outermost (the container writes that one). Returns the
// octets written (or -1 with errno) and reports through constructed whether the
// container's tag around it must be constructed (Asn1Constructed) or primitive (0).
using Asn1EncodeFunction = std::ptrdiff_t(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag tag,
                                          int* constructed, Asn1OutputBuffer* buffer);
// The tag word the value will carry (CHOICE types only).
using Asn1OutermostTagFunction = Asn1Tag(const Asn1TypeDescriptor* type, const void* value, int tagMode, Asn1Tag tag);

// One static record per ASN.1 type.
struct Asn1TypeDescriptor {
    Asn1FreeFunction* free;
    Asn1CheckFunction* checkConstraints;
    Asn1DecodeFunction* decode;
    Asn1EncodeFunction* encode;
    Asn1OutermostTagFunction* outermostTag;  // CHOICE types only, else null
    const Asn1Tag* tags;                     // own tags, outermost first
    std::uint32_t tagCount;
    const Asn1Tag* allTags;  // own tags plus the base's (matching only)
    std::uint32_t allTagCount;
    const Asn1Member* members;  // SEQUENCE, SET, CHOICE; one entry for SEQUENCE OF
    std::uint32_t memberCount;
    const void* specifics;  // family record below, or null
    const char* name;       // ASN.1 type name, for messages

    // A derived type ("Integer32 ::= INTEGER (...)"): the base's operations, members and
    // family record with its own name and check. Built at compile time.
    consteval Asn1TypeDescriptor Derived(const char* derivedName) const {
        Asn1TypeDescriptor derived = *this;
        derived.name = derivedName;
        return derived;
    }
    consteval Asn1TypeDescriptor Derived(const char* derivedName, Asn1CheckFunction* check) const {
        Asn1TypeDescriptor derived = *this;
        derived.name = derivedName;
        derived.checkConstraints = check;
        return derived;
    }
    // The same type under other own tags ("X ::= [APPLICATION 0] IMPLICIT SEQUENCE {...}"
    // gives {[APPLICATION 0]}; an EXPLICIT tag adds it in front of the type's tags).
    template <std::size_t N>
    consteval Asn1TypeDescriptor WithTags(const Asn1Tag (&ownTags)[N]) const {
        Asn1TypeDescriptor tagged = *this;
        tagged.tags = ownTags;
        tagged.tagCount = N;
        tagged.allTags = ownTags;
        tagged.allTagCount = N;
        return tagged;
    }
};

// Member flags.
inline constexpr std::uint32_t Asn1MemberPointer = 1;   // held by pointer; null means absent
inline constexpr std::uint32_t Asn1MemberOpenType = 2;  // open type: any tag matches

// One entry of a member table.
struct Asn1Member {
    std::uint32_t flags;
    std::uint32_t optionalCount;  // 0 mandatory; else consecutive optional members from here
    std::uint32_t offset;         // within the containing value structure
    Asn1Tag tag;                  // Asn1NoTag: none (untagged CHOICE or open type)
    std::int32_t tagMode;         // Asn1Implicit, Asn1Untagged, Asn1Explicit
    const Asn1TypeDescriptor* type;
    Asn1CheckFunction* memberCheck;  // null: the type's own check
    const char* name;                // the ASN.1 identifier

    // OPTIONAL or DEFAULT: held by pointer, a null pointer means absent (a DEFAULT
    // member left absent takes its default; readers apply it).
    consteval Asn1Member Optional() const {
        Asn1Member member = *this;
        member.flags |= Asn1MemberPointer;
        member.optionalCount = 1;  // the member table builder counts the run
        return member;
    }
    // Mandatory but held by pointer (recursive types).
    consteval Asn1Member Pointer() const {
        Asn1Member member = *this;
        member.flags |= Asn1MemberPointer;
        return member;
    }
    consteval Asn1Member Implicit(Asn1Tag memberTag) const {
        Asn1Member member = *this;
        member.tag = memberTag;
        member.tagMode = Asn1Implicit;
        return member;
    }
    consteval Asn1Member Explicit(Asn1Tag memberTag) const {
        Asn1Member member = *this;
        member.tag = memberTag;
        member.tagMode = Asn1Explicit;
        return member;
    }
    consteval Asn1Member Checked(Asn1CheckFunction* check) const {
        Asn1Member member = *this;
        member.memberCheck = check;
        return member;
    }
};

// Tag map entry: a member's tag, its index, and the relative indexes of the first and
// last entry with the same tag (first <= 0 <= last). Sorted by class, then number.
struct Asn1TagToMember {
    Asn1Tag tag;
    std::int32_t memberIndex;
    std::int32_t firstRelative;
    std::int32_t lastRelative;
};

// Family records (the descriptor's specifics).
struct Asn1SequenceSpecifics {
    std::uint32_t valueSize;
    const Asn1TagToMember* tagMap;
    std::uint32_t tagMapCount;
    // Unknown elements are skipped while the next member index lies in
    // (extensionAfter, extensionBefore]; both -1 without an extension marker.
    std::int32_t extensionAfter;
    std::int32_t extensionBefore;
};

struct Asn1SetSpecifics {
    std::uint32_t valueSize;
    const Asn1TagToMember* tagMap;
    std::uint32_t tagMapCount;
    std::int32_t extensible;  // 1: unknown elements are skipped
};

struct Asn1ChoiceSpecifics {
    std::uint32_t valueSize;
    std::uint32_t presenceOffset;  // of the Asn1Presence field
    const Asn1TagToMember* tagMap;
    std::uint32_t tagMapCount;
    std::int32_t extensible;  // 1: an unknown alternative is skipped (presence 0)
};

struct Asn1SequenceOfSpecifics {
    std::uint32_t valueSize;
    Asn1ElementFree* freeElement;  // frees one element through the element type
};

enum Asn1StringVariant : std::int32_t {
    Asn1OctetStringVariant = 0,
    Asn1BitStringVariant = 1,
};

struct Asn1OctetStringSpecifics {
    std::uint32_t valueSize;
    Asn1StringVariant subvariant;
};

// Record of the primitive number-like families (INTEGER, native integer, BOOLEAN, NULL,
// OBJECT IDENTIFIER, ANY): the size of a value.
struct Asn1PrimitiveSpecifics {
    std::uint32_t valueSize;
};

}  // namespace Asn1
