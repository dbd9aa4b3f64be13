#include "osi/PresentationPdus.h"

#include <cstddef>

namespace Presentation {

using namespace Asn1;

namespace {

// Members that later protocol versions put into the normal-mode parameters (protocol
// options, nominated contexts, extensions) are skipped when read: everything after
// the protocol version is treated as open to extension.
constexpr int AfterProtocolVersion = 0;

constexpr auto kModeSelectorMembers = Asn1Members({
    Asn1Field(offsetof(ModeSelector, modeValue), Asn1NativeIntegerType, "mode-value").Implicit(Asn1ContextTag(0)),
});

constexpr auto kTransferSyntaxNameListMembers = Asn1Members({
    Asn1Field(0, Asn1ObjectIdentifierType, "Transfer-syntax-name"),
});
constinit const Asn1TypeDescriptor TransferSyntaxNameListType =
    Asn1SequenceOfType<kTransferSyntaxNameListMembers>("Transfer-syntax-name-list");

constexpr auto kContextDefinitionMembers = Asn1Members({
    Asn1Field(offsetof(ContextDefinition, identifier), Asn1NativeIntegerType, "presentation-context-identifier"),
    Asn1Field(offsetof(ContextDefinition, abstractSyntaxName), Asn1ObjectIdentifierType, "abstract-syntax-name"),
    Asn1Field(offsetof(ContextDefinition, transferSyntaxNames), TransferSyntaxNameListType, Asn1SequenceTag,
              "transfer-syntax-name-list"),
});

constexpr auto kContextDefinitionListMembers = Asn1Members({
    Asn1Field(0, ContextDefinitionType, Asn1SequenceTag, "Context-list item"),
});

constexpr auto kDefaultContextNameMembers = Asn1Members({
    Asn1Field(offsetof(DefaultContextName, abstractSyntaxName), Asn1ObjectIdentifierType, "abstract-syntax-name")
        .Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(DefaultContextName, transferSyntaxName), Asn1ObjectIdentifierType, "transfer-syntax-name")
        .Implicit(Asn1ContextTag(1)),
});
constinit const Asn1TypeDescriptor DefaultContextNameType =
    Asn1SequenceType<DefaultContextName, kDefaultContextNameMembers>("Default-context-name");

constexpr auto kContextResultMembers = Asn1Members({
    Asn1Field(offsetof(ContextResult, result), Asn1NativeIntegerType, "result").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(ContextResult, transferSyntaxName), Asn1ObjectIdentifierType, "transfer-syntax-name")
        .Implicit(Asn1ContextTag(1))
        .Optional(),
    Asn1Field(offsetof(ContextResult, providerReason), Asn1NativeIntegerType, "provider-reason")
        .Implicit(Asn1ContextTag(2))
        .Optional(),
});

constexpr auto kContextResultListMembers = Asn1Members({
    Asn1Field(0, ContextResultType, Asn1SequenceTag, "Result-list item"),
});

// The user data of every PPDU and the P-DATA's: they differ only in how a
// single-ASN1-type PDV is read (see DataPpduType). That ANY is declared with
// Asn1NoTag under its explicit tag, so that it is an ordinary tagged alternative, not
// an open type that would take any tag.
consteval auto PresentationDataValuesMembers(const Asn1TypeDescriptor& singleType) {
    return Asn1Members({
        Asn1Field(offsetof(PresentationDataValues, choice), singleType, Asn1NoTag, "single-ASN1-type")
            .Explicit(Asn1ContextTag(0)),
        Asn1Field(offsetof(PresentationDataValues, choice), Asn1OctetStringType, "octet-aligned")
            .Implicit(Asn1ContextTag(1)),
        Asn1Field(offsetof(PresentationDataValues, choice), Asn1BitStringType, "arbitrary").Implicit(Asn1ContextTag(2)),
    });
}
consteval auto PdvListMembers(const Asn1TypeDescriptor& valuesType) {
    return Asn1Members({
        Asn1Field(offsetof(PdvList, transferSyntaxName), Asn1ObjectIdentifierType, "transfer-syntax-name").Optional(),
        Asn1Field(offsetof(PdvList, contextIdentifier), Asn1NativeIntegerType, "presentation-context-identifier"),
        Asn1Field(offsetof(PdvList, values), valuesType, Asn1NoTag, "presentation-data-values"),
    });
}
consteval auto FullyEncodedDataMembers(const Asn1TypeDescriptor& pdvListType) {
    return Asn1Members({
        Asn1Field(0, pdvListType, Asn1SequenceTag, "PDV-list"),
    });
}
consteval auto UserDataMembers(const Asn1TypeDescriptor& fullyEncodedType) {
    return Asn1Members({
        Asn1Field(offsetof(UserData, choice), Asn1OctetStringType, "simply-encoded-data")
            .Implicit(Asn1ApplicationTag(0)),
        Asn1Field(offsetof(UserData, choice), fullyEncodedType, Asn1SequenceTag, "fully-encoded-data")
            .Implicit(Asn1ApplicationTag(1)),
    });
}

