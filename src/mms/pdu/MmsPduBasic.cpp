#include "mms/pdu/MmsPduBasic.h"

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

int MmsCheck255String(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    if (Asn1Utf8StringCheck(type, value, callback, key) != 0) return -1;
    const std::ptrdiff_t characters = Utf8StringLength(static_cast<const Asn1Utf8String*>(value));
    if (characters < 1 || characters > 255) {
        return Asn1ReportConstraint(callback, key, type, value, "needs 1 to 255 characters");
    }
    return 0;
}

int MmsCheckTimeOfDay(const Asn1TypeDescriptor* type, const void* value, Asn1MessageCallback* callback, void* key) {
    const auto* octets = static_cast<const Asn1OctetString*>(value);
    if (octets == nullptr || (octets->size != 4 && octets->size != 6)) {
        return Asn1ReportConstraint(callback, key, type, value, "needs 4 or 6 octets");
    }
    return 0;
}

namespace {

constexpr auto kIdentifierListMembers = Asn1Members({Asn1Field(0, MmsIdentifierType, "Identifier")});
constexpr auto kStringListMembers = Asn1Members({Asn1Field(0, MmsStringType, "MMSString")});

// A capability as received: MMSString (UTF8String), or VisibleString as peers of the
// first edition of ISO 9506-2 send it. Both share the octet-string layout.
Asn1DecodeResult DecodeCapability(Asn1DecodeContext* context, const Asn1TypeDescriptor*, void** value,
                                  const std::uint8_t* data, std::size_t size, int) {
    Asn1Tag tag = 0;
    const Asn1TypeDescriptor* text = &MmsStringType;
    if (BerFetchTag(data, size, &tag) > 0 && tag == Asn1VisibleStringTag) text = &Asn1VisibleStringType;
    return text->decode(context, text, value, data, size, Asn1Untagged);
}

constexpr Asn1TypeDescriptor kReceivedCapabilityType = WithDecode(MmsStringType, &DecodeCapability);
// Untagged entry: the element's tag is matched by DecodeCapability, not by the list.
constexpr auto kReceivedCapabilityListMembers =
    Asn1Members({Asn1Field(0, kReceivedCapabilityType, Asn1NoTag, "MMSString")});
constinit const Asn1TypeDescriptor kReceivedCapabilityListType =
    Asn1SequenceOfType<kReceivedCapabilityListMembers>("SEQUENCE OF MMSString");

Asn1DecodeResult DecodeCapabilityList(Asn1DecodeContext* context, const Asn1TypeDescriptor*, void** value,
                                      const std::uint8_t* data, std::size_t size, int tagMode) {
    return kReceivedCapabilityListType.decode(context, &kReceivedCapabilityListType, value, data, size, tagMode);
}

constexpr auto kDomainSpecificMembers = Asn1Members({
    Asn1Field(offsetof(MmsDomainSpecificName, domainId), MmsIdentifierType, "domainID"),
    Asn1Field(offsetof(MmsDomainSpecificName, itemId), MmsIdentifierType, "itemID"),
});

constexpr auto kObjectNameMembers = Asn1Members({
    Asn1Field(offsetof(MmsObjectName, choice), MmsIdentifierType, "vmd-specific").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsObjectName, choice), MmsDomainSpecificNameType, Asn1SequenceTag, "domain-specific")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsObjectName, choice), MmsIdentifierType, "aa-specific").Implicit(Ctx(2)),
});

constexpr auto kObjectNameListMembers = Asn1Members({Asn1Field(0, MmsObjectNameType, Asn1NoTag, "ObjectName")});

constexpr auto kAddressMembers = Asn1Members({
    Asn1Field(offsetof(MmsAddress, choice), MmsUnsigned32Type, "numericAddress").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsAddress, choice), MmsStringType, "symbolicAddress").Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsAddress, choice), Asn1OctetStringType, "unconstrainedAddress").Implicit(Ctx(2)),
});

constexpr auto kFileNameMembers = Asn1Members({Asn1Field(0, Asn1GraphicStringType, "GraphicString")});

constexpr auto kApplicationReferenceMembers = Asn1Members({
    ExplicitAny(offsetof(MmsApplicationReference, apTitle), 0, "ap-title").Optional(),
    ExplicitAny(offsetof(MmsApplicationReference, apInvocationId), 1, "ap-invocation-id").Optional(),
    ExplicitAny(offsetof(MmsApplicationReference, aeQualifier), 2, "ae-qualifier").Optional(),
    ExplicitAny(offsetof(MmsApplicationReference, aeInvocationId), 3, "ae-invocation-id").Optional(),
});

}  // namespace

constinit const Asn1TypeDescriptor MmsIdentifierListType =
    Asn1SequenceOfType<kIdentifierListMembers>("SEQUENCE OF Identifier");
constinit const Asn1TypeDescriptor MmsStringListType = Asn1SequenceOfType<kStringListMembers>("SEQUENCE OF MMSString");
constinit const Asn1TypeDescriptor MmsCapabilityListType =
    WithDecode(Asn1SequenceOfType<kStringListMembers>("SEQUENCE OF MMSString"), &DecodeCapabilityList);
constinit const Asn1TypeDescriptor MmsDomainSpecificNameType =
    Asn1SequenceType<MmsDomainSpecificName, kDomainSpecificMembers>("domain-specific");
constinit const Asn1TypeDescriptor MmsObjectNameType = Asn1ChoiceType<MmsObjectName, kObjectNameMembers>("ObjectName");
constinit const Asn1TypeDescriptor MmsObjectNameListType =
    Asn1SequenceOfType<kObjectNameListMembers>("SEQUENCE OF ObjectName");
constinit const Asn1TypeDescriptor MmsAddressType = Asn1ChoiceType<MmsAddress, kAddressMembers>("Address");
constinit const Asn1TypeDescriptor MmsFileNameType = Asn1SequenceOfType<kFileNameMembers>("FileName");
constinit const Asn1TypeDescriptor MmsApplicationReferenceType =
    Asn1SequenceType<MmsApplicationReference, kApplicationReferenceMembers>("ApplicationReference");

}  // namespace Mms
