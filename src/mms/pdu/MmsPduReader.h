#pragma once

// Reading decoded MMS values: numbers with range checks, texts, flag bits, service
// errors and the answers that the service user takes apart. Every reader returns
// OkNoError, OutOfRange for a number outside its target's range, Error for a
// mandatory value that is missing (or a bit string longer than its target), or
// NoResources when memory ran out.

#include <cstdint>
#include <limits>
#include <list>
#include <string>

#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/ServiceErrorRecord.h"
#include "system/NameList.h"
#include "system/ResultCode.h"

namespace Mms {

// A mandatory number into a target of type Number: Error when absent, OutOfRange
// when it does not fit (an unsigned target takes no negative values).
template <typename Number>
System::ResultCode MmsReadNumber(const Asn1NativeInteger* value, Number& out) {
    if (value == nullptr) return System::Error;
    const std::int64_t number = *value;
    if (number < static_cast<std::int64_t>(std::numeric_limits<Number>::min()) ||
        number > static_cast<std::int64_t>(std::numeric_limits<Number>::max())) {
        return System::OutOfRange;
    }
    out = static_cast<Number>(number);
    return System::OkNoError;
}

// An optional number: present tells whether it was there; out is left alone when not.
template <typename Number>
System::ResultCode MmsReadOptionalNumber(const Asn1NativeInteger* value, Number& out, bool& present) {
    present = value != nullptr;
    return present ? MmsReadNumber(value, out) : System::OkNoError;
}

// The octets of a coder string as text (empty for a null string).
std::string MmsText(const Asn1OctetString& string);
std::string MmsText(const Asn1OctetString* string);
// An OBJECT IDENTIFIER as dotted text; empty when it is malformed.
std::string MmsObjectIdentifierText(const Asn1OctetString& oid);
// "item" for a vmd-specific name, "domain/item" for a domain-specific one; NotSupported
// for any other.
System::ResultCode MmsObjectNameText(const MmsObjectName& name, std::string& text);

// A BOOLEAN with a default for an absent value.
inline bool MmsReadBoolean(const Asn1Boolean* value, bool absentMeans) {
    return value == nullptr ? absentMeans : *value != 0;
}

// A bit string into one flag byte per bit (1 set, 0 clear); flags past the bit
// string's end are cleared. Error when it has more than count bits or is malformed.
System::ResultCode MmsReadFlagBits(const Asn1BitString& bits, std::uint8_t* flags, std::size_t count);
// The number of bits of a bit string (octets times 8 minus the unused bits).
std::int64_t MmsBitCount(const Asn1BitString& bits);

// A ServiceError into the record: the errorClass choice number and its code (which
// must lie in -128..127 for the numbered classes, else OutOfRange; others takes any
// 32-bit value), additionalCode and additionalDescription. serviceSpecificInformation
// holding a deleteNamedVariableList count gives NotSupported.
System::ResultCode MmsReadServiceError(const MmsServiceError& error, ServiceErrorRecord& record);

// ---- answers ----

struct MmsIdentity {
    std::string vendorName;
    std::string modelName;
    std::string revision;
    std::list<std::string> abstractSyntaxes;  // dotted object identifiers
};
System::ResultCode MmsReadIdentifyResponse(const MmsIdentifyResponse& response, MmsIdentity& identity);

// Every listOfIdentifier item appended to names; moreFollows (absent reads as true).
System::ResultCode MmsReadGetNameListResponse(const MmsGetNameListResponse& response, std::list<std::string>& names,
                                              bool& moreFollows);
// The same into the compact list the service user collects names in: no allocation per name.
System::ResultCode MmsReadGetNameListResponse(const MmsGetNameListResponse& response, System::NameList& names,
                                              bool& moreFollows);
// Every capability appended to capabilities; moreFollows (absent reads as true).
System::ResultCode MmsReadGetCapabilityListResponse(const MmsGetCapabilityListResponse& response,
                                                    std::list<std::string>& capabilities, bool& moreFollows);
System::ResultCode MmsReadGetCapabilityListResponse(const MmsGetCapabilityListResponse& response,
                                                    System::NameList& capabilities, bool& moreFollows);

struct MmsDomainAttributes {
    std::list<std::string> capabilities;
    std::uint8_t state = 0;
    bool deletable = false;
    bool sharable = false;
    std::list<std::string> programInvocations;
    std::int8_t uploadInProgress = 0;
};
System::ResultCode MmsReadGetDomainAttributesResponse(const MmsGetDomainAttributesResponse& response,
                                                      MmsDomainAttributes& attributes);

}  // namespace Mms
