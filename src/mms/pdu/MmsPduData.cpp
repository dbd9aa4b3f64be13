#include "mms/pdu/MmsPduData.h"

#include <bit>
#include <cstring>

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

// Data and TypeDescription nest through themselves. The decode of one PDU runs on one
// thread, so a per-thread count of the levels open at the moment bounds it.
thread_local int dataNesting = 0;
thread_local int typeNesting = 0;

class NestingLevel {
public:
    explicit NestingLevel(int& counter) : counter_(counter) { ++counter_; }
    ~NestingLevel() { --counter_; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    int& counter_;
};

Asn1DecodeResult DecodeNested(int& counter, Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                              const std::uint8_t* data, std::size_t size, int tagMode) {
    if (counter >= MmsMaxDataNesting) return {Asn1DecodeFailure, 0};
    NestingLevel level(counter);
    return Asn1ChoiceDecode(context, type, value, data, size, tagMode);
}

Asn1DecodeResult DecodeData(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                            const std::uint8_t* data, std::size_t size, int tagMode) {
    return DecodeNested(dataNesting, context, type, value, data, size, tagMode);
}

Asn1DecodeResult DecodeTypeDescription(Asn1DecodeContext* context, const Asn1TypeDescriptor* type, void** value,
                                       const std::uint8_t* data, std::size_t size, int tagMode) {
    return DecodeNested(typeNesting, context, type, value, data, size, tagMode);
}

constexpr std::size_t kDataAt = offsetof(MmsData, choice);

constexpr auto kDataMembers = Asn1Members({
    Asn1Field(kDataAt, MmsDataListType, Asn1SequenceTag, "array").Implicit(Ctx(1)),
    Asn1Field(kDataAt, MmsDataListType, Asn1SequenceTag, "structure").Implicit(Ctx(2)),
    Asn1Field(kDataAt, Asn1BooleanType, "boolean").Implicit(Ctx(3)),
    Asn1Field(kDataAt, Asn1BitStringType, "bit-string").Implicit(Ctx(4)),
    Asn1Field(kDataAt, Asn1IntegerType, "integer").Implicit(Ctx(5)),
    Asn1Field(kDataAt, Asn1IntegerType, "unsigned").Implicit(Ctx(6)),
    Asn1Field(kDataAt, MmsFloatingPointType, "floating-point").Implicit(Ctx(7)),
    Asn1Field(kDataAt, Asn1OctetStringType, "octet-string").Implicit(Ctx(9)),
    Asn1Field(kDataAt, Asn1VisibleStringType, "visible-string").Implicit(Ctx(10)),
    Asn1Field(kDataAt, Asn1GeneralizedTimeType, "generalized-time").Implicit(Ctx(11)),
    Asn1Field(kDataAt, MmsTimeOfDayType, "binary-time").Implicit(Ctx(12)),
    Asn1Field(kDataAt, Asn1IntegerType, "bcd").Implicit(Ctx(13)),
    Asn1Field(kDataAt, Asn1BitStringType, "booleanArray").Implicit(Ctx(14)),
    Asn1Field(kDataAt, Asn1ObjectIdentifierType, "objId").Implicit(Ctx(15)),
    Asn1Field(kDataAt, MmsStringType, "mMSString").Implicit(Ctx(16)),
    Asn1Field(kDataAt, MmsUtcTimeType, "utc-time").Implicit(Ctx(17)),
});

constexpr auto kDataListMembers = Asn1Members({Asn1Field(0, MmsDataType, Asn1NoTag, "Data")});

constexpr auto kAccessResultMembers = Asn1Members({
    Asn1Field(offsetof(MmsAccessResult, choice), MmsDataAccessErrorType, "failure").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsAccessResult, choice), MmsDataType, Asn1NoTag, "success"),
});

constexpr auto kAccessResultListMembers = Asn1Members({Asn1Field(0, MmsAccessResultType, Asn1NoTag, "AccessResult")});

