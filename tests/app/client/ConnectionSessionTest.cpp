#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/client/ConnectionSession.h"
#include "app/client/QXClient.h"
#include "app/client/RecordingNotifier.h"
#include "app/client/SessionRig.h"
#include "device/Device.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "iec61850/association/ThreadHold.h"
#include "mms/pdu/MmsPduServices.h"
#include "osi/AssociationWireRelay.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using App::ConnectionSession;
using Phase = ConnectionSession::Phase;

TEST(ConnectionSession, ConnectLoadDisconnectAndConnectAgainWithAndWithoutReload) {
    SessionRig rig;
    EXPECT_EQ(rig.session->GetPhase(), Phase::Idle);
    // The window holds the worker inside the association's answer: the connect is then
    // certainly under way.
    std::mutex gateMutex;
    std::condition_variable gateChanged;
    bool open = false;
    rig.window.SetHook([&](const Message& m) {
        if (m.message != App::WM_QX_ASSOCIATE_RESULT) return;
        std::unique_lock lock(gateMutex);
        gateChanged.wait(lock, [&] { return open; });
    });
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return rig.session->GetPhase() == Phase::Loading; }));
    EXPECT_EQ(rig.Connect(), System::InvalidState);
    {
        std::lock_guard lock(gateMutex);
        open = true;
    }
    gateChanged.notify_all();
    rig.window.SetHook(nullptr);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
    EXPECT_EQ(rig.listener.Kinds(), (std::vector<Told>{Told::Connected, Told::Loaded, Told::WorkEnded}));
    EXPECT_EQ(rig.listener.Events()[1].value, Iec61850::Acsi::ModelReader::ResultRead);
    EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
    std::vector<std::string> devices;
    rig.session->GetClient()->GetLogicalDeviceNames(devices);
    EXPECT_EQ(devices, (std::vector<std::string>{"LD0", "bay1"}));
    const std::int32_t first = rig.session->GetServerId();

    rig.session->Disconnect();
    ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
    EXPECT_EQ(rig.session->GetPhase(), Phase::Idle);
    EXPECT_EQ(rig.Seen(App::WM_QX_RELEASE_RESULT), 1);

    // Again without reload: the same server and its model; with reload: a new one in its place.
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 2));
    EXPECT_EQ(rig.session->GetServerId(), first);
    rig.session->Disconnect();
    ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected, 2));
    ASSERT_EQ(rig.Connect(true), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 3));
    EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
    EXPECT_NE(rig.session->GetServerId(), first);
    std::vector<std::uint32_t> ids;
    rig.servers.ListServerIds(ids);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{static_cast<std::uint32_t>(rig.session->GetServerId())}));
    const std::vector<Told> kinds = rig.listener.Kinds();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Told::Loaded), 3);
}

