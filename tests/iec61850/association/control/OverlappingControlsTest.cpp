// Selects and operates of one control object from several callers' threads at once, with
// reports streaming and command terminations landing in the model, while the association
// ends each way it can: every control is confirmed exactly once, and nothing touches the
// model's control structures outside the model lock (ThreadSanitizer and AddressSanitizer
// runs).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "iec61850/acsi/client/ControlServices.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/association/ConfirmationTally.h"
#include "iec61850/association/DeviceSession.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Iec61850::AttributeRecords;

const AttributeRecords kComponents = {
    {"ctlVal", "True"}, {"origin.orCat", "3"}, {"origin.orIdent", "5178"}, {"ctlNum", "42"}};
const std::string kTime = "2026-12-07 09:30:00.000";

// Counts confirmations by their result (invoke ids repeat from one association to the
// next), and what the device sent besides: command terminations, whose control object it
// reads under the model lock as a program does, and reports.
class CountingControlClient : public Iec61850::ClientApplication, public ConfirmationTally {
public:
    CountingControlClient() : ConfirmationTally(RecordingClient::Deadline) {}
    ~CountingControlClient() override { ClearAssociation(); }

    std::int32_t OnSelect(A::Select* s) override { return Count(*s); }
    std::int32_t OnSelectWithValue(A::SelectWithValue* s) override { return Count(*s); }
    std::int32_t OnOperate(A::Operate* s) override { return Count(*s); }
    std::int32_t OnCancel(A::Cancel* s) override { return Count(*s); }
    std::int32_t OnSetURCBValues(A::SetURCBValues* s) override {
        {
            std::lock_guard lock(blockMutex_);
            blockResults_.push_back(s->GetResult());
        }
        blockChanged_.notify_all();
        return Count(*s);
    }
    std::int32_t OnCommandTermination(ControlReport* report) override {
        const Server* model = server.load();
        if (auto* item = dynamic_cast<DataItem*>(report->controlObject); item != nullptr && model != nullptr) {
            std::vector<ValueRecord> values;
            const Mms::ModelHold hold(model);
            item->CollectValues(values);
        }
        terminations.fetch_add(1);
        return 0;
    }
    std::int32_t OnReport(RCBReport*) override {
        reports.fetch_add(1);
        return 0;
    }

    // The result of the nth block write of this client (counted from 1); NotCompleted when
    // none came by the deadline.
    System::ResultCode WaitForBlockWrite(std::size_t nth) {
        std::unique_lock lock(blockMutex_);
        blockChanged_.wait_for(lock, RecordingClient::Deadline, [&] { return blockResults_.size() >= nth; });
        return blockResults_.size() >= nth ? blockResults_[nth - 1] : System::NotCompleted;
    }
    std::size_t BlockWrites() const {
        std::lock_guard lock(blockMutex_);
        return blockResults_.size();
    }

    std::atomic<const Server*> server{nullptr};
    std::atomic<std::size_t> terminations{0};
    std::atomic<std::size_t> reports{0};

private:
    mutable std::mutex blockMutex_;
    std::condition_variable blockChanged_;
    std::vector<System::ResultCode> blockResults_;
};

enum class Ending { DeviceAbort, TransportClosed, StalledLink, LocalAbort, Release, ServerRemoved };

constexpr int Senders = 3;
constexpr int PostsPerSender = 24;

// The session's model read, and the block whose data set holds CSWI1's position and GGIO1's
// indication bound, so that this association's reports decode into the model. The session's
// own association is released then: every association the device holds afterwards is the
// counting client's.
void Prepare(DeviceSession& session) {
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.LoadModel();
    ASSERT_EQ(session
                  .Call([](RecordingClient& c, std::uint32_t& id) {
                      return c.GetURCBValues(id, {"RP", "LD0/LLN0.urcb01"}, AnswerFrom::Device);
                  })
                  .serviceError,
              0);
    LogicalNode* lln0 = nullptr;
    ASSERT_EQ(session.server->FindLogicalNode("LD0/LLN0", lln0), System::OkNoError);
    {
        const Mms::ModelHold hold(session.server.get());
        ASSERT_EQ(lln0->GetURCBs().at("urcb01")->Bind(hold), System::OkNoError);
    }
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.OpenAssociations() == 0; }));
}

class ControlRounds {
public:
    ControlRounds(DeviceSession& session, CountingControlClient& client) : session_(session), client_(client) {}

