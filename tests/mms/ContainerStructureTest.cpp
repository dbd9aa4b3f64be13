// Arrays and structures: building from type descriptions and from Data, nested
// several levels deep and converted as a whole.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mms/ContainerTestSupport.h"
#include "mms/values/Array.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/Integer.h"
#include "mms/values/Structure.h"

namespace {

using namespace ContainerTestSupport;

// A measured value with a nested array of records, each with an array of its own:
//   { mag { f FLOAT32 }, q BitString(13), t UTCTime,
//     rows [3] { i INT32, s VisString64, w [2] INT16U } }
Type MeasurementType() {
    std::vector<std::pair<std::string, Type>> magnitude;
    magnitude.emplace_back("f", FloatType(32, 8));
    std::vector<std::pair<std::string, Type>> row;
    row.emplace_back("i", SimpleType(Mms::MmsTypeInteger, 32));
    row.emplace_back("s", SimpleType(Mms::MmsTypeVisibleString, -64));
    row.emplace_back("w", ArrayType(2, SimpleType(Mms::MmsTypeUnsigned, 16)));
    std::vector<std::pair<std::string, Type>> top;
    top.emplace_back("mag", StructureType(std::move(magnitude)));
    top.emplace_back("q", SimpleType(Mms::MmsTypeBitString, 13));
    top.emplace_back("t", SimpleType(Mms::MmsTypeUtcTime));
    top.emplace_back("rows", ArrayType(3, StructureType(std::move(row))));
    return StructureType(std::move(top));
}

Mms::Container& Leaf(Mms::Structure& top, std::size_t row, const char* name) {
    auto* rows = static_cast<Mms::Array*>(top.FindComponent("rows"));
    auto* record = static_cast<Mms::Structure*>(rows->GetElement(row));
    return *record->FindComponent(name);
}

void FillMeasurement(Mms::Structure& top) {
    auto* magnitude = static_cast<Mms::Structure*>(top.FindComponent("mag"));
    ASSERT_EQ(magnitude->FindComponent("f")->FromText("-1.25"), System::OkNoError);
    ASSERT_EQ(top.FindComponent("q")->FromText("0000000000001"), System::OkNoError);
    ASSERT_EQ(top.FindComponent("t")->FromText("2024-02-29 12:34:56.789"), System::OkNoError);
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(Leaf(top, i, "i").FromText(std::to_string(-2147483647 + int(i))), System::OkNoError);
        ASSERT_EQ(Leaf(top, i, "s").FromText("row <" + std::to_string(i) + ">"), System::OkNoError);
        auto& words = static_cast<Mms::Array&>(Leaf(top, i, "w"));
        ASSERT_EQ(words.GetElement(0)->FromText("65535"), System::OkNoError);
        ASSERT_EQ(words.GetElement(1)->FromText(std::to_string(i)), System::OkNoError);
    }
}

TEST(StructureContainer, BuildsNestedMembersFromTheTypeDescription) {
    Mms::Structure top(*MeasurementType());
    EXPECT_EQ(top.ErrStatus, System::OkNoError);
    ASSERT_EQ(top.GetComponentCount(), 4u);
    EXPECT_EQ(top.GetComponent(0)->GetName(), "mag");
    EXPECT_EQ(top.GetComponent(3)->GetName(), "rows");
    auto* rows = static_cast<Mms::Array*>(top.FindComponent("rows"));
    ASSERT_EQ(rows->GetClassId(), Mms::ArrayClassId);
    EXPECT_EQ(rows->GetElementCount(), 3u);
    EXPECT_EQ(rows->GetElement(2)->GetParent(), rows);
    EXPECT_EQ(rows->GetParentStructure(), &top);
    EXPECT_EQ(Leaf(top, 1, "w").GetClassId(), Mms::ArrayClassId);
    EXPECT_FALSE(top.IsValid());
}

TEST(StructureContainer, WholeValueRoundTripsThroughDataAndBer) {
    const Type type = MeasurementType();
    Mms::Structure sent(*type);
    FillMeasurement(sent);
    const Bytes octets = EncodeContainer(sent);
    ASSERT_FALSE(octets.empty());
    EXPECT_TRUE(sent.IsValid());
    EXPECT_EQ(octets[0], 0xA2);

    Data received = Decode(octets);
    ASSERT_NE(received.get(), nullptr);
    Mms::Structure typed(*type);
    ASSERT_EQ(typed.FromData(*received), System::OkNoError);
    EXPECT_TRUE(typed.IsValid());
    EXPECT_TRUE(typed.Equals(sent));
    EXPECT_EQ(TextOf(Leaf(typed, 2, "s")), "row <2>");
    EXPECT_EQ(EncodeContainer(typed), octets);

    // Built from the value alone: the same values, without names.
    std::unique_ptr<Mms::Container> untyped;
    ASSERT_EQ(Mms::NewContainerFromData(*received, untyped), System::OkNoError);
    EXPECT_EQ(untyped->ErrStatus, System::OkNoError);
    EXPECT_TRUE(untyped->Equals(sent));
    EXPECT_EQ(EncodeContainer(*untyped), octets);

    // And the model takes the received tree by Assign, keeping its own widths.
    Mms::Structure model(*type);
    EXPECT_EQ(model.Assign(*untyped), System::OkNoError);
    EXPECT_EQ(EncodeContainer(model), octets);
    EXPECT_EQ(static_cast<Mms::Integer&>(Leaf(model, 0, "i")).GetPrecision(), 32u);
}

