// A request whose sender is held on its way down, across an abort and a new association:
// it ends with its association, and nothing of it reaches the device on the new one.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/SendHold.h"
#include "iec61850/association/control/ControlClient.h"
#include "mms/machine/MmsConnection.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

enum class HeldControl { Select, Operate };

struct HeldCase {
    const char* name;
    HeldControl control;
    std::string object;
};

bool AssociateWhenFree(DeviceSession& session) {
    EXPECT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
    // The device may still be carrying the end of the last one up its chain.
    return session.Associate() == System::OkNoError || session.Associate() == System::OkNoError;
}

// A Select's SBO read and an Operate, each held after its checks while the association is
// aborted and a new one made: it ends with 8, the new association's wire carries none of it
// (the device never selects or operates), and a new request given the same invoke id gets
// its own answer.
TEST(HeldRequest, ARequestHeldAcrossAnAbortAndANewAssociationEndsWithItsAssociationAndNeverLeaves) {
    const HeldCase cases[] = {
        {"select", HeldControl::Select, "LD0/CSWI2.Pos"},
        {"operate", HeldControl::Operate, "LD0/CSWI1.Pos"},
    };
    for (const HeldCase& held : cases) {
        SCOPED_TRACE(held.name);
        DeviceSession session;
        ControlClient& client = session.UseClient<ControlClient>();
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        ASSERT_EQ(session.device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "31.5"), System::OkNoError);
        const std::string position = "LD0/" + held.object.substr(4, 5) + "$ST$Pos$stVal";
        const std::string positionBefore = session.device.GetValue(position);

        // A fresh association: the held request is its first, with invoke id 1.
        TPAppAssociation* association = client.GetAssociation();
        ASSERT_EQ(association->Abort(), System::OkNoError);
        ASSERT_TRUE(AssociateWhenFree(session));
        SendHold hold;
        hold.Arm(*association->GetMmsConnection());
        std::uint32_t controlId = 0;
        const System::ResultCode posted =
            held.control == HeldControl::Select
                ? client.Select(controlId, held.object, SelectBy::ReadingSbo)
                : client.Operate(controlId, held.object, {{"ctlVal", "True"}, {"ctlNum", "7"}}, "False",
                                 "2026-12-07 09:30:00.000", "00", Activation::Immediate);
        ASSERT_EQ(posted, System::OkNoError);
        ASSERT_TRUE(hold.WaitUntilHeld());
        EXPECT_EQ(hold.HeldId(), controlId);

        ASSERT_EQ(association->Abort(), System::OkNoError);
        const bool associated = AssociateWhenFree(session);
        hold.Release();
        ASSERT_TRUE(associated);
        const ControlConfirmation ended = client.WaitForControl(controlId);
        EXPECT_EQ(ended.result, System::Aborted);

        // The new association's first request repeats the held one's invoke id.
        client.StartOver();
        const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& id) {
            const System::ResultCode result = c.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device);
            EXPECT_EQ(id, 1u);
            return result;
        });
        EXPECT_EQ(read.result, System::OkNoError);
        ASSERT_EQ(read.values.size(), 1u);
        EXPECT_EQ(read.values[0].value, "31.5");
        EXPECT_EQ(session.device.GetValue(position), positionBefore);

        ASSERT_EQ(client.Release(), System::OkNoError);
        ASSERT_TRUE(TestSupport::Eventually([&] { return !client.IsAssociated(); }));
        if (!TestSupport::WireCheckRuns()) continue;
        // Connections: the model's, the held request's, the new association's.
        ASSERT_EQ(session.relay->Connections(), 3u);
        const auto units = session.relay->Units(2);
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        const std::string decoded = TestSupport::DecodeVerbose(units);
        EXPECT_NE(decoded.find("MMXU1$MX$TotW$mag$f"), std::string::npos);
        EXPECT_EQ(decoded.find("CSWI"), std::string::npos);
    }
}

}  // namespace
}  // namespace AcsiClientTest
