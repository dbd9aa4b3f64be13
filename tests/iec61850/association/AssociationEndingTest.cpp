// Requests sent from several callers' threads while the association ends, again and again,
// by each of the ways it can end: every request is confirmed exactly once, and none is
// freed while a thread still sends it (AddressSanitizer and ThreadSanitizer runs). Each
// ending comes while requests are out by construction, whatever the machine's speed: the
// device ends the association at a request, stalls at one, or holds its read answers
// until the test has ended it. Every other round the callers' requests are withdrawn as
// the end comes, so that the withdrawal races the end, the sends and the association's
// thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "iec61850/association/ConfirmationTally.h"
#include "iec61850/association/DeviceSession.h"
#include "mms/machine/RequestGroup.h"
#include "mms/pdu/MmsPduServices.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

// Counts the confirmations of the requests raced against an ending.
class CountingClient : public Iec61850::ClientApplication, public ConfirmationTally {
public:
    CountingClient() : ConfirmationTally(std::chrono::seconds(20)) {}
    ~CountingClient() override { ClearAssociation(); }

    std::int32_t OnGetDataValues(A::GetDataValues* s) override { return Count(*s); }
    std::int32_t OnSetDataValues(A::SetDataValues* s) override { return Count(*s); }
    std::int32_t OnRelease(A::Release* s) override { return Count(*s); }
};

enum class Ending { DeviceAbort, TransportClosed, StalledLink, LocalAbort, Release };

struct EndingCase {
    const char* name;
    Ending ending;
    int rounds;
};

// The device never answers reads while the test ends the association itself, so the reads
// it has taken are out when the end comes; the writes' answers race the end.
bool HoldsReadAnswers(Ending ending) { return ending == Ending::TransportClosed || ending == Ending::LocalAbort; }

constexpr int Senders = 3;
constexpr int PostsPerSender = 40;

class EndingRounds {
public:
    explicit EndingRounds(DeviceSession& session) : session_(session) {}

    // One association, requests from every sender while it ends: false when it could not
    // be made (the device still letting the last one go).
    bool Round(Ending ending, int round) {
        if (!AssociateWhenFree(ending, round)) return false;
        std::atomic<bool> stop{false};
        const auto group = std::make_shared<Mms::RequestGroup>();
        std::vector<std::thread> senders;
        for (int t = 0; t < Senders; ++t) senders.emplace_back([&, t] { Send(t, stop, group); });
        // The device's own endings come at a request: withdrawn before, nothing would reach
        // it. Those are withdrawn as they come to an end, the others as the test ends them.
        const bool withdraw = round % 2 == 1;
        const bool deviceEnds = ending == Ending::DeviceAbort || ending == Ending::StalledLink;
        std::thread withdrawing;
        End(ending, [&] {
            if (withdraw && !deviceEnds) withdrawing = std::thread([&] { client.WithdrawRequests(*group); });
        });
        // A few go after the end too: refused, or confirmed as never sent.
        EXPECT_TRUE(TestSupport::Eventually([&] { return !client.IsAssociated(); }));
        if (withdraw && deviceEnds) withdrawing = std::thread([&] { client.WithdrawRequests(*group); });
        if (withdrawing.joinable()) withdrawing.join();
        stop.store(true);
        for (std::thread& sender : senders) sender.join();
        return true;
    }

    CountingClient client;
    std::atomic<std::size_t> posted{0};

private:
    bool AssociateWhenFree(Ending ending, int round) {
        TestDevice::Faults faults;
        if (ending == Ending::DeviceAbort) faults.abortAtRequest = 1 + round % 12;
        if (ending == Ending::StalledLink) faults.stallAfterRequest = 2 + round % 4;
        if (HoldsReadAnswers(ending)) faults.dropped = {Mms::MmsServiceRead};
        // A stalled device holds its end of the last link until its faults change, and must
        // have let it go before they stall again. The session's own association stays.
        session_.device.SetFaults({});
        const bool free = TestSupport::Eventually([&] {
            TPAppAssociation* association = client.GetAssociation();
            return session_.device.ReadyToAccept() && session_.device.OpenAssociations() <= 1 &&
                   (association == nullptr || association->IsIdle());
        });
        EXPECT_TRUE(free);
        session_.device.ClearRequests();
        session_.device.SetFaults(faults);
        // The device may still be carrying the end of the last one up its chain.
        return client.Associate(session_.Profile(), 1) == System::OkNoError ||
               client.Associate(session_.Profile(), 1) == System::OkNoError;
    }