constexpr auto kArrayTypeMembers = Asn1Members({
    Asn1Field(offsetof(MmsArrayTypeDescription, packed), Asn1BooleanType, "packed").Implicit(Ctx(0)).Optional(),
    Asn1Field(offsetof(MmsArrayTypeDescription, numberOfElements), MmsUnsigned32Type, "numberOfElements")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsArrayTypeDescription, elementType), MmsTypeSpecificationType, Asn1NoTag, "elementType")
        .Explicit(Ctx(2))
        .Pointer(),
});

constexpr auto kStructureComponentMembers = Asn1Members({
    Asn1Field(offsetof(MmsStructureComponent, componentName), MmsIdentifierType, "componentName")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsStructureComponent, componentType), MmsTypeSpecificationType, Asn1NoTag, "componentType")
        .Explicit(Ctx(1))
        .Pointer(),
});

constexpr auto kStructureComponentListMembers =
    Asn1Members({Asn1Field(0, MmsStructureComponentType, Asn1SequenceTag, "component")});

constexpr auto kStructureTypeMembers = Asn1Members({
    Asn1Field(offsetof(MmsStructureTypeDescription, packed), Asn1BooleanType, "packed").Implicit(Ctx(0)).Optional(),
    Asn1Field(offsetof(MmsStructureTypeDescription, components), MmsStructureComponentListType, Asn1SequenceTag,
              "components")
        .Implicit(Ctx(1)),
});

constexpr auto kFloatingPointTypeMembers = Asn1Members({
    Asn1Field(offsetof(MmsFloatingPointTypeDescription, formatWidth), MmsUnsigned8Type, "format-width"),
    Asn1Field(offsetof(MmsFloatingPointTypeDescription, exponentWidth), MmsUnsigned8Type, "exponent-width"),
});

constexpr std::size_t kTypeAt = offsetof(MmsTypeDescription, choice);

constexpr auto kTypeDescriptionMembers = Asn1Members({
    Asn1Field(kTypeAt, MmsArrayTypeDescriptionType, Asn1SequenceTag, "array").Implicit(Ctx(1)),
    Asn1Field(kTypeAt, MmsStructureTypeDescriptionType, Asn1SequenceTag, "structure").Implicit(Ctx(2)),
    Asn1Field(kTypeAt, Asn1NullType, "boolean").Implicit(Ctx(3)),
    Asn1Field(kTypeAt, MmsInteger32Type, "bit-string").Implicit(Ctx(4)),
    Asn1Field(kTypeAt, MmsUnsigned8Type, "integer").Implicit(Ctx(5)),
    Asn1Field(kTypeAt, MmsUnsigned8Type, "unsigned").Implicit(Ctx(6)),
    Asn1Field(kTypeAt, MmsFloatingPointTypeDescriptionType, Asn1SequenceTag, "floating-point").Implicit(Ctx(7)),
    Asn1Field(kTypeAt, MmsInteger32Type, "octet-string").Implicit(Ctx(9)),
    Asn1Field(kTypeAt, MmsInteger32Type, "visible-string").Implicit(Ctx(10)),
    Asn1Field(kTypeAt, Asn1NullType, "generalized-time").Implicit(Ctx(11)),
    Asn1Field(kTypeAt, Asn1BooleanType, "binary-time").Implicit(Ctx(12)),
    Asn1Field(kTypeAt, MmsUnsigned8Type, "bcd").Implicit(Ctx(13)),
    Asn1Field(kTypeAt, Asn1NullType, "objId").Implicit(Ctx(15)),
    Asn1Field(kTypeAt, MmsInteger32Type, "mMSString").Implicit(Ctx(16)),
    Asn1Field(kTypeAt, Asn1NullType, "utc-time").Implicit(Ctx(17)),
});

