#include "osi/AcsePdus.h"

#include <cstddef>

namespace Acse {

using namespace Asn1;

namespace {

// An ANY under an explicit tag (a CHOICE this stack keeps as its encoding).
consteval Asn1Member ExplicitAny(std::size_t offset, unsigned tagNumber, const char* name) {
    return Asn1Field(offset, Asn1AnyType, Asn1NoTag, name).Explicit(Asn1ContextTag(tagNumber));
}

consteval Asn1Member OptionalApTitle(std::size_t offset, unsigned tagNumber, const char* name) {
    return Asn1Field(offset, ApTitleType, Asn1NoTag, name).Explicit(Asn1ContextTag(tagNumber)).Optional();
}

consteval Asn1Member OptionalAeQualifier(std::size_t offset, unsigned tagNumber, const char* name) {
    return Asn1Field(offset, AeQualifierType, Asn1NoTag, name).Explicit(Asn1ContextTag(tagNumber)).Optional();
}

consteval Asn1Member OptionalInvocationIdentifier(std::size_t offset, unsigned tagNumber, const char* name) {
    return Asn1Field(offset, Asn1IntegerType, name).Explicit(Asn1ContextTag(tagNumber)).Optional();
}

consteval Asn1Member UserInformation(std::size_t offset) {
    return Asn1Field(offset, AssociationInformationType, Asn1SequenceTag, "user-information")
        .Implicit(Asn1ContextTag(30))
        .Optional();
}

constexpr auto kApTitleMembers = Asn1Members({
    Asn1Field(offsetof(ApTitle, choice), Asn1ObjectIdentifierType, "ap-title-form2"),
});

constexpr auto kAeQualifierMembers = Asn1Members({
    Asn1Field(offsetof(AeQualifier, choice), Asn1IntegerType, "ae-qualifier-form2"),
});

constexpr auto kApplicationContextNameListMembers = Asn1Members({
    Asn1Field(0, Asn1ObjectIdentifierType, "Application-context-name"),
});
constinit const Asn1TypeDescriptor ApplicationContextNameListType =
    Asn1SequenceOfType<kApplicationContextNameListMembers>("Application-context-name-list");

constexpr auto kAssociationInformationMembers = Asn1Members({
    Asn1Field(0, Asn1ExternalType, Asn1ExternalTag, "EXTERNAL"),
});

constexpr auto kAarqMembers = Asn1Members({
    Asn1Field(offsetof(Aarq, protocolVersion), Asn1BitStringType, "protocol-version")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(Aarq, applicationContextName), Asn1ObjectIdentifierType, "application-context-name")
        .Explicit(Asn1ContextTag(1)),
    OptionalApTitle(offsetof(Aarq, calledApTitle), 2, "called-AP-title"),
    OptionalAeQualifier(offsetof(Aarq, calledAeQualifier), 3, "called-AE-qualifier"),
    OptionalInvocationIdentifier(offsetof(Aarq, calledApInvocationIdentifier), 4, "called-AP-invocation-identifier"),
    OptionalInvocationIdentifier(offsetof(Aarq, calledAeInvocationIdentifier), 5, "called-AE-invocation-identifier"),
    OptionalApTitle(offsetof(Aarq, callingApTitle), 6, "calling-AP-title"),
    OptionalAeQualifier(offsetof(Aarq, callingAeQualifier), 7, "calling-AE-qualifier"),
    OptionalInvocationIdentifier(offsetof(Aarq, callingApInvocationIdentifier), 8, "calling-AP-invocation-identifier"),
    OptionalInvocationIdentifier(offsetof(Aarq, callingAeInvocationIdentifier), 9, "calling-AE-invocation-identifier"),
    Asn1Field(offsetof(Aarq, senderAcseRequirements), Asn1BitStringType, "sender-acse-requirements")
        .Implicit(Asn1ContextTag(10))
        .Optional(),
    Asn1Field(offsetof(Aarq, mechanismName), Asn1ObjectIdentifierType, "mechanism-name")
        .Implicit(Asn1ContextTag(11))
        .Optional(),
    ExplicitAny(offsetof(Aarq, callingAuthenticationValue), 12, "calling-authentication-value").Optional(),
    Asn1Field(offsetof(Aarq, applicationContextNameList), ApplicationContextNameListType, Asn1SequenceTag,
              "application-context-name-list")
        .Implicit(Asn1ContextTag(13))
        .Optional(),
    Asn1Field(offsetof(Aarq, implementationInformation), Asn1GraphicStringType, "implementation-information")
        .Implicit(Asn1ContextTag(29))
        .Optional(),
    UserInformation(offsetof(Aarq, userInformation)),
});
constexpr int kAarqLastBeforeExtension = 14;  // implementation-information
constexpr int kAarqUserInformation = 15;
constexpr Asn1Tag kAarqTags[] = {Asn1ApplicationTag(0)};

constexpr auto kSourceDiagnosticMembers = Asn1Members({
    Asn1Field(offsetof(AssociateSourceDiagnostic, choice), Asn1NativeIntegerType, "acse-service-user")
        .Explicit(Asn1ContextTag(1)),
    Asn1Field(offsetof(AssociateSourceDiagnostic, choice), Asn1NativeIntegerType, "acse-service-provider")
        .Explicit(Asn1ContextTag(2)),
});
constinit const Asn1TypeDescriptor AssociateSourceDiagnosticType =
    Asn1ChoiceType<AssociateSourceDiagnostic, kSourceDiagnosticMembers>("Associate-source-diagnostic");

constexpr auto kAareMembers = Asn1Members({
    Asn1Field(offsetof(Aare, protocolVersion), Asn1BitStringType, "protocol-version")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(Aare, applicationContextName), Asn1ObjectIdentifierType, "application-context-name")
        .Explicit(Asn1ContextTag(1)),
    Asn1Field(offsetof(Aare, result), Asn1IntegerType, "result").Explicit(Asn1ContextTag(2)),
    Asn1Field(offsetof(Aare, resultSourceDiagnostic), AssociateSourceDiagnosticType, Asn1NoTag,
              "result-source-diagnostic")
        .Explicit(Asn1ContextTag(3)),
    OptionalApTitle(offsetof(Aare, respondingApTitle), 4, "responding-AP-title"),
    OptionalAeQualifier(offsetof(Aare, respondingAeQualifier), 5, "responding-AE-qualifier"),
    OptionalInvocationIdentifier(offsetof(Aare, respondingApInvocationIdentifier), 6,
                                 "responding-AP-invocation-identifier"),
    OptionalInvocationIdentifier(offsetof(Aare, respondingAeInvocationIdentifier), 7,
                                 "responding-AE-invocation-identifier"),
    Asn1Field(offsetof(Aare, responderAcseRequirements), Asn1BitStringType, "responder-acse-requirements")
        .Implicit(Asn1ContextTag(8))
        .Optional(),
    Asn1Field(offsetof(Aare, mechanismName), Asn1ObjectIdentifierType, "mechanism-name")
        .Implicit(Asn1ContextTag(9))
        .Optional(),
    ExplicitAny(offsetof(Aare, respondingAuthenticationValue), 10, "responding-authentication-value").Optional(),
    Asn1Field(offsetof(Aare, applicationContextNameList), ApplicationContextNameListType, Asn1SequenceTag,
              "application-context-name-list")
        .Implicit(Asn1ContextTag(11))
        .Optional(),
    Asn1Field(offsetof(Aare, implementationInformation), Asn1GraphicStringType, "implementation-information")
        .Implicit(Asn1ContextTag(29))
        .Optional(),
    UserInformation(offsetof(Aare, userInformation)),
});
constexpr int kAareLastBeforeExtension = 12;
constexpr int kAareUserInformation = 13;
constexpr Asn1Tag kAareTags[] = {Asn1ApplicationTag(1)};