    void Send(int sender, const std::atomic<bool>& stop, std::shared_ptr<const Mms::RequestGroup> group) {
        const Iec61850::ClientApplication::RequestGroupScope scope(std::move(group));
        for (int i = 0; i < PostsPerSender && !stop.load(); ++i) {
            std::uint32_t id = 0;
            // Reads and writes by turns, both sent from here whenever nothing waits before them.
            const System::ResultCode result =
                (i + sender) % 2 == 0 ? client.GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device)
                                      : client.SetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"},
                                                             {{"MX", "LD0/MMXU1.TotW.mag.f", std::to_string(i) + ".5"}},
                                                             AnswerFrom::Device);
            ASSERT_EQ(result, System::OkNoError);
            posted.fetch_add(1);
        }
    }

    // Ends the association once the device holds a read it will not answer (or lets the
    // device's fault end it at a request); `alongside` runs as the end comes.
    void End(Ending ending, const std::function<void()>& alongside) {
        if (HoldsReadAnswers(ending)) {
            ASSERT_TRUE(TestSupport::Eventually([&] {
                const auto requests = session_.device.Requests();
                return std::any_of(requests.begin(), requests.end(),
                                   [](const TestDevice::RequestRecord& r) { return r.service == Mms::MmsServiceRead; });
            }));
        }
        alongside();
        switch (ending) {
            case Ending::DeviceAbort:
            case Ending::StalledLink: break;
            case Ending::TransportClosed: {
                // Cut on the wire: both ends of the relay close at once.
                session_.relay = std::make_unique<AssociationTest::AssociationWireRelay>(session_.device.Port());
                session_.Profile().SetParameter("RemoteNPort", std::to_string(session_.relay->Port()));
                break;
            }
            case Ending::LocalAbort: client.GetAssociation()->Abort(); break;
            case Ending::Release:
                if (client.Release() == System::OkNoError) posted.fetch_add(1);
                break;
        }
    }

    DeviceSession& session_;
};

// Every way an association ends, each raced by reads and writes that three callers send
// themselves: each request is confirmed once, answered or with the end's result.
TEST(AssociationEnding, RequestsSentByCallersAreConfirmedOnceWhicheverWayTheAssociationEnds) {
    const EndingCase cases[] = {
        {"device abort", Ending::DeviceAbort, 60}, {"transport closed", Ending::TransportClosed, 30},
        {"stalled link", Ending::StalledLink, 3},  {"local abort", Ending::LocalAbort, 30},
        {"release", Ending::Release, 30},
    };
    for (const EndingCase& ending : cases) {
        SCOPED_TRACE(ending.name);
        DeviceSession session;
        // Only the stalled link waits for its requests to time out; held reads never do.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                       ending.ending == Ending::StalledLink ? "250" : "60000");
        // A local abort waits this long for the device to close.
        session.Profile().SetParameter("LocalSTimeout", "50");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        EndingRounds rounds(session);
        int made = 0;
        for (int round = 0; round < ending.rounds; ++round) {
            if (rounds.Round(ending.ending, round)) ++made;
            if (HasFatalFailure()) return;
        }
        EXPECT_GT(made, 0);
        ASSERT_TRUE(rounds.client.WaitForTotal(rounds.posted.load()))
            << rounds.client.Total() << " of " << rounds.posted.load() << " confirmed";
        // None twice: once the client has let go of its association, nothing more reaches it.
        session.device.SetFaults({});
        rounds.client.ClearAssociation();
        EXPECT_EQ(rounds.client.Total(), rounds.posted.load());
        const auto byResult = rounds.client.ByResult();
        std::string seen;
        for (const auto& [result, count] : byResult) seen += std::to_string(result) + ":" + std::to_string(count) + " ";
        SCOPED_TRACE(std::to_string(made) + " associations, confirmations by result: " + seen);
        RecordProperty(std::string(ending.name) + " associations", made);
        RecordProperty(std::string(ending.name) + " requests", static_cast<int>(rounds.posted.load()));
        // Those the end overlapped: out when it came, and so ended with the association.
        const auto aborted = byResult.find(System::Aborted);
        RecordProperty(std::string(ending.name) + " overlapped",
                       aborted != byResult.end() ? static_cast<int>(aborted->second) : 0);
        // Answered; or ended with the association (8), never sent (7), withdrawn unsent (9),
        // or, on a stalled link, timed out (12).
        for (const auto& [result, count] : byResult) {
            EXPECT_TRUE(result == System::OkNoError || result == System::Aborted || result == System::NotConnected ||
                        result == System::Cancelled ||
                        (ending.ending == Ending::StalledLink && result == System::Timeout))
                << result << " x" << count;
        }
        const auto withdrawn = byResult.find(System::Cancelled);
        RecordProperty(std::string(ending.name) + " withdrawn",
                       withdrawn != byResult.end() ? static_cast<int>(withdrawn->second) : 0);
        if (ending.ending == Ending::StalledLink) {
            EXPECT_GT(byResult.count(System::Timeout), 0u);
        }
        if (ending.ending != Ending::StalledLink && ending.ending != Ending::Release) {
            EXPECT_GT(byResult.count(System::Aborted), 0u);
        }
        // The first round's link, ended in its midst, still reads cleanly (a cut one may end
        // inside a unit).
        if (ending.ending != Ending::TransportClosed && session.relay->Connections() > 1 &&
            TestSupport::WireCheckRuns()) {
            EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(1)), "");
        }
    }
}

