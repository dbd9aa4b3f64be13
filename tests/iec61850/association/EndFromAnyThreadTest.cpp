// End() and a server's removal from every thread an association calls back on, callbacks on
// two threads that let go, end, abort or remove each other's server at once, and End() raced by
// callers that post without a pause: nothing hangs (a watchdog fails the run instead), every
// request is confirmed once, and after End everything is refused at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"
#include "iec61850/association/DeviceSession.h"
#include "support/Watchdog.h"
#include "system/Polling.h"
#include "system/ThreadStart.h"

namespace AcsiClientTest {
namespace {

using TestSupport::Watchdog;

// Runs the test's action once, inside the callback that the trigger brings, and counts
// confirmations by result (invoke ids start over with every abort).
class ActingClient : public Iec61850::ClientApplication {
public:
    ~ActingClient() override { ClearAssociation(); }

    std::function<void()> action;
    std::atomic<bool> acted{false};
    // A request posted from inside the callback, after the action: its post's result.
    std::atomic<System::ResultCode> postedInside{System::NotCompleted};

    std::int32_t OnGetServerDirectory(A::GetServerDirectory* s) override {
        Count(s->GetResult());
        Act();
        return 0;
    }
    std::int32_t OnAbort(const std::uint8_t*) override {
        Act();
        return 0;
    }
    bool WaitForCount(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return results_.size() >= count; });
    }
    std::vector<System::ResultCode> Results() {
        std::lock_guard lock(mutex_);
        return results_;
    }

private:
    void Count(System::ResultCode result) {
        std::lock_guard lock(mutex_);
        results_.push_back(result);
        changed_.notify_all();
    }
    void Act() {
        if (!action || acting_.exchange(true)) return;
        action();
        std::uint32_t id = 0;
        postedInside.store(GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Model));
        acted.store(true);
    }

    std::atomic<bool> acting_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<System::ResultCode> results_;
};

enum class Trigger { DeviceAnswer, ModelAnswer, LocalAbort, DeviceAbort };
// A removal and the registry's end defer the server's destruction; another server, with
// an association of its own, is destroyed right there.
enum class Action { End, RemoveServer, DestroyRegistry, DestroyAnotherServer };

struct CallbackCase {
    const char* name;
    Trigger trigger;
    Action action;
};