    // One association, the same object controlled from every sender while reports stream
    // and the association ends.
    void Round(Ending ending, int round) {
        if (!AssociateWhenFree(ending, round)) return;
        client_.server.store(session_.server.get());
        // A link that still carries reports is not stalled: its requests time out one by one.
        // The next change waits for the last one's report, so that the device keeps serving.
        const bool streaming = ending != Ending::StalledLink;
        // Where reports stream, the block is enabled and its first report in before the controls
        // start: every such round meets the device's reports, however soon its ending comes.
        const std::size_t blockWrites = client_.BlockWrites();
        std::uint32_t id = 0;
        ASSERT_EQ(client_.SetURCBValues(id, "LD0/LLN0.urcb01", {{"RptEna", "True"}}, AnswerFrom::Device),
                  System::OkNoError);
        posted.fetch_add(1);
        std::atomic<bool> stop{false};
        if (streaming) {
            ASSERT_EQ(client_.WaitForBlockWrite(blockWrites + 1), System::OkNoError);
            const std::size_t before = client_.reports.load();
            ASSERT_EQ(ToggleIndication(), System::OkNoError);
            ASSERT_TRUE(TestSupport::Eventually([&] { return client_.reports.load() > before; }));
        }
        std::thread streamer([&] {
            while (streaming && !stop.load()) {
                const std::size_t before = client_.reports.load();
                ToggleIndication();
                TestSupport::Eventually([&] { return stop.load() || client_.reports.load() > before; });
            }
        });
        const std::size_t before = posted.load();
        std::vector<std::thread> senders;
        for (int t = 0; t < Senders; ++t) senders.emplace_back([&, t] { Send(round, t, stop); });
        // Requests out from every sender before the ending (a device's ending comes at its
        // own request count, whatever the test waits for).
        EXPECT_TRUE(TestSupport::Eventually([&] { return posted.load() >= before + Senders * 3; }))
            << posted.load() - before << " requests out before the ending";
        End(ending);
        EXPECT_TRUE(TestSupport::Eventually([&] { return !client_.IsAssociated(); }));
        stop.store(true);
        for (std::thread& sender : senders) sender.join();
        streamer.join();
    }

    std::atomic<std::size_t> posted{0};

private:
    // A change the device reports: the indication in the block's data set turned over.
    System::ResultCode ToggleIndication() {
        const char* reference = "LD0/GGIO1$ST$Ind1$stVal";
        return session_.device.SetValue(reference, session_.device.GetValue(reference) == "True" ? "False" : "True");
    }

    // The association made once the last one is gone on both sides: false (and the test
    // failed) when it cannot be. A stalled round's time-out bounds its initiate too, which a
    // loaded machine may overrun: such an attempt is made again.
    bool AssociateWhenFree(Ending ending, int round) {
        TestDevice::Faults faults;
        if (ending == Ending::DeviceAbort) faults.abortAtRequest = 4 + round % 12;
        if (ending == Ending::StalledLink) faults.stallAfterRequest = 4 + round % 4;
        session_.device.SetFaults({});
        auto free = [&] {
            TPAppAssociation* association = client_.GetAssociation();
            return session_.device.ReadyToAccept() && session_.device.OpenAssociations() == 0 &&
                   (association == nullptr || association->IsIdle());
        };
        EXPECT_TRUE(TestSupport::Eventually(free)) << "the last association still stands in round " << round;
        session_.device.SetFaults(faults);
        const bool associated = TestSupport::Eventually(
            [&] { return free() && client_.Associate(session_.Profile(), 1) == System::OkNoError; },
            std::chrono::seconds(60));
        EXPECT_TRUE(associated) << "no association in round " << round;
        return associated;
    }

    // Each round controls one object, by turns: selects and operates of an SBO object,
    // operates and cancels of a direct object with command terminations, and selects with
    // value, operates and cancels of an SBO object with enhanced security.
    void Send(int round, int sender, const std::atomic<bool>& stop) {
        const int model = 2 + round % 3;
        const std::string object = "LD0/CSWI" + std::to_string(model) + ".Pos";
        for (int i = 0; i < PostsPerSender && !stop.load(); ++i) {
            std::uint32_t id = 0;
            const int step = (i + sender) % 3;
            System::ResultCode result = System::Error;
            if (model == 2) {
                result = step == 0
                             ? client_.Select(id, object, SelectBy::ReadingSbo)
                             : client_.Operate(id, object, kComponents, "False", kTime, "00", Activation::Immediate);
            } else if (step == 0 && model == 4) {
                result = client_.SelectWithValue(id, object, kComponents, "False", kTime, "00", Activation::Immediate);
            } else if (step == 2) {
                result = client_.Cancel(id, object, kComponents, "False", kTime, Activation::Immediate);
            } else {
                result = client_.Operate(id, object, kComponents, "False", kTime, "00", Activation::Immediate);
            }
            if (result == System::OkNoError) posted.fetch_add(1);
        }
    }

