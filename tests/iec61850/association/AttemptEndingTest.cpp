// An abandon names the attempt it gives up: held after its check, or after its abort
// unit, while that attempt ends and a new association stands, it touches nothing of the
// new one. An abandon that lands at any step of the connect ends its attempt at once. And an
// association begun while an ending confirms keeps what is its own.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/EndingHold.h"
#include "iec61850/association/ThreadHold.h"
#include "osi/TcpConnection.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

// A first association makes the association object, and goes: the association stands idle,
// its release's confirmation set aside (the next association's invoke ids count from 1 again).
bool AssociatedAndReleased(DeviceSession& session) {
    if (session.Associate() != System::OkNoError || session.client->Release() != System::OkNoError) return false;
    if (!session.client->WaitForCount(1)) return false;
    if (!TestSupport::Eventually([&] { return session.client->GetAssociation()->IsIdle(); })) return false;
    session.client->StartOver();
    return true;
}

enum class HeldAt { AfterCheck, AfterAbortUnit };

TEST(AttemptEnding, AnAbandonHeldWhileItsAttemptEndsAndANewAssociationStandsLeavesTheNewOneAlone) {
    for (const HeldAt at : {HeldAt::AfterCheck, HeldAt::AfterAbortUnit}) {
        SCOPED_TRACE(at == HeldAt::AfterCheck ? "held after its check" : "held after its abort unit");
        DeviceSession session;
        // The attempt waits for an initiate answer that never comes, for a second.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "1000");
        ASSERT_TRUE(AssociatedAndReleased(session));
        TPAppAssociation& association = *session.client->GetAssociation();

        TestDevice::Faults silent;
        silent.dropInitiateAnswer = true;
        session.device.SetFaults(silent);
        EndingHold afterCheck;
        EndingHold afterAbort;
        if (at == HeldAt::AfterCheck) association.SetAbandonHook([&afterCheck] { afterCheck.Reach(); });
        else afterAbort.Arm(*association.GetMmsConnection(), Mms::MmsConnection::EndingPoint::AbortSent);

        const std::size_t connectionsBefore = session.relay->Connections();
        System::ResultCode attempt = System::OkNoError;
        std::thread attempting([&] { attempt = session.Associate(); });
        // The attempt's transport is open: its generation is named from then on.
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.relay->Connections() > connectionsBefore; }));
        std::thread abandoning([&] { EXPECT_TRUE(association.AbandonAssociate()); });
        ASSERT_TRUE(at == HeldAt::AfterCheck ? afterCheck.WaitUntilHeld() : afterAbort.WaitUntilHeld());
        attempting.join();
        EXPECT_EQ(attempt, System::Aborted);

        // A new association while the abandon is still held.
        session.device.SetFaults({});
        std::optional<System::ResultCode> second;
        std::thread associating([&] { second = session.Associate(); });
        // Held after its check the abandon holds nothing: the new association stands before
        // it goes on. Held after its abort unit it holds its claim, which the new one waits
        // for: either order of the two is fine.
        if (at == HeldAt::AfterCheck) {
            associating.join();
            afterCheck.Release();
        } else {
            afterAbort.Release();
            associating.join();
        }
        abandoning.join();
        ASSERT_EQ(second, System::OkNoError);

        // Nothing of the attempt is left that could end the new association later: the
        // attempt's link is closed at both ends (nothing more travels on it), the new
        // association stands on the link after it, and nothing waits for an answer that a
        // time-out could file. An abort unit a late abandon sent on the new link would have
        // reached the device before the reads below, which would then go unanswered.
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.relay->Ended(connectionsBefore); }));
        EXPECT_EQ(session.relay->Connections(), connectionsBefore + 2);
        EXPECT_EQ(association.GetPendingCount(), 0u);
        session.LoadModel();
        const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& id) {
            return c.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device);
        });
        EXPECT_EQ(read.result, System::OkNoError);
        EXPECT_TRUE(session.client->IsAssociated());
        // Told once at most, and only of the attempt (an abandon that ended it tells it as a
        // local abort).
        const auto aborts = session.client->Aborts();
        if (at == HeldAt::AfterCheck) {
            EXPECT_TRUE(aborts.empty());
        } else {
            EXPECT_EQ(aborts, (std::vector<std::pair<int, int>>{{1, 0}}));
        }
        // Gone while the holds its hooks reach still are.
        session.server.reset();
    }
}

