#include "mms/pdu/MmsPduError.h"

#include <array>
#include <string_view>

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

constexpr std::size_t kClassAt = offsetof(MmsErrorClassValue, choice);

constexpr Asn1TypeDescriptor kVmdStateType =
    Asn1NativeIntegerType.Derived("vmd-state", &Asn1CheckNativeIntegerRange<0, 4>);
constexpr Asn1TypeDescriptor kApplicationReferenceType =
    Asn1NativeIntegerType.Derived("application-reference", &Asn1CheckNativeIntegerRange<0, 4>);
constexpr Asn1TypeDescriptor kDefinitionType =
    Asn1NativeIntegerType.Derived("definition", &Asn1CheckNativeIntegerRange<0, 6>);
constexpr Asn1TypeDescriptor kResourceType =
    Asn1NativeIntegerType.Derived("resource", &Asn1CheckNativeIntegerRange<0, 5>);
constexpr Asn1TypeDescriptor kServiceType =
    Asn1NativeIntegerType.Derived("service", &Asn1CheckNativeIntegerRange<0, 5>);
constexpr Asn1TypeDescriptor kServicePreemptType =
    Asn1NativeIntegerType.Derived("service-preempt", &Asn1CheckNativeIntegerRange<0, 3>);
constexpr Asn1TypeDescriptor kTimeResolutionType =
    Asn1NativeIntegerType.Derived("time-resolution", &Asn1CheckNativeIntegerRange<0, 1>);
constexpr Asn1TypeDescriptor kAccessType = Asn1NativeIntegerType.Derived("access", &Asn1CheckNativeIntegerRange<0, 4>);
constexpr Asn1TypeDescriptor kInitiateType =
    Asn1NativeIntegerType.Derived("initiate", &Asn1CheckNativeIntegerRange<0, 7>);
constexpr Asn1TypeDescriptor kConcludeType =
    Asn1NativeIntegerType.Derived("conclude", &Asn1CheckNativeIntegerRange<0, 1>);
constexpr Asn1TypeDescriptor kCancelType = Asn1NativeIntegerType.Derived("cancel", &Asn1CheckNativeIntegerRange<0, 2>);
constexpr Asn1TypeDescriptor kFileType = Asn1NativeIntegerType.Derived("file", &Asn1CheckNativeIntegerRange<0, 9>);

constexpr auto kErrorClassMembers = Asn1Members({
    Asn1Field(kClassAt, kVmdStateType, "vmd-state").Implicit(Ctx(0)),
    Asn1Field(kClassAt, kApplicationReferenceType, "application-reference").Implicit(Ctx(1)),
    Asn1Field(kClassAt, kDefinitionType, "definition").Implicit(Ctx(2)),
    Asn1Field(kClassAt, kResourceType, "resource").Implicit(Ctx(3)),
    Asn1Field(kClassAt, kServiceType, "service").Implicit(Ctx(4)),
    Asn1Field(kClassAt, kServicePreemptType, "service-preempt").Implicit(Ctx(5)),
    Asn1Field(kClassAt, kTimeResolutionType, "time-resolution").Implicit(Ctx(6)),
    Asn1Field(kClassAt, kAccessType, "access").Implicit(Ctx(7)),
    Asn1Field(kClassAt, kInitiateType, "initiate").Implicit(Ctx(8)),
    Asn1Field(kClassAt, kConcludeType, "conclude").Implicit(Ctx(9)),
    Asn1Field(kClassAt, kCancelType, "cancel").Implicit(Ctx(10)),
    Asn1Field(kClassAt, kFileType, "file").Implicit(Ctx(11)),
    Asn1Field(kClassAt, Asn1IntegerType, "others").Implicit(Ctx(12)),
});

constexpr auto kServiceSpecificMembers = Asn1Members({
    Asn1Field(offsetof(MmsServiceSpecificInformation, choice), Asn1NativeIntegerType, "obtainFile").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsServiceSpecificInformation, choice), MmsUnsigned32Type, "deleteNamedVariableList")
        .Implicit(Ctx(6)),
});