// End, the server's removal or the registry's end, from inside a callback on the receive
// thread (an answer, the device's abort), on the association's thread (an answer from the
// model) and on the thread that aborted, against a device that keeps the transport after an
// abort and a session time-out of a minute: it returns without waiting for the device (it
// would wait the whole minute), the association and its link end, what is posted afterwards
// is refused and confirmed at once, and the server goes. Another server destroyed there goes
// at once with its association, and the one called back for stands on.
TEST(EndFromAnyThread, EndOrTheServersRemovalFromInsideACallbackEndsEverythingWithoutWaitingForItself) {
    const CallbackCase cases[] = {
        {"End, device's answer", Trigger::DeviceAnswer, Action::End},
        {"End, model's answer", Trigger::ModelAnswer, Action::End},
        {"End, local abort", Trigger::LocalAbort, Action::End},
        {"End, device's abort", Trigger::DeviceAbort, Action::End},
        {"removal, device's answer", Trigger::DeviceAnswer, Action::RemoveServer},
        {"removal, model's answer", Trigger::ModelAnswer, Action::RemoveServer},
        {"removal, local abort", Trigger::LocalAbort, Action::RemoveServer},
        {"removal, device's abort", Trigger::DeviceAbort, Action::RemoveServer},
        {"registry's end, device's answer", Trigger::DeviceAnswer, Action::DestroyRegistry},
        {"registry's end, model's answer", Trigger::ModelAnswer, Action::DestroyRegistry},
        {"registry's end, local abort", Trigger::LocalAbort, Action::DestroyRegistry},
        {"another server destroyed, device's answer", Trigger::DeviceAnswer, Action::DestroyAnotherServer},
        {"another server destroyed, model's answer", Trigger::ModelAnswer, Action::DestroyAnotherServer},
    };
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    for (const CallbackCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Watchdog watchdog(c.name);
        auto servers = std::make_unique<ServerManager>();
        std::uint32_t handle = 0;
        ASSERT_EQ(servers->AddServer("127.0.0.1", handle), System::OkNoError);
        Server* server = nullptr;
        ASSERT_EQ(servers->GetServer(handle, server), System::OkNoError);
        auto another = std::make_unique<Server>();
        for (Server* each : {server, another.get()}) {
            each->GetProfile(0)->SetParameter("RemoteNPort", std::to_string(device.Port()));
        }
        // A minute's wait for a device that keeps the transport shows that an end inside a
        // callback does not wait for it; the test's own abort, the other server's end and
        // the removal that follows it from the test's thread wait for it as asked.
        const bool waitsForDevice = c.trigger == Trigger::LocalAbort || c.action == Action::DestroyAnotherServer;
        server->GetProfile(0)->SetParameter("LocalSTimeout", waitsForDevice ? "300" : "60000");
        another->GetProfile(0)->SetParameter("LocalSTimeout", "300");
        ActingClient anotherClient;
        if (c.action == Action::DestroyAnotherServer) {
            ASSERT_EQ(anotherClient.Associate(*another->GetProfile(0), 1), System::OkNoError);
        }
        ActingClient client;
        TestDevice::Faults faults;
        if (c.trigger == Trigger::DeviceAbort) faults.abortAtRequest = 1;
        device.SetFaults(faults);
        ASSERT_TRUE(TestSupport::Eventually([&] { return device.ReadyToAccept(); }));
        ASSERT_EQ(client.Associate(*server->GetProfile(0), 1), System::OkNoError);
        TPAppAssociation* association = client.GetAssociation();
        std::chrono::steady_clock::duration took{};
        client.action = [&] {
            const auto start = std::chrono::steady_clock::now();
            switch (c.action) {
                case Action::End: association->End(); break;
                case Action::RemoveServer: EXPECT_EQ(servers->RemoveServer(handle), System::OkNoError); break;
                case Action::DestroyRegistry: servers.reset(); break;
                case Action::DestroyAnotherServer: another.reset(); break;
            }
            took = std::chrono::steady_clock::now() - start;
        };
        std::uint32_t id = 0;
        switch (c.trigger) {
            case Trigger::DeviceAnswer:
            case Trigger::DeviceAbort:
                ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                          System::OkNoError);
                break;
            case Trigger::ModelAnswer:
                ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Model),
                          System::OkNoError);
                break;
            // A removal inside it may close the chain before the abort has gone out.
            case Trigger::LocalAbort: association->Abort(); break;
        }
        ASSERT_TRUE(TestSupport::Eventually([&] { return client.acted.load(); }, std::chrono::seconds(40)));
        EXPECT_LT(took, std::chrono::seconds(30));
        EXPECT_EQ(client.postedInside.load(), System::OkNoError);
        // The request of the trigger, the one posted inside the callback: each confirmed once.
        const std::size_t inside = c.trigger == Trigger::LocalAbort ? 1 : 2;
        ASSERT_TRUE(client.WaitForCount(inside));
        if (c.action == Action::End) {
            EXPECT_TRUE(association->IsEnded());
            EXPECT_FALSE(association->IsAssociated());
            // Refused at once from every thread, confirmed (never queued).
            ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device), System::OkNoError);
            ASSERT_TRUE(client.WaitForCount(inside + 1));
            EXPECT_EQ(client.Results().back(), System::Aborted);
            EXPECT_EQ(client.Associate(*server->GetProfile(0), 1), System::Cancelled);
            EXPECT_EQ(servers->RemoveServer(handle), System::OkNoError);
        }
        if (c.action == Action::DestroyAnotherServer) {
            EXPECT_EQ(anotherClient.GetAssociation(), nullptr);
            EXPECT_TRUE(association->IsAssociated());
            EXPECT_EQ(servers->RemoveServer(handle), System::OkNoError);
        }
        EXPECT_TRUE(TestSupport::Eventually([&] { return device.OpenAssociations() == 0; }));
        // The client lets go of the association once the server has gone.
        ASSERT_TRUE(TestSupport::Eventually([&] { return client.GetAssociation() == nullptr; }));
        std::uint32_t late = 0;
        EXPECT_EQ(client.GetServerDirectory(late, ObjectClassLogicalDevice, AnswerFrom::Model), System::Error);
        // None twice: nothing more came.
        const std::vector<System::ResultCode> results = client.Results();
        EXPECT_EQ(results.size(), inside + (c.action == Action::End ? 1 : 0));
        for (const System::ResultCode result : results) {
            EXPECT_TRUE(result == System::OkNoError || result == System::Aborted) << result;
        }
    }
}

