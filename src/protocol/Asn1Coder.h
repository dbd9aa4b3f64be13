#pragma once

// ASN.1 BER coder: encodes values held in plain structures backwards into a buffer and
// decodes whole PDUs into allocated structures (or into one arena per PDU), driven by
// static type descriptors.
//
// ===================================================================================
// Writing the tables of a PDU module
// ===================================================================================
// Every ASN.1 type is one `Asn1TypeDescriptor`, built at compile time (no descriptor
// is ever changed at run time, so any thread may use any table). Declare it in the
// module's header and define it in its source file:
//
//   header:  extern const Asn1::Asn1TypeDescriptor ObjectNameType;
//   source:  constinit const Asn1TypeDescriptor ObjectNameType = Asn1ChoiceType<...>("ObjectName");
//
// Declaring first lets tables refer to each other in any order, recursion included
// (Data -> SEQUENCE OF Data -> Data). Derived types of built-in types may instead be
// `inline constexpr` in a header, which also lets Asn1Field read their tag:
//
//   inline constexpr Asn1TypeDescriptor IdentifierType = Asn1VisibleStringType.Derived("Identifier");
//   inline constexpr Asn1TypeDescriptor Unsigned8Type =
//       Asn1IntegerType.Derived("Unsigned8", &Asn1CheckIntegerRange<0, 127>);
//
// Value structures are plain standard-layout structures: one field per member in
// declaration order, the member itself, or a pointer to it when it is OPTIONAL,
// DEFAULT, or held by pointer (recursion). Built-in values: Asn1Integer,
// Asn1NativeInteger, Asn1NativeUnsigned, Asn1Boolean, Asn1Null, Asn1OctetString (VisibleString,
// UTF8String, OBJECT IDENTIFIER, ANY share it), Asn1BitString, Asn1ListOf<T>.
//
// Members (Asn1Tables.h) are listed with Asn1Members({...}), which counts the runs of
// optional members:
//   Asn1Field(offsetof(V, m), Type, "name")            untagged, Type's own tag
//   Asn1Field(offsetof(V, m), Type, ownTag, "name")    untagged, Type defined elsewhere:
//        ownTag = its outermost tag (Asn1SequenceTag, ...) or Asn1NoTag for a CHOICE
//   .Implicit(Asn1ContextTag(n)) / .Explicit(Asn1ContextTag(n))   [n] IMPLICIT/EXPLICIT
//        (a tag on a CHOICE or ANY is always explicit: use .Explicit)
//   .Optional()     OPTIONAL or DEFAULT (pointer field; null = absent; for DEFAULT the
//                   sender leaves it absent and the reader applies the default)
//   .Pointer()      mandatory but held by pointer
//   .Checked(&f)    member-specific constraint check
//   Asn1OpenField(offsetof(V, m), Asn1AnyType, "name")   untagged ANY (any tag matches)
//
// SEQUENCE:
//   struct Request { Asn1Integer invokeId; Service service; Asn1Boolean* flag; };
//   constexpr auto kRequestMembers = Asn1Members({
//       Asn1Field(offsetof(Request, invokeId), Unsigned32Type, "invokeID"),
//       Asn1Field(offsetof(Request, service), ServiceType, Asn1NoTag, "service"),
//       Asn1Field(offsetof(Request, flag), Asn1BooleanType, "flag").Implicit(Asn1ContextTag(0)).Optional(),
//   });
//   constinit const Asn1TypeDescriptor RequestType = Asn1SequenceType<Request, kRequestMembers>("Request");
// Extensible SEQUENCE { a, b, ... }: Asn1SequenceType<Request, kRequestMembers, 1>
// (1 = index of the last member before the marker); unknown elements after it are
// skipped. With root members after the additions, pass their first index as 4th
// argument. SET: Asn1SetType<V, kMembers, extensible>("Name") (members in any order).
//
// CHOICE: the structure starts with `Asn1Presence present;` (1-based alternative, 0
// none), the alternatives overlaid in a union:
//   struct ObjectName { Asn1Presence present; union { Asn1VisibleString vmdSpecific;
//                       DomainSpecific domainSpecific; } choice; };
//   constexpr auto kObjectNameMembers = Asn1Members({
//       Asn1Field(offsetof(ObjectName, choice), IdentifierType, "vmd-specific").Implicit(Asn1ContextTag(0)),
//       Asn1Field(offsetof(ObjectName, choice), DomainSpecificType, Asn1SequenceTag, "domain-specific")
//           .Implicit(Asn1ContextTag(1)),
//   });
//   constinit const Asn1TypeDescriptor ObjectNameType =
//       Asn1ChoiceType<ObjectName, kObjectNameMembers, /*extensible=*/false>("ObjectName");
// An extensible CHOICE decodes an unknown alternative to presence 0 (and an untagged
// extensible CHOICE member takes unknown elements at its place in a SEQUENCE or
// CHOICE). Encoding presence 0 or beyond the alternatives fails with EINVAL.
//
// SEQUENCE OF / SET OF: the value is an Asn1ListOf<Element>; one element entry at
// offset 0; elements are allocated one by one and kept in order:
//   constexpr auto kDataListMembers = Asn1Members({Asn1Field(0, DataType, Asn1NoTag, "Data")});
//   constinit const Asn1TypeDescriptor DataListType = Asn1SequenceOfType<kDataListMembers>("DataList");
//   Asn1SequenceOfAppend(&list, element);
//
// Tagged types: Type.WithTags(kTags) gives a type its own tags, outermost first:
//   constexpr Asn1Tag kAarqTags[] = {Asn1ApplicationTag(0)};        // [APPLICATION 0] IMPLICIT SEQUENCE
//   constexpr Asn1Tag kExplicitTags[] = {Asn1ApplicationTag(1), Asn1SequenceTag};  // ... EXPLICIT SEQUENCE
//   constinit const Asn1TypeDescriptor AarqType = Asn1SequenceType<Aarq, kAarqMembers>("AARQ-apdu").WithTags(kAarqTags);
//
// Open types: a member of type Asn1AnyType holds one complete encoding (tag, length,
// content). EXTERNAL's single-ASN1-type is `Asn1Field(offsetof(E, choice), Asn1AnyType,
// "single-ASN1-type").Explicit(Asn1ContextTag(0))`. Fill it with Asn1EncodeToAny and
// read it with Asn1DecodeFromAny. To embed an inner PDU without copying, encode it
// with Asn1EncodeToAny into the same buffer first and then encode the outer value
// with the buffer's position set back to the end of the inner encoding: the ANY's
// octets are then already in place.
//
// Constraint checks (ranges, sizes) belong to Asn1CheckConstraints only; encoding and
// decoding never run them. Ready-made checks: Asn1CheckIntegerRange<Min, Max>,
// Asn1CheckNativeIntegerRange<Min, Max>, Asn1CheckBitCount<Min, Max>,
// Asn1CheckOctetCount<Min, Max>; write others as Asn1CheckFunction and report through
// Asn1ReportConstraint.
// ===================================================================================

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "protocol/Asn1Ber.h"
#include "protocol/Asn1BuiltinTypes.h"
#include "protocol/Asn1Tables.h"
#include "protocol/Asn1Types.h"
#include "protocol/Asn1Utilities.h"