constexpr auto kReleaseMembers = Asn1Members({
    Asn1Field(offsetof(ReleaseApdu, reason), Asn1NativeIntegerType, "reason").Implicit(Asn1ContextTag(0)).Optional(),
    UserInformation(offsetof(ReleaseApdu, userInformation)),
});
constexpr Asn1Tag kRlrqTags[] = {Asn1ApplicationTag(2)};
constexpr Asn1Tag kRlreTags[] = {Asn1ApplicationTag(3)};

constexpr auto kAbrtMembers = Asn1Members({
    Asn1Field(offsetof(Abrt, abortSource), Asn1NativeIntegerType, "abort-source").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(Abrt, abortDiagnostic), Asn1NativeIntegerType, "abort-diagnostic")
        .Implicit(Asn1ContextTag(1))
        .Optional(),
    UserInformation(offsetof(Abrt, userInformation)),
});
constexpr Asn1Tag kAbrtTags[] = {Asn1ApplicationTag(4)};

constexpr auto kAcseApduMembers = Asn1Members({
    Asn1Field(offsetof(AcseApdu, choice), AarqType, Asn1ApplicationTag(0), "aarq"),
    Asn1Field(offsetof(AcseApdu, choice), AareType, Asn1ApplicationTag(1), "aare"),
    Asn1Field(offsetof(AcseApdu, choice), RlrqType, Asn1ApplicationTag(2), "rlrq"),
    Asn1Field(offsetof(AcseApdu, choice), RlreType, Asn1ApplicationTag(3), "rlre"),
    Asn1Field(offsetof(AcseApdu, choice), AbrtType, Asn1ApplicationTag(4), "abrt"),
});

}  // namespace

constinit const Asn1TypeDescriptor ApTitleType = Asn1ChoiceType<ApTitle, kApTitleMembers, true>("AP-title");
constinit const Asn1TypeDescriptor AeQualifierType =
    Asn1ChoiceType<AeQualifier, kAeQualifierMembers, true>("AE-qualifier");
constinit const Asn1TypeDescriptor AssociationInformationType =
    Asn1SequenceOfType<kAssociationInformationMembers>("Association-information");
constinit const Asn1TypeDescriptor AarqType =
    Asn1SequenceType<Aarq, kAarqMembers, kAarqLastBeforeExtension, kAarqUserInformation>("AARQ-apdu")
        .WithTags(kAarqTags);
constinit const Asn1TypeDescriptor AareType =
    Asn1SequenceType<Aare, kAareMembers, kAareLastBeforeExtension, kAareUserInformation>("AARE-apdu")
        .WithTags(kAareTags);
constinit const Asn1TypeDescriptor RlrqType =
    Asn1SequenceType<ReleaseApdu, kReleaseMembers, 0, 1>("RLRQ-apdu").WithTags(kRlrqTags);
constinit const Asn1TypeDescriptor RlreType =
    Asn1SequenceType<ReleaseApdu, kReleaseMembers, 0, 1>("RLRE-apdu").WithTags(kRlreTags);
constinit const Asn1TypeDescriptor AbrtType =
    Asn1SequenceType<Abrt, kAbrtMembers, 1, 2>("ABRT-apdu").WithTags(kAbrtTags);
constinit const Asn1TypeDescriptor AcseApduType = Asn1ChoiceType<AcseApdu, kAcseApduMembers, true>("ACSE-apdu");

}  // namespace Acse
