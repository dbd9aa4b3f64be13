// The shape of the device's model as IEC 61850-8-1 maps a device to MMS, read by the
// library's own client over the whole stack.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "mms/values/Structure.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using DeviceTest::DeviceClient;

namespace {

std::vector<std::string> ComponentNames(Mms::Variable& variable) {
    std::vector<std::string> names;
    auto* structure = dynamic_cast<Mms::Structure*>(variable.GetValue());
    if (structure == nullptr) return names;
    for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
        names.push_back(structure->GetComponent(i)->GetName());
    }
    return names;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

TEST(DeviceModel, EveryListedNameAnswersItsTypeAndValue) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    // A small PDU size, so that the name lists come in pages.
    ASSERT_EQ(client.Associate(1024), System::OkNoError);

    const std::vector<std::string> domains = client.Names(Mms::MmsClassDomain);
    ASSERT_EQ(domains, (std::vector<std::string>{"LD0", "bay1"}));
    // Byte order and case-insensitive order differ for these two.
    EXPECT_GT(Lower(domains[0]), Lower(domains[1]));

    const std::vector<std::string> names = client.Names(Mms::MmsClassNamedVariable, "LD0");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    for (const char* expected : {"LLN0", "LLN0$CF", "LLN0$CF$Mod", "LLN0$CF$Mod$ctlModel", "XCBR1$ST$Pos$stVal",
                                 "CSWI1$CO$Pos$Oper$origin$orIdent", "CSWI2$CO$Pos$SBO", "CSWI4$CO$Pos$SBOw",
                                 "LLN0$BR$brcb01$TimeOfEntry", "LLN0$RP$urcb01$Resv", "LLN0$GO$gcb01$DstAddress$APPID",
                                 "LLN0$LG$lcb01$LogEna", "LLN0$SP$SGCB$ActSG", "GGIO1$ST$CntHst$hstVal"}) {
        EXPECT_TRUE(std::binary_search(names.begin(), names.end(), expected)) << expected;
    }
    // Array elements are no names of their own.
    EXPECT_FALSE(std::binary_search(names.begin(), names.end(), "GGIO1$ST$CntHst$hstVal$0"));
    const std::vector<TestDevice::RequestRecord> requests = device.Requests();
    const auto pages = std::count_if(requests.begin(), requests.end(),
                                     [](const auto& record) { return record.service == Mms::MmsServiceGetNameList; });
    EXPECT_GT(pages, 3);