// Without reload, a model kept for the address serves only the device it was read from:
// another device there (other Identify answer or logical devices) is read afresh on a new
// server, the read saying so, and the window hears of one association only. The model so
// read is kept for the next connection to that device, whatever the order of the device's
// answers. An association lost while the device is asked is a failed connect that leaves
// the kept model as it was.
TEST(ConnectionSession, AKeptModelServesOnlyTheDeviceItWasReadFrom) {
    // Kept, or renewed: read afresh for what is known, as the read's start tells the window:
    // another device (it said another identity, or has other logical devices); a device that
    // did not give its identity; a kept model whose device never gave its own.
    enum class Outcome { Kept, Renewed, Unidentified, OriginUnknown, Lost };
    const auto renews = [](Outcome o) { return o != Outcome::Kept && o != Outcome::Lost; };
    const auto startTold = [](Outcome o) -> std::uintptr_t {
        switch (o) {
            case Outcome::Kept: return App::ModelReadKept;
            case Outcome::Renewed: return App::ModelReadRenewed;
            case Outcome::Unidentified: return App::ModelReadRenewedUnidentified;
            case Outcome::OriginUnknown: return App::ModelReadRenewedOriginUnknown;
            default: return 0;
        }
    };
    struct Case {
        const char* what;
        std::function<void(TestDevice::ModelOptions&)> change;
        TestDevice::Faults firstFaults;
        TestDevice::Faults otherFaults;
        Outcome outcome;
        std::vector<std::string> devices;
    };
    const auto same = [](TestDevice::ModelOptions&) {};
    TestDevice::Faults silentAboutItself;
    silentAboutItself.hideIdentify = true;
    TestDevice::Faults abortsWhenAsked;
    abortsWhenAsked.abortAtRequest = 2;  // the server directory, after Identify
    // Answers come in any order: the Identify answer behind the server directory's (well
    // within the wait for it, see the rig's time-out below).
    TestDevice::Faults saysWhoItIsLate;
    saysWhoItIsLate.identifyAnsweredLateMs = 50;
    TestDevice::Faults abortsBeforeSayingWhoItIs;
    abortsBeforeSayingWhoItIs.identifyAnsweredLateMs = -50;
    const std::vector<Case> cases = {
        {"the same device", same, {}, {}, Outcome::Kept, {"LD0", "bay1"}},
        {"another vendor",
         [](TestDevice::ModelOptions& m) { m.vendor = "Other Works"; },
         {},
         {},
         Outcome::Renewed,
         {"LD0", "bay1"}},
        {"another revision",
         [](TestDevice::ModelOptions& m) { m.revision = "2.0"; },
         {},
         {},
         Outcome::Renewed,
         {"LD0", "bay1"}},
        {"other logical devices",
         [](TestDevice::ModelOptions& m) {
             m.large = true;
             m.logicalDevices = 2;
             m.logicalNodes = 4;
         },
         {},
         {},
         Outcome::Renewed,
         {"LD01", "LD02"}},
        {"a device that does not say who it is", same, {}, silentAboutItself, Outcome::Unidentified, {"LD0", "bay1"}},
        {"one that says who it is where the kept model's did not",
         same,
         silentAboutItself,
         {},
         Outcome::OriginUnknown,
         {"LD0", "bay1"}},
        {"other logical devices of a device that does not say who it is",
         [](TestDevice::ModelOptions& m) {
             m.large = true;
             m.logicalDevices = 2;
             m.logicalNodes = 4;
         },
         {},
         silentAboutItself,
         Outcome::Renewed,
         {"LD01", "LD02"}},
        {"neither says who it is", same, silentAboutItself, silentAboutItself, Outcome::Unidentified, {"LD0", "bay1"}},
        {"the association lost while the device is asked", same, {}, abortsWhenAsked, Outcome::Lost, {"LD0", "bay1"}},
        {"the same device saying who it is late",
         same,
         saysWhoItIsLate,
         saysWhoItIsLate,
         Outcome::Kept,
         {"LD0", "bay1"}},
        {"another vendor saying who it is late",
         [](TestDevice::ModelOptions& m) { m.vendor = "Other Works"; },
         {},
         saysWhoItIsLate,
         Outcome::Renewed,
         {"LD0", "bay1"}},
        {"the association lost before the device says who it is",
         same,
         {},
         abortsBeforeSayingWhoItIs,
         Outcome::Lost,
         {"LD0", "bay1"}},
    };
    const auto askedOnlyWhoItIs = [](const std::vector<TestDevice::RequestRecord>& requests, int association) {
        for (const TestDevice::RequestRecord& r : requests) {
            if (r.association != association) continue;
            if (r.service != Mms::MmsServiceIdentify && (r.service != Mms::MmsServiceGetNameList || !r.names.empty()))
                return false;
        }
        return true;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The device orders its late answers and its abort by holding them: no request may
        // time out meanwhile, however slow the machine. An Identify answer is waited for up to
        // a second after the directory's: the late answers below come well within it.
        SessionRig rig("30000");
        rig.device.SetFaults(c.firstFaults);
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
        const std::int32_t first = rig.session->GetServerId();
        rig.session->Disconnect();
        ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));

        // Another device takes the port of the address.
        TestDevice::Device::Options options = TestDevice::Device::TakeOverPortOf(rig.device);
        c.change(options.model);
        TestDevice::Device other(options);
        other.SetFaults(c.otherFaults);
        ASSERT_EQ(other.Start(), System::OkNoError);
        rig.window.Clear();
        const std::size_t toldBefore = rig.listener.Events().size();
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 2));

        std::vector<Told> told;
        for (std::size_t i = toldBefore; i < rig.listener.Events().size(); ++i) {
            told.push_back(rig.listener.Events()[i].kind);
        }
        std::vector<std::uintptr_t> starts;
        for (const Message& m : rig.window.Messages()) {
            if (m.message == App::WM_QX_MODEL_READ_START) starts.push_back(m.wParam);
        }
        EXPECT_EQ(starts, c.outcome == Outcome::Lost ? std::vector<std::uintptr_t>{}
                                                     : std::vector<std::uintptr_t>{startTold(c.outcome)});
        EXPECT_EQ(rig.Seen(App::WM_QX_RELEASE_RESULT), 0);
        EXPECT_EQ(rig.session->GetServerId() == first, !renews(c.outcome));
        // The device was asked who it is; a kept model reads nothing more.
        const std::vector<TestDevice::RequestRecord> requests = other.Requests();
        EXPECT_TRUE(askedOnlyWhoItIs(requests, 1));
        const bool readAgain = std::any_of(requests.begin(), requests.end(), [](const TestDevice::RequestRecord& r) {
            return r.association == 2 && r.service == Mms::MmsServiceRead;
        });
        EXPECT_EQ(readAgain, renews(c.outcome));
        if (c.outcome == Outcome::Lost) {
            // Failed before the window knew of the association: nothing was shown.
            EXPECT_EQ(told, (std::vector<Told>{Told::Failed, Told::WorkEnded}));
            EXPECT_EQ(rig.Seen(App::WM_QX_ASSOCIATE_RESULT), 0);
            EXPECT_EQ(rig.session->GetPhase(), Phase::Idle);
            other.SetFaults({});
            // Both ends let the aborted association go before the next is made: a connect
            // meanwhile is refused for the state it finds.
            ASSERT_TRUE(TestSupport::Eventually([&] {
                const Iec61850::Acsi::TPAppAssociation* association = rig.session->GetClient()->GetAssociation();
                return (association == nullptr || association->IsIdle()) && other.OpenAssociations() == 0 &&
                       other.ReadyToAccept();
            }));
        } else {
            EXPECT_EQ(told, (std::vector<Told>{Told::Connected, Told::Loaded, Told::WorkEnded}));
            EXPECT_EQ(rig.listener.Events()[toldBefore + 1].value, Iec61850::Acsi::ModelReader::ResultRead);
            EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
            EXPECT_EQ(rig.Seen(App::WM_QX_ASSOCIATE_RESULT), 1);
            EXPECT_EQ(rig.Seen(App::WM_QX_ABORTED), 0);
            std::vector<std::string> devices;
            rig.session->GetClient()->GetLogicalDeviceNames(devices);
            EXPECT_EQ(devices, c.devices);
            if (!c.otherFaults.hideIdentify) {
                EXPECT_EQ(rig.session->GetServer()->GetIdentity().vendorName, options.model.vendor);
            }
            EXPECT_TRUE(TestSupport::Eventually([&] { return other.OpenAssociations() == 1; }));
            rig.session->Disconnect();
            ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected, 2));
        }

        // The model read is this device's from now on, for a device that says who it is;
        // one that does not is read afresh each time.
        const bool vouches = !c.otherFaults.hideIdentify;
        const std::int32_t second = rig.session->GetServerId();
        const std::size_t endedBefore = rig.listener.Events().size();
        other.ClearRequests();
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(TestSupport::Eventually([&] {
            const std::vector<Event> events = rig.listener.Events();
            return events.size() > endedBefore && events.back().kind == Told::WorkEnded;
        }));
        EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
        EXPECT_EQ(rig.session->GetServerId() == second, vouches);
        EXPECT_TRUE(askedOnlyWhoItIs(other.Requests(), renews(c.outcome) ? 3 : 2));
        rig.session->Shutdown();
    }
}

