// Two endings of one association racing: the first is held just after it has claimed the
// association, the second comes meanwhile and must neither wait for it nor tell anything;
// the association's end is told once, by the first. And endings of an association that
// does not stand tell nothing at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/EndingHold.h"
#include "iec61850/association/FarEnd.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

enum class Way { None, LocalAbort, Release, DeviceAbort, LostTransport, Stall, End, Abandon };

struct EndingPair {
    const char* name;
    Way first;
    // Held just after its claim while the second comes; else the second follows it.
    bool held;
    Way second;
    // OnAbort's records (local, peer) over both.
    std::vector<std::pair<int, int>> told;
};

constexpr std::pair<int, int> Local{1, 0};
constexpr std::pair<int, int> Peer{0, 1};

class PairRun {
public:
    explicit PairRun(DeviceSession& session) : session_(session) {}

    // Sets the ending off; the device's own come on its threads, the program's on one of
    // their own.
    void Start(Way way) {
        switch (way) {
            case Way::None:
            case Way::Abandon: break;  // an attempt's end: the callback table's
            case Way::LocalAbort: Spawn([this] { Association().Abort(); }); break;
            case Way::End: Spawn([this] { Association().End(); }); break;
            case Way::Release: EXPECT_EQ(session_.client->Release(), System::OkNoError); break;
            case Way::DeviceAbort: EndFromTheFarSide(session_, FarEnd::DeviceAbortAtRequest); break;
            case Way::Stall: EndFromTheFarSide(session_, FarEnd::StallAtRequest); break;
            case Way::LostTransport: EndFromTheFarSide(session_, FarEnd::LostTransport); break;
        }
    }

    // The second ending, which must come back at once (a wait for the held first would
    // never end).
    void Race(Way way) {
        auto done = std::async(std::launch::async, [this, way] {
            switch (way) {
                case Way::LocalAbort:
                    EXPECT_EQ(Association().Abort(), System::NotConnected);
                    EXPECT_EQ(Association().Abort(), System::NotConnected);
                    break;
                case Way::End: Association().End(); break;
                default: Start(way); break;
            }
        });
        EXPECT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the second ending waited";
    }

    void Join() {
        for (std::thread& thread : threads_) thread.join();
        threads_.clear();
    }

    TPAppAssociation& Association() { return *session_.client->GetAssociation(); }

private:
    void Spawn(std::function<void()> fn) { threads_.emplace_back(std::move(fn)); }

    DeviceSession& session_;
    std::vector<std::thread> threads_;
};

TEST(EndingPairs, AnAssociationsEndIsToldOnceWhicheverEndingsRaceAndNeverForOneThatDoesNotStand) {
    const EndingPair pairs[] = {
        {"two aborts", Way::LocalAbort, true, Way::LocalAbort, {Local}},
        {"an abort, then a release", Way::LocalAbort, true, Way::Release, {Local}},
        {"an answered release, then an abort", Way::Release, true, Way::LocalAbort, {}},
        {"an abort, then the transport lost", Way::LocalAbort, true, Way::LostTransport, {Local}},
        {"the device's abort, then an abort", Way::DeviceAbort, true, Way::LocalAbort, {Peer}},
        {"the transport lost, then an abort", Way::LostTransport, true, Way::LocalAbort, {Peer}},
        {"a stall, then an abort", Way::Stall, true, Way::LocalAbort, {Local}},
        {"an abort, then End", Way::LocalAbort, true, Way::End, {Local}},
        {"End, then an abort", Way::End, true, Way::LocalAbort, {Local}},
        {"an abort twice on one thread", Way::LocalAbort, false, Way::LocalAbort, {Local}},
        {"an abort after a release", Way::Release, false, Way::LocalAbort, {}},
        {"an abort before any association stood", Way::None, false, Way::LocalAbort, {}},
    };
    for (const EndingPair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        DeviceSession session;
        // Only the stall waits for a request to time out.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                       pair.first == Way::Stall ? "300" : "20000");
        if (pair.first == Way::None) {
            TestDevice::Faults refusing;
            refusing.initiateErrorClass = Mms::MmsErrorClassInitiate;
            session.device.SetFaults(refusing);
            EXPECT_NE(session.Associate(), System::OkNoError);
        } else {
            ASSERT_EQ(session.Associate(), System::OkNoError);
        }
        PairRun run(session);
        EndingHold hold;
        if (pair.held) hold.Arm(*run.Association().GetMmsConnection(), Mms::MmsConnection::EndingPoint::Claimed);
        run.Start(pair.first);
        if (pair.held) {
            ASSERT_TRUE(hold.WaitUntilHeld());
        } else if (pair.first != Way::None) {
            EXPECT_TRUE(TestSupport::Eventually([&] { return run.Association().IsIdle(); }));
        }
        run.Race(pair.second);
        hold.Release();
        run.Join();
        EXPECT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));
        // Every thread of the association joined: whatever it would still tell has been told.
        session.server.reset();
        EXPECT_EQ(session.client->Aborts(), pair.told);
    }
}