constexpr auto kPresentationDataValuesMembers = PresentationDataValuesMembers(Asn1AnyType);
constinit const Asn1TypeDescriptor PresentationDataValuesType =
    Asn1ChoiceType<PresentationDataValues, kPresentationDataValuesMembers>("presentation-data-values");
constexpr auto kPdvListMembers = PdvListMembers(PresentationDataValuesType);

constexpr auto kFullyEncodedDataMembers = FullyEncodedDataMembers(PdvListType);
constinit const Asn1TypeDescriptor FullyEncodedDataType =
    Asn1SequenceOfType<kFullyEncodedDataMembers>("Fully-encoded-data");
constexpr auto kUserDataMembers = UserDataMembers(FullyEncodedDataType);

// The P-DATA's: the PDU of a single-ASN1-type is carried, so one whose own length
// disagrees with its PDV's reaches its user, which judges it (a broken report is
// dropped there, not the association here).
constexpr auto kDataValuesMembers = PresentationDataValuesMembers(Asn1CarriedAnyType);
constinit const Asn1TypeDescriptor DataValuesType =
    Asn1ChoiceType<PresentationDataValues, kDataValuesMembers>("presentation-data-values");
constexpr auto kDataPdvListMembers = PdvListMembers(DataValuesType);
constinit const Asn1TypeDescriptor DataPdvListType = Asn1SequenceType<PdvList, kDataPdvListMembers>("PDV-list");
constexpr auto kDataFullyEncodedMembers = FullyEncodedDataMembers(DataPdvListType);
constinit const Asn1TypeDescriptor DataFullyEncodedType =
    Asn1SequenceOfType<kDataFullyEncodedMembers>("Fully-encoded-data");
constexpr auto kDataPpduMembers = UserDataMembers(DataFullyEncodedType);

constexpr auto kCpNormalModeMembers = Asn1Members({
    Asn1Field(offsetof(CpNormalModeParameters, protocolVersion), Asn1BitStringType, "protocol-version")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, callingSelector), Asn1OctetStringType, "calling-presentation-selector")
        .Implicit(Asn1ContextTag(1))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, calledSelector), Asn1OctetStringType, "called-presentation-selector")
        .Implicit(Asn1ContextTag(2))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, contextDefinitionList), ContextDefinitionListType, Asn1SequenceTag,
              "presentation-context-definition-list")
        .Implicit(Asn1ContextTag(4))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, defaultContextName), DefaultContextNameType, Asn1SequenceTag,
              "default-context-name")
        .Implicit(Asn1ContextTag(6))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, presentationRequirements), Asn1BitStringType,
              "presentation-requirements")
        .Implicit(Asn1ContextTag(8))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, userSessionRequirements), Asn1BitStringType, "user-session-requirements")
        .Implicit(Asn1ContextTag(9))
        .Optional(),
    Asn1Field(offsetof(CpNormalModeParameters, userData), UserDataType, Asn1NoTag, "user-data").Optional(),
});
constinit const Asn1TypeDescriptor CpNormalModeParametersType =
    Asn1SequenceType<CpNormalModeParameters, kCpNormalModeMembers, AfterProtocolVersion>("normal-mode-parameters");

