#pragma once

// Compile-time builders for member tables and constructed-type descriptors. Tag maps,
// optional counts and family records are computed here, so a PDU module writes only
// its members; the tables are checked for ambiguous tags while compiling. See the
// guide at the top of Asn1Coder.h.

#include <array>
#include <cstddef>
#include <iterator>
#include <type_traits>

#include "protocol/Asn1BuiltinTypes.h"
#include "protocol/Asn1Types.h"

namespace Asn1 {

// ---------------------------------------------------------------------------------
// Members
// ---------------------------------------------------------------------------------

// Untagged member of a type whose descriptor is usable at compile time (the built-in
// types, and derived types declared `inline constexpr` in a header). Its tag is the
// type's own outermost tag; a CHOICE gets Asn1NoTag, ANY becomes an open type.
consteval Asn1Member Asn1Field(std::size_t offset, const Asn1TypeDescriptor& type, const char* name) {
    if (type.tagCount > 0) {
        return {0, 0, static_cast<std::uint32_t>(offset), type.tags[0], Asn1Untagged, &type, nullptr, name};
    }
    if (type.outermostTag != nullptr) {
        return {0, 0, static_cast<std::uint32_t>(offset), Asn1NoTag, Asn1Untagged, &type, nullptr, name};
    }
    return {Asn1MemberOpenType, 0, static_cast<std::uint32_t>(offset), Asn1NoTag, Asn1Untagged, &type, nullptr, name};
}

// Untagged member of a type defined in another source file: give the type's own
// outermost tag (Asn1SequenceTag, Asn1SetTag, Asn1ApplicationTag(0), ...; Asn1NoTag for
// an untagged CHOICE).
consteval Asn1Member Asn1Field(std::size_t offset, const Asn1TypeDescriptor& type, Asn1Tag ownTag, const char* name) {
    return {0, 0, static_cast<std::uint32_t>(offset), ownTag, Asn1Untagged, &type, nullptr, name};
}

// Untagged open-type member (ANY): any tag matches; the value keeps the whole element.
consteval Asn1Member Asn1OpenField(std::size_t offset, const Asn1TypeDescriptor& type, const char* name) {
    return {Asn1MemberOpenType, 0, static_cast<std::uint32_t>(offset), Asn1NoTag, Asn1Untagged, &type, nullptr, name};
}

// The member table: counts the runs of consecutive optional members.
template <std::size_t N>
consteval std::array<Asn1Member, N> Asn1Members(const Asn1Member (&members)[N]) {
    std::array<Asn1Member, N> table{};
    for (std::size_t i = 0; i < N; ++i) table[i] = members[i];
    std::uint32_t run = 0;
    for (std::size_t i = N; i-- > 0;) {
        run = table[i].optionalCount > 0 ? run + 1 : 0;
        table[i].optionalCount = run;
    }
    return table;
}

// ---------------------------------------------------------------------------------
// Tag maps
// ---------------------------------------------------------------------------------

template <std::size_t N>
struct Asn1TagMap {
    std::array<Asn1TagToMember, (N > 0 ? N : 1)> entries{};
    std::uint32_t count = 0;
};

// Sort key: class first, number second.
constexpr std::uint32_t Asn1TagOrder(Asn1Tag tag) {
    return static_cast<std::uint32_t>(Asn1TagClassOf(tag)) << 14 | Asn1TagNumber(tag);
}

consteval bool Asn1HasOwnTag(const Asn1Member& member) {
    return member.tag != Asn1NoTag && (member.flags & Asn1MemberOpenType) == 0;
}

template <const auto& Members>
consteval auto Asn1MakeTagMap() {
    constexpr std::size_t n = std::size(Members);
    Asn1TagMap<n> map;
    for (std::size_t i = 0; i < n; ++i) {
        if (!Asn1HasOwnTag(Members[i])) continue;
        // Insertion sort by (class, number), then member index.
        Asn1TagToMember entry{Members[i].tag, static_cast<std::int32_t>(i), 0, 0};
        std::uint32_t at = map.count;
        while (at > 0 && Asn1TagOrder(map.entries[at - 1].tag) > Asn1TagOrder(entry.tag)) {
            map.entries[at] = map.entries[at - 1];
            --at;
        }
        map.entries[at] = entry;
        ++map.count;
    }
    for (std::uint32_t i = 0; i < map.count; ++i) {
        std::uint32_t first = i;
        while (first > 0 && map.entries[first - 1].tag == map.entries[i].tag) --first;
        std::uint32_t last = i;
        while (last + 1 < map.count && map.entries[last + 1].tag == map.entries[i].tag) ++last;
        map.entries[i].firstRelative = static_cast<std::int32_t>(first) - static_cast<std::int32_t>(i);
        map.entries[i].lastRelative = static_cast<std::int32_t>(last) - static_cast<std::int32_t>(i);
    }
    return map;
}

template <const auto& Members>
inline constexpr auto Asn1TagMapFor = Asn1MakeTagMap<Members>();

// ---------------------------------------------------------------------------------
// Table checks run while compiling
// ---------------------------------------------------------------------------------

// No two members of a CHOICE or SET carry the same own tag.
consteval bool Asn1OwnTagsAreDistinct(const auto& members) {
    const std::size_t n = std::size(members);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (Asn1HasOwnTag(members[i]) && Asn1HasOwnTag(members[j]) && members[i].tag == members[j].tag) {
                return false;
            }
        }
    }
    return true;
}

