// The shared container rules: states, attributes, equality, binding to variables and
// the ownership that comes with it, replacement in place, and the XML forms.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mms/ContainerTestSupport.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Boolean.h"
#include "mms/values/ContainerDataXml.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/Integer.h"
#include "mms/values/Structure.h"
#include "mms/values/Unsigned.h"
#include "mms/values/VisibleString.h"

namespace {

using namespace ContainerTestSupport;

Type StatusType() {
    std::vector<std::pair<std::string, Type>> components;
    components.emplace_back("stVal", SimpleType(Mms::MmsTypeInteger, 8));
    components.emplace_back("q", SimpleType(Mms::MmsTypeBitString, 13));
    return StructureType(std::move(components));
}

TEST(Container, StatesAndAttributes) {
    Mms::Integer integer(*SimpleType(Mms::MmsTypeInteger, 300));
    EXPECT_EQ(integer.GetState(), Mms::StateInvalidType);
    integer.SetState(Mms::StateValid);
    EXPECT_EQ(integer.GetState(), Mms::StateInvalidType);
    std::string text = "old";
    EXPECT_EQ(integer.ToText(text), System::InvalidState);
    EXPECT_EQ(text, "");
    EXPECT_EQ(integer.SetAttribute("SyncState", "7"), System::OutOfRange);
    EXPECT_EQ(integer.SetAttribute("SyncState", "x"), System::InvalidArguments);
    EXPECT_EQ(integer.SetAttribute("SyncState", "0"), System::OkNoError);
    EXPECT_EQ(integer.GetState(), Mms::StateValid);

    Mms::Boolean flag;
    EXPECT_EQ(flag.GetState(), Mms::StateNoValue);
    EXPECT_EQ(flag.SetAttribute("NoSuchAttribute", "1"), System::OkNoError);
    EXPECT_EQ(flag.SetAttribute("ReferenceType", "x"), System::OkNoError);
    EXPECT_EQ(flag.SetAttribute("ErrStatus", "5"), System::OkNoError);
    EXPECT_EQ(flag.ErrStatus, 5);
    EXPECT_EQ(flag.SetAttribute("Name", "on"), System::OkNoError);
    EXPECT_EQ(flag.GetName(), "on");

    EXPECT_EQ(flag.SetAccessError(10), 266);
    EXPECT_EQ(flag.GetState(), Mms::StateAccessError);
    EXPECT_FALSE(flag.IsValid());
    bool bit = false;
    EXPECT_EQ(flag.GetBit(0, bit), System::NotImplemented);
}

TEST(Container, EqualityComparesTheTexts) {
    Mms::Integer integer(*SimpleType(Mms::MmsTypeInteger, 32));
    Mms::Unsigned number(*SimpleType(Mms::MmsTypeUnsigned, 32));
    ASSERT_EQ(integer.FromText("5"), System::OkNoError);
    ASSERT_EQ(number.FromText("5"), System::OkNoError);
    EXPECT_TRUE(integer.Equals(number));
    ASSERT_EQ(number.FromText("6"), System::OkNoError);
    EXPECT_FALSE(integer.Equals(number));

    Mms::Integer broken(*SimpleType(Mms::MmsTypeInteger, 0));
    Mms::Integer alsoBroken(*SimpleType(Mms::MmsTypeInteger, 0));
    EXPECT_FALSE(broken.Equals(alsoBroken));
    EXPECT_FALSE(broken.Equals(broken));
}

TEST(Container, WriteXmlEscapesNamesAndValues) {
    Mms::Boolean flag(*SimpleType(Mms::MmsTypeBoolean));
    ASSERT_EQ(flag.FromText("True"), System::OkNoError);
    std::string xml = "before";
    EXPECT_EQ(flag.WriteXml(xml), System::OkNoError);
    EXPECT_EQ(xml, "before<c type=\"Boolean\" value=\"True\" />");

    auto variable = std::make_unique<Mms::NamedVariable>(nullptr, "L&D\"x", nullptr);
    auto* text = new Mms::VisibleString(*SimpleType(Mms::MmsTypeVisibleString, -32));
    ASSERT_EQ(text->Bind(variable.get(), nullptr), System::OkNoError);
    ASSERT_EQ(text->FromText("<a>&'\x01\xFF"), System::OkNoError);
    xml.clear();
    text->WriteXml(xml);
    EXPECT_EQ(xml, "<c name=\"L&amp;D&quot;x\" type=\"VisibleString\" value=\"&lt;a&gt;&amp;&apos;??\" />");
    // The text itself stays raw.
    EXPECT_EQ(TextOf(*text), "<a>&'\x01\xFF");
}

TEST(Container, NestedXmlShowsNamesOfBoundComponents) {
    Mms::Structure status(*StatusType());
    ASSERT_EQ(status.FindComponent("stVal")->FromText("-3"), System::OkNoError);
    ASSERT_EQ(status.FindComponent("q")->FromText("0000000000000"), System::OkNoError);
    std::string unbound;
    status.ToText(unbound);
    EXPECT_EQ(unbound,
              "<c type=\"Integer\" value=\"-3\" />\n"
              "<c type=\"BitString\" value=\"0000000000000\" />\n");

    Mms::NamedVariable mod(nullptr, "LLN0$ST$Mod", nullptr);
    Mms::NamedVariable stVal(nullptr, "LLN0$ST$Mod$stVal", nullptr);
    const Mms::ObjectMap variables{{"LLN0$ST$Mod", &mod}, {"LLN0$ST$Mod$stVal", &stVal}};
    auto* owned = new Mms::Structure(*StatusType());
    ASSERT_EQ(owned->Bind(&mod, &variables), System::OkNoError);
    std::string xml;
    owned->WriteXml(xml);
    EXPECT_EQ(xml,
              "<c name=\"LLN0$ST$Mod\" type=\"Structure\">\n"
              "<c name=\"stVal\" type=\"Integer\" value=\"0\" />\n"
              "<c type=\"BitString\" value=\"\" />\n"
              "</c>\n");
}

TEST(Container, StructureBindsComponentsToTheirNamedVariables) {
    Mms::NamedVariable mod(nullptr, "LLN0$ST$Mod", nullptr);
    Mms::NamedVariable stVal(nullptr, "LLN0$ST$Mod$stVal", nullptr);
    const Mms::ObjectMap variables{{"LLN0$ST$Mod", &mod}, {"LLN0$ST$Mod$stVal", &stVal}};
    auto* status = new Mms::Structure(*StatusType());
    ASSERT_EQ(status->Bind(&mod, &variables), System::OkNoError);
    EXPECT_EQ(mod.GetValue(), status);
    EXPECT_TRUE(mod.OwnsValue());
    Mms::Container* value = status->FindComponent("stVal");
    EXPECT_EQ(stVal.GetValue(), value);
    EXPECT_FALSE(stVal.OwnsValue());
    EXPECT_EQ(value->GetBoundVariable(), &stVal);
    EXPECT_EQ(status->FindComponent("q")->GetBoundVariable(), nullptr);
    EXPECT_EQ(status->Bind(&mod, &variables), System::Error);

    // Only named variables bind components: a plain variable's structure binds no component,
    // and a "$" entry that is no named variable stays apart.
    Mms::NamedVariable named(nullptr, "stVal", nullptr);
    Mms::Variable plain;
    Mms::Variable plainQ;
    const Mms::ObjectMap others{{"$stVal", &named}, {"LLN0$ST$Mod$q", &plainQ}};
    auto* unnamed = new Mms::Structure(*StatusType());
    ASSERT_EQ(unnamed->Bind(&plain, &others), System::OkNoError);
    EXPECT_EQ(named.GetValue(), nullptr);
    Mms::NamedVariable again(nullptr, "LLN0$ST$Mod", nullptr);
    auto* second = new Mms::Structure(*StatusType());
    ASSERT_EQ(second->Bind(&again, &others), System::OkNoError);
    EXPECT_EQ(plainQ.GetValue(), nullptr);
    EXPECT_EQ(second->FindComponent("q")->GetBoundVariable(), nullptr);

    // Values reach the component through either variable.
    ASSERT_EQ(stVal.FromText("4"), System::OkNoError);
    std::string text;
    ASSERT_EQ(mod.ToText(text), System::OkNoError);
    EXPECT_NE(text.find("value=\"4\""), std::string::npos);
}

TEST(Container, DestroyingLinksLeavesNothingDangling) {
    Mms::NamedVariable stVal(nullptr, "LLN0$ST$Mod$stVal", nullptr);
    {
        Mms::NamedVariable mod(nullptr, "LLN0$ST$Mod", nullptr);
        const Mms::ObjectMap variables{{"LLN0$ST$Mod$stVal", &stVal}};
        ASSERT_EQ((new Mms::Structure(*StatusType()))->Bind(&mod, &variables), System::OkNoError);
        ASSERT_NE(stVal.GetValue(), nullptr);
    }
    // The structure died with the variable that owned it, and its component with it.
    EXPECT_EQ(stVal.GetValue(), nullptr);
    EXPECT_EQ(stVal.FromText("1"), System::NotInitialized);

    // A component deleted on its own leaves its structure.
    Mms::Structure status(*StatusType());
    delete status.FindComponent("stVal");
    EXPECT_EQ(status.GetComponentCount(), 1u);
    EXPECT_EQ(status.FindComponent("stVal"), nullptr);

    // A variable that dies before its borrowed component unlinks it.
    {
        Mms::NamedVariable q(nullptr, "q", nullptr);
        ASSERT_EQ(status.FindComponent("q")->Bind(&q, nullptr), System::OkNoError);
    }
    EXPECT_EQ(status.FindComponent("q")->GetBoundVariable(), nullptr);

    // Binding a variable to another top-level container deletes the one it owned.
    Mms::Variable variable;
    ASSERT_EQ((new Mms::Boolean)->Bind(&variable, nullptr), System::OkNoError);
    auto* second = new Mms::Boolean;
    ASSERT_EQ(second->Bind(&variable, nullptr), System::OkNoError);
    EXPECT_EQ(variable.GetValue(), second);
}

TEST(Container, NewTypeReplacesAComponentInPlace) {
    Mms::NamedVariable stVal(nullptr, "LLN0$ST$Mod$stVal", nullptr);
    Mms::Structure status(*StatusType());
    ASSERT_EQ(status.FindComponent("stVal")->Bind(&stVal, nullptr), System::OkNoError);

    Mms::Container* holder = stVal.GetValue();
    ASSERT_EQ(Mms::NewContainerFromType(*SimpleType(Mms::MmsTypeVisibleString, -8), holder), System::OkNoError);
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(status.GetComponent(0), holder);
    EXPECT_EQ(status.FindComponent("stVal"), holder);
    EXPECT_EQ(holder->GetName(), "stVal");
    EXPECT_EQ(holder->GetParentStructure(), &status);
    EXPECT_EQ(stVal.GetValue(), nullptr);  // the old one is gone; the caller binds the new one
    EXPECT_EQ(holder->Bind(&stVal, nullptr), System::OkNoError);
    EXPECT_FALSE(stVal.OwnsValue());

    // A top-level holder's old container is deleted.
    Mms::Container* top = new Mms::Boolean;
    EXPECT_EQ(Mms::NewContainerFromType(*SimpleType(Mms::MmsTypeInteger, 8), top), System::OkNoError);
    EXPECT_EQ(top->GetClassId(), Mms::IntegerClassId);
    // An unknown choice leaves the holder alone.
    Type unknown = NewType();
    unknown->present = static_cast<Mms::MmsTypeDescriptionChoice>(16);
    EXPECT_EQ(Mms::NewContainerFromType(*unknown, top), System::InvalidArguments);
    EXPECT_EQ(top->GetClassId(), Mms::IntegerClassId);
    delete top;
}

TEST(ContainerFactory, RefusesChoicesWithoutAContainer) {
    for (Mms::MmsDataChoice choice :
         {Mms::MmsDataNone, Mms::MmsDataBooleanArray, static_cast<Mms::MmsDataChoice>(17)}) {
        Data data = NewData();
        data->present = choice;
        std::unique_ptr<Mms::Container> container = std::make_unique<Mms::Boolean>();
        EXPECT_EQ(Mms::NewContainerFromData(*data, container), System::InvalidArguments);
        EXPECT_EQ(container, nullptr);
    }
}

TEST(WriteDataXml, RendersValuesWithoutAContainer) {
    // { TRUE, "a<b", 01 AB, 2.0f, '101'B, [ 5, -1 ] }
    Data data = DecodeHex(
        "A2 23 83 01 FF 8A 03 61 3C 62 89 02 01 AB 87 05 08 40 00 00 00 84 02 05 A0"
        " A1 06 85 01 05 85 01 FF 86 02 00 FF");
    ASSERT_NE(data.get(), nullptr);
    std::string xml;
    EXPECT_EQ(Mms::WriteDataXml(xml, *data), System::OkNoError);
    EXPECT_EQ(xml,
              "<c type=\"Structure\">\n"
              "<c type=\"Boolean\" value=\"True\" />\n"
              "<c type=\"VisibleString\" value=\"a&lt;b\" />\n"
              "<c type=\"OctetString\" value=\"01 AB\" />\n"
              "<c type=\"FloatingPoint\" value=\"2\" />\n"
              "<c type=\"BitString\" value=\"101\" />\n"
              "<c type=\"Array\">\n"
              "<c type=\"Integer\" value=\"5\" />\n"
              "<c type=\"Integer\" value=\"-1\" />\n"
              "</c>\n"
              "<c type=\"Unsigned\" value=\"255\" />\n"
              "</c>");

    xml.clear();
    EXPECT_EQ(Mms::WriteDataXml(xml, *DecodeHex("91 08 00 00 00 00 00 00 00 0A")), System::OkNoError);
    EXPECT_EQ(xml, "<c type=\"UtcTime\" value=\"1970-01-01 00:00:00.000 [Time Accuracy = 10 bits]\" />");
    xml.clear();
    EXPECT_EQ(Mms::WriteDataXml(xml, *DecodeHex("8F 03 28 C2 7B")), System::OkNoError);
    EXPECT_EQ(xml, "<c type=\"ObjectId\" value=\"1.0.8571\" />");

    Data refused = NewData();
    refused->present = Mms::MmsDataBooleanArray;
    xml.clear();
    EXPECT_EQ(Mms::WriteDataXml(xml, *refused), System::InvalidArguments);
    EXPECT_EQ(xml, "");
}

}  // namespace