constexpr auto kServiceErrorMembers = Asn1Members({
    Asn1Field(offsetof(MmsServiceError, errorClass), MmsErrorClassValueType, Asn1NoTag, "errorClass").Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsServiceError, additionalCode), Asn1IntegerType, "additionalCode").Implicit(Ctx(1)).Optional(),
    Asn1Field(offsetof(MmsServiceError, additionalDescription), Asn1VisibleStringType, "additionalDescription")
        .Implicit(Ctx(2))
        .Optional(),
    Asn1Field(offsetof(MmsServiceError, serviceSpecificInformation), MmsServiceSpecificInformationType, Asn1NoTag,
              "serviceSpecificInformation")
        .Explicit(Ctx(3))
        .Optional(),
});

constexpr std::size_t kReasonAt = offsetof(MmsRejectReason, choice);

constexpr Asn1TypeDescriptor kReason1Type =
    Asn1NativeIntegerType.Derived("confirmed-requestPDU", &Asn1CheckNativeIntegerRange<0, 9>);
constexpr Asn1TypeDescriptor kReason2Type =
    Asn1NativeIntegerType.Derived("confirmed-responsePDU", &Asn1CheckNativeIntegerRange<0, 6>);
constexpr Asn1TypeDescriptor kReason3Type =
    Asn1NativeIntegerType.Derived("confirmed-errorPDU", &Asn1CheckNativeIntegerRange<0, 4>);
constexpr Asn1TypeDescriptor kReason4Type =
    Asn1NativeIntegerType.Derived("unconfirmedPDU", &Asn1CheckNativeIntegerRange<0, 4>);
constexpr Asn1TypeDescriptor kReason5Type =
    Asn1NativeIntegerType.Derived("pdu-error", &Asn1CheckNativeIntegerRange<0, 2>);
constexpr Asn1TypeDescriptor kReason6Type =
    Asn1NativeIntegerType.Derived("cancel-requestPDU", &Asn1CheckNativeIntegerRange<0, 1>);
constexpr Asn1TypeDescriptor kReason7Type =
    Asn1NativeIntegerType.Derived("cancel-responsePDU", &Asn1CheckNativeIntegerRange<0, 1>);
constexpr Asn1TypeDescriptor kReason8Type =
    Asn1NativeIntegerType.Derived("cancel-errorPDU", &Asn1CheckNativeIntegerRange<0, 3>);
constexpr Asn1TypeDescriptor kReason9Type =
    Asn1NativeIntegerType.Derived("conclude-requestPDU", &Asn1CheckNativeIntegerRange<0, 1>);
constexpr Asn1TypeDescriptor kReason10Type =
    Asn1NativeIntegerType.Derived("conclude-responsePDU", &Asn1CheckNativeIntegerRange<0, 1>);
constexpr Asn1TypeDescriptor kReason11Type =
    Asn1NativeIntegerType.Derived("conclude-errorPDU", &Asn1CheckNativeIntegerRange<0, 2>);

constexpr auto kRejectReasonMembers = Asn1Members({
    Asn1Field(kReasonAt, kReason1Type, "confirmed-requestPDU").Implicit(Ctx(1)),
    Asn1Field(kReasonAt, kReason2Type, "confirmed-responsePDU").Implicit(Ctx(2)),
    Asn1Field(kReasonAt, kReason3Type, "confirmed-errorPDU").Implicit(Ctx(3)),
    Asn1Field(kReasonAt, kReason4Type, "unconfirmedPDU").Implicit(Ctx(4)),
    Asn1Field(kReasonAt, kReason5Type, "pdu-error").Implicit(Ctx(5)),
    Asn1Field(kReasonAt, kReason6Type, "cancel-requestPDU").Implicit(Ctx(6)),
    Asn1Field(kReasonAt, kReason7Type, "cancel-responsePDU").Implicit(Ctx(7)),
    Asn1Field(kReasonAt, kReason8Type, "cancel-errorPDU").Implicit(Ctx(8)),
    Asn1Field(kReasonAt, kReason9Type, "conclude-requestPDU").Implicit(Ctx(9)),
    Asn1Field(kReasonAt, kReason10Type, "conclude-responsePDU").Implicit(Ctx(10)),
    Asn1Field(kReasonAt, kReason11Type, "conclude-errorPDU").Implicit(Ctx(11)),
});

}  // namespace