// A device that announces Identify and never answers it: its model shows (read afresh
// when one was kept, since no answer vouches for its identity) while the Identify is still
// unanswered, the association stands with nothing left pending for the silent link to
// stall on, and no identity stands for the device's, not even the library's own default
// text: the model does not wait for the link to be found stalled, and the association is
// not aborted for the unanswered Identify.
TEST(ConnectionSession, ADeviceThatNeverAnswersIdentifyShowsItsModelAndStaysAssociated) {
    // Its Identify times out only after a minute (a wait for the model that long fails).
    SessionRig rig("60000");
    // The same device answers Identify on the first connect only.
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
    const std::int32_t first = rig.session->GetServerId();
    rig.session->Disconnect();
    ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
    TestDevice::Faults neverSaysWhoItIs;
    neverSaysWhoItIs.dropped.insert(Mms::MmsServiceIdentify);
    rig.device.SetFaults(neverSaysWhoItIs);

    for (int connect = 2; connect <= 3; ++connect) {
        SCOPED_TRACE(connect);
        rig.window.Clear();
        rig.device.ClearRequests();
        const std::size_t toldBefore = rig.listener.Events().size();
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, connect));
        std::vector<Told> told;
        const std::vector<Event> events = rig.listener.Events();
        for (std::size_t i = toldBefore; i < events.size(); ++i) told.push_back(events[i].kind);
        ASSERT_EQ(told, (std::vector<Told>{Told::Connected, Told::Loaded, Told::WorkEnded}));
        EXPECT_EQ(events[toldBefore + 1].value, Iec61850::Acsi::ModelReader::ResultRead);
        std::vector<std::string> devices;
        rig.session->GetClient()->GetLogicalDeviceNames(devices);
        EXPECT_EQ(devices, (std::vector<std::string>{"LD0", "bay1"}));
        // Asked on each association, never answered: the model showed without its answer.
        int identifies = 0;
        for (const TestDevice::RequestRecord& r : rig.device.Requests())
            identifies += r.service == Mms::MmsServiceIdentify;
        EXPECT_EQ(identifies, 2);
        // The kept model, vouched for by nobody, was read afresh each time, for want of the
        // device's identity (the device is no other as far as anyone knows).
        int renewed = 0;
        for (const Message& m : rig.window.Messages()) {
            renewed += m.message == App::WM_QX_MODEL_READ_START && m.wParam == App::ModelReadRenewedUnidentified;
        }
        EXPECT_EQ(renewed, 1);
        EXPECT_NE(rig.session->GetServerId(), first);
        EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
        Iec61850::Acsi::TPAppAssociation* association = rig.session->GetClient()->GetAssociation();
        ASSERT_NE(association, nullptr);
        EXPECT_TRUE(association->IsAssociated());
        EXPECT_EQ(association->GetPendingCount(), 0u);
        EXPECT_EQ(rig.Seen(App::WM_QX_ABORTED), 0);
        EXPECT_EQ(rig.session->GetServer()->GetIdentity().vendorName, "");
        EXPECT_EQ(rig.device.OpenAssociations(), 1);
        rig.session->Disconnect();
        ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected, connect));
    }
}