constexpr auto kTypeSpecificationMembers = Asn1Members({
    Asn1Field(offsetof(MmsTypeSpecification, choice), MmsObjectNameType, Asn1NoTag, "typeName").Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsTypeSpecification, choice), MmsTypeDescriptionType, Asn1NoTag, "typeDescription"),
});

}  // namespace

constinit const Asn1TypeDescriptor MmsArrayTypeDescriptionType =
    Asn1SequenceType<MmsArrayTypeDescription, kArrayTypeMembers>("array");
constinit const Asn1TypeDescriptor MmsStructureTypeDescriptionType =
    Asn1SequenceType<MmsStructureTypeDescription, kStructureTypeMembers>("structure");
constinit const Asn1TypeDescriptor MmsStructureComponentType =
    Asn1SequenceType<MmsStructureComponent, kStructureComponentMembers>("component");
constinit const Asn1TypeDescriptor MmsStructureComponentListType =
    Asn1SequenceOfType<kStructureComponentListMembers>("components");
constinit const Asn1TypeDescriptor MmsFloatingPointTypeDescriptionType =
    Asn1SequenceType<MmsFloatingPointTypeDescription, kFloatingPointTypeMembers>("floating-point");

// Data and TypeDescription are extensible: an unknown alternative decodes to choice 0.
constinit const Asn1TypeDescriptor MmsDataType =
    WithDecode(Asn1ChoiceType<MmsData, kDataMembers, true>("Data"), &DecodeData);
constinit const Asn1TypeDescriptor MmsDataListType = Asn1SequenceOfType<kDataListMembers>("SEQUENCE OF Data");
constinit const Asn1TypeDescriptor MmsAccessResultType =
    Asn1ChoiceType<MmsAccessResult, kAccessResultMembers>("AccessResult");
constinit const Asn1TypeDescriptor MmsAccessResultListType =
    Asn1SequenceOfType<kAccessResultListMembers>("SEQUENCE OF AccessResult");
constinit const Asn1TypeDescriptor MmsTypeDescriptionType = WithDecode(
    Asn1ChoiceType<MmsTypeDescription, kTypeDescriptionMembers, true>("TypeDescription"), &DecodeTypeDescription);
constinit const Asn1TypeDescriptor MmsTypeSpecificationType =
    Asn1ChoiceType<MmsTypeSpecification, kTypeSpecificationMembers>("TypeSpecification");

// ---- floating-point values ----

System::ResultCode MmsFloatingPointToDouble(const Asn1OctetString& value, double& out) {
    if (value.buf == nullptr) return System::NotImplemented;
    if (value.size == 5) {
        std::uint32_t bits = 0;
        for (int i = 1; i < 5; ++i) bits = bits << 8 | value.buf[i];
        out = std::bit_cast<float>(bits);
        return System::OkNoError;
    }
    if (value.size == 9) {
        std::uint64_t bits = 0;
        for (int i = 1; i < 9; ++i) bits = bits << 8 | value.buf[i];
        out = std::bit_cast<double>(bits);
        return System::OkNoError;
    }
    return System::NotImplemented;
}

namespace {

template <typename Bits>
System::ResultCode StoreFloat(Asn1OctetString& value, std::uint8_t exponentWidth, Bits bits) {
    std::uint8_t octets[1 + sizeof(Bits)];
    octets[0] = exponentWidth;
    for (std::size_t i = 0; i < sizeof(Bits); ++i) {
        octets[sizeof(Bits) - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return Asn1OctetStringSetBytes(&value, octets, sizeof octets) == 0 ? System::OkNoError : System::NoResources;
}

}  // namespace

System::ResultCode MmsFloatingPointFromFloat(Asn1OctetString& value, float number) {
    return StoreFloat(value, 8, std::bit_cast<std::uint32_t>(number));
}

System::ResultCode MmsFloatingPointFromDouble(Asn1OctetString& value, double number) {
    return StoreFloat(value, 11, std::bit_cast<std::uint64_t>(number));
}

}  // namespace Mms