constinit const Asn1TypeDescriptor MmsErrorClassValueType =
    Asn1ChoiceType<MmsErrorClassValue, kErrorClassMembers>("errorClass");
// Extensible: a peer's information for a service not listed must not spoil the error.
constinit const Asn1TypeDescriptor MmsServiceSpecificInformationType =
    Asn1ChoiceType<MmsServiceSpecificInformation, kServiceSpecificMembers, true>("serviceSpecificInformation");
constinit const Asn1TypeDescriptor MmsServiceErrorType =
    Asn1SequenceType<MmsServiceError, kServiceErrorMembers>("ServiceError");
constinit const Asn1TypeDescriptor MmsRejectReasonType =
    Asn1ChoiceType<MmsRejectReason, kRejectReasonMembers>("rejectReason");

namespace {

constexpr std::array<std::string_view, 14> kErrorClassNames = {
    "none",
    "vmd-state",
    "application-reference",
    "definition",
    "resource",
    "service",
    "service-preempt",
    "time-resolution",
    "access",
    "initiate",
    "conclude",
    "cancel",
    "file",
    "others",
};

constexpr std::array<std::string_view, 8> kInitiateCodeNames = {
    "other",
    "version-incompatible",
    "max-segment-insufficient",
    "max-services-outstanding-calling-insufficient",
    "max-services-outstanding-called-insufficient",
    "service-CBB-insufficient",
    "parameter-CBB-insufficient",
    "nesting-level-insufficient",
};

// The codes' names of each error class (by MmsErrorClass), as far as the class names them.
constexpr std::array<std::string_view, 5> kVmdStateCodeNames = {
    "other", "vmd-state-conflict", "vmd-operational-problem", "domain-transfer-problem", "state-machine-id-invalid",
};
constexpr std::array<std::string_view, 5> kApplicationReferenceCodeNames = {
    "other", "application-unreachable", "connection-lost", "application-reference-invalid", "context-unsupported",
};
constexpr std::array<std::string_view, 7> kDefinitionCodeNames = {
    "other",
    "object-undefined",
    "invalid-address",
    "type-unsupported",
    "type-inconsistent",
    "object-exists",
    "object-attribute-inconsistent",
};
constexpr std::array<std::string_view, 6> kResourceCodeNames = {
    "other",
    "memory-unavailable",
    "processor-resource-unavailable",
    "mass-storage-unavailable",
    "capability-unavailable",
    "capability-unknown",
};
constexpr std::array<std::string_view, 6> kServiceCodeNames = {
    "other",    "primitives-out-of-sequence", "object-state-conflict",
    "pdu-size", "continuation-invalid",       "object-constraint-conflict",
};
constexpr std::array<std::string_view, 4> kServicePreemptCodeNames = {"other", "timeout", "deadlock", "cancel"};
constexpr std::array<std::string_view, 2> kTimeResolutionCodeNames = {"other", "unsupportable-time-resolution"};
constexpr std::array<std::string_view, 5> kAccessCodeNames = {
    "other", "object-access-unsupported", "object-non-existent", "object-access-denied", "object-invalidated",
};
constexpr std::array<std::string_view, 2> kConcludeCodeNames = {"other", "further-communication-required"};
constexpr std::array<std::string_view, 3> kCancelCodeNames = {"other", "invoke-id-unknown", "cancel-not-possible"};
constexpr std::array<std::string_view, 10> kFileCodeNames = {
    "other",
    "filename-ambiguous",
    "file-busy",
    "filename-syntax-error",
    "content-type-invalid",
    "position-invalid",
    "file-access-denied",
    "file-non-existent",
    "duplicate-filename",
    "insufficient-space-in-filestore",
};

template <std::size_t N>
std::string_view NameIn(const std::array<std::string_view, N>& names, std::int32_t code) {
    return code >= 0 && static_cast<std::size_t>(code) < N ? names[static_cast<std::size_t>(code)] : std::string_view();
}

std::string_view CodeName(std::int32_t errorClass, std::int32_t code) {
    switch (errorClass) {
        case MmsErrorClassVmdState: return NameIn(kVmdStateCodeNames, code);
        case MmsErrorClassApplicationReference: return NameIn(kApplicationReferenceCodeNames, code);
        case MmsErrorClassDefinition: return NameIn(kDefinitionCodeNames, code);
        case MmsErrorClassResource: return NameIn(kResourceCodeNames, code);
        case MmsErrorClassService: return NameIn(kServiceCodeNames, code);
        case MmsErrorClassServicePreempt: return NameIn(kServicePreemptCodeNames, code);
        case MmsErrorClassTimeResolution: return NameIn(kTimeResolutionCodeNames, code);
        case MmsErrorClassAccess: return NameIn(kAccessCodeNames, code);
        case MmsErrorClassInitiate: return NameIn(kInitiateCodeNames, code);
        case MmsErrorClassConclude: return NameIn(kConcludeCodeNames, code);
        case MmsErrorClassCancel: return NameIn(kCancelCodeNames, code);
        case MmsErrorClassFile: return NameIn(kFileCodeNames, code);
        default: return {};
    }
}

constexpr std::array<std::string_view, 12> kRejectReasonNames = {
    "none",
    "confirmed-requestPDU",
    "confirmed-responsePDU",
    "confirmed-errorPDU",
    "unconfirmedPDU",
    "pdu-error",
    "cancel-requestPDU",
    "cancel-responsePDU",
    "cancel-errorPDU",
    "conclude-requestPDU",
    "conclude-responsePDU",
    "conclude-errorPDU",
};

constexpr std::array<std::string_view, 10> kRequestRejectCodeNames = {
    "other",
    "unrecognized-service",
    "unrecognized-modifier",
    "invalid-invokeID",
    "invalid-argument",
    "invalid-modifier",
    "max-serv-outstanding-exceeded",
    "",
    "max-recursion-exceeded",
    "value-out-of-range",
};

}  // namespace

