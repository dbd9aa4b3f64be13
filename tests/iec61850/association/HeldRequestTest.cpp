// A request whose sender is held on its way down, across an abort and a new association:
// it ends with its association, and nothing of it reaches the device on either link.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/SendHold.h"
#include "iec61850/association/control/ControlClient.h"
#include "mms/machine/MmsConnection.h"
#include "mms/pdu/MmsPduServices.h"
#include "support/ToolCheck.h"
#include "support/Watchdog.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

enum class Held { Select, Operate, Conclude };

struct HeldCase {
    const char* name;
    Held request;
    // What of it a decoder would show, were any of it sent.
    const char* onTheWire;
};

bool AssociateWhenFree(DeviceSession& session) {
    EXPECT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
    // The device may still be carrying the end of the last one up its chain.
    return session.Associate() == System::OkNoError || session.Associate() == System::OkNoError;
}

System::ResultCode Post(ControlClient& client, Held request, std::uint32_t& id) {
    switch (request) {
        case Held::Select: return client.Select(id, "LD0/CSWI2.Pos", SelectBy::ReadingSbo);
        case Held::Operate:
            return client.Operate(id, "LD0/CSWI1.Pos", {{"ctlVal", "True"}, {"ctlNum", "7"}}, "False",
                                  "2026-12-07 09:30:00.000", "00", Activation::Immediate);
        case Held::Conclude: return client.Release();
    }
    return System::Error;
}

// A Select's SBO read, an Operate and a release's conclude, each held after its
// checks while the association is aborted and a new one made: it ends with 8, neither
// link carries any of it (the device never selects or operates), the new association
// stands, and its first request, given the held one's invoke id, gets its own answer.
TEST(HeldRequest, ARequestHeldAcrossAnAbortAndANewAssociationEndsWithItsAssociationAndNeverLeaves) {
    const HeldCase cases[] = {
        {"select", Held::Select, "CSWI2"},
        {"operate", Held::Operate, "CSWI1"},
        {"conclude", Held::Conclude, "conclude-RequestPDU"},
    };
    for (const HeldCase& held : cases) {
        SCOPED_TRACE(held.name);
        DeviceSession session;
        ControlClient& client = session.UseClient<ControlClient>();
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        ASSERT_EQ(session.device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "31.5"), System::OkNoError);
        const std::vector<std::string> positions = {session.device.GetValue("LD0/CSWI1$ST$Pos$stVal"),
                                                    session.device.GetValue("LD0/CSWI2$ST$Pos$stVal")};

        // A fresh association: the held request is its first, with invoke id 1.
        TPAppAssociation* association = client.GetAssociation();
        ASSERT_EQ(association->Abort(), System::OkNoError);
        ASSERT_TRUE(AssociateWhenFree(session));
        client.StartOver();
        SendHold hold;
        hold.Arm(*association->GetMmsConnection());
        std::uint32_t id = 0;
        ASSERT_EQ(Post(client, held.request, id), System::OkNoError);
        ASSERT_TRUE(hold.WaitUntilHeld());

        ASSERT_EQ(association->Abort(), System::OkNoError);
        const bool associated = AssociateWhenFree(session);
        hold.Release();
        ASSERT_TRUE(associated);
        if (held.request == Held::Select || held.request == Held::Operate) {
            EXPECT_EQ(hold.HeldId(), id);
            EXPECT_EQ(client.WaitForControl(id).result, System::Aborted);
        } else {
            ASSERT_TRUE(client.WaitForCount(1));
            const Confirmation ended = client.All().begin()->second;
            EXPECT_EQ(ended.callback, "Release");
            EXPECT_EQ(ended.result, System::Aborted);
        }

        // The new association's first request repeats the held one's invoke id.
        client.StartOver();
        const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& readId) {
            const System::ResultCode result =
                c.GetDataValues(readId, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device);
            EXPECT_EQ(readId, 1u);
            return result;
        });
        EXPECT_EQ(read.result, System::OkNoError);
        ASSERT_EQ(read.values.size(), 1u);
        EXPECT_EQ(read.values[0].value, "31.5");
        EXPECT_EQ(session.device.GetValue("LD0/CSWI1$ST$Pos$stVal"), positions[0]);
        EXPECT_EQ(session.device.GetValue("LD0/CSWI2$ST$Pos$stVal"), positions[1]);
        EXPECT_TRUE(association->IsAssociated());
        // Connections: the model's, the held request's, the new association's.
        ASSERT_EQ(session.relay->Connections(), 3u);
        EXPECT_FALSE(session.relay->Ended(2));
        // Taken before the test's own release, whose conclude would be on it.
        const std::vector<TestSupport::WireUnit> heldLink = session.relay->Units(1);
        const std::vector<TestSupport::WireUnit> newLink = session.relay->Units(2);

        ASSERT_EQ(client.Release(), System::OkNoError);
        ASSERT_TRUE(TestSupport::Eventually([&] { return !client.IsAssociated(); }));
        if (!TestSupport::WireCheckRuns()) continue;
        EXPECT_EQ(TestSupport::FindProblems(newLink), "");
        const std::string decoded = TestSupport::DecodeVerbose(newLink);
        EXPECT_NE(decoded.find("MMXU1$MX$TotW$mag$f"), std::string::npos);
        EXPECT_EQ(decoded.find(held.onTheWire), std::string::npos);
        EXPECT_EQ(TestSupport::DecodeVerbose(heldLink).find(held.onTheWire), std::string::npos);
    }
}

// A send of an ended association still held on its way down belongs to that association
// alone: the next association's release concludes beside it at once (a conclude that waited
// for it would wait the whole MMS time-out), and the held send, let go, ends with its own
// association and never leaves.
TEST(HeldRequest, ASendHeldFromAnEndedAssociationKeepsNoConcludeOfTheNextOneWaiting) {
    DeviceSession session;
    session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "20000");
    ASSERT_EQ(session.Associate(), System::OkNoError);
    TPAppAssociation* association = session.client->GetAssociation();
    SendHold hold;
    hold.Arm(*association->GetMmsConnection());
    System::ResultCode identified = System::NotCompleted;
    std::thread sender([&] { identified = association->Identify(session.server.get()); });
    ASSERT_TRUE(hold.WaitUntilHeld());
    ASSERT_EQ(association->Abort(AbortWait::None), System::OkNoError);
    ASSERT_TRUE(AssociateWhenFree(session));
    session.client->StartOver();
    {
        const TestSupport::Watchdog watchdog("the next association's release", std::chrono::seconds(5));
        ASSERT_EQ(session.client->Release(), System::OkNoError);
        ASSERT_TRUE(session.client->WaitForCount(1));
    }
    EXPECT_EQ(session.client->All().begin()->second.result, System::OkNoError);
    EXPECT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));
    hold.Release();
    sender.join();
    // Taken and filed by its association's ending (which confirms it with 8), or refused.
    EXPECT_TRUE(identified == System::OkNoError || identified == System::Aborted) << identified;
    association->GetMmsConnection()->SetSendHook(nullptr);
    for (const TestDevice::RequestRecord& record : session.device.Requests())
        EXPECT_NE(record.service, Mms::MmsServiceIdentify);
}

}  // namespace
}  // namespace AcsiClientTest