// The callbacks a client may associate again from.
enum class Callback { Confirmation, Report, InRelease, InAbort };
// What the callback calls of the library.
enum class Call { Associate, Abort, End };

// Associates again (or aborts, or ends) from inside the first callback of its kind, with
// what the test puts before and after that call, and notes the outcome and how long the
// call took.
class CallbackAssociatingClient : public RecordingClient {
public:
    ~CallbackAssociatingClient() override { ClearAssociation(); }

    Callback in = Callback::Confirmation;
    Call call = Call::Associate;
    // Set before the association is made: a callback may come on a thread that learnt of
    // its cause through a socket only.
    std::atomic<AssociationProfile*> profile{nullptr};
    std::function<void()> before;
    std::function<void()> after;

    struct Outcome {
        System::ResultCode result = System::NotCompleted;
        std::chrono::steady_clock::duration took{};
    };
    std::future<Outcome> TakeOutcome() { return outcome_.get_future(); }

    std::int32_t OnGetServerDirectory(A::GetServerDirectory* s) override {
        RecordingClient::OnGetServerDirectory(s);
        return AssociateIn(Callback::Confirmation);
    }
    std::int32_t OnReport(RCBReport* report) override {
        RecordingClient::OnReport(report);
        return AssociateIn(Callback::Report);
    }
    std::int32_t OnRelease(A::Release* s) override {
        RecordingClient::OnRelease(s);
        return AssociateIn(Callback::InRelease);
    }
    std::int32_t OnAbort(const std::uint8_t* record) override {
        RecordingClient::OnAbort(record);
        return AssociateIn(Callback::InAbort);
    }

private:
    std::int32_t AssociateIn(Callback callback) {
        if (callback != in || profile == nullptr || taken_.exchange(true)) return 0;
        if (before) before();
        const auto start = std::chrono::steady_clock::now();
        System::ResultCode result = System::OkNoError;
        switch (call) {
            case Call::Associate: result = Associate(*profile.load(), 1); break;
            case Call::Abort: result = GetAssociation()->Abort(); break;
            case Call::End: GetAssociation()->End(); break;
        }
        outcome_.set_value({result, std::chrono::steady_clock::now() - start});
        if (after) after();
        return 0;
    }

    std::atomic<bool> taken_{false};
    std::promise<Outcome> outcome_;
};

struct CallbackRow {
    const char* name;
    Callback in;
    Way ending;
    // Raced: the callback is set off first, and the ending comes from another thread while it
    // runs, the callback waiting until the ending is held at `at` (it lets it go once its
    // Associate is back). Else the ending itself delivers the callback.
    bool raced;
    Mms::MmsConnection::EndingPoint at;
    // OnAbort's records (local, peer).
    std::vector<std::pair<int, int>> told;
    Call call = Call::Associate;
    int rounds = 1;
};

constexpr auto Claimed = Mms::MmsConnection::EndingPoint::Claimed;
constexpr auto Confirming = Mms::MmsConnection::EndingPoint::Confirming;