constexpr auto kCpTypeMembers = Asn1Members({
    Asn1Field(offsetof(CpType, modeSelector), ModeSelectorType, Asn1SetTag, "mode-selector")
        .Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(CpType, normalModeParameters), CpNormalModeParametersType, Asn1SequenceTag,
              "normal-mode-parameters")
        .Implicit(Asn1ContextTag(2))
        .Optional(),
});

constexpr auto kCpaNormalModeMembers = Asn1Members({
    Asn1Field(offsetof(CpaNormalModeParameters, protocolVersion), Asn1BitStringType, "protocol-version")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(CpaNormalModeParameters, respondingSelector), Asn1OctetStringType,
              "responding-presentation-selector")
        .Implicit(Asn1ContextTag(3))
        .Optional(),
    Asn1Field(offsetof(CpaNormalModeParameters, contextResultList), ContextResultListType, Asn1SequenceTag,
              "presentation-context-definition-result-list")
        .Implicit(Asn1ContextTag(5))
        .Optional(),
    Asn1Field(offsetof(CpaNormalModeParameters, presentationRequirements), Asn1BitStringType,
              "presentation-requirements")
        .Implicit(Asn1ContextTag(8))
        .Optional(),
    Asn1Field(offsetof(CpaNormalModeParameters, userSessionRequirements), Asn1BitStringType,
              "user-session-requirements")
        .Implicit(Asn1ContextTag(9))
        .Optional(),
    Asn1Field(offsetof(CpaNormalModeParameters, userData), UserDataType, Asn1NoTag, "user-data").Optional(),
});
constinit const Asn1TypeDescriptor CpaNormalModeParametersType =
    Asn1SequenceType<CpaNormalModeParameters, kCpaNormalModeMembers, AfterProtocolVersion>("normal-mode-parameters");

constexpr auto kCpaPpduMembers = Asn1Members({
    Asn1Field(offsetof(CpaPpdu, modeSelector), ModeSelectorType, Asn1SetTag, "mode-selector")
        .Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(CpaPpdu, normalModeParameters), CpaNormalModeParametersType, Asn1SequenceTag,
              "normal-mode-parameters")
        .Implicit(Asn1ContextTag(2))
        .Optional(),
});

constexpr auto kCprNormalModeMembers = Asn1Members({
    Asn1Field(offsetof(CprNormalModeParameters, protocolVersion), Asn1BitStringType, "protocol-version")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(CprNormalModeParameters, respondingSelector), Asn1OctetStringType,
              "responding-presentation-selector")
        .Implicit(Asn1ContextTag(3))
        .Optional(),
    Asn1Field(offsetof(CprNormalModeParameters, contextResultList), ContextResultListType, Asn1SequenceTag,
              "presentation-context-definition-result-list")
        .Implicit(Asn1ContextTag(5))
        .Optional(),
    Asn1Field(offsetof(CprNormalModeParameters, defaultContextResult), Asn1NativeIntegerType, "default-context-result")
        .Implicit(Asn1ContextTag(7))
        .Optional(),
    Asn1Field(offsetof(CprNormalModeParameters, providerReason), Asn1NativeIntegerType, "provider-reason")
        .Implicit(Asn1ContextTag(10))
        .Optional(),
    Asn1Field(offsetof(CprNormalModeParameters, userData), UserDataType, Asn1NoTag, "user-data").Optional(),
});
constinit const Asn1TypeDescriptor CprNormalModeParametersType =
    Asn1SequenceType<CprNormalModeParameters, kCprNormalModeMembers, AfterProtocolVersion>("normal-mode-parameters");

constexpr auto kCprPpduMembers = Asn1Members({
    Asn1Field(offsetof(CprPpdu, choice), CprNormalModeParametersType, Asn1SequenceTag, "normal-mode-parameters"),
});

