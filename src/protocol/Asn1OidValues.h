#pragma once

#include <string>
#include <string_view>

#include "protocol/Asn1Types.h"
#include "system/ResultCode.h"

namespace Asn1 {

// Conversions between dotted decimal text ("1.0.9506.2.3") and the coder's OBJECT
// IDENTIFIER values, of at most 10 arcs. Absent values, presence flags and the
// NewOptional... writer as in Asn1NumberValues.h.

// Error when the text is not a dotted object identifier, OutOfRange for more than 10
// arcs; the coder's refusals (a first arc above 2, a second above 39 under 0 or 1)
// come back through System::ResultFromErrno. The value is unchanged on failure.
System::ResultCode TextToAsn1Oid(Asn1ObjectIdentifier* oid, std::string_view text);
System::ResultCode NewOptionalAsn1OidFromText(Asn1ObjectIdentifier*& oid, bool present, std::string_view text);

// Dotted decimal; a malformed value or one of more than 10 arcs is refused.
System::ResultCode Asn1OidToText(std::string& text, const Asn1ObjectIdentifier* oid, bool* present = nullptr);

// 0 when equal; -1 when either cannot be read or their arc counts differ; else the
// 1-based position of the first arc that differs.
int CompareAsn1OidWithText(const Asn1ObjectIdentifier* oid, std::string_view text);

}  // namespace Asn1
