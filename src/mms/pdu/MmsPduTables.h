#pragma once

// Shorthands for the MMS table sources only (not for users of the tables).

#include <cstddef>

#include "protocol/Asn1Coder.h"

namespace Mms::Tables {

using namespace Asn1;

// [n] context-specific.
constexpr Asn1Tag Ctx(unsigned number) { return Asn1ContextTag(number); }

// [n] EXPLICIT around an open type: the element inside may carry any tag, but the
// member itself is found by its own tag [n] like any other tagged member.
consteval Asn1Member ExplicitAny(std::size_t offset, unsigned number, const char* name) {
    return {0, 0, static_cast<std::uint32_t>(offset), Ctx(number), Asn1Explicit, &Asn1AnyType, nullptr, name};
}

// An untagged element entry of a SEQUENCE OF whose elements are complete encodings.
consteval Asn1Member AnyElement(const char* name) { return Asn1OpenField(0, Asn1AnyType, name); }

// A descriptor whose decode operation is replaced (the nesting guards of Data and
// TypeDescription); everything else stays as the family built it.
consteval Asn1TypeDescriptor WithDecode(Asn1TypeDescriptor type, Asn1DecodeFunction* decode) {
    type.decode = decode;
    return type;
}

}  // namespace Mms::Tables