// A plain destruction of the server where only its removal may run, inside a callback on
// the receive thread (the device's answer) or on the association's thread (the model's):
// the program stops at once with a message that names the removal, instead of hanging.
TEST(EndFromAnyThread, AServerDestroyedInsideACallbackStopsTheProgramNamingItsRemoval) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const AnswerFrom from : {AnswerFrom::Device, AnswerFrom::Model}) {
        EXPECT_DEATH(
            {
                // A destruction that hangs instead dies too, but with the watchdog's message.
                const Watchdog watchdog("a server destroyed inside a callback");
                DeviceSession session;
                ActingClient client;
                client.Associate(session.Profile(), 1);
                client.action = [&session] { session.server.reset(); };
                std::uint32_t id = 0;
                client.GetServerDirectory(id, ObjectClassLogicalDevice, from);
                TestSupport::Eventually([&] { return client.acted.load(); }, std::chrono::seconds(30));
            },
            "Server destroyed on a thread of its associations or inside a callback of theirs: "
            "remove it with ServerManager::RemoveServer");
    }
}

// Holds each party until all are inside their callbacks, then lets them act at once.
class Meeting {
public:
    explicit Meeting(std::size_t parties) : parties_(parties) {}

    // False when the others never came.
    bool Arrive() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return arrived_ >= parties_; });
    }
    void Acted(std::chrono::steady_clock::duration took) {
        std::lock_guard lock(mutex_);
        took_.push_back(took);
        changed_.notify_all();
    }
    // How long each party's act took, once all have acted (fewer when one never came back).
    std::vector<std::chrono::steady_clock::duration> WaitForActs() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [this] { return took_.size() >= parties_; });
        return took_;
    }

private:
    const std::size_t parties_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t arrived_ = 0;
    std::vector<std::chrono::steady_clock::duration> took_;
};

// Meets the other parties in its first report and its first confirmation, then acts there.
class MeetingClient : public Iec61850::ClientApplication {
public:
    ~MeetingClient() override { ClearAssociation(); }

    // Set before `armed`: the callbacks come on threads that learn of it through sockets.
    Meeting* meeting = nullptr;
    std::function<void()> inReport;
    std::function<void()> inConfirmation;
    std::atomic<bool> armed{false};

    std::int32_t OnReport(RCBReport*) override {
        MeetAndAct(&MeetingClient::inReport, reported_);
        return 0;
    }
    std::int32_t OnGetServerDirectory(A::GetServerDirectory*) override {
        MeetAndAct(&MeetingClient::inConfirmation, confirmed_);
        return 0;
    }
    std::int32_t OnAbort(const std::uint8_t*) override {
        aborts.fetch_add(1);
        MeetAndAct(&MeetingClient::inAbort, abortMet_);
        return 0;
    }
    std::function<void()> inAbort;
    std::atomic<int> aborts{0};
    // Aborts of this client's association that said they ended it.
    std::atomic<int> abortedHere{0};
    // What an Associate of this client made inside the other's callback gave.
    std::atomic<System::ResultCode> associatedThere{System::NotCompleted};

private:
    void MeetAndAct(std::function<void()> MeetingClient::*act, std::atomic<bool>& taken) {
        if (!armed.load() || !(this->*act) || taken.exchange(true)) return;
        if (!meeting->Arrive()) ADD_FAILURE() << "the other callback never came";
        const auto start = std::chrono::steady_clock::now();
        (this->*act)();
        meeting->Acted(std::chrono::steady_clock::now() - start);
    }

