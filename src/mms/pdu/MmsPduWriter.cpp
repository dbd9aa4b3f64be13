#include "mms/pdu/MmsPduWriter.h"

#include <cerrno>
#include <type_traits>
#include <vector>

namespace Mms {

using System::ResultCode;

namespace {

ResultCode FromCoder(int outcome) { return outcome == 0 ? System::OkNoError : System::NoResources; }

// A new zeroed value of the type, released on scope exit unless released from the guard.
template <typename Value>
class NewValue {
public:
    explicit NewValue(const Asn1TypeDescriptor& type) : type_(type), value_(MmsNewValue<Value>(type)) {}
    ~NewValue() { Asn1::Asn1FreeValue(&type_, value_); }
    NewValue(const NewValue&) = delete;
    NewValue& operator=(const NewValue&) = delete;

    Value* get() const { return value_; }
    Value* release() {
        Value* value = value_;
        value_ = nullptr;
        return value;
    }

private:
    const Asn1TypeDescriptor& type_;
    Value* value_;
};

}  // namespace

ResultCode MmsSetText(Asn1OctetString& string, std::string_view text) {
    return FromCoder(Asn1::Asn1OctetStringSetBytes(&string, text.data(), text.size()));
}

ResultCode MmsCopyValue(const Asn1TypeDescriptor& type, const void* source, void* target) {
    std::vector<std::uint8_t> buffer(1024);
    for (;;) {
        Asn1::Asn1OutputBuffer out{buffer.data(), buffer.size()};
        int constructed = 0;
        errno = 0;
        const std::ptrdiff_t written = Asn1::Asn1Encode(&type, source, &constructed, &out);
        if (written >= 0) {
            void* copy = target;
            const Asn1::Asn1DecodeResult result = Asn1::Asn1Decode(nullptr, &type, &copy, buffer.data() + out.position,
                                                                   static_cast<std::size_t>(written));
            if (result.code == Asn1::Asn1DecodeDone) return System::OkNoError;
            type.free(&type, target, 1);
            return System::Error;
        }
        if (errno != ENOMEM || buffer.size() >= (std::size_t{1} << 24)) return System::ResultFromErrno(errno);
        buffer.resize(buffer.size() * 4);
    }
}

ResultCode MmsAppendIdentifier(MmsIdentifierList& list, std::string_view text) {
    Asn1OctetString* item = Asn1::Asn1OctetStringNew(&MmsIdentifierType, text.data(), text.size());
    if (item == nullptr) return System::NoResources;
    if (Asn1::Asn1SequenceOfAppend(&list, item) != 0) {
        Asn1::Asn1FreeValue(&MmsIdentifierType, item);
        return System::NoResources;
    }
    return System::OkNoError;
}

ResultCode MmsAppendIdentifiers(MmsIdentifierList& list, const std::list<std::string>& texts) {
    for (const std::string& text : texts) {
        if (ResultCode result = MmsAppendIdentifier(list, text); result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

ResultCode MmsSetObjectName(MmsObjectName& name, std::string_view domainId, std::string_view itemId) {
    if (name.present != MmsObjectNameNone) return System::InvalidArguments;
    if (domainId.empty()) {
        if (ResultCode result = MmsSetText(name.choice.vmdSpecific, itemId); result != System::OkNoError) {
            MmsIdentifierType.free(&MmsIdentifierType, &name.choice.vmdSpecific, 1);
            return result;
        }
        name.present = MmsObjectNameVmdSpecific;
        return System::OkNoError;
    }
    MmsDomainSpecificName& domainSpecific = name.choice.domainSpecific;
    if (MmsSetText(domainSpecific.domainId, domainId) != System::OkNoError ||
        MmsSetText(domainSpecific.itemId, itemId) != System::OkNoError) {
        MmsDomainSpecificNameType.free(&MmsDomainSpecificNameType, &domainSpecific, 1);
        return System::NoResources;
    }
    name.present = MmsObjectNameDomainSpecific;
    return System::OkNoError;
}

ResultCode MmsSetAaSpecificName(MmsObjectName& name, std::string_view itemId) {
    if (name.present != MmsObjectNameNone) return System::InvalidArguments;
    if (ResultCode result = MmsSetText(name.choice.aaSpecific, itemId); result != System::OkNoError) return result;
    name.present = MmsObjectNameAaSpecific;
    return System::OkNoError;
}

ResultCode MmsAppendVariableName(MmsVariableList& list, std::string_view domainId, std::string_view itemId) {
    NewValue<MmsVariableEntry> entry(MmsVariableEntryType);
    if (entry.get() == nullptr) return System::NoResources;
    MmsVariableSpecification& spec = entry.get()->variableSpecification;
    if (ResultCode result = MmsSetObjectName(spec.choice.name, domainId, itemId); result != System::OkNoError) {
        return result;
    }
    spec.present = MmsVariableSpecificationName;
    if (Asn1::Asn1SequenceOfAppend(&list, entry.get()) != 0) return System::NoResources;
    entry.release();
    return System::OkNoError;
}

ResultCode MmsAppendVariable(MmsVariableList& list, MmsVariableSpecification& spec) {
    auto* entry = MmsNewValue<MmsVariableEntry>(MmsVariableEntryType);
    if (entry == nullptr) return System::NoResources;
    if (Asn1::Asn1SequenceOfAppend(&list, entry) != 0) {
        Asn1::Asn1FreeValue(&MmsVariableEntryType, entry);
        return System::NoResources;
    }
    MmsTakeOver(entry->variableSpecification, spec);
    return System::OkNoError;
}

// ---- request fillers ----

namespace {

// Fills an empty request (InvalidArguments when it already holds a service): fill
// writes the service's alternative, which then becomes the chosen one. A fill that
// answers a result other than OkNoError leaves the request empty.
template <class Fill>
ResultCode FillService(MmsConfirmedServiceRequest& service, MmsService choice, Fill fill) {
    if (service.present != MmsServiceNone) return System::InvalidArguments;
    if constexpr (std::is_void_v<decltype(fill(service.choice))>) {
        fill(service.choice);
    } else {
        if (ResultCode result = fill(service.choice); result != System::OkNoError) return result;
    }
    service.present = choice;
    return System::OkNoError;
}

}  // namespace

ResultCode MmsFillStatusRequest(MmsConfirmedServiceRequest& service, bool extendedDerivation) {
    return FillService(service, MmsServiceStatus, [&](auto& choice) { choice.status = extendedDerivation ? 1 : 0; });
}

ResultCode MmsFillIdentifyRequest(MmsConfirmedServiceRequest& service) {
    return FillService(service, MmsServiceIdentify, [](auto& choice) { choice.identify = 0; });
}

ResultCode MmsFillGetNameListRequest(MmsConfirmedServiceRequest& service, std::int32_t objectClass,
                                     MmsObjectScopeChoice scope, std::string_view domainName,
                                     const std::optional<std::string>& continueAfter) {
    return FillService(service, MmsServiceGetNameList, [&](auto& choice) -> ResultCode {
        if (scope < MmsObjectScopeVmd || scope > MmsObjectScopeAa) return System::InvalidArguments;
        MmsGetNameListRequest request{};
        request.objectClass.present = MmsObjectClassBasic;
        request.objectClass.choice.basicObjectClass = objectClass;
        request.objectScope.present = scope;
        ResultCode result = System::OkNoError;
        if (scope == MmsObjectScopeDomain) result = MmsSetText(request.objectScope.choice.domainSpecific, domainName);
        if (result == System::OkNoError && continueAfter) {
            request.continueAfter =
                Asn1::Asn1OctetStringNew(&MmsIdentifierType, continueAfter->data(), continueAfter->size());
            if (request.continueAfter == nullptr) result = System::NoResources;
        }
        if (result != System::OkNoError) {
            MmsGetNameListRequestType.free(&MmsGetNameListRequestType, &request, 1);
            return result;
        }
        MmsTakeOver(choice.getNameList, request);
        return System::OkNoError;
    });
}

ResultCode MmsFillReadRequest(MmsConfirmedServiceRequest& service, MmsVariableAccessSpecification& spec) {
    return FillService(service, MmsServiceRead, [&](auto& choice) {
        choice.read.specificationWithResult = nullptr;
        MmsTakeOver(choice.read.variableAccessSpecification, spec);
    });
}

ResultCode MmsFillWriteRequest(MmsConfirmedServiceRequest& service, MmsVariableAccessSpecification& spec,
                               MmsDataList& data) {
    return FillService(service, MmsServiceWrite, [&](auto& choice) {
        MmsTakeOver(choice.write.variableAccessSpecification, spec);
        MmsTakeOver(choice.write.listOfData, data);
    });
}

ResultCode MmsFillGetVariableAccessAttributesRequest(MmsConfirmedServiceRequest& service, MmsObjectName& name) {
    return FillService(service, MmsServiceGetVariableAccessAttributes, [&](auto& choice) {
        MmsTakeOver(choice.getVariableAccessAttributes.choice.name, name);
        choice.getVariableAccessAttributes.present = MmsAttributesByName;
    });
}

ResultCode MmsFillGetVariableAccessAttributesRequest(MmsConfirmedServiceRequest& service, MmsAddress& address) {
    return FillService(service, MmsServiceGetVariableAccessAttributes, [&](auto& choice) {
        MmsTakeOver(choice.getVariableAccessAttributes.choice.address, address);
        choice.getVariableAccessAttributes.present = MmsAttributesByAddress;
    });
}

ResultCode MmsFillDefineNamedVariableListRequest(MmsConfirmedServiceRequest& service, MmsObjectName& listName,
                                                 MmsVariableList& variables) {
    return FillService(service, MmsServiceDefineNamedVariableList, [&](auto& choice) {
        MmsTakeOver(choice.defineNamedVariableList.variableListName, listName);
        MmsTakeOver(choice.defineNamedVariableList.listOfVariable, variables);
    });
}

ResultCode MmsFillGetNamedVariableListAttributesRequest(MmsConfirmedServiceRequest& service, MmsObjectName& listName) {
    return FillService(service, MmsServiceGetNamedVariableListAttributes,
                       [&](auto& choice) { MmsTakeOver(choice.getNamedVariableListAttributes, listName); });
}

ResultCode MmsFillDeleteNamedVariableListRequest(MmsConfirmedServiceRequest& service, MmsObjectName& listName) {
    return FillService(service, MmsServiceDeleteNamedVariableList, [&](auto& choice) -> ResultCode {
        auto* names = MmsNewValue<MmsObjectNameList>(MmsObjectNameListType);
        if (names == nullptr) return System::NoResources;
        auto* name = MmsNewValue<MmsObjectName>(MmsObjectNameType);
        if (name == nullptr || Asn1::Asn1SequenceOfAppend(names, name) != 0) {
            Asn1::Asn1FreeValue(&MmsObjectNameType, name);
            Asn1::Asn1FreeValue(&MmsObjectNameListType, names);
            return System::NoResources;
        }
        MmsTakeOver(*name, listName);
        MmsDeleteNamedVariableListRequest& request = choice.deleteNamedVariableList;
        request.scopeOfDelete = nullptr;
        request.listOfVariableListName = names;
        request.domainName = nullptr;
        return System::OkNoError;
    });
}

ResultCode MmsFillGetDomainAttributesRequest(MmsConfirmedServiceRequest& service, std::string_view domainName) {
    return FillService(service, MmsServiceGetDomainAttributes,
                       [&](auto& choice) { return MmsSetText(choice.getDomainAttributes, domainName); });
}

ResultCode MmsFillGetCapabilityListRequest(MmsConfirmedServiceRequest& service,
                                           const std::optional<std::string>& continueAfter) {
    return FillService(service, MmsServiceGetCapabilityList, [&](auto& choice) -> ResultCode {
        MmsGetCapabilityListRequest& request = choice.getCapabilityList;
        request.continueAfter = nullptr;
        if (!continueAfter) return System::OkNoError;
        request.continueAfter = Asn1::Asn1OctetStringNew(&MmsStringType, continueAfter->data(), continueAfter->size());
        return request.continueAfter != nullptr ? System::OkNoError : System::NoResources;
    });
}

ResultCode MmsFillGetNameListResponse(MmsConfirmedServiceResponse& service, const std::list<std::string>& names,
                                      bool moreFollows) {
    if (service.present != MmsServiceNone) return System::InvalidArguments;
    MmsGetNameListResponse response{};
    response.moreFollows = static_cast<Asn1Boolean*>(Asn1::Asn1NewValue(&Asn1::Asn1BooleanType));
    ResultCode result = response.moreFollows == nullptr ? System::NoResources : System::OkNoError;
    if (result == System::OkNoError) {
        *response.moreFollows = moreFollows ? 1 : 0;
        result = MmsAppendIdentifiers(response.listOfIdentifier, names);
    }
    if (result != System::OkNoError) {
        MmsGetNameListResponseType.free(&MmsGetNameListResponseType, &response, 1);
        return result;
    }
    MmsTakeOver(service.choice.getNameList, response);
    service.present = MmsServiceGetNameList;
    return System::OkNoError;
}

ResultCode MmsSetFlagBits(Asn1BitString& bits, const std::uint8_t* flags, std::size_t count) {
    std::vector<std::uint8_t> octets((count + 7) / 8, 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (flags[i] != 0) octets[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    }
    Asn1OctetString asOctets{bits.buf, bits.size, bits.borrowed};
    if (Asn1::Asn1OctetStringSetBytes(&asOctets, octets.data(), octets.size()) != 0) return System::NoResources;
    bits.buf = asOctets.buf;
    bits.size = asOctets.size;
    bits.borrowed = asOctets.borrowed;
    bits.unusedBits = static_cast<std::int32_t>(octets.size() * 8 - count);
    return System::OkNoError;
}

ResultCode MmsFillServiceError(MmsServiceError& serviceError, std::uint32_t error) {
    MmsErrorClassValue& errorClass = serviceError.errorClass;
    const auto choice = static_cast<Asn1Presence>(error >> 16);
    const auto code = static_cast<std::int32_t>(error & 0xFFFF);
    if (choice < MmsErrorClassVmdState || choice > MmsErrorClassOthers) return System::InvalidArguments;
    if (choice == MmsErrorClassOthers) {
        if (Asn1::Asn1IntegerSetInt32(&errorClass.choice.others, code) != 0) return System::NoResources;
    } else {
        errorClass.choice.code = code;
    }
    errorClass.present = choice;
    return System::OkNoError;
}

namespace {

MmsRejectReasonChoice RejectReasonFor(Asn1Presence kind) {
    switch (kind) {
        case MmsPduConfirmedRequest: return MmsRejectConfirmedRequest;
        case MmsPduConfirmedResponse: return MmsRejectConfirmedResponse;
        case MmsPduConfirmedError: return MmsRejectConfirmedError;
        case MmsPduUnconfirmed: return MmsRejectUnconfirmed;
        case MmsPduCancelRequest: return MmsRejectCancelRequest;
        case MmsPduCancelResponse: return MmsRejectCancelResponse;
        case MmsPduCancelError: return MmsRejectCancelError;
        case MmsPduConcludeRequest: return MmsRejectConcludeRequest;
        case MmsPduConcludeResponse: return MmsRejectConcludeResponse;
        case MmsPduConcludeError: return MmsRejectConcludeError;
        default: return MmsRejectPduError;
    }
}

const Asn1NativeInteger* InvokeIdOf(const MmsPdu& pdu) {
    switch (pdu.present) {
        case MmsPduConfirmedRequest: return &pdu.choice.confirmedRequest.invokeId;
        case MmsPduConfirmedResponse: return &pdu.choice.confirmedResponse.invokeId;
        case MmsPduConfirmedError: return &pdu.choice.confirmedError.invokeId;
        default: return nullptr;
    }
}

}  // namespace

ResultCode MmsFillReject(MmsRejectPdu& reject, const MmsPdu* received, std::int32_t reason) {
    MmsRejectReasonChoice choice = MmsRejectPduError;
    std::int32_t code = MmsRejectPduInvalidPdu;
    if (received != nullptr) {
        choice = RejectReasonFor(received->present);
        code = choice == MmsRejectPduError ? MmsRejectPduUnknownPduType : reason;
        if (const Asn1NativeInteger* invokeId = InvokeIdOf(*received); invokeId != nullptr) {
            reject.originalInvokeId = MmsNewValue<Asn1NativeInteger>(Asn1::Asn1NativeIntegerType);
            if (reject.originalInvokeId == nullptr) return System::NoResources;
            *reject.originalInvokeId = *invokeId;
        }
    }
    reject.rejectReason.present = choice;
    reject.rejectReason.choice.code = code;
    return System::OkNoError;
}

}  // namespace Mms
