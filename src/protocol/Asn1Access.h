#pragma once

// Access to member storage and family records, shared by the coder's own sources.

#include <cstdint>

#include "protocol/Asn1Types.h"

namespace Asn1::Access {

inline bool IsPointer(const Asn1Member& member) { return (member.flags & Asn1MemberPointer) != 0; }
inline bool IsOpenType(const Asn1Member& member) { return (member.flags & Asn1MemberOpenType) != 0; }
inline bool HasOwnTag(const Asn1Member& member) { return member.tag != Asn1NoTag && !IsOpenType(member); }
inline bool IsChoice(const Asn1TypeDescriptor* type) { return type->outermostTag != nullptr; }

// The member's value inside the container, or null when a pointer member is absent.
inline void* MemberValue(void* container, const Asn1Member& member) {
    auto* slot = static_cast<std::uint8_t*>(container) + member.offset;
    if (IsPointer(member)) return *reinterpret_cast<void**>(slot);
    return slot;
}
inline const void* MemberValue(const void* container, const Asn1Member& member) {
    const auto* slot = static_cast<const std::uint8_t*>(container) + member.offset;
    if (IsPointer(member)) return *reinterpret_cast<void* const*>(slot);
    return slot;
}
inline void** PointerSlot(void* container, const Asn1Member& member) {
    return reinterpret_cast<void**>(static_cast<std::uint8_t*>(container) + member.offset);
}

inline const Asn1SequenceSpecifics* SequenceSpecifics(const Asn1TypeDescriptor* type) {
    return static_cast<const Asn1SequenceSpecifics*>(type->specifics);
}
inline const Asn1SetSpecifics* SetSpecifics(const Asn1TypeDescriptor* type) {
    return static_cast<const Asn1SetSpecifics*>(type->specifics);
}
inline const Asn1ChoiceSpecifics* ChoiceSpecifics(const Asn1TypeDescriptor* type) {
    return static_cast<const Asn1ChoiceSpecifics*>(type->specifics);
}
inline const Asn1SequenceOfSpecifics* SequenceOfSpecifics(const Asn1TypeDescriptor* type) {
    return static_cast<const Asn1SequenceOfSpecifics*>(type->specifics);
}
inline const Asn1OctetStringSpecifics* StringSpecifics(const Asn1TypeDescriptor* type) {
    return static_cast<const Asn1OctetStringSpecifics*>(type->specifics);
}
inline std::uint32_t ValueSize(const Asn1TypeDescriptor* type) {
    // Every family record starts with the value size.
    return *static_cast<const std::uint32_t*>(type->specifics);
}

inline Asn1Presence* Presence(void* choice, const Asn1TypeDescriptor* type) {
    return reinterpret_cast<Asn1Presence*>(static_cast<std::uint8_t*>(choice) + ChoiceSpecifics(type)->presenceOffset);
}
inline Asn1Presence Presence(const void* choice, const Asn1TypeDescriptor* type) {
    return *reinterpret_cast<const Asn1Presence*>(static_cast<const std::uint8_t*>(choice) +
                                                  ChoiceSpecifics(type)->presenceOffset);
}

}  // namespace Asn1::Access
