#pragma once

// Helpers on coder values: lists, string setters, INTEGER and OBJECT IDENTIFIER
// conversions, UTF-8. Failures are -1 with errno (EINVAL, ERANGE, ENOMEM).

#include <cstddef>
#include <cstdint>

#include "protocol/Asn1Types.h"

namespace Asn1 {

// ---- SEQUENCE OF / SET OF ----

// Appends an element pointer (the list takes it over). Capacity 16 at the first growth,
// then doubling; a failed growth leaves the list unchanged. 0 or -1.
int Asn1SequenceOfAppend(void* list, void* element);

// Frees the elements through the list's freeElement (last first; with none set the
// elements are left alone), then the array; count and capacity become 0. A lent list is
// only emptied.
void Asn1SequenceOfEmpty(void* list);

// Lets an empty list show elements it does not own: the array of count element pointers
// and the elements stay the caller's, who keeps them alive while the list is encoded or
// read. Freeing or emptying the list leaves them alone; appending to it fails (EINVAL).
// Saves a heap cell per element where a list is built only to be encoded. 0 or -1.
int Asn1SequenceOfLend(void* list, void** elements, std::int32_t count);
// True when the list shows lent elements.
bool Asn1SequenceOfIsLent(const void* list);

// Allocates a zeroed value of the type (its descriptor's value size); null on failure.
void* Asn1NewValue(const Asn1TypeDescriptor* type);

// ---- OCTET STRING family (also VisibleString, UTF8String, OBJECT IDENTIFIER, ANY) ----
// Each setter releases the octets the string owned before. 0 or -1.

int Asn1OctetStringSetBytes(Asn1OctetString* string, const void* bytes, std::size_t count);  // copy
int Asn1OctetStringBorrowBytes(Asn1OctetString* string, const void* bytes, std::size_t count);
int Asn1OctetStringSetText(Asn1OctetString* string, const char* text);  // copy, NUL kept after size
int Asn1OctetStringBorrowText(Asn1OctetString* string, const char* text);
// A new value of the type's value size holding a copy of the octets; null on failure.
Asn1OctetString* Asn1OctetStringNew(const Asn1TypeDescriptor* type, const void* bytes, std::size_t count);

// ---- INTEGER ----

// The content octets, wherever they are held.
const std::uint8_t* Asn1IntegerOctets(const Asn1Integer* integer);

// Reads as a signed number (sign from the first octet; empty reads as 0): ERANGE when
// it does not fit.
int Asn1IntegerGetInt32(const Asn1Integer* integer, std::int32_t* value);
int Asn1IntegerGetInt64(const Asn1Integer* integer, std::int64_t* value);
// Reads the octets as an unsigned number: ERANGE beyond the width.
int Asn1IntegerGetUInt32(const Asn1Integer* integer, std::uint32_t* value);
int Asn1IntegerGetUInt64(const Asn1Integer* integer, std::uint64_t* value);
// Stores the minimal two's complement (unsigned values get a leading 0 octet when their
// top bit is set). EINVAL on a null value, ENOMEM when storage cannot be allocated.
int Asn1IntegerSetInt32(Asn1Integer* integer, std::int32_t value);
int Asn1IntegerSetInt64(Asn1Integer* integer, std::int64_t value);
int Asn1IntegerSetUInt64(Asn1Integer* integer, std::uint64_t value);

// ---- OBJECT IDENTIFIER ----
// Arc arrays hold arcs of arcWidth octets each (1, 2 or 4; native byte order).

// Reads one arc (base-128 groups) at data: returns the octets consumed, or -1 (EINVAL
// when the arc is cut short, ERANGE when it does not fit the width).
std::ptrdiff_t Asn1OidGetSingleArc(const std::uint8_t* data, std::size_t size, void* arc, unsigned arcWidth);
// Reads all arcs; stores up to arcSlots of them and returns how many there are, or -1
// (EINVAL malformed, ERANGE an arc too wide).
std::ptrdiff_t Asn1OidGetArcs(const Asn1ObjectIdentifier* oid, void* arcs, unsigned arcWidth, unsigned arcSlots);
// Sets the content octets from arcs: at least two (EINVAL); first arc above 2, or a
// second arc above 39 under first arc 0 or 1, gives ERANGE; widths above 4 give ENOMEM.
int Asn1OidSetArcs(Asn1ObjectIdentifier* oid, const void* arcs, unsigned arcWidth, unsigned arcCount);
// Parses dotted decimal text ("1.0.9506.2.1"): stores up to arcSlots arcs and returns
// how many there are, or -1 (EINVAL not an identifier, ERANGE an arc above 32 bits).
std::ptrdiff_t Asn1OidParseText(const char* text, std::size_t length, std::uint32_t* arcs, unsigned arcSlots);

// ---- UTF-8 ----

// Walks UTF-8: returns the number of characters, or -1 (a sequence runs past the end),
// -2 (an invalid lead octet), -3 (a continuation octet outside its range), -4 (an
// overlong form). With codePoints (room for the count plus one) it stores the code
// points and a terminating 0.
std::ptrdiff_t Utf8StringDecode(const std::uint8_t* octets, std::size_t size, std::uint32_t* codePoints);
// The character count of a UTF8String, a negative code above, or -5 when the value or
// its octets are missing.
std::ptrdiff_t Utf8StringLength(const Asn1Utf8String* string);

}  // namespace Asn1