std::string MmsRejectText(std::int32_t reason, std::int32_t code) {
    const bool known = reason >= 0 && static_cast<std::size_t>(reason) < kRejectReasonNames.size();
    std::string text = "reject, ";
    text += known ? kRejectReasonNames[static_cast<std::size_t>(reason)] : std::string_view("unknown reason");
    text += ", code " + std::to_string(code);
    const std::string_view name = reason == MmsRejectConfirmedRequest ? NameIn(kRequestRejectCodeNames, code) : "";
    if (!name.empty()) text += " (" + std::string(name) + ")";
    return text;
}

std::string MmsServiceErrorText(std::int32_t errorClass, std::int32_t errorCode) {
    std::string text;
    const bool knownClass = errorClass >= 0 && static_cast<std::size_t>(errorClass) < kErrorClassNames.size();
    text += knownClass ? kErrorClassNames[static_cast<std::size_t>(errorClass)] : std::string_view("unknown class");
    text += " (" + std::to_string(errorClass) + "), code " + std::to_string(errorCode);
    if (const std::string_view name = CodeName(errorClass, errorCode); !name.empty()) {
        text += " (" + std::string(name) + ")";
    } else if (errorCode == 0 && errorClass != MmsErrorClassOthers && knownClass && errorClass != MmsErrorClassNone) {
        text += " (other)";
    }
    return text;
}

}  // namespace Mms