// Associate from a callback of an association never waits for an ending of it, on whichever
// thread the callback runs and however that ending races it: it is refused at once (17, and
// OnAssociationFailed(12)), and the ending completes, telling its end once and confirming
// every request once. A fault deadlocks (the ending waits for the callback's client lock, the
// callback for the ending's claim) or waits for the transport's confirm (10 s) or the
// initiate's answer (30 s). Abort and End from a confirmation, while the device reports every
// 20 ms and the receive thread delivers those reports to the same client, come back at once:
// no lock of the association is held around a callback, so neither thread waits for the other
// (a fault holds the ending's close for the transport's time-outs, 20 s).
TEST(EndingPairs, AssociateFromACallbackThatAnEndingRacesOrDeliversIsRefusedAtOnceAndTheEndingCompletes) {
    using enum Callback;
    using enum Way;
    const CallbackRow rows[] = {
        {"a confirmation, a local abort after its claim", Confirmation, LocalAbort, true, Claimed, {Local}},
        {"a confirmation, a local abort at its confirmations", Confirmation, LocalAbort, true, Confirming, {Local}},
        {"a confirmation, the device's abort", Confirmation, DeviceAbort, true, Claimed, {Peer}},
        {"a confirmation, the transport lost", Confirmation, LostTransport, true, Claimed, {Peer}},
        {"a confirmation, End at its confirmations", Confirmation, End, true, Confirming, {Local}},
        {"a report, a local abort", Report, LocalAbort, true, Claimed, {Local}},
        {"a report, End", Report, End, true, Claimed, {Local}},
        {"a confirmation a local abort delivers", Confirmation, LocalAbort, false, Claimed, {Local}},
        {"a confirmation the device's abort delivers", Confirmation, DeviceAbort, false, Claimed, {Peer}},
        {"a confirmation a stall delivers", Confirmation, Stall, false, Claimed, {Local}},
        {"OnRelease", InRelease, Release, false, Claimed, {}},
        {"OnAbort of a local abort", InAbort, LocalAbort, false, Claimed, {Local}},
        {"OnAbort of the device's abort", InAbort, DeviceAbort, false, Claimed, {Peer}},
        {"OnAbort of a lost transport", InAbort, LostTransport, false, Claimed, {Peer}},
        {"OnAbort of a stall", InAbort, Stall, false, Claimed, {Local}},
        {"OnAbort of End", InAbort, End, false, Claimed, {Local}},
        {"OnAbort of an abandoned attempt", InAbort, Abandon, false, Claimed, {Local}},
        {"Abort from a confirmation while reports come", Confirmation, None, false, Claimed, {Local}, Call::Abort, 5},
        {"End from a confirmation while reports come", Confirmation, None, false, Claimed, {Local}, Call::End, 5},
    };
    for (const CallbackRow& row : rows) {
        for (int round = 0; round < row.rounds; ++round) {
            SCOPED_TRACE(std::string(row.name) + ", round " + std::to_string(round + 1));
            // Outlives the association whose hook reaches it.
            EndingHold hold;
            DeviceSession session;
            // Only the stall waits for a request to time out.
            session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                           row.ending == Way::Stall ? "300" : "30000");
            auto& client = session.UseClient<CallbackAssociatingClient>();
            client.in = row.in;
            client.call = row.call;
            auto outcome = client.TakeOutcome();
            std::promise<void> entered;
            if (row.raced) {
                client.before = [&] {
                    entered.set_value();
                    EXPECT_TRUE(hold.WaitUntilHeld());
                };
                client.after = [&] { hold.Release(); };
            }
            client.profile = &session.Profile();
            ASSERT_EQ(session.Associate(), System::OkNoError);
            TPAppAssociation& association = *client.GetAssociation();
            std::size_t posted = 0;
            const auto read = [&](AnswerFrom from) {
                std::uint32_t id = 0;
                EXPECT_EQ(client.GetServerDirectory(id, ObjectClassLogicalDevice, from), System::OkNoError);
                ++posted;
            };
            std::vector<std::thread> threads;
            const auto end = [&](Way ending) {
                switch (ending) {
                    case Way::None: break;
                    case Way::LocalAbort: threads.emplace_back([&] { association.Abort(); }); break;
                    case Way::End: threads.emplace_back([&] { association.End(); }); break;
                    case Way::Release: EXPECT_EQ(client.Release(), System::OkNoError); break;
                    case Way::DeviceAbort:
                        EndFromTheFarSide(session, row.raced ? FarEnd::DeviceAbortNow : FarEnd::DeviceAbortAtRequest);
                        posted += row.raced ? 0 : 1;
                        break;
                    case Way::LostTransport: EndFromTheFarSide(session, FarEnd::LostTransport); break;
                    case Way::Stall:
                        EndFromTheFarSide(session, FarEnd::StallAtRequest);
                        ++posted;
                        break;
                    case Way::Abandon: {
                        // An attempt whose initiate is never answered, abandoned once its
                        // transport is open (its generation named).
                        EXPECT_EQ(client.Release(), System::OkNoError);
                        ++posted;
                        ASSERT_TRUE(TestSupport::Eventually([&] { return association.IsIdle(); }));
                        TestDevice::Faults silent;
                        silent.dropInitiateAnswer = true;
                        session.device.SetFaults(silent);
                        const std::size_t connections = session.relay->Connections();
                        threads.emplace_back([&] { EXPECT_EQ(session.Associate(), System::Aborted); });
                        ASSERT_TRUE(
                            TestSupport::Eventually([&] { return session.relay->Connections() > connections; }));
                        EXPECT_TRUE(association.AbandonAssociate());
                        break;
                    }
                }
            };

            if (row.raced) {
                hold.Arm(*association.GetMmsConnection(), row.at);
                // The callback first; the ending (with a request queued behind the callback for it
                // to take) while the callback runs.
                if (row.in == Callback::Report) {
                    TestDevice::Faults reporting;
                    reporting.reportEveryMs = 20;
                    session.device.SetFaults(reporting);
                } else {
                    // Answered from the model, on the association's thread: the receive thread
                    // stays free for the endings that come on it.
                    read(AnswerFrom::Model);
                }
                ASSERT_EQ(entered.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
                session.device.SetFaults({});
                read(AnswerFrom::Device);
                end(row.ending);
            } else if (row.call != Call::Associate) {
                // The confirmation (answered from the model, on the association's thread) ends the
                // association once a report has reached the client beside it: reports keep coming
                // while it does.
                TestDevice::Faults reporting;
                reporting.reportEveryMs = 20;
                session.device.SetFaults(reporting);
                client.before = [&client] {
                    const std::size_t reports = client.Reports().size();
                    TestSupport::Eventually([&] { return client.Reports().size() > reports; });
                };
                read(AnswerFrom::Model);
            } else {
                // A request the ending confirms.
                if (row.in == Callback::Confirmation && row.ending == Way::LocalAbort) {
                    TestDevice::Faults holding;
                    holding.held = {Mms::MmsServiceGetNameList};
                    session.device.SetFaults(holding);
                    read(AnswerFrom::Device);
                    ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.RequestCount() > 0; }));
                }
                end(row.ending);
            }

            const bool back = outcome.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
            // Let go whatever a fault left waiting, so that the row ends.
            hold.Release();
            for (std::thread& thread : threads) thread.join();
            ASSERT_TRUE(back) << "Associate from the callback did not come back";
            const auto [result, took] = outcome.get();
            if (row.call == Call::Associate) {
                EXPECT_EQ(result, System::InvalidContext);
                EXPECT_LT(took, std::chrono::seconds(5));
                const std::vector<std::int32_t> reasons = client.FailedReasons();
                EXPECT_NE(std::find(reasons.begin(), reasons.end(), TPAppAssociation::ReasonServerConstraint),
                          reasons.end());
            } else {
                EXPECT_EQ(result, System::OkNoError);
                EXPECT_LT(took, std::chrono::seconds(1));
            }
            // The ending completed: told once, every request confirmed once.
            EXPECT_TRUE(TestSupport::Eventually([&] { return client.Aborts().size() >= row.told.size(); }));
            EXPECT_TRUE(client.WaitForCount(posted + (row.ending == Way::Release ? 1 : 0)));
            EXPECT_FALSE(association.IsAssociated());
            const std::vector<std::pair<int, int>> told = client.Aborts();
            // And from a thread of its own the client associates again (End refuses for good).
            client.profile = nullptr;
            session.device.SetFaults({});
            const bool ended = row.ending == Way::End || row.call == Call::End;
            EXPECT_EQ(session.Associate(), ended ? System::Cancelled : System::OkNoError)
                << "failed with reasons " << ::testing::PrintToString(client.FailedReasons());
            EXPECT_EQ(told, row.told);
            session.server.reset();
        }
    }
}

}  // namespace
}  // namespace AcsiClientTest