    std::atomic<bool> reported_{false};
    std::atomic<bool> confirmed_{false};
    std::atomic<bool> abortMet_{false};
};

// What a callback does once the other is inside its own.
// Associating the other client names this client's server (another profile than the other's
// association was made from) or the other's own.
enum class Part {
    None,
    LetGo,
    End,
    RemoveTheOtherServer,
    RemoveTheClient,
    EndTheOther,
    AbortTheOther,
    AssociateTheOtherHere,
    AssociateTheOtherAgain
};

struct MeetingRow {
    const char* name;
    std::size_t servers;
    // In each client's first report (on the receive thread) and in its first confirmation
    // (answered from the model, on the association's thread).
    Part inReport;
    Part inConfirmation;
    // In each client's OnAbort, the device aborting both associations at once.
    Part inAbort = Part::None;
    // The system refuses every thread that an ending or a late destruction asks for, from the
    // trigger until the servers have gone.
    bool threadsRefused = false;
};

// Callbacks on two or three threads, each held until the others are inside, that let go of
// their association, end or abort it or the other's, remove the other's server or their own
// client at once, while the device reports every 20 ms; or, the device aborting both
// associations, associate the other client from their OnAbort: each comes back within a
// second. A fault deadlocks for good (each lets go waiting for the other's call under way,
// each removal or retired association destroyed waiting for the other's callback), holds an
// ending's close or a connect for the transport's time-out (20 s) behind the receive thread's
// callback that waits to let go or ends or associates the closing one's client in turn, or
// frees a client that the other callback still runs in. An aborted association says it ended
// once and tells its end once.
TEST(EndFromAnyThread, CallbacksOnTwoThreadsThatLetGoEndOrRemoveEachOthersServerWaitForNeither) {
    const MeetingRow rows[] = {
        {"two callbacks of one association let go at once", 1, Part::LetGo, Part::LetGo},
        {"End from a confirmation while a report callback lets go", 1, Part::LetGo, Part::End},
        {"two servers, each removed from a report callback of the other's association", 2, Part::RemoveTheOtherServer,
         Part::None},
        {"a client removed from its report callback while its confirmation lets go", 1, Part::RemoveTheClient,
         Part::LetGo},
        {"two associations, each ended from a report callback of the other", 2, Part::EndTheOther, Part::None},
        {"two associations, each aborted from a report callback of the other", 2, Part::AbortTheOther, Part::None},
        {"an association aborted from a confirmation and a report callback of another while its report callback "
         "aborts that other",
         2, Part::AbortTheOther, Part::AbortTheOther},
        {"two aborted clients, each associated from the other's OnAbort with another profile", 2, Part::None,
         Part::None, Part::AssociateTheOtherHere},
        {"two aborted clients, each associated again from the other's OnAbort", 2, Part::None, Part::None,
         Part::AssociateTheOtherAgain},
        {"two associations, each ended from a report callback of the other, with no thread to be had", 2,
         Part::EndTheOther, Part::None, Part::None, true},
        {"two servers, each removed from a report callback of the other's association, with no thread to be had", 2,
         Part::RemoveTheOtherServer, Part::None, Part::None, true},
        {"two aborted clients, each associated again from the other's OnAbort, with no thread to be had", 2, Part::None,
         Part::None, Part::AssociateTheOtherAgain, true},
    };
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    for (const MeetingRow& row : rows) {
        for (int round = 1; round <= 20; ++round) {
            SCOPED_TRACE(std::string(row.name) + ", round " + std::to_string(round));
            // Outlives everything below: a hang in their teardown fails too.
            const Watchdog watchdog(row.name);
            ASSERT_TRUE(TestSupport::Eventually([&] { return device.OpenAssociations() == 0; }));
            device.SetFaults({});
            auto servers = std::make_unique<ServerManager>();
            std::vector<std::uint32_t> handles(row.servers);
            // The registry owns the clients: one removed inside a callback goes once no call
            // into it is under way (a fault frees it under the other callback: ASan).
            auto clientRegistry = std::make_unique<ClientManager>();
            std::vector<MeetingClient*> clients;
            std::vector<std::uint32_t> clientHandles(row.servers);
            // Only the first client is asked for a confirmation.
            const bool confirming = row.inConfirmation != Part::None;
            const std::size_t parties = row.servers + (confirming ? 1 : 0);
            Meeting meeting(parties);
            for (std::size_t i = 0; i < row.servers; ++i) {
                ASSERT_EQ(servers->AddServer("device " + std::to_string(i + 1), handles[i]), System::OkNoError);
                Server* server = nullptr;
                ASSERT_EQ(servers->GetServer(handles[i], server), System::OkNoError);
                // Both servers are the one test device, under names of their own.
                server->GetProfile(0)->SetParameter("RemoteNAddress", "127.0.0.1");
                server->GetProfile(0)->SetParameter("RemoteNPort", std::to_string(device.Port()));
                server->GetProfile(0)->SetParameter("LocalSTimeout", "300");
                auto& client = *clients.emplace_back(new MeetingClient);
                ASSERT_EQ(clientRegistry->AddClient(&client, clientHandles[i]), System::OkNoError);
                ASSERT_TRUE(TestSupport::Eventually([&] { return device.ReadyToAccept(); }));
                ASSERT_EQ(client.Associate(*server->GetProfile(0), 1), System::OkNoError);
                const auto part = [&, i](Part what) -> std::function<void()> {
                    MeetingClient* self = &client;
                    TPAppAssociation* association = client.GetAssociation();
                    switch (what) {
                        case Part::None: break;
                        case Part::LetGo: return [self] { self->ClearAssociation(); };
                        case Part::End: return [association] { association->End(); };
                        case Part::RemoveTheOtherServer:
                            // The other's handle is known once the meeting is complete.
                            return [&servers, &handles, i] {
                                EXPECT_EQ(servers->RemoveServer(handles[1 - i]), System::OkNoError);
                            };
                        case Part::EndTheOther: return [&clients, i] { clients[1 - i]->GetAssociation()->End(); };
                        case Part::AbortTheOther:
                            return [&clients, i] {
                                MeetingClient& other = *clients[1 - i];
                                const System::ResultCode result = other.GetAssociation()->Abort();
                                if (result == System::OkNoError) other.abortedHere.fetch_add(1);
                                else EXPECT_EQ(result, System::NotConnected);
                            };
                        case Part::RemoveTheClient:
                            return [&clientRegistry, handle = clientHandles[i]] {
                                EXPECT_EQ(clientRegistry->RemoveClientById(handle), System::OkNoError);
                            };
                        case Part::AssociateTheOtherHere:
                        case Part::AssociateTheOtherAgain:
                            return [&clients, &servers, &handles, i, again = what == Part::AssociateTheOtherAgain] {
                                Server* named = nullptr;
                                ASSERT_EQ(servers->GetServer(handles[again ? 1 - i : i], named), System::OkNoError);
                                MeetingClient& other = *clients[1 - i];
                                other.associatedThere.store(other.Associate(*named->GetProfile(0), 1));
                            };
                    }
                    return nullptr;
                };
                client.meeting = &meeting;
                client.inReport = part(row.inReport);
                client.inConfirmation = part(row.inConfirmation);
                client.inAbort = part(row.inAbort);
                client.armed.store(true);
            }
            std::optional<System::RefusedThreadStarts> refused;
            if (row.threadsRefused) refused.emplace();
            TestDevice::Faults trigger;
            if (row.inAbort == Part::None) trigger.reportEveryMs = 20;
            else trigger.abortAtRequest = 1;
            device.SetFaults(trigger);
            for (MeetingClient* client : clients) {
                std::uint32_t id = 0;
                if (row.inAbort == Part::None) break;
                ASSERT_EQ(client->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Device),
                          System::OkNoError);
            }
            if (confirming) {
                std::uint32_t id = 0;
                ASSERT_EQ(clients[0]->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Model),
                          System::OkNoError);
            }
            const std::vector<std::chrono::steady_clock::duration> took = meeting.WaitForActs();
            ASSERT_EQ(took.size(), parties) << "a callback did not come back";
            for (const auto each : took) EXPECT_LT(each, std::chrono::seconds(1));
            if (row.inReport == Part::AbortTheOther) {
                for (MeetingClient* client : clients) {
                    EXPECT_EQ(client->abortedHere.load(), 1);
                    // Told once the confirmation under way when it ended has been (see EndingNews).
                    EXPECT_TRUE(TestSupport::Eventually([&] { return client->aborts.load() >= 1; }));
                    EXPECT_EQ(client->aborts.load(), 1);
                }
            }
            // Each stands again on an association that waited for nothing of the other's.
            if (row.inAbort != Part::None) {
                for (MeetingClient* client : clients) {
                    EXPECT_EQ(client->associatedThere.load(), System::OkNoError);
                    EXPECT_TRUE(client->IsAssociated());
                    EXPECT_EQ(client->aborts.load(), 1);
                    // The device keeps its transport after an abort: not waited for.
                    EXPECT_EQ(client->GetAssociation()->Abort(AbortWait::None), System::OkNoError);
                }
            }
            // Each client has let go of its association, or has it let go of when its server goes.
            if (row.inReport == Part::LetGo) {
                EXPECT_EQ(clients[0]->GetAssociation(), nullptr);
                std::uint32_t id = 0;
                EXPECT_EQ(clients[0]->GetServerDirectory(id, ObjectClassLogicalDevice, AnswerFrom::Model),
                          System::Error);
            }
            // What waits for a thread is destroyed here, on a thread that nothing waits for.
            servers.reset();
            refused.reset();
            if (row.inReport != Part::RemoveTheClient) {
                for (MeetingClient* client : clients) EXPECT_EQ(client->GetAssociation(), nullptr);
            }
            EXPECT_TRUE(TestSupport::Eventually([&] { return device.OpenAssociations() == 0; }));
            clientRegistry.reset();
        }
    }
}