// Device A, then address B, where nothing answers, so that its server is removed, then A
// again and the end: the client's association belongs to the server it serves, so B's
// going leaves nothing that points into it.
TEST(ConnectionSession, AnotherAddressWhoseServerGoesLeavesTheNextConnectAndTheEndSound) {
    SessionRig rig;
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
    const std::int32_t first = rig.session->GetServerId();
    rig.session->Disconnect();
    ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));

    ASSERT_EQ(rig.session->Connect("127.0.0.2", false), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 2));
    EXPECT_TRUE(rig.listener.WaitFor(Told::Failed));
    std::vector<std::uint32_t> ids;
    rig.servers.ListServerIds(ids);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{static_cast<std::uint32_t>(first)}));

    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 3));
    EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
    EXPECT_EQ(rig.session->GetServerId(), first);
    EXPECT_TRUE(rig.listener.WaitFor(Told::Loaded, 2));
    rig.session->Shutdown();
    EXPECT_TRUE(TestSupport::Eventually([&] { return rig.device.OpenAssociations() == 0; }));
}

// A device that closes its transport right after its conclude answer (the relay closes the
// connection both ways once it has forwarded that answer): each disconnect ends with the
// release's result, and the window hears of no abort (it would show a disconnect "without the
// device's answer" for a device that answered).
TEST(ConnectionSession, ADeviceThatClosesRightAfterAnsweringTheReleaseEndsEachConnectionWithTheRelease) {
    SessionRig rig;
    rig.relay->CloseAfterConcludeAnswer();
    constexpr int Connections = 20;
    for (int connection = 1; connection <= Connections; ++connection) {
        SCOPED_TRACE(connection);
        ASSERT_TRUE(TestSupport::Eventually([&] { return rig.device.OpenAssociations() == 0; }));
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, connection));
        ASSERT_EQ(rig.session->GetPhase(), Phase::Connected);
        rig.session->Disconnect();
        ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected, connection));
        EXPECT_EQ(rig.Seen(App::WM_QX_RELEASE_RESULT), connection);
        const std::vector<std::uint32_t> numbers = rig.window.Numbers();
        ASSERT_EQ(std::count(numbers.begin(), numbers.end(), App::WM_QX_ABORTED), 0);
        EXPECT_EQ(rig.session->GetPhase(), Phase::Idle);
        // The relay ended the connection after the answer: the client did not close it first.
        ASSERT_TRUE(TestSupport::Eventually([&] { return rig.relay->Ended(rig.relay->Connections() - 1); }));
        EXPECT_FALSE(rig.relay->EndedByClient(rig.relay->Connections() - 1));
    }
    rig.session->Shutdown();
    const std::vector<std::uint32_t> numbers = rig.window.Numbers();
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), App::WM_QX_ABORTED), 0);
    EXPECT_EQ(rig.listener.Kinds().size(), static_cast<std::size_t>(4 * Connections));
}

