#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "iec61850/acsi/model/ModelArray.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/values/BitString.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {
namespace {

using MmsObjectTest::AddVariable;
using MmsObjectTest::SimpleType;
using MmsObjectTest::StructureType;
using MmsObjectTest::Type;
using Scl::BasicTypeCode;

std::vector<std::pair<std::string, Type>> Components(std::string name, Type type) {
    std::vector<std::pair<std::string, Type>> list;
    list.emplace_back(std::move(name), std::move(type));
    return list;
}

class CreateMmsVariableTest : public ::testing::Test {
protected:
    Mms::NamedVariable* Create(BasicTypeCode code, Mms::MmsObject* parent, const std::string& component,
                               System::ResultCode expected = System::OkNoError) {
        Mms::NamedVariable* variable = &sentinel;
        EXPECT_EQ(NamedObject::CreateMmsVariable(code, parent, component, variable), expected) << component;
        if (expected != System::OkNoError) {
            EXPECT_EQ(variable, nullptr);
        }
        return variable;
    }
    std::size_t VariableCount() const { return domain.GetObjectMap(0)->size(); }
    static std::size_t ComponentCount(Mms::NamedVariable* variable) {
        return static_cast<Mms::Structure*>(variable->GetValue())->GetComponentCount();
    }

    Mms::Domain domain{nullptr, "LD0", nullptr};
    Mms::NamedVariable sentinel;
};

TEST_F(CreateMmsVariableTest, OneNameGivesOneVariable) {
    Mms::NamedVariable* node = Create(BasicTypeCode::Struct, &domain, "LLN0");
    EXPECT_EQ(Create(BasicTypeCode::INT8, &domain, "LLN0"), node);
    EXPECT_EQ(std::string(node->GetValue()->GetClassName()), "Structure");
    Mms::NamedVariable* group = Create(BasicTypeCode::Struct, node, "ST");
    EXPECT_EQ(Create(BasicTypeCode::Struct, node, "ST"), group);
    Mms::NamedVariable* stVal = Create(BasicTypeCode::Enum, group, "stVal");
    EXPECT_EQ(Create(BasicTypeCode::Enum, group, "stVal"), stVal);
    EXPECT_EQ(stVal->Name, "LLN0$ST$stVal");
    EXPECT_EQ(VariableCount(), 3u);
    EXPECT_EQ(ComponentCount(node), 1u);
    EXPECT_EQ(ComponentCount(group), 1u);
}

TEST_F(CreateMmsVariableTest, AVariableTheDomainHoldsWithoutValueIsReusedAndGivenOne) {
    // The flat name list of a device files variables before their types are known.
    ASSERT_EQ(domain.FileObjects(0, {"XCBR1", "XCBR1$ST"}), System::OkNoError);
    Mms::NamedVariable* listed = domain.FindNamedVariable("XCBR1");
    Mms::NamedVariable* listedGroup = domain.FindNamedVariable("XCBR1$ST");
    EXPECT_EQ(Create(BasicTypeCode::Struct, &domain, "XCBR1"), listed);
    EXPECT_EQ(Create(BasicTypeCode::Struct, listed, "ST"), listedGroup);
    ASSERT_NE(listedGroup->GetValue(), nullptr);
    EXPECT_EQ(listedGroup->GetValue()->GetParent(), listed->GetValue());
    EXPECT_EQ(VariableCount(), 2u);
}

TEST_F(CreateMmsVariableTest, TheDevicesOwnTypeWinsOverTheFactory) {
    // Position as devices send it: two bits, where the factory would make thirteen.
    Mms::NamedVariable* node =
        AddVariable(domain, "XCBR1",
                    StructureType(Components(
                        "ST", StructureType(Components(
                                  "Pos", StructureType(Components("stVal", SimpleType(Mms::MmsTypeBitString, 2))))))));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Create(BasicTypeCode::Struct, &domain, "XCBR1"), node);
    Mms::NamedVariable* group = Create(BasicTypeCode::Struct, node, "ST");
    Mms::NamedVariable* pos = Create(BasicTypeCode::Struct, group, "Pos");
    Mms::NamedVariable* stVal = Create(BasicTypeCode::Dbpos, pos, "stVal");
    ASSERT_NE(stVal, nullptr);
    auto* bits = dynamic_cast<Mms::BitString*>(stVal->GetValue());
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits->GetSize().count, 2u);
    // The device's components were taken, none added.
    EXPECT_EQ(ComponentCount(node), 1u);
    EXPECT_EQ(ComponentCount(pos), 1u);
    EXPECT_EQ(stVal->FromText("10"), System::OkNoError);
    EXPECT_NE(stVal->FromText("0000000000000"), System::OkNoError);
}

