// An abandon names the attempt it gives up: held after its check, or after its abort
// unit, while that attempt ends and a new association stands, it touches nothing of the
// new one. An abandon that lands at any step of the connect ends its attempt at once. And an
// association begun while an ending confirms keeps what is its own.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>

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

// Every value of the profile, by name: what the caller gave.
std::map<std::string, std::string> ProfileValues(const AssociationProfile& profile) {
    std::map<std::string, std::string> values;
    const auto held = profile.HoldParameters();
    for (const auto& [name, parameter] : profile.GetParameters(held)) values.emplace(name, parameter->value);
    return values;
}

// A profile whose every layer's value differs from that layer's default, so that a reset
// that touched one would show.
void GiveEveryLayerItsOwnValues(AssociationProfile& profile) {
    const std::pair<const char*, const char*> values[] = {
        {"LocalTSelector", "0002"},  {"RemoteTSelector", "0003"},   {"LocalSSelector", "4"},
        {"RemoteSSelector", "5"},    {"LocalPSelector", "6"},       {"RemotePSelector", "7"},
        {"LocalApId", "1.1.1.998"},  {"RemoteApId", "1.1.1.998.1"}, {"LocalAeQualifier", "21"},
        {"RemoteAeQualifier", "22"},
    };
    for (const auto& [name, value] : values) profile.SetParameter(name, value);
}

// The step of a connect an abandon lands at: held as that step begins (the transport's
// connect, the CR that the wait for the CC follows, the connect unit carrying the initiate)
// until the abandon has named the attempt; the device accepts TCP and leaves the step's
// answer out. Or held once the device's answer to the initiate is in, before the attempt
// ends: the abandon's last chance.
enum class ConnectStep { TcpConnect, ConnectConfirm, Initiate, AnswerIn };

TEST(AttemptEnding, AnAbandonThatLandsAtAnyStepOfTheConnectEndsTheAttemptWithinASecond) {
    for (const ConnectStep step :
         {ConnectStep::TcpConnect, ConnectStep::ConnectConfirm, ConnectStep::Initiate, ConnectStep::AnswerIn}) {
        SCOPED_TRACE(step == ConnectStep::TcpConnect       ? "at the transport's connect"
                     : step == ConnectStep::ConnectConfirm ? "at the wait for the transport's confirm"
                     : step == ConnectStep::Initiate       ? "at the initiate"
                                                           : "with the initiate's answer in");
        DeviceSession session;
        // A fault waits for the transport's confirm (10 s) or the initiate's answer (30 s):
        // far beyond the second allowed.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "30000");
        GiveEveryLayerItsOwnValues(session.Profile());
        const std::map<std::string, std::string> given = ProfileValues(session.Profile());
        ASSERT_TRUE(AssociatedAndReleased(session));
        TPAppAssociation& association = *session.client->GetAssociation();

        TestDevice::Faults silent;
        silent.dropConnectConfirm = step == ConnectStep::TcpConnect || step == ConnectStep::ConnectConfirm;
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
                                 : step == ConnectStep::Initiate       ? ++sends == 2
                                                                       : false;
            if (reached) held.Reach();
        });
        if (step == ConnectStep::AnswerIn) association.SetAttemptHook([&held] { held.Reach(); });

        // The step goes on once the abandon has named the attempt (a send holds the
        // transport's send lock, which the abandon's abort unit takes after it).
        association.SetAbandonHook([&held] { held.Release(); });
        const int associatedBefore = session.client->Associated();
        const std::size_t failedBefore = session.client->FailedReasons().size();
        std::optional<System::ResultCode> attempt;
        std::thread attempting([&] { attempt = session.Associate(); });
        ASSERT_TRUE(held.WaitUntilHeld());
        const auto abandoned = std::chrono::steady_clock::now();
        EXPECT_TRUE(association.AbandonAssociate());
        attempting.join();
        EXPECT_LT(std::chrono::steady_clock::now() - abandoned, std::chrono::seconds(1));
        // Whatever the step, the attempt never stands and is told as failed, once.
        EXPECT_EQ(attempt, System::Aborted);
        EXPECT_EQ(session.client->Associated(), associatedBefore);
        EXPECT_EQ(session.client->FailedReasons().size(), failedBefore + 1);
        EXPECT_FALSE(association.IsAssociated());
        EXPECT_EQ(session.server->GetConnection(), nullptr);
        // An abandon once the attempt is over finds none.
        EXPECT_FALSE(association.AbandonAssociate());
        tcp->SetStepHook(nullptr);
        association.SetAbandonHook(nullptr);
        association.SetAttemptHook(nullptr);
        // What the caller gave is as it gave it, and the next attempt opens its transport
        // again, to the device's port.
        EXPECT_EQ(ProfileValues(session.Profile()), given);
        session.device.SetFaults({});
        EXPECT_EQ(session.Associate(), System::OkNoError);
        EXPECT_EQ(ProfileValues(session.Profile()), given);
    }
}

// The transport's end as the receive thread reports it (Closed, up from the RFC 1006
// layer), delivered once an Associate has pushed its profile down, as its connect begins:
// every layer keeps the values it was given (the attempt may fail: its transport was
// reported gone), the profile keeps every value, and the next attempt reaches the device.
TEST(AttemptEnding, TheTransportsEndReportedWhileAnAssociatePushesItsProfileChangesNothingTheCallerGave) {
    DeviceSession session;
    GiveEveryLayerItsOwnValues(session.Profile());
    const std::map<std::string, std::string> given = ProfileValues(session.Profile());
    ASSERT_TRUE(AssociatedAndReleased(session));
    TPAppAssociation& association = *session.client->GetAssociation();
    auto* tcp = dynamic_cast<TcpConnection*>(association.GetBottom());
    ASSERT_NE(tcp, nullptr);
    // Each value as the layer that takes it tells it, right after the report.
    std::map<std::string, std::string> layersTell;
    tcp->SetStepHook([&](TcpConnection::Step at) {
        if (at != TcpConnection::Step::Connect || !layersTell.empty()) return;
        tcp->GetUpper()->OnLowerBytes(nullptr, 0, TcpConnection::Closed);
        for (const auto& [name, value] : given) {
            for (Protocol::Connection* layer = &association; layer != nullptr; layer = layer->GetLower()) {
                if (std::string told; layer->GetParameter(name, told) == System::OkNoError) {
                    layersTell.emplace(name, told);
                    break;
                }
            }
        }
    });
    session.Associate();
    tcp->SetStepHook(nullptr);
    ASSERT_FALSE(layersTell.empty());
    for (const char* name : {"RemoteNPort", "LocalTSelector", "RemoteTSelector", "LocalPSelector", "RemotePSelector",
                             "LocalApId", "RemoteApId", "LocalAeQualifier", "RemoteAeQualifier"}) {
        EXPECT_EQ(layersTell[name], given.at(name)) << name;
    }
    EXPECT_EQ(ProfileValues(session.Profile()), given);
    EXPECT_EQ(session.Associate(), System::OkNoError);
    EXPECT_EQ(ProfileValues(session.Profile()), given);
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