// The disconnect guard's abort belongs to the association its Disconnect was for: held once
// the limit has passed with that association named, while that association ends with its
// release and a new connect makes another, it leaves the new one standing.
TEST(ConnectionSession, TheDisconnectGuardAbortsOnlyTheAssociationItsDisconnectWasFor) {
    SessionRig rig;
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
    AcsiClientTest::ThreadHold held;
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool aborted = false;
    rig.session->SetGuardHook([&](ConnectionSession::GuardStep step) {
        if (step == ConnectionSession::GuardStep::Aborting) {
            held.Reach();
            return;
        }
        std::lock_guard lock(doneMutex);
        aborted = true;
        doneChanged.notify_all();
    });
    // A request the device holds keeps the release from going (it waits for every answer
    // out), so that the association still stands when the guard comes: at once, held there
    // with the association named.
    TestDevice::Faults holding;
    holding.held = {Mms::MmsServiceGetNameList};
    rig.device.SetFaults(holding);
    rig.device.ClearRequests();
    std::uint32_t id = 0;
    ASSERT_EQ(rig.session->GetClient()->GetServerDirectory(id, Iec61850::Acsi::ObjectClassLogicalDevice,
                                                           Iec61850::AnswerFrom::Device),
              System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return rig.device.RequestCount() > 0; }));
    rig.session->SetDisconnectLimit(std::chrono::milliseconds(0));
    rig.session->Disconnect();
    ASSERT_TRUE(held.WaitUntilHeld());
    // The device answers: the release goes and is answered, and the association ends.
    rig.device.SetFaults({});
    ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 2));
    ASSERT_EQ(rig.session->GetPhase(), Phase::Connected);
    held.Release();
    {
        std::unique_lock lock(doneMutex);
        ASSERT_TRUE(doneChanged.wait_for(lock, std::chrono::seconds(30), [&] { return aborted; }));
    }
    EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
    ASSERT_NE(rig.session->GetClient()->GetAssociation(), nullptr);
    EXPECT_TRUE(rig.session->GetClient()->GetAssociation()->IsAssociated());
    const std::vector<std::uint32_t> numbers = rig.window.Numbers();
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), App::WM_QX_ABORTED), 0);
    EXPECT_EQ(rig.Seen(App::WM_QX_RELEASE_RESULT), 1);
    EXPECT_TRUE(TestSupport::Eventually([&] { return rig.device.OpenAssociations() == 1; }));
    rig.session->SetGuardHook(nullptr);
}

