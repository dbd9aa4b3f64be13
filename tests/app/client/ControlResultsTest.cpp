#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/client/BridgeSession.h"
#include "iec61850/association/SentHold.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using namespace App;
using Iec61850::Activation;
using Iec61850::SelectBy;

const Iec61850::AttributeRecords kComponents = {
    {"ctlVal", "True"}, {"origin.orCat", "6"}, {"origin.orIdent", "5178"}, {"ctlNum", "1"}};
const std::string kTime = "2012-6-4 9:5:3.27";

std::vector<Message> WriteResults(BridgeSession& session, std::size_t count) {
    std::vector<Message> results;
    EXPECT_TRUE(TestSupport::Eventually([&] {
        results.clear();
        for (const Message& m : session.notifier.Messages()) {
            if (m.message == WM_QX_WRITE_RESULT) results.push_back(m);
        }
        return results.size() >= count;
    }));
    return results;
}

TEST(ControlResults, OperateRefusedSelectAndNegativeTerminationAreShown) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    std::uint32_t id = 0;

    session.notifier.Clear();
    ASSERT_EQ(session.client->Operate(id, "LD0/CSWI1.Pos", kComponents, "False", kTime, "00", Activation::Immediate),
              System::OkNoError);
    std::vector<Message> results = WriteResults(session, 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].wParam, 0) << results[0].text;

    // A select the device refuses is told, not only an operate.
    session.device.FindControl("LD0/CSWI2$CO$Pos")->Block(3);
    session.notifier.Clear();
    ASSERT_EQ(session.client->Select(id, "LD0/CSWI2.Pos", SelectBy::ReadingSbo), System::OkNoError);
    results = WriteResults(session, 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].wParam, -1);
    EXPECT_FALSE(results[0].text.empty());

    // The write succeeds, then the device ends the command with a negative termination: the
    // window hears the write's success first, then the termination. Also when the write's
    // answer is confirmed on the association's thread (it came while the Operate was still
    // being sent, held there) and the termination reached the receive thread before it.
    session.device.FindControl("LD0/CSWI3$CO$Pos")->FailTermination(5);
    Iec61850::Acsi::TPAppAssociation& association = *session.client->GetAssociation();
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        session.notifier.Clear();
        AcsiClientTest::SentHold sent;
        if (round > 0) sent.Arm(association);
        ASSERT_EQ(
            session.client->Operate(id, "LD0/CSWI3.Pos", kComponents, "False", kTime, "00", Activation::Immediate),
            System::OkNoError);
        if (round > 0) {
            ASSERT_TRUE(sent.WaitUntilHeld());
            EXPECT_TRUE(TestSupport::Eventually([&] {
                return association.GetTerminationHold().KeptCount() == 1 || !session.notifier.Numbers().empty();
            }));
            sent.Release();
        }
        results = WriteResults(session, 2);
        sent.Disarm();
        ASSERT_EQ(results.size(), 2u);
        EXPECT_EQ(results[0].wParam, 0);
        EXPECT_EQ(results[1].wParam, -1);
        EXPECT_EQ(results[0].text, "Value has been set");
        EXPECT_EQ(results[1].text,
                  "Command terminated: LastApplError Error 1 (Unknown), AddCause 5 (Position-reached)");
    }
    session.device.FindControl("LD0/CSWI3$CO$Pos")->FailTermination(0);

    // A refused operate (of an object never selected): one message, the device's
    // LastApplError in it.
    session.notifier.Clear();
    ASSERT_EQ(session.client->Operate(id, "LD0/CSWI4.Pos", kComponents, "False", kTime, "00", Activation::Immediate),
              System::OkNoError);
    results = WriteResults(session, 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].wParam, -1);
    EXPECT_NE(results[0].text.find("\n\r LastApplError Error 1 (Unknown), AddCause 18 (Object-not-selected)"),
              std::string::npos)
        << results[0].text;
}

}  // namespace
}  // namespace AppTest