namespace Asn1 {

// Encodes the value with all its own tags in front of the buffer's position. Returns
// the octets written (the position moved down by as many), or -1 with errno: ENOMEM
// when the room in front runs out, EINVAL for a CHOICE without a valid alternative.
std::ptrdiff_t Asn1Encode(const Asn1TypeDescriptor* type, const void* value, int* constructed,
                          Asn1OutputBuffer* buffer);

// Decodes one value at data (a whole PDU). With *value null the value is allocated.
// context: null for the default nesting limit (64). On failure the partly built value
// stays in *value for the caller to free through type->free.
Asn1DecodeResult Asn1Decode(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                            const std::uint8_t* data, std::size_t size);

// Decodes one whole PDU as Asn1Decode does, but into an arena of its own: no heap cell
// per element. *value must be null; the root is freed through type->free like any value
// (also after a failure), which releases the arena. Subtrees stay the arena's: a part
// that must outlive the root is copied (MmsCopyValue), never taken over.
Asn1DecodeResult Asn1DecodeInArena(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                   const std::uint8_t* data, std::size_t size);

// Runs the type's constraint checks, collecting messages into messageBuffer ("type:
// message; ..."), truncated and always NUL-terminated; *bufferSize gives the room in
// and the used length out. Returns 0 or -1.
int Asn1CheckConstraints(const Asn1TypeDescriptor* type, const void* value, char* messageBuffer,
                         std::size_t* bufferSize);

// With a value: encodes it into the buffer and points the ANY at the written octets
// (borrowed). Without: releases the ANY's octets and sets its size to 0. 0 or -1.
int Asn1EncodeToAny(Asn1Any* any, const Asn1TypeDescriptor* type, const void* value, Asn1OutputBuffer* buffer);

// Decodes the ANY's octets (which must hold exactly one value) into a new value in
// *value. An empty ANY yields null and 0. On failure frees what was built, leaves null
// and returns -1 (errno EINVAL; ENOMEM when allocation failed).
int Asn1DecodeFromAny(const Asn1Any* any, const Asn1TypeDescriptor* type, void** value);

// Frees a value allocated by the coder (or with calloc) through its descriptor.
inline void Asn1FreeValue(const Asn1TypeDescriptor* type, void* value) {
    if (value != nullptr) type->free(type, value, 0);
}

// ---- constraint-check helpers ----

// Reports a constraint failure and returns -1.
int Asn1ReportConstraint(Asn1MessageCallback* callback, void* key, const Asn1TypeDescriptor* type, const void* value,
                         const char* message);

int Asn1CheckIntegerRangeOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key,
                            std::int64_t minimum, std::int64_t maximum);
int Asn1CheckNativeIntegerRangeOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback,
                                  void* key, std::int64_t minimum, std::int64_t maximum);
int Asn1CheckBitCountOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key,
                        std::int64_t minimum, std::int64_t maximum);
int Asn1CheckOctetCountOf(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key,
                          std::int64_t minimum, std::int64_t maximum);

// INTEGER (Asn1Integer) within Minimum..Maximum.
template <std::int64_t Minimum, std::int64_t Maximum>
int Asn1CheckIntegerRange(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    return Asn1CheckIntegerRangeOf(type, value, callback, key, Minimum, Maximum);
}
// Native integer within Minimum..Maximum.
template <std::int64_t Minimum, std::int64_t Maximum>
int Asn1CheckNativeIntegerRange(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback,
                                void* key) {
    return Asn1CheckNativeIntegerRangeOf(type, value, callback, key, Minimum, Maximum);
}
// BIT STRING of Minimum..Maximum bits (octets times 8 minus the unused bits), also
// running the BIT STRING checks.
template <std::int64_t Minimum, std::int64_t Maximum>
int Asn1CheckBitCount(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    return Asn1CheckBitCountOf(type, value, callback, key, Minimum, Maximum);
}
// OCTET STRING family of Minimum..Maximum octets.
template <std::int64_t Minimum, std::int64_t Maximum>
int Asn1CheckOctetCount(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    return Asn1CheckOctetCountOf(type, value, callback, key, Minimum, Maximum);
}

}  // namespace Asn1