// The step of a connect an abandon lands at: held as that step begins (the transport's
// connect, the CR that the wait for the CC follows, the connect unit carrying the initiate)
// until the abandon has named the attempt. The device accepts TCP and leaves the step's answer out.
enum class ConnectStep { TcpConnect, ConnectConfirm, Initiate };

TEST(AttemptEnding, AnAbandonThatLandsAtAnyStepOfTheConnectEndsTheAttemptWithinASecond) {
    for (const ConnectStep step : {ConnectStep::TcpConnect, ConnectStep::ConnectConfirm, ConnectStep::Initiate}) {
        SCOPED_TRACE(step == ConnectStep::TcpConnect       ? "at the transport's connect"
                     : step == ConnectStep::ConnectConfirm ? "at the wait for the transport's confirm"
                                                           : "at the initiate");
        DeviceSession session;
        // A fault waits for the transport's confirm (10 s) or the initiate's answer (30 s):
        // far beyond the second allowed.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "30000");
        ASSERT_TRUE(AssociatedAndReleased(session));
        TPAppAssociation& association = *session.client->GetAssociation();

        TestDevice::Faults silent;
        silent.dropConnectConfirm = step != ConnectStep::Initiate;
        silent.dropInitiateAnswer = step == ConnectStep::Initiate;
        session.device.SetFaults(silent);
        auto* tcp = dynamic_cast<TcpConnection*>(association.GetBottom());
        ASSERT_NE(tcp, nullptr);
        ThreadHold held;
        int sends = 0;
        tcp->SetStepHook([&](TcpConnection::Step at) {
            const bool reached = step == ConnectStep::TcpConnect       ? at == TcpConnection::Step::Connect
                                 : at != TcpConnection::Step::Send     ? false
                                 : step == ConnectStep::ConnectConfirm ? ++sends == 1
                                                                       : ++sends == 2;
            if (reached) held.Reach();
        });

        // The step goes on once the abandon has named the attempt (a send holds the
        // transport's send lock, which the abandon's abort unit takes after it).
        association.SetAbandonHook([&held] { held.Release(); });
        std::optional<System::ResultCode> attempt;
        std::thread attempting([&] { attempt = session.Associate(); });
        ASSERT_TRUE(held.WaitUntilHeld());
        const auto abandoned = std::chrono::steady_clock::now();
        EXPECT_TRUE(association.AbandonAssociate());
        attempting.join();
        EXPECT_LT(std::chrono::steady_clock::now() - abandoned, std::chrono::seconds(1));
        EXPECT_EQ(attempt, System::Aborted);
        tcp->SetStepHook(nullptr);
        association.SetAbandonHook(nullptr);
        // And the next attempt opens its transport again.
        session.device.SetFaults({});
        EXPECT_EQ(session.Associate(), System::OkNoError);
    }
}

// A local abort is held once it has let go of its claim, before it confirms what it ended.
// An Associate made meanwhile stands at once, and that ending confirms and clears only the
// ended association's: the new one keeps its server link and its queued requests, and a
// request it sends is answered.
TEST(AttemptEnding, AnAssociationBegunWhileAnEndingConfirmsWaitsForItAndKeepsItsServerAndRequests) {
    DeviceSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    TPAppAssociation& association = *session.client->GetAssociation();
    EndingHold hold;
    hold.Arm(*association.GetMmsConnection(), Mms::MmsConnection::EndingPoint::Confirming);
    std::thread aborting([&] { EXPECT_EQ(association.Abort(AbortWait::None), System::OkNoError); });
    ASSERT_TRUE(hold.WaitUntilHeld());
    ASSERT_FALSE(association.IsAssociated());

    // Stands while the old ending is held: it waits for nothing of it.
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.client->StartOver();
    std::uint32_t id = 0;
    ASSERT_EQ(session.client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::OkNoError);
    hold.Release();
    aborting.join();
    EXPECT_EQ(session.client->Aborts().size(), 1u);
    EXPECT_TRUE(association.IsAssociated());
    EXPECT_EQ(session.server->GetConnection(), &association);
    const Confirmation directory = session.client->WaitFor(id);
    EXPECT_EQ(directory.result, System::OkNoError);
    EXPECT_FALSE(directory.names.empty());
}

}  // namespace
}  // namespace AcsiClientTest