// Callers post without a pause while two threads end the association at once: both Ends
// return, every post is confirmed once (those after the end at once, with 8), an Associate
// after it is refused, and the server then goes without waiting on the closed link.
TEST(EndFromAnyThread, EndRacedByCallersPostingWithoutPauseIsFinalAndEveryPostIsConfirmed) {
    DeviceSession session;
    const Watchdog watchdog("End raced by posting callers");
    ActingClient client;
    ASSERT_EQ(client.Associate(session.Profile(), 1), System::OkNoError);
    TPAppAssociation* association = client.GetAssociation();
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> posted{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < 3; ++t) {
        posters.emplace_back([&, t] {
            while (!stop.load()) {
                std::uint32_t id = 0;
                const AnswerFrom from = t == 0 ? AnswerFrom::Model : AnswerFrom::Device;
                ASSERT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, from), System::OkNoError);
                posted.fetch_add(1);
            }
        });
    }
    ASSERT_TRUE(TestSupport::Eventually([&] { return posted.load() >= 30; }));
    std::thread second([&] { association->End(); });
    association->End();
    second.join();
    EXPECT_TRUE(association->IsEnded());
    EXPECT_EQ(client.Associate(session.Profile(), 1), System::Cancelled);
    // Still posting after the end: each refused and confirmed at once.
    const std::size_t atEnd = posted.load();
    ASSERT_TRUE(TestSupport::Eventually([&] { return posted.load() >= atEnd + 300; }));
    stop.store(true);
    for (std::thread& poster : posters) poster.join();
    ASSERT_TRUE(client.WaitForCount(posted.load()));
    const std::vector<System::ResultCode> results = client.Results();
    EXPECT_EQ(std::count(results.end() - 300, results.end(), System::Aborted), 300);
    session.server.reset();
    EXPECT_EQ(client.Results().size(), posted.load());
}

}  // namespace
}  // namespace AcsiClientTest