constexpr auto kContextIdentifierItemMembers = Asn1Members({
    Asn1Field(offsetof(ContextIdentifierItem, contextIdentifier), Asn1NativeIntegerType,
              "presentation-context-identifier"),
    Asn1Field(offsetof(ContextIdentifierItem, transferSyntaxName), Asn1ObjectIdentifierType, "transfer-syntax-name"),
});
constinit const Asn1TypeDescriptor ContextIdentifierItemType =
    Asn1SequenceType<ContextIdentifierItem, kContextIdentifierItemMembers>("Presentation-context-identifier-list item");

constexpr auto kContextIdentifierListMembers = Asn1Members({
    Asn1Field(0, ContextIdentifierItemType, Asn1SequenceTag, "Presentation-context-identifier-list item"),
});
constinit const Asn1TypeDescriptor ContextIdentifierListType =
    Asn1SequenceOfType<kContextIdentifierListMembers>("Presentation-context-identifier-list");

constexpr auto kAruNormalModeMembers = Asn1Members({
    Asn1Field(offsetof(AruNormalModeParameters, contextIdentifierList), ContextIdentifierListType, Asn1SequenceTag,
              "presentation-context-identifier-list")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(AruNormalModeParameters, userData), UserDataType, Asn1NoTag, "user-data").Optional(),
});
constinit const Asn1TypeDescriptor AruNormalModeParametersType =
    Asn1SequenceType<AruNormalModeParameters, kAruNormalModeMembers>("normal-mode-parameters");

constexpr auto kAruPpduMembers = Asn1Members({
    Asn1Field(offsetof(AruPpdu, choice), AruNormalModeParametersType, Asn1SequenceTag, "normal-mode-parameters")
        .Implicit(Asn1ContextTag(0)),
});

constexpr auto kArpPpduMembers = Asn1Members({
    Asn1Field(offsetof(ArpPpdu, providerReason), Asn1NativeIntegerType, "provider-reason")
        .Implicit(Asn1ContextTag(0))
        .Optional(),
    Asn1Field(offsetof(ArpPpdu, eventIdentifier), Asn1NativeIntegerType, "event-identifier")
        .Implicit(Asn1ContextTag(1))
        .Optional(),
});

}  // namespace

// A mode selector, CP or CPA may carry members of other modes or later versions: the
// SETs skip what they do not know.
constinit const Asn1TypeDescriptor ModeSelectorType =
    Asn1SetType<ModeSelector, kModeSelectorMembers, true>("Mode-selector");
constinit const Asn1TypeDescriptor ContextDefinitionType =
    Asn1SequenceType<ContextDefinition, kContextDefinitionMembers>("Context-list item");
constinit const Asn1TypeDescriptor ContextDefinitionListType =
    Asn1SequenceOfType<kContextDefinitionListMembers>("Presentation-context-definition-list");
constinit const Asn1TypeDescriptor ContextResultType =
    Asn1SequenceType<ContextResult, kContextResultMembers>("Result-list item");
constinit const Asn1TypeDescriptor ContextResultListType =
    Asn1SequenceOfType<kContextResultListMembers>("Presentation-context-definition-result-list");
constinit const Asn1TypeDescriptor PdvListType = Asn1SequenceType<PdvList, kPdvListMembers>("PDV-list");
constinit const Asn1TypeDescriptor UserDataType = Asn1ChoiceType<UserData, kUserDataMembers>("User-data");
constinit const Asn1TypeDescriptor DataPpduType = Asn1ChoiceType<UserData, kDataPpduMembers>("User-data");
constinit const Asn1TypeDescriptor CpTypeType = Asn1SetType<CpType, kCpTypeMembers, true>("CP-type");
constinit const Asn1TypeDescriptor CpaPpduType = Asn1SetType<CpaPpdu, kCpaPpduMembers, true>("CPA-PPDU");
constinit const Asn1TypeDescriptor CprPpduType = Asn1ChoiceType<CprPpdu, kCprPpduMembers>("CPR-PPDU");
constinit const Asn1TypeDescriptor AruPpduType = Asn1ChoiceType<AruPpdu, kAruPpduMembers>("ARU-PPDU");
constinit const Asn1TypeDescriptor ArpPpduType = Asn1SequenceType<ArpPpdu, kArpPpduMembers>("ARP-PPDU");

}  // namespace Presentation