TEST(StructureContainer, TypeDescriptionRoundTripsThroughBer) {
    const Type type = MeasurementType();
    Mms::Structure top(*type);
    Type written = NewType();
    ASSERT_EQ(top.ToTypeSpec(*written), System::OkNoError);
    const Bytes image = EncodeType(*written);
    ASSERT_FALSE(image.empty());

    void* raw = nullptr;
    const auto result = Asn1::Asn1Decode(nullptr, &Mms::MmsTypeDescriptionType, &raw, image.data(), image.size());
    Type decoded(Mms::MmsTypeDescriptionType, static_cast<Mms::MmsTypeDescription*>(raw));
    ASSERT_EQ(result.code, Asn1::Asn1DecodeDone);
    Mms::Structure rebuilt(*decoded);
    EXPECT_EQ(rebuilt.ErrStatus, System::OkNoError);
    Type again = NewType();
    ASSERT_EQ(rebuilt.ToTypeSpec(*again), System::OkNoError);
    EXPECT_EQ(EncodeType(*again), image);
    EXPECT_EQ(TextOf(rebuilt), TextOf(top));
}

TEST(StructureContainer, DeepNestingConvertsAsAWhole) {
    // Ten levels of structures and arrays around one integer.
    Type type = SimpleType(Mms::MmsTypeInteger, 64);
    for (int level = 0; level < 10; ++level) {
        if (level % 2 == 0) {
            std::vector<std::pair<std::string, Type>> components;
            components.emplace_back("x" + std::to_string(level), std::move(type));
            components.emplace_back("b", SimpleType(Mms::MmsTypeBoolean));
            type = StructureType(std::move(components));
        } else {
            type = ArrayType(2, std::move(type));
        }
    }
    std::unique_ptr<Mms::Container> sent;
    Mms::Container* holder = nullptr;
    ASSERT_EQ(Mms::NewContainerFromType(*type, holder), System::OkNoError);
    sent.reset(holder);
    Data data = NewData();
    // Unset leaves still encode (as zero and false).
    ASSERT_EQ(sent->ToData(*data), System::OkNoError);
    const Bytes octets = Encode(*data);
    ASSERT_FALSE(octets.empty());
    std::unique_ptr<Mms::Container> received;
    ASSERT_EQ(Mms::NewContainerFromData(*Decode(octets), received), System::OkNoError);
    EXPECT_TRUE(received->Equals(*sent));
    EXPECT_EQ(EncodeContainer(*received), octets);
}

TEST(StructureContainer, DataOfTheWrongShapeIsRefusedWhole) {
    std::vector<std::pair<std::string, Type>> components;
    components.emplace_back("a", SimpleType(Mms::MmsTypeInteger, 8));
    components.emplace_back("b", SimpleType(Mms::MmsTypeInteger, 8));
    Mms::Structure pair(*StructureType(std::move(components)));
    ASSERT_EQ(pair.FromData(*DecodeHex("A2 06 85 01 01 85 01 02")), System::OkNoError);

    EXPECT_EQ(pair.FromData(*DecodeHex("A2 09 85 01 07 85 01 08 85 01 09")), System::InvalidArguments);
    EXPECT_EQ(pair.FromData(*DecodeHex("A1 06 85 01 07 85 01 08")), System::InvalidArguments);
    EXPECT_EQ(TextOf(*pair.FindComponent("a")), "1");

    // A component that refuses its value keeps the old one; the others take theirs.
    EXPECT_EQ(pair.FromData(*DecodeHex("A2 07 85 01 07 85 02 01 2C")), System::OkNoError);
    EXPECT_EQ(TextOf(*pair.FindComponent("a")), "7");
    EXPECT_EQ(TextOf(*pair.FindComponent("b")), "2");
    EXPECT_EQ(pair.GetState(), Mms::StateValid);
}