    // Structures as large as LLN0 do not fit into such PDUs: a second association reads.
    EXPECT_EQ(client.Release(), System::OkNoError);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Mms::NamedVariable& variable = client.Variable("LD0", name);
        ASSERT_EQ(client.Fetch(variable), System::OkNoError);
        ASSERT_NE(variable.GetValue(), nullptr);
        // Every name takes a write of its own value (controls act on theirs: below).
        if (name.find("$CO$") == std::string::npos) {
            EXPECT_EQ(client.User().WriteVariableValueAndWait(&variable), System::OkNoError);
        }
    }

    // A logical node is one structure of its functional constraints in the standard order.
    EXPECT_EQ(ComponentNames(client.Variable("LD0", "CSWI4")),
              (std::vector<std::string>{"ST", "CO", "CF", "DC", "OR", "BL"}));
    // What current control objects add, under constraints of their own.
    EXPECT_EQ(ComponentNames(client.Variable("LD0", "CSWI4$OR$Pos")),
              (std::vector<std::string>{"opRcvd", "opOk", "tOpOk"}));
    EXPECT_EQ(ComponentNames(client.Variable("LD0", "XCBR1")), (std::vector<std::string>{"ST", "CF", "DC", "BL"}));
    EXPECT_EQ(ComponentNames(client.Variable("LD0", "LLN0")),
              (std::vector<std::string>{"ST", "SP", "CF", "DC", "BR", "RP", "LG", "GO"}));
    EXPECT_EQ(ComponentNames(client.Variable("LD0", "LLN0$BR$brcb01")),
              (std::vector<std::string>{"RptID", "RptEna", "DatSet", "ConfRev", "OptFlds", "BufTm", "SqNum", "TrgOps",
                                        "IntgPd", "GI", "PurgeBuf", "EntryID", "TimeOfEntry"}));
    EXPECT_EQ(ComponentNames(client.Variable("LD0", "LLN0$RP$urcb01")),
              (std::vector<std::string>{"RptID", "RptEna", "Resv", "DatSet", "ConfRev", "OptFlds", "BufTm", "SqNum",
                                        "TrgOps", "IntgPd", "GI"}));
    EXPECT_EQ(client.Read("LD0", "LLN0$BR$brcb01$DatSet"), "LD0/LLN0$ds1");
    EXPECT_EQ(client.Read("LD0", "CSWI3$CF$Pos$ctlModel"), "3");

    // Every name addresses the one value of its node.
    ASSERT_EQ(client.WriteStructure("LD0", "CSWI1$CO$Pos$Oper", {{"ctlVal", "True"}, {"ctlNum", "5"}}).result,
              System::OkNoError);
    Mms::NamedVariable& node = client.Variable("LD0", "CSWI1");
    ASSERT_EQ(client.Fetch(node), System::OkNoError);
    EXPECT_EQ(MmsObjectTest::Text(MmsObjectTest::Component(node, "CO$Pos$Oper$ctlNum")), "5");
    EXPECT_EQ(MmsObjectTest::Text(MmsObjectTest::Component(node, "ST$Pos$stVal")), "10");
    EXPECT_EQ(device.GetValue("LD0/CSWI1$ST$Pos$stVal"), "10");
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    for (std::size_t connection = 0; connection < client.relay.Connections(); ++connection) {
        EXPECT_EQ(TestSupport::FindProblems(client.relay.Units(connection)), "");
    }
}

TEST(DeviceModel, DataSetsAreNamedVariableListsOfTheDomain) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    EXPECT_EQ(client.Names(Mms::MmsClassNamedVariableList, "LD0"), (std::vector<std::string>{"LLN0$ds1", "LLN0$ds2"}));

    // The client knows the members' names before it asks for the list's.
    for (const char* member : {"XCBR1$ST$Pos", "CSWI1$ST$Pos", "GGIO1$ST$Ind1", "MMXU1$MX$TotW"}) {
        client.Variable("LD0", member);
    }
    auto* list = new Mms::NamedVariableList(&client.User(), "LLN0$ds1", &client.Domain("LD0"));
    client.Domain("LD0").AddObject(list);
    ASSERT_EQ(client.User().RequestNamedVariableListAttributes(list), System::OkNoError);
    ASSERT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
    std::vector<std::string> members;
    for (Mms::Variable* member : list->Members) {
        std::string name;
        member->GetName(name);
        members.push_back(name);
    }
    EXPECT_EQ(members, (std::vector<std::string>{"LD0/XCBR1$ST$Pos", "LD0/CSWI1$ST$Pos", "LD0/GGIO1$ST$Ind1",
                                                 "LD0/MMXU1$MX$TotW"}));
    for (Mms::Variable* member : list->Members) {
        ASSERT_EQ(client.User().RequestVariableAccessAttributes(member), System::OkNoError);
        ASSERT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
    }
    ASSERT_EQ(client.User().ReadNamedVariableListValues(list), System::OkNoError);
    ASSERT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(MmsObjectTest::Text(MmsObjectTest::Component(*list->Members.back(), "mag$f")), "1250.5");
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(client.relay.Units(0)), "");
}

TEST(DeviceModel, TheOtherOrderOfFunctionalConstraints) {
    TestDevice::Device::Options options;
    options.model.otherFcOrder = true;
    TestDevice::Device device(options);
    Mms::Domain* domain = nullptr;
    ASSERT_EQ(device.Vmd().FindDomain("LD0", domain), System::OkNoError);
    EXPECT_EQ(ComponentNames(*domain->FindNamedVariable("CSWI4")),
              (std::vector<std::string>{"BL", "OR", "DC", "CF", "CO", "ST"}));
}