TEST(ConnectionSession, ARefusedInitiateDiscardsTheServerAndTheNextConnectMakesAnother) {
    SessionRig rig;
    TestDevice::Faults faults;
    faults.initiateErrorClass = 9;
    faults.initiateErrorCode = 6;
    rig.device.SetFaults(faults);
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
    ASSERT_EQ(rig.listener.Kinds(), (std::vector<Told>{Told::Failed, Told::WorkEnded}));
    const Event failed = rig.listener.Events()[0];
    EXPECT_TRUE(failed.told);
    EXPECT_NE(failed.text.find("initiate-Error"), std::string::npos) << failed.text;
    EXPECT_EQ(rig.session->GetPhase(), Phase::Idle);
    EXPECT_EQ(rig.session->GetServerId(), -1);
    std::vector<std::uint32_t> ids;
    rig.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());

    rig.device.SetFaults({});
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded, 2));
    EXPECT_EQ(rig.session->GetPhase(), Phase::Connected);
    EXPECT_NE(rig.session->GetServerId(), -1);
}

// The client sent its conclude on the relay's connection: the MMS conclude-RequestPDU
// (an empty [11]) closes the presentation's user data of a unit of its own.
bool ClientSentConclude(const SessionRig& rig, std::size_t connection) {
    const std::vector<std::uint8_t> conclude = {0xA0, 0x02, 0x8B, 0x00};
    for (const TestSupport::WireUnit& unit : rig.relay->Units(connection)) {
        if (unit.fromClient && unit.bytes.size() > conclude.size() &&
            std::equal(conclude.rbegin(), conclude.rend(), unit.bytes.rbegin()))
            return true;
    }
    return false;
}

bool Logged(const TestDevice::Device& device, std::int32_t service) {
    const std::vector<TestDevice::RequestRecord> requests = device.Requests();
    return std::any_of(requests.begin(), requests.end(),
                       [service](const TestDevice::RequestRecord& r) { return r.service == service; });
}

// A Disconnect whose release the guard gives up blames a slow device ("still answering") only
// when requests other than the conclude were still out and the device had answered one since
// the Disconnect, within the last second; a device that fell silent, or answered everything
// but the conclude, did not answer the release. The guard is held before it judges until the
// device has done what the row says, and the judgment's clock is moved on rather than waited
// for: nothing here depends on how fast the machine is.
TEST(ConnectionSession, AReleaseGivenUpBlamesASlowDeviceOnlyWhenItAnsweredLately) {
    enum class Device { Silent, AnswersOnceThenSilent, AnswersAllButTheConclude };
    struct Case {
        const char* what;
        Device device;
        std::chrono::milliseconds since;  // how long before the judgment the device's answers end
        bool answering;
    };
    const Case cases[] = {
        {"silent since before the Disconnect", Device::Silent, {}, false},
        {"one answer after the Disconnect, just now", Device::AnswersOnceThenSilent, {}, true},
        {"one answer after the Disconnect, then silent", Device::AnswersOnceThenSilent,
         ConnectionSession::AnsweringWindow + std::chrono::milliseconds(1), false},
        {"every read answered, the conclude ignored", Device::AnswersAllButTheConclude, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Both outlive the rig, whose end joins the guard's thread.
        std::atomic<std::int64_t> skew{0};
        AcsiClientTest::ThreadHold guard;
        SessionRig rig;
        // A step that fails lets the guard go, so that the rig's end does not wait for it.
        const std::shared_ptr<void> letGo(nullptr, [&guard](void*) { guard.Release(); });
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
        rig.session->SetClock(
            [&skew] { return std::chrono::steady_clock::now() + std::chrono::milliseconds(skew.load()); });
        rig.session->SetGuardHook([&](ConnectionSession::GuardStep step) {
            if (step == ConnectionSession::GuardStep::Aborting) guard.Reach();
        });
        // Two reads out: the device holds the first (the second waits, unread, behind it).
        TestDevice::Faults faults;
        faults.held = {Mms::MmsServiceRead};
        rig.device.SetFaults(faults);
        rig.device.ClearRequests();
        App::QXClient& client = *rig.session->GetClient();
        const Iec61850::Acsi::TPAppAssociation& association = *client.GetAssociation();
        for (int read = 0; read < 2; ++read) {
            std::uint32_t id = 0;
            ASSERT_EQ(client.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, Iec61850::AnswerFrom::Device),
                      System::OkNoError);
        }
        ASSERT_TRUE(TestSupport::Eventually(
            [&] { return association.GetPendingCount() == 2 && Logged(rig.device, Mms::MmsServiceRead); }));
        rig.session->SetDisconnectLimit(std::chrono::milliseconds(0));
        rig.session->Disconnect();
        ASSERT_TRUE(guard.WaitUntilHeld());
        faults = {};
        if (c.device == Device::AnswersOnceThenSilent) faults.dropped = {Mms::MmsServiceRead};
        if (c.device == Device::AnswersAllButTheConclude) faults.concludeUnanswered = true;
        if (c.device != Device::Silent) rig.device.SetFaults(faults);
        if (c.device == Device::AnswersOnceThenSilent) {
            ASSERT_TRUE(TestSupport::Eventually([&] { return association.GetPendingCount() == 1; }));
        }
        if (c.device == Device::AnswersAllButTheConclude) {
            ASSERT_TRUE(TestSupport::Eventually([&] { return association.IsConcludePending(); }));
        }
        skew.store(c.since.count());
        guard.Release();
        ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
        EXPECT_EQ(rig.session->ReleaseGivenUpWhileAnswering(), c.answering);
        EXPECT_EQ(rig.Seen(App::WM_QX_ABORTED), 1);
        rig.session->SetGuardHook(nullptr);
        rig.device.SetFaults({});
    }
}

