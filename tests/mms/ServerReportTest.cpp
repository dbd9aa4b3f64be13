// The server side sends information reports of its own: by the list name "RPT" (an
// IEC 61850 report) and by the names of variables (a command termination). Our client
// files them; Wireshark reads them.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mms/LoopbackModel.h"
#include "mms/MmsLoopback.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/pdu/CoderValue.h"
#include "mms/user/InformationReport.h"
#include "osi/AssociationWireRelay.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using namespace MmsObjectTest;

namespace {

void AppendSuccess(Mms::MmsAccessResultList& results, const char* hex) {
    auto* result = Mms::MmsAppendNew(results, Mms::MmsAccessResultType);
    ContainerTestSupport::Data data = ContainerTestSupport::DecodeHex(hex);
    Mms::MmsTakeOver(result->choice.success, *data);
    result->present = Mms::MmsAccessResultSuccess;
}

Mms::NamedVariable* ServerVariable(Mms::VMD& vmd, const char* domain, const char* item) {
    Mms::NamedVariable* variable = nullptr;
    vmd.FindNamedVariable(*Name(domain, item), variable);
    return variable;
}

}  // namespace

TEST(ServerReport, ListAndVariableReportsReachTheClientInOrder) {
    LoopbackModel::TestVmd serverVmd;
    MmsLoopback::Server server{serverVmd};
    AssociationTest::AssociationWireRelay relay{server.Port()};
    MmsLoopback::Client client;
    Mms::MmsUserConnection& sender = *server.end.user;

    // Before the association stands nothing can be sent.
    {
        Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
        EXPECT_EQ(sender.SendListReport("RPT", *results), System::NotConnected);
    }
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);

    {
        Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
        AppendSuccess(*results, "8A 05 72 70 74 2D 31");  // "rpt-1"
        AppendSuccess(*results, "86 01 2A");              // 42
        Mms::VMD::ModelHold hold(&serverVmd);
        EXPECT_EQ(sender.SendListReport("RPT", *results), System::OkNoError);
    }
    {
        Mms::VMD::ModelHold hold(&serverVmd);
        Mms::NamedVariable* stVal = ServerVariable(serverVmd, "LD0", "LLN0$ST$Mod$stVal");
        Mms::NamedVariable* serial = ServerVariable(serverVmd, "", "SerialNumber");
        ASSERT_NE(stVal, nullptr);
        ASSERT_NE(serial, nullptr);
        EXPECT_EQ(sender.SendVariablesReport({serial, stVal}), System::OkNoError);
        EXPECT_EQ(sender.SendVariablesReport({}), System::InvalidArguments);
        Mms::NamedVariable unnamed(nullptr);
        EXPECT_EQ(sender.SendVariablesReport({&unnamed}), System::InvalidArguments);
    }
    // A read answered after the reports were sent: they are filed by then.
    Mms::NamedVariable* probe = new Mms::NamedVariable(&client.User(), "SerialNumber", &client.vmd);
    client.vmd.AddObject(probe);
    ASSERT_EQ(client.User().ReadVariableValueAndWait(probe), System::OkNoError);

    ASSERT_EQ(client.vmd.PendingReportCount(), 2u);
    std::unique_ptr<Mms::InformationReport> list(client.vmd.PopInformationReport());
    std::unique_ptr<Mms::InformationReport> variables(client.vmd.PopInformationReport());
    EXPECT_EQ(list->GetKind(), Mms::InformationReport::ListReport);
    EXPECT_EQ(list->GetListName(), "RPT");
    ASSERT_EQ(list->Values.size(), 2u);
    EXPECT_EQ(Text(list->Values[0]), "rpt-1");
    EXPECT_EQ(Text(list->Values[1]), "42");
    EXPECT_EQ(variables->GetKind(), Mms::InformationReport::VariablesReport);
    EXPECT_EQ(variables->Names, (std::vector<std::string>{"SerialNumber", "LD0/LLN0$ST$Mod$stVal"}));
    ASSERT_EQ(variables->Values.size(), 2u);
    EXPECT_EQ(Text(variables->Values[0]), "SN-0001");
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* expected :
         {"informationReport (0)", "vmd-specific: RPT", "rpt-1", "SerialNumber", "LLN0$ST$Mod$stVal", "SN-0001"}) {
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
    }
}