// A device that closes its transport right after its conclude answer (the relay closes the
// connection both ways once it has forwarded that answer, so the client reads the close
// straight after it, every time): the release is told once, as a release that succeeded, and
// the close is its end, never an abort. What crossed the relay decodes cleanly.
TEST(AssociationEnding, AReleaseTheDeviceAnsweredBeforeClosingIsToldOnceAndNeverAsAnAbort) {
    DeviceSession session;
    session.relay->CloseAfterConcludeAnswer();
    constexpr std::size_t Releases = 200;
    for (std::size_t round = 0; round < Releases; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
        // The device may still be carrying the end of the last one up its chain.
        if (session.Associate() != System::OkNoError) {
            ASSERT_EQ(session.Associate(), System::OkNoError);
        }
        session.client->StartOver();
        ASSERT_EQ(session.client->Release(), System::OkNoError);
        ASSERT_TRUE(session.client->WaitForCount(1));
        const auto all = session.client->All();
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all.begin()->second.callback, "Release");
        EXPECT_EQ(all.begin()->second.result, System::OkNoError);
        EXPECT_EQ(all.begin()->second.serviceError, 0);
        // The relay ended this connection after the answer: the client did not close it first.
        const std::size_t connection = session.relay->Connections() - 1;
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.relay->Ended(connection); }));
        EXPECT_FALSE(session.relay->EndedByClient(connection));
        EXPECT_FALSE(session.client->IsAssociated());
        ASSERT_EQ(session.client->Aborts(), (std::vector<std::pair<int, int>>{}));
    }
    const std::size_t connections = session.relay->Connections();
    // Every thread of the association joined: whatever it would still tell has been told.
    session.server.reset();
    EXPECT_EQ(session.client->Aborts(), (std::vector<std::pair<int, int>>{}));
    if (TestSupport::WireCheckRuns()) {
        for (const std::size_t connection : {std::size_t{0}, connections - 1}) {
            const std::vector<TestSupport::WireUnit> units = session.relay->Units(connection);
            EXPECT_EQ(TestSupport::FindProblems(units), "") << "connection " << connection;
            // It ends with the device's conclude answer.
            ASSERT_FALSE(units.empty());
            EXPECT_FALSE(units.back().fromClient);
        }
    }
}

// Keeps every core busy for its life, so that the library's threads lose the processor at
// any point, as on a loaded machine: windows of a few instructions open wide.
class BusyCores {
public:
    BusyCores() {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i) {
            spinners_.emplace_back([this] {
                while (!stop_.load(std::memory_order_relaxed)) {}
            });
        }
    }
    ~BusyCores() {
        stop_.store(true);
        for (std::thread& spinner : spinners_) spinner.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> spinners_;
};

// The server removed while the device's answer to a release is on its way, at delays that
// sweep across that answer, on a loaded machine: the server ends its associations and
// waits for their threads first, so the answer never resets the chain through a profile
// that is going away, nor comes after the client was let go. The release is confirmed once.
TEST(AssociationEnding, AReleaseAnsweredAsTheServerGoesIsConfirmedOnceAndReachesNoProfileThatWent) {
    DeviceSession session;
    const auto aimNewServer = [&session] {
        session.server = std::make_unique<Server>();
        session.Profile().SetParameter("RemoteNPort", std::to_string(session.relay->Port()));
        session.Profile().SetParameter("LocalSTimeout", "50");
    };
    const BusyCores busy;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        aimNewServer();
        ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
        if (session.Associate() != System::OkNoError) {
            ASSERT_EQ(session.Associate(), System::OkNoError);
        }
        session.client->StartOver();
        ASSERT_EQ(session.client->Release(), System::OkNoError);
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(2 * round * round);
        while (std::chrono::steady_clock::now() < until) {}
        session.server.reset();
        ASSERT_TRUE(session.client->WaitForCount(1));
        const auto all = session.client->All();
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all.begin()->second.callback, "Release");
        // Concluded; ended with the association (8); or taken up only once it had ended (7).
        const System::ResultCode result = all.begin()->second.result;
        EXPECT_TRUE(result == System::OkNoError || result == System::Aborted || result == System::NotConnected)
            << result;
    }
    aimNewServer();
}

}  // namespace
}  // namespace AcsiClientTest