    void End(Ending ending) {
        switch (ending) {
            case Ending::DeviceAbort:
            case Ending::StalledLink: break;
            case Ending::TransportClosed:
                session_.relay = std::make_unique<AssociationTest::AssociationWireRelay>(session_.device.Port());
                session_.Profile().SetParameter("RemoteNPort", std::to_string(session_.relay->Port()));
                break;
            case Ending::LocalAbort: client_.GetAssociation()->Abort(); break;
            case Ending::Release: client_.Release(); break;
            case Ending::ServerRemoved:
                client_.server.store(nullptr);
                session_.server.reset();
                break;
        }
    }

    DeviceSession& session_;
    CountingControlClient& client_;
};

struct EndingCase {
    const char* name;
    Ending ending;
    int rounds;
};

TEST(OverlappingControls,
     OneObjectControlledFromSeveralThreadsAmidReportsIsConfirmedOnceWhicheverWayTheAssociationEnds) {
    const EndingCase cases[] = {
        {"device abort", Ending::DeviceAbort, 24}, {"transport closed", Ending::TransportClosed, 12},
        {"stalled link", Ending::StalledLink, 3},  {"local abort", Ending::LocalAbort, 9},
        {"release", Ending::Release, 9},           {"server removed", Ending::ServerRemoved, 2},
    };
    std::size_t succeeded = 0;
    std::size_t terminations = 0;
    std::size_t reports = 0;
    for (const EndingCase& ending : cases) {
        SCOPED_TRACE(ending.name);
        CountingControlClient client;
        std::size_t posted = 0;
        std::unique_ptr<DeviceSession> session;
        for (int round = 0; round < ending.rounds; ++round) {
            // A removed server takes its model along: each such round reads a device afresh.
            if (session == nullptr || ending.ending == Ending::ServerRemoved) {
                session = std::make_unique<DeviceSession>();
                session->Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                                ending.ending == Ending::StalledLink ? "250" : "5000");
                session->Profile().SetParameter("LocalSTimeout", "50");
                Prepare(*session);
                if (HasFatalFailure()) return;
            }
            ControlRounds rounds(*session, client);
            rounds.Round(ending.ending, round);
            posted += rounds.posted.load();
            if (HasFatalFailure()) return;
        }
        ASSERT_TRUE(client.WaitForTotal(posted)) << client.Total() << " of " << posted << " confirmed";
        // None twice: once the device has let go of this client's association (a stalled one
        // let go on, so that it answers what it still holds) and the association has stopped for
        // good, its threads joined, nothing more can come.
        session->device.SetFaults({});
        if (session->server != nullptr) {
            EXPECT_TRUE(TestSupport::Eventually([&] { return session->device.OpenAssociations() == 0; }));
            if (TPAppAssociation* association = client.GetAssociation()) association->End();
        }
        EXPECT_EQ(client.Total(), posted);
        std::string seen;
        for (const auto& [result, count] : client.ByResult()) {
            seen += std::to_string(result) + ":" + std::to_string(count) + " ";
            // Answered, refused by the device (not selected, selected by another), ended with
            // the association (8), never sent (7), or timed out on a stalled link (12).
            EXPECT_TRUE(result == System::OkNoError || result == System::Error || result == System::Aborted ||
                        result == System::NotConnected ||
                        (ending.ending == Ending::StalledLink && result == System::Timeout))
                << result << " x" << count;
        }
        SCOPED_TRACE("confirmations by result: " + seen);
        RecordProperty(std::string(ending.name) + " controls", static_cast<int>(posted));
        succeeded += client.ByResult()[System::OkNoError];
        terminations += client.terminations.load();
        reports += client.reports.load();
    }
    // The controls did meet the device, its terminations and its reports.
    EXPECT_GT(succeeded, 0u);
    EXPECT_GT(terminations, 0u);
    EXPECT_GT(reports, 0u);
}

}  // namespace
}  // namespace AcsiClientTest
