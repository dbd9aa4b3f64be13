#pragma once

#include <cstdint>
#include <string>

#include "protocol/Asn1Types.h"
#include "system/ResultCode.h"

namespace Asn1 {

// Conversions between plain numbers and the coder's BOOLEAN and INTEGER values.
//
// Readers take the value's pointer, null when an optional member is absent. With a
// presence flag an absent value gives flag false and OkNoError (the output untouched);
// without one it gives Error. A present value sets the flag. Writers refuse a null
// target with InvalidArguments. The NewOptional... writers allocate a zeroed value only
// when present is true and store null otherwise (NoResources when memory runs out).
// Failures inside the coder come back through System::ResultFromErrno.

System::ResultCode BoolToAsn1Boolean(Asn1Boolean* boolean, bool value);
System::ResultCode NewOptionalAsn1Boolean(Asn1Boolean*& boolean, bool present, bool value);
// Any non-zero value is true.
System::ResultCode Asn1BooleanToBool(bool& value, const Asn1Boolean* boolean, bool* present = nullptr);
// "True" or "False".
System::ResultCode Asn1BooleanToText(std::string& text, const Asn1Boolean* boolean, bool* present = nullptr);

// The INTEGER is always written in its minimal form.
System::ResultCode Int32ToAsn1Integer(Asn1Integer* integer, std::int32_t value);
System::ResultCode Int64ToAsn1Integer(Asn1Integer* integer, std::int64_t value);
System::ResultCode UInt64ToAsn1Integer(Asn1Integer* integer, std::uint64_t value);
// value comes from an unsigned store of width octets (1, 2 or 4; others give
// InvalidArguments) and must fit it (OutOfRange). It is written as a non-negative
// INTEGER, with a leading zero octet where its top bit is set, so it reads back as the
// same number.
System::ResultCode UnsignedToAsn1Integer(Asn1Integer* integer, std::uint32_t value, unsigned width);
System::ResultCode NewOptionalAsn1Integer(Asn1Integer*& integer, bool present, std::int32_t value);

// Signed readers: OutOfRange when the number does not fit the type.
System::ResultCode Asn1IntegerToInt8(std::int8_t& value, const Asn1Integer* integer, bool* present = nullptr);
System::ResultCode Asn1IntegerToInt16(std::int16_t& value, const Asn1Integer* integer, bool* present = nullptr);
System::ResultCode Asn1IntegerToInt32(std::int32_t& value, const Asn1Integer* integer, bool* present = nullptr);
System::ResultCode Asn1IntegerToInt64(std::int64_t& value, const Asn1Integer* integer, bool* present = nullptr);
// Unsigned readers take the content octets as an unsigned number (a peer's unsigned
// value written without its leading zero still reads as meant); OutOfRange beyond
// the type.
System::ResultCode Asn1IntegerToUInt8(std::uint8_t& value, const Asn1Integer* integer, bool* present = nullptr);
System::ResultCode Asn1IntegerToUInt32(std::uint32_t& value, const Asn1Integer* integer, bool* present = nullptr);
System::ResultCode Asn1IntegerToUInt64(std::uint64_t& value, const Asn1Integer* integer, bool* present = nullptr);
// Into an unsigned store of width octets (1, 2 or 4, else InvalidArguments) with the
// limits 255, 65535 and 2^32 - 1.
System::ResultCode Asn1IntegerToUnsigned(std::uint32_t& value, const Asn1Integer* integer, unsigned width,
                                         bool* present = nullptr);
// Signed decimal (OutOfRange beyond 64 bits).
System::ResultCode Asn1IntegerToText(std::string& text, const Asn1Integer* integer, bool* present = nullptr);

}  // namespace Asn1