TEST_F(CreateMmsVariableTest, RefusalsMakeNothing) {
    ASSERT_EQ(domain.FileObjects(0, {"UNTYPED"}), System::OkNoError);
    Mms::NamedVariable* untyped = domain.FindNamedVariable("UNTYPED");
    Mms::NamedVariable* number = AddVariable(domain, "NUMBER", SimpleType(Mms::MmsTypeInteger, 32));
    Mms::NamedVariable* table =
        AddVariable(domain, "TABLE", ContainerTestSupport::ArrayType(2, SimpleType(Mms::MmsTypeInteger, 8)));
    Mms::NamedVariable* node = Create(BasicTypeCode::Struct, &domain, "NODE");
    Mms::NamedVariableList list(nullptr, "DS1", &domain);
    const std::size_t before = VariableCount();

    struct Row {
        BasicTypeCode code;
        Mms::MmsObject* parent;
        const char* component;
        System::ResultCode result;
    };
    const std::vector<Row> rows = {
        {BasicTypeCode::INT8, untyped, "a", System::InvalidState},  // a parent without a value
        {BasicTypeCode::INT8, number, "a", System::InvalidState},   // a value that holds no members
        {BasicTypeCode::INT8, table, "[2]", System::InvalidState},  // a device's array does not grow
        {BasicTypeCode::INT8, &list, "a", System::InvalidContext},
        {BasicTypeCode::INT8, node, "", System::InvalidArguments},
        {BasicTypeCode::ObjectName, node, "a", System::Error},
        {static_cast<BasicTypeCode>(32), &domain, "a", System::Error},
    };
    for (const Row& row : rows) Create(row.code, row.parent, row.component, row.result);
    EXPECT_EQ(VariableCount(), before);
    EXPECT_EQ(ComponentCount(node), 0u);
    EXPECT_EQ(untyped->GetValue(), nullptr);
}

TEST_F(CreateMmsVariableTest, AnArrayTheModelMadeTakesElements) {
    Mms::NamedVariable* array = Create(BasicTypeCode::Array, &domain, "H");
    Mms::NamedVariable* first = Create(BasicTypeCode::FLOAT32, array, "[0]");
    Mms::NamedVariable* second = Create(BasicTypeCode::FLOAT32, array, "[1]");
    EXPECT_EQ(first->Name, "H$[0]");
    EXPECT_EQ(second->Name, "H$[1]");
    auto* elements = dynamic_cast<ModelArray*>(array->GetValue());
    ASSERT_NE(elements, nullptr);
    EXPECT_EQ(elements->GetElementCount(), 2u);
    EXPECT_EQ(elements->GetElement(1), second->GetValue());
    EXPECT_EQ(Create(BasicTypeCode::FLOAT32, array, "[1]"), second);
    EXPECT_EQ(elements->GetElementCount(), 2u);
}

TEST_F(CreateMmsVariableTest, WithoutADomainTheCallerOwnsTheVariable) {
    std::unique_ptr<Mms::NamedVariable> set(Create(BasicTypeCode::Struct, nullptr, "DS"));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->GetOwner(), nullptr);
    std::unique_ptr<Mms::NamedVariable> member(Create(BasicTypeCode::INT8, set.get(), "a"));
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->Name, "DS$a");
    // No domain can tell that "DS$a" exists; its component is taken, so a second is refused.
    Create(BasicTypeCode::INT8, set.get(), "a", System::AlreadyExist);
    EXPECT_EQ(ComponentCount(set.get()), 1u);
    EXPECT_EQ(VariableCount(), 0u);
}

}  // namespace
}  // namespace Iec61850::Acsi