TEST(ArrayContainer, EmptyArrayAndShapeChecks) {
    Mms::Array empty(*ArrayType(0, SimpleType(Mms::MmsTypeBoolean)));
    EXPECT_EQ(empty.GetElementCount(), 0u);
    EXPECT_TRUE(empty.IsValid());
    Type type = NewType();
    ASSERT_EQ(empty.ToTypeSpec(*type), System::OkNoError);
    EXPECT_EQ(type->choice.array.elementType, nullptr);
    EXPECT_EQ(type->choice.array.numberOfElements, 0);

    Mms::Array three(*ArrayType(3, SimpleType(Mms::MmsTypeInteger, 8)));
    EXPECT_EQ(three.FromData(*DecodeHex("A1 03 85 01 01")), System::InvalidArguments);
    EXPECT_EQ(three.FromData(*DecodeHex("A1 09 85 01 01 85 01 02 85 01 03")), System::OkNoError);
    EXPECT_EQ(three.FromText("1"), System::NotImplemented);

    // Assign takes a shorter array element by element, never a longer one.
    Mms::Array two(*DecodeHex("A1 06 85 01 09 85 01 08"));
    EXPECT_EQ(three.Assign(two), System::OkNoError);
    EXPECT_EQ(TextOf(*three.GetElement(0)), "9");
    EXPECT_EQ(TextOf(*three.GetElement(2)), "3");
    EXPECT_EQ(two.Assign(three), System::InvalidArguments);
}

TEST(ArrayContainer, RefusedElementTypesEndTheBuilding) {
    Mms::Array negative(*ArrayType(-1, SimpleType(Mms::MmsTypeBoolean)));
    EXPECT_EQ(negative.ErrStatus, System::OutOfRange);

    // A type name instead of a description is not followed.
    Type named = NewType();
    named->present = Mms::MmsTypeArray;
    named->choice.array.numberOfElements = 2;
    named->choice.array.elementType =
        static_cast<Mms::MmsTypeSpecification*>(std::calloc(1, sizeof(Mms::MmsTypeSpecification)));
    named->choice.array.elementType->present = Mms::MmsTypeSpecificationTypeName;
    Mms::Array byName(*named);
    EXPECT_EQ(byName.ErrStatus, System::NotSupported);
    EXPECT_EQ(byName.GetElementCount(), 0u);

    // An element whose own type is refused is kept, in the invalid-type state.
    Mms::Array oddIntegers(*ArrayType(2, SimpleType(Mms::MmsTypeInteger, 200)));
    EXPECT_EQ(oddIntegers.ErrStatus, System::OkNoError);
    ASSERT_EQ(oddIntegers.GetElementCount(), 2u);
    EXPECT_EQ(oddIntegers.GetElement(1)->GetState(), Mms::StateInvalidType);

    // A few octets of description cannot make the process build billions of elements.
    Mms::Array huge(*ArrayType(2147483647, SimpleType(Mms::MmsTypeBoolean)));
    EXPECT_EQ(huge.ErrStatus, System::OutOfRange);
    EXPECT_LT(huge.GetElementCount(), 2147483647u);
}

TEST(StructureContainer, ComponentNamesAreUniqueAndRequired) {
    std::vector<std::pair<std::string, Type>> components;
    components.emplace_back("a", SimpleType(Mms::MmsTypeBoolean));
    components.emplace_back("a", SimpleType(Mms::MmsTypeInteger, 8));
    components.emplace_back("c", SimpleType(Mms::MmsTypeBoolean));
    Mms::Structure repeated(*StructureType(std::move(components)));
    EXPECT_EQ(repeated.GetComponentCount(), 2u);
    EXPECT_EQ(repeated.FindComponent("a")->GetClassId(), Mms::BooleanClassId);

    Type unnamed = StructureType({});
    auto* entry = static_cast<Mms::MmsStructureComponent*>(std::calloc(1, sizeof(Mms::MmsStructureComponent)));
    entry->componentType = SpecificationOf(SimpleType(Mms::MmsTypeBoolean));
    Asn1::Asn1SequenceOfAppend(&unnamed->choice.structure.components, entry);
    Mms::Structure withoutName(*unnamed);
    EXPECT_EQ(withoutName.ErrStatus, System::Error);
    EXPECT_EQ(withoutName.GetComponentCount(), 0u);

    auto extra = std::make_unique<Mms::Integer>(*SimpleType(Mms::MmsTypeInteger, 8));
    ASSERT_EQ(extra->SetAttribute("Name", "c"), System::OkNoError);
    EXPECT_EQ(repeated.AddComponent(std::move(extra)), System::InvalidArguments);
    EXPECT_EQ(repeated.GetComponentCount(), 2u);
    extra = std::make_unique<Mms::Integer>(*SimpleType(Mms::MmsTypeInteger, 8));
    ASSERT_EQ(extra->SetAttribute("Name", "d"), System::OkNoError);
    EXPECT_EQ(repeated.AddComponent(std::move(extra)), System::OkNoError);
    EXPECT_EQ(repeated.GetComponentCount(), 3u);

    // Renaming a component files it under the new name.
    Mms::Container* d = repeated.FindComponent("d");
    EXPECT_EQ(d->SetAttribute("Name", "a"), System::InvalidArguments);
    EXPECT_EQ(d->SetAttribute("Name", "e"), System::OkNoError);
    EXPECT_EQ(repeated.FindComponent("d"), nullptr);
    EXPECT_EQ(repeated.FindComponent("e"), d);
}

}  // namespace
