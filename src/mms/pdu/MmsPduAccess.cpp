#include "mms/pdu/MmsPduAccess.h"

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

// Selections nest through themselves; one PDU decodes on one thread, so a per-thread
// count of the levels open bounds them.
thread_local int accessNesting = 0;

Asn1DecodeResult DecodeAlternateAccessElement(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                              const std::uint8_t* data, std::size_t size, int tagMode) {
    if (accessNesting >= MmsMaxAlternateAccessNesting) return {Asn1DecodeFailure, 0};
    ++accessNesting;
    const Asn1DecodeResult result = Asn1ChoiceDecode(context, type, value, data, size, tagMode);
    --accessNesting;
    return result;
}

// Unsigned32 as the selections hold it (see MmsIndexRange).
constexpr Asn1TypeDescriptor kIndexType = Asn1::Asn1NativeUnsignedType.Derived("Unsigned32");

extern const Asn1TypeDescriptor IndexRangeType;
extern const Asn1TypeDescriptor AccessSelectionType;
extern const Asn1TypeDescriptor SelectAlternateAccessType;
extern const Asn1TypeDescriptor AlternateAccessSelectionType;
extern const Asn1TypeDescriptor NamedAccessType;

constexpr auto kIndexRangeMembers = Asn1Members({
    Asn1Field(offsetof(MmsIndexRange, lowIndex), kIndexType, "lowIndex").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsIndexRange, numberOfElements), kIndexType, "numberOfElements").Implicit(Ctx(1)),
});

constexpr std::size_t kSelectionAt = offsetof(MmsAccessSelection, choice);

constexpr auto kAccessSelectionMembers = Asn1Members({
    Asn1Field(kSelectionAt, MmsIdentifierType, "component").Implicit(Ctx(0)),
    Asn1Field(kSelectionAt, kIndexType, "index").Implicit(Ctx(1)),
    Asn1Field(kSelectionAt, IndexRangeType, Asn1SequenceTag, "indexRange").Implicit(Ctx(2)),
    Asn1Field(kSelectionAt, Asn1NullType, "allElements").Implicit(Ctx(3)),
});

constexpr auto kSelectAlternateAccessMembers = Asn1Members({
    Asn1Field(offsetof(MmsSelectAlternateAccess, accessSelection), AccessSelectionType, Asn1NoTag, "accessSelection"),
    Asn1Field(offsetof(MmsSelectAlternateAccess, alternateAccess), MmsAlternateAccessType, Asn1SequenceTag,
              "alternateAccess"),
});

// AlternateAccessSelection's alternatives; the element's union starts where the selection's does.
constexpr std::size_t kAlternateAt = offsetof(MmsAlternateAccessSelection, choice);
static_assert(offsetof(MmsAlternateAccessElement, choice) == kAlternateAt);

constexpr auto kAlternateAccessSelectionMembers = Asn1Members({
    Asn1Field(kAlternateAt, SelectAlternateAccessType, Asn1SequenceTag, "selectAlternateAccess").Implicit(Ctx(0)),
    Asn1Field(kAlternateAt, MmsIdentifierType, "component").Implicit(Ctx(1)),
    Asn1Field(kAlternateAt, kIndexType, "index").Implicit(Ctx(2)),
    Asn1Field(kAlternateAt, IndexRangeType, Asn1SequenceTag, "indexRange").Implicit(Ctx(3)),
    Asn1Field(kAlternateAt, Asn1NullType, "allElements").Implicit(Ctx(4)),
});

constexpr auto kNamedAccessMembers = Asn1Members({
    Asn1Field(offsetof(MmsNamedAccess, componentName), MmsIdentifierType, "componentName").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsNamedAccess, access), AlternateAccessSelectionType, Asn1NoTag, "access"),
});

constexpr auto kAlternateAccessElementMembers = Asn1Members({
    Asn1Field(kAlternateAt, SelectAlternateAccessType, Asn1SequenceTag, "selectAlternateAccess").Implicit(Ctx(0)),
    Asn1Field(kAlternateAt, MmsIdentifierType, "component").Implicit(Ctx(1)),
    Asn1Field(kAlternateAt, kIndexType, "index").Implicit(Ctx(2)),
    Asn1Field(kAlternateAt, IndexRangeType, Asn1SequenceTag, "indexRange").Implicit(Ctx(3)),
    Asn1Field(kAlternateAt, Asn1NullType, "allElements").Implicit(Ctx(4)),
    Asn1Field(kAlternateAt, NamedAccessType, Asn1SequenceTag, "named").Implicit(Ctx(5)),
});

constexpr auto kAlternateAccessMembers =
    Asn1Members({Asn1Field(0, MmsAlternateAccessElementType, Asn1NoTag, "alternateAccess")});