// In a SEQUENCE, a run of optional members and the member after it are the candidates
// for the next element: their own tags must differ.
consteval bool Asn1SequenceCandidatesAreDistinct(const auto& members) {
    const std::size_t n = std::size(members);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t last = members[i].optionalCount == 0 ? i : i + members[i].optionalCount;
        for (std::size_t j = i + 1; j <= last && j < n; ++j) {
            if (Asn1HasOwnTag(members[i]) && Asn1HasOwnTag(members[j]) && members[i].tag == members[j].tag) {
                return false;
            }
        }
    }
    return true;
}

template <typename Value>
consteval bool Asn1OffsetsFit(const auto& members) {
    for (const Asn1Member& member : members) {
        if (member.offset >= sizeof(Value)) return false;
        if ((member.flags & Asn1MemberPointer) != 0 && member.offset + sizeof(void*) > sizeof(Value)) {
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------
// Family records (static storage for the descriptors to point at)
// ---------------------------------------------------------------------------------

template <typename Value, const auto& Members, int ExtensionAfter, int ExtensionBefore>
inline constexpr Asn1SequenceSpecifics Asn1SequenceSpecificsFor{
    sizeof(Value), Asn1TagMapFor<Members>.entries.data(), Asn1TagMapFor<Members>.count, ExtensionAfter,
    ExtensionAfter < 0 ? -1 : (ExtensionBefore < 0 ? static_cast<std::int32_t>(std::size(Members)) : ExtensionBefore)};

template <typename Value, const auto& Members, bool Extensible>
inline constexpr Asn1SetSpecifics Asn1SetSpecificsFor{sizeof(Value), Asn1TagMapFor<Members>.entries.data(),
                                                      Asn1TagMapFor<Members>.count, Extensible ? 1 : 0};

template <typename Value, const auto& Members, bool Extensible>
inline constexpr Asn1ChoiceSpecifics Asn1ChoiceSpecificsFor{
    sizeof(Value), static_cast<std::uint32_t>(offsetof(Value, present)), Asn1TagMapFor<Members>.entries.data(),
    Asn1TagMapFor<Members>.count, Extensible ? 1 : 0};

template <const auto& Members>
void Asn1FreeListElement(void* element) {
    const Asn1TypeDescriptor* type = Members[0].type;
    type->free(type, element, 0);
}

template <const auto& Members>
inline constexpr Asn1SequenceOfSpecifics Asn1SequenceOfSpecificsFor{sizeof(Asn1SequenceOf),
                                                                    &Asn1FreeListElement<Members>};

// ---------------------------------------------------------------------------------
// Constructed-type descriptors
// ---------------------------------------------------------------------------------

// SEQUENCE. Without an extension marker leave ExtensionAfter at -1. With one, give the
// index of the last member before "..."; ExtensionBefore is the index of the first root
// member after the additions, or -1 when the SEQUENCE ends with the extension.
template <typename Value, const auto& Members, int ExtensionAfter = -1, int ExtensionBefore = -1>
consteval Asn1TypeDescriptor Asn1SequenceType(const char* name) {
    static_assert(std::is_standard_layout_v<Value>, "value structures are plain structures");
    static_assert(Asn1SequenceCandidatesAreDistinct(Members),
                  "two members that may stand at the same place carry the same tag");
    static_assert(Asn1OffsetsFit<Value>(Members), "a member offset lies outside the value structure");
    return {&Asn1SequenceFree,
            &Asn1SequenceCheck,
            &Asn1SequenceDecode,
            &Asn1SequenceEncode,
            nullptr,
            Asn1SequenceTags,
            1,
            Asn1SequenceTags,
            1,
            std::data(Members),
            static_cast<std::uint32_t>(std::size(Members)),
            &Asn1SequenceSpecificsFor<Value, Members, ExtensionAfter, ExtensionBefore>,
            name};
}

// SET: members in any order; up to 64 members.
template <typename Value, const auto& Members, bool Extensible = false>
consteval Asn1TypeDescriptor Asn1SetType(const char* name) {
    static_assert(std::is_standard_layout_v<Value>, "value structures are plain structures");
    static_assert(std::size(Members) <= 64, "a SET holds at most 64 members");
    static_assert(Asn1OwnTagsAreDistinct(Members), "two members of a SET carry the same tag");
    static_assert(Asn1OffsetsFit<Value>(Members), "a member offset lies outside the value structure");
    return {&Asn1SequenceFree,
            &Asn1SequenceCheck,
            &Asn1SetDecode,
            &Asn1SequenceEncode,
            nullptr,
            Asn1SetTags,
            1,
            Asn1SetTags,
            1,
            std::data(Members),
            static_cast<std::uint32_t>(std::size(Members)),
            &Asn1SetSpecificsFor<Value, Members, Extensible>,
            name};
}

// CHOICE: Value starts with `Asn1Presence present;` followed by the alternatives
// (usually overlaid in a union). Extensible: an unknown alternative decodes to presence 0.
template <typename Value, const auto& Members, bool Extensible = false>
consteval Asn1TypeDescriptor Asn1ChoiceType(const char* name) {
    static_assert(std::is_standard_layout_v<Value>, "value structures are plain structures");
    static_assert(std::is_same_v<decltype(Value::present), Asn1Presence>, "a CHOICE value has a presence field");
    static_assert(Asn1OwnTagsAreDistinct(Members), "two alternatives of a CHOICE carry the same tag");
    static_assert(Asn1OffsetsFit<Value>(Members), "a member offset lies outside the value structure");
    return {&Asn1ChoiceFree,
            &Asn1ChoiceCheck,
            &Asn1ChoiceDecode,
            &Asn1ChoiceEncode,
            &Asn1ChoiceOutermostTag,
            nullptr,
            0,
            nullptr,
            0,
            std::data(Members),
            static_cast<std::uint32_t>(std::size(Members)),
            &Asn1ChoiceSpecificsFor<Value, Members, Extensible>,
            name};
}

// SEQUENCE OF: Members holds the one element entry (offset 0), for example
// Asn1Members({Asn1Field(0, Asn1IntegerType, "item")}). The value is an Asn1SequenceOf
// (or an Asn1ListOf<Element>).
template <const auto& Members>
consteval Asn1TypeDescriptor Asn1SequenceOfType(const char* name) {
    static_assert(std::size(Members) == 1, "a SEQUENCE OF has exactly one element entry");
    return {&Asn1SequenceOfFree,
            &Asn1SequenceOfCheck,
            &Asn1SequenceOfDecode,
            &Asn1SequenceOfEncode,
            nullptr,
            Asn1SequenceTags,
            1,
            Asn1SequenceTags,
            1,
            std::data(Members),
            1,
            &Asn1SequenceOfSpecificsFor<Members>,
            name};
}

// SET OF: as SEQUENCE OF under UNIVERSAL 17; elements keep their order.
template <const auto& Members>
consteval Asn1TypeDescriptor Asn1SetOfType(const char* name) {
    return Asn1SequenceOfType<Members>(name).WithTags(Asn1SetTags);
}

}  // namespace Asn1