// Whatever the session is doing, and whatever the device withholds, Shutdown ends it within
// the release limit and a small margin, leaves no association on the device, nothing in the
// registries, and tells the owner nothing more. The device holds what it withholds until the
// end is over, and the MMS and session time-outs are long: an end that waited for either, or
// for the transport's own time-out, fails the bound by many seconds.
TEST(ConnectionSession, ShutDownInEveryStateAbandoningAConnectUnderWay) {
    struct Case {
        const char* what;
        std::function<void(SessionRig&)> arrange;
        bool releases;  // the association stood and the device answers: released, not aborted
    };
    const auto connected = [](SessionRig& rig) {
        ASSERT_EQ(rig.Connect(), System::OkNoError);
        ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
    };
    const auto withholding = [](SessionRig& rig, const std::set<std::int32_t>& services) {
        TestDevice::Faults faults;
        faults.held = services;
        rig.device.SetFaults(faults);
    };
    // Another device on the address, of another vendor, that leaves the conclude unanswered.
    std::unique_ptr<TestDevice::Device> replacement;
    const std::vector<Case> cases = {
        {"idle", [](SessionRig&) {}, false},
        {"connecting: the transport's confirm never comes",
         [](SessionRig& rig) {
             TestDevice::Faults faults;
             faults.dropConnectConfirm = true;
             rig.device.SetFaults(faults);
             ASSERT_EQ(rig.Connect(), System::OkNoError);
             ASSERT_TRUE(TestSupport::Eventually([&] { return !rig.relay->Units(0).empty(); }));
         },
         false},
        {"connecting: the initiate is never answered",
         [](SessionRig& rig) {
             TestDevice::Faults faults;
             faults.dropInitiateAnswer = true;
             rig.device.SetFaults(faults);
             ASSERT_EQ(rig.Connect(), System::OkNoError);
             ASSERT_TRUE(TestSupport::Eventually([&] { return rig.ClientSpokeAfterAnAnswer(); }));
         },
         false},
        {"loading",
         [](SessionRig& rig) {
             // The load's first progress waits until the shutdown has begun.
             rig.window.SetHook([&rig](const Message& m) {
                 if (m.message != App::WM_QX_MODEL_READ_PROGRESS) return;
                 EXPECT_TRUE(TestSupport::Eventually([&] { return rig.session->GetPhase() == Phase::ShutDown; }));
             });
             ASSERT_EQ(rig.Connect(), System::OkNoError);
             Message start;
             ASSERT_TRUE(rig.window.WaitFor(App::WM_QX_MODEL_READ_START, start));
             EXPECT_EQ(rig.session->GetPhase(), Phase::Loading);
         },
         true},
        {"loading, a type description held",
         [&withholding](SessionRig& rig) {
             withholding(rig, {Mms::MmsServiceGetVariableAccessAttributes});
             ASSERT_EQ(rig.Connect(), System::OkNoError);
             ASSERT_TRUE(TestSupport::Eventually(
                 [&] { return Logged(rig.device, Mms::MmsServiceGetVariableAccessAttributes); }));
         },
         false},
        {"connected", connected, true},
        {"connected, a read held",
         [&connected, &withholding](SessionRig& rig) {
             connected(rig);
             withholding(rig, {Mms::MmsServiceRead});
             rig.device.ClearRequests();
             std::uint32_t id = 0;
             ASSERT_EQ(rig.session->GetClient()->GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"},
                                                               Iec61850::AnswerFrom::Device),
                       System::OkNoError);
             ASSERT_TRUE(TestSupport::Eventually([&] { return Logged(rig.device, Mms::MmsServiceRead); }));
         },
         false},
        {"connected, the conclude left unanswered",
         [&connected](SessionRig& rig) {
             connected(rig);
             TestDevice::Faults faults;
             faults.concludeUnanswered = true;
             rig.device.SetFaults(faults);
         },
         false},
        {"connected, the release refused",
         [&connected](SessionRig& rig) {
             connected(rig);
             TestDevice::Faults faults;
             faults.concludeErrors = 1;
             rig.device.SetFaults(faults);
         },
         false},
        {"asking a device whether a kept model is its own, its Identify answer held",
         [&connected, &withholding](SessionRig& rig) {
             connected(rig);
             rig.session->Disconnect();
             ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
             withholding(rig, {Mms::MmsServiceIdentify});
             rig.device.ClearRequests();
             ASSERT_EQ(rig.Connect(), System::OkNoError);
             ASSERT_TRUE(TestSupport::Eventually([&] { return Logged(rig.device, Mms::MmsServiceIdentify); }));
         },
         false},
        {"releasing the association over another device's kept model before reading it afresh",
         [&connected, &replacement](SessionRig& rig) {
             connected(rig);
             rig.session->Disconnect();
             ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
             TestDevice::Device::Options options = TestDevice::Device::TakeOverPortOf(rig.device);
             options.model.vendor = "Other Works";
             replacement = std::make_unique<TestDevice::Device>(options);
             TestDevice::Faults faults;
             faults.concludeUnanswered = true;
             replacement->SetFaults(faults);
             ASSERT_EQ(replacement->Start(), System::OkNoError);
             ASSERT_EQ(rig.Connect(), System::OkNoError);
             // The check found the other vendor: the release is on its way, unanswered.
             ASSERT_TRUE(TestSupport::Eventually([&] { return ClientSentConclude(rig, 1); }));
             EXPECT_EQ(rig.session->GetPhase(), Phase::Connecting);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        replacement.reset();
        SessionRig rig("30000");
        rig.session->SetProfileOverride("LocalSTimeout", "30000");
        c.arrange(rig);
        if (HasFatalFailure()) return;
        const std::size_t toldBefore = rig.listener.Events().size();
        const int releasedBefore = rig.Seen(App::WM_QX_RELEASE_RESULT);
        const int loadsBefore = rig.Seen(App::WM_QX_MODEL_READ_DONE);
        const auto start = std::chrono::steady_clock::now();
        rig.session->Shutdown();
        const auto took = TestSupport::ElapsedSince(start);
        EXPECT_LT(took, ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(1));
        RecordProperty(c.what, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        // What the device withheld goes now: its receive thread reads the end.
        rig.device.SetFaults({});
        EXPECT_EQ(rig.session->GetPhase(), Phase::ShutDown);
        EXPECT_EQ(rig.listener.Events().size(), toldBefore);
        EXPECT_EQ(rig.Seen(App::WM_QX_RELEASE_RESULT) - releasedBefore, c.releases ? 1 : 0);
        // A load under way was stopped, not read to its end.
        EXPECT_EQ(rig.Seen(App::WM_QX_MODEL_READ_DONE), loadsBefore);
        EXPECT_EQ(rig.session->GetClient(), nullptr);
        EXPECT_EQ(rig.session->GetServerId(), -1);
        std::vector<std::uint32_t> ids;
        rig.servers.ListServerIds(ids);
        EXPECT_TRUE(ids.empty());
        Iec61850::ClientApplication* client = nullptr;
        EXPECT_NE(rig.clients.GetClient(1, client), System::OkNoError);
        EXPECT_TRUE(TestSupport::Eventually([&] {
            return rig.device.OpenAssociations() == 0 && (!replacement || replacement->OpenAssociations() == 0);
        }));
        EXPECT_EQ(rig.Connect(), System::InvalidState);
    }
}

}  // namespace
}  // namespace AppTest
