#include "mms/pdu/MmsPduAccess.h"

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

constexpr auto kAlternateAccessMembers = Asn1Members({AnyElement("alternateAccess")});
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

constinit const Asn1TypeDescriptor ScatteredAccessType =
    Asn1SequenceOfType<kScatteredAccessMembers>("ScatteredAccessDescription");
constinit const Asn1TypeDescriptor VariableDescriptionType =
    Asn1SequenceType<MmsVariableDescription, kVariableDescriptionMembers>("variableDescription");

}  // namespace

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
