#pragma once

// Building MMS values: texts into coder strings, object names, lists, and the request
// fillers that write one confirmed service into a zeroed ConfirmedServiceRequest.
//
// Fillers that take a coder structure by non-const reference take over what it owns
// (its lists, strings and alternatives) and leave it zeroed, so the caller only ever
// frees what it still holds. On failure nothing is taken over. Every filler returns
// OkNoError, NoResources when memory ran out, or InvalidArguments for an argument it
// cannot express.

#include <cstdint>
#include <cstring>
#include <list>
#include <optional>
#include <string>
#include <string_view>

#include "mms/pdu/MmsPdu.h"
#include "system/ResultCode.h"

namespace Mms {

// ---- plain values ----

// A copy of the text in a coder string (its former octets are released).
System::ResultCode MmsSetText(Asn1OctetString& string, std::string_view text);
// A new zeroed value of the type (an element for a list); null when memory runs out.
template <typename Value>
Value* MmsNewValue(const Asn1TypeDescriptor& type) {
    return static_cast<Value*>(Asn1::Asn1NewValue(&type));
}
// Appends a new zeroed element to the list and returns it; null (list unchanged)
// when memory runs out.
template <typename Element>
Element* MmsAppendNew(Asn1ListOf<Element>& list, const Asn1TypeDescriptor& elementType) {
    auto* element = MmsNewValue<Element>(elementType);
    if (element == nullptr) return nullptr;
    if (Asn1::Asn1SequenceOfAppend(&list, element) != 0) {
        Asn1::Asn1FreeValue(&elementType, element);
        return nullptr;
    }
    return element;
}
// Moves a coder structure: the target takes over everything the source owned, and the
// source is left zeroed. The target's former content is not released.
template <typename Value>
void MmsTakeOver(Value& target, Value& source) {
    std::memcpy(static_cast<void*>(&target), &source, sizeof(Value));
    std::memset(static_cast<void*>(&source), 0, sizeof(Value));
}
// A deep copy of a value of the type into zeroed storage (through its encoding).
System::ResultCode MmsCopyValue(const Asn1TypeDescriptor& type, const void* source, void* target);

// An identifier appended to a list of identifiers (or MMSStrings).
System::ResultCode MmsAppendIdentifier(MmsIdentifierList& list, std::string_view text);
// Every text appended in order.
System::ResultCode MmsAppendIdentifiers(MmsIdentifierList& list, const std::list<std::string>& texts);

// ---- object names and variable specifications ----

// Domain-specific (domainId, itemId), or vmd-specific when domainId is empty. The name
// must be zeroed (choice 0).
System::ResultCode MmsSetObjectName(MmsObjectName& name, std::string_view domainId, std::string_view itemId);
System::ResultCode MmsSetAaSpecificName(MmsObjectName& name, std::string_view itemId);
// Appends a list entry that names one variable (VariableSpecification name).
System::ResultCode MmsAppendVariableName(MmsVariableList& list, std::string_view domainId, std::string_view itemId);
// Appends a list entry with the given spec (taken over).
System::ResultCode MmsAppendVariable(MmsVariableList& list, MmsVariableSpecification& spec);

// ---- request fillers (the service must be zeroed) ----

System::ResultCode MmsFillStatusRequest(MmsConfirmedServiceRequest& service, bool extendedDerivation);
System::ResultCode MmsFillIdentifyRequest(MmsConfirmedServiceRequest& service);
// objectClass: a basicObjectClass value; scope: 1 vmd-specific, 2 domain-specific (with
// domainName), 3 aa-specific; continueAfter: the last name of the previous answer.
System::ResultCode MmsFillGetNameListRequest(MmsConfirmedServiceRequest& service, std::int32_t objectClass,
                                             MmsObjectScopeChoice scope, std::string_view domainName,
                                             const std::optional<std::string>& continueAfter);
// specificationWithResult is left out (it defaults to false).
System::ResultCode MmsFillReadRequest(MmsConfirmedServiceRequest& service, MmsVariableAccessSpecification& spec);
System::ResultCode MmsFillWriteRequest(MmsConfirmedServiceRequest& service, MmsVariableAccessSpecification& spec,
                                       MmsDataList& data);
System::ResultCode MmsFillGetVariableAccessAttributesRequest(MmsConfirmedServiceRequest& service, MmsObjectName& name);
System::ResultCode MmsFillGetVariableAccessAttributesRequest(MmsConfirmedServiceRequest& service, MmsAddress& address);
System::ResultCode MmsFillDefineNamedVariableListRequest(MmsConfirmedServiceRequest& service, MmsObjectName& listName,
                                                         MmsVariableList& variables);
System::ResultCode MmsFillGetNamedVariableListAttributesRequest(MmsConfirmedServiceRequest& service,
                                                                MmsObjectName& listName);
// scopeOfDelete left out (specific) and the one list name in listOfVariableListName.
System::ResultCode MmsFillDeleteNamedVariableListRequest(MmsConfirmedServiceRequest& service, MmsObjectName& listName);
System::ResultCode MmsFillGetDomainAttributesRequest(MmsConfirmedServiceRequest& service, std::string_view domainName);
System::ResultCode MmsFillGetCapabilityListRequest(MmsConfirmedServiceRequest& service,
                                                   const std::optional<std::string>& continueAfter);

// ---- answer fillers (server side; the service must be zeroed) ----

// getNameList answer: the names as listOfIdentifier and moreFollows.
System::ResultCode MmsFillGetNameListResponse(MmsConfirmedServiceResponse& service, const std::list<std::string>& names,
                                              bool moreFollows);

// ---- errors and rejects ----

// A ServiceError of errorClass choice (error >> 16) with code (error & 0xFFFF); the
// error must be zeroed.
System::ResultCode MmsFillServiceError(MmsServiceError& serviceError, std::uint32_t error);
// The reject of a received PDU (null: one that did not decode, pdu-error 1). The
// reason alternative follows the received PDU's kind, with the given code; a confirmed
// request, response or error gives its invoke id as originalInvokeID; a PDU kind that
// has no reason of its own gives pdu-error 0. The reject must be zeroed.
System::ResultCode MmsFillReject(MmsRejectPdu& reject, const MmsPdu* received, std::int32_t reason);

// ---- bit strings of one flag byte per bit ----

// count flags (nonzero = set) into a bit string of count bits, first flag first.
System::ResultCode MmsSetFlagBits(Asn1BitString& bits, const std::uint8_t* flags, std::size_t count);

}  // namespace Mms