constexpr auto kScatteredAccessMembers = Asn1Members({AnyElement("scatteredAccessDescription")});

extern const Asn1TypeDescriptor ScatteredAccessType;
extern const Asn1TypeDescriptor VariableDescriptionType;

constexpr auto kVariableDescriptionMembers = Asn1Members({
    Asn1Field(offsetof(MmsVariableDescription, address), MmsAddressType, Asn1NoTag, "address"),
    Asn1Field(offsetof(MmsVariableDescription, typeSpecification), MmsTypeSpecificationType, Asn1NoTag,
              "typeSpecification"),
});

constexpr std::size_t kSpecAt = offsetof(MmsVariableSpecification, choice);

constexpr auto kVariableSpecificationMembers = Asn1Members({
    Asn1Field(kSpecAt, MmsObjectNameType, Asn1NoTag, "name").Explicit(Ctx(0)),
    Asn1Field(kSpecAt, MmsAddressType, Asn1NoTag, "address").Explicit(Ctx(1)),
    Asn1Field(kSpecAt, VariableDescriptionType, Asn1SequenceTag, "variableDescription").Implicit(Ctx(2)),
    Asn1Field(kSpecAt, ScatteredAccessType, Asn1SequenceTag, "scatteredAccessDescription").Implicit(Ctx(3)),
    Asn1Field(kSpecAt, Asn1NullType, "invalidated").Implicit(Ctx(4)),
});

constexpr auto kVariableEntryMembers = Asn1Members({
    Asn1Field(offsetof(MmsVariableEntry, variableSpecification), MmsVariableSpecificationType, Asn1NoTag,
              "variableSpecification"),
    Asn1Field(offsetof(MmsVariableEntry, alternateAccess), MmsAlternateAccessType, Asn1SequenceTag, "alternateAccess")
        .Implicit(Ctx(5))
        .Optional(),
});

constexpr auto kVariableListMembers = Asn1Members({Asn1Field(0, MmsVariableEntryType, Asn1SequenceTag, "variable")});

constexpr auto kVariableAccessMembers = Asn1Members({
    Asn1Field(offsetof(MmsVariableAccessSpecification, choice), MmsVariableListType, Asn1SequenceTag, "listOfVariable")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsVariableAccessSpecification, choice), MmsObjectNameType, Asn1NoTag, "variableListName")
        .Explicit(Ctx(1)),
});

constinit const Asn1TypeDescriptor IndexRangeType = Asn1SequenceType<MmsIndexRange, kIndexRangeMembers>("IndexRange");
constinit const Asn1TypeDescriptor AccessSelectionType =
    Asn1ChoiceType<MmsAccessSelection, kAccessSelectionMembers>("accessSelection");
constinit const Asn1TypeDescriptor SelectAlternateAccessType =
    Asn1SequenceType<MmsSelectAlternateAccess, kSelectAlternateAccessMembers>("selectAlternateAccess");
constinit const Asn1TypeDescriptor AlternateAccessSelectionType =
    Asn1ChoiceType<MmsAlternateAccessSelection, kAlternateAccessSelectionMembers>("AlternateAccessSelection");
constinit const Asn1TypeDescriptor NamedAccessType = Asn1SequenceType<MmsNamedAccess, kNamedAccessMembers>("named");
constinit const Asn1TypeDescriptor ScatteredAccessType =
    Asn1SequenceOfType<kScatteredAccessMembers>("ScatteredAccessDescription");
constinit const Asn1TypeDescriptor VariableDescriptionType =
    Asn1SequenceType<MmsVariableDescription, kVariableDescriptionMembers>("variableDescription");

}  // namespace

constinit const Asn1TypeDescriptor MmsAlternateAccessElementType =
    WithDecode(Asn1ChoiceType<MmsAlternateAccessElement, kAlternateAccessElementMembers>("AlternateAccess element"),
               &DecodeAlternateAccessElement);
constinit const Asn1TypeDescriptor MmsAlternateAccessType =
    Asn1SequenceOfType<kAlternateAccessMembers>("AlternateAccess");
constinit const Asn1TypeDescriptor MmsVariableSpecificationType =
    Asn1ChoiceType<MmsVariableSpecification, kVariableSpecificationMembers>("VariableSpecification");
constinit const Asn1TypeDescriptor MmsVariableEntryType =
    Asn1SequenceType<MmsVariableEntry, kVariableEntryMembers>("listOfVariable entry");
constinit const Asn1TypeDescriptor MmsVariableListType = Asn1SequenceOfType<kVariableListMembers>("listOfVariable");
constinit const Asn1TypeDescriptor MmsVariableAccessSpecificationType =
    Asn1ChoiceType<MmsVariableAccessSpecification, kVariableAccessMembers>("VariableAccessSpecification");

}  // namespace Mms
