// A release is the last thing an association sends: an Operate and a read posted after it,
// whichever way they come, are confirmed with 8 at once and never reach the device, while
// an Operate posted before it goes out and is answered first.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/SendHold.h"
#include "iec61850/association/control/ControlClient.h"
#include "mms/machine/MmsConnection.h"
#include "mms/pdu/MmsPdu.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Iec61850::AttributeRecords;

constexpr int kRounds = 100;
constexpr const char* kSwitch = "LD0/CSWI1.Pos";
constexpr const char* kPosition = "LD0/CSWI1$ST$Pos$stVal";
constexpr const char* kTime = "2026-12-07 09:30:00.000";
const AttributeRecords kClose = {
    {"ctlVal", "True"}, {"origin.orCat", "3"}, {"origin.orIdent", "5178"}, {"ctlNum", "1"}};
const AttributeRecords kOpen = {
    {"ctlVal", "False"}, {"origin.orCat", "3"}, {"origin.orIdent", "5178"}, {"ctlNum", "2"}};

// A control client that runs an action inside the first Operate confirmation after it is set.
class PostingClient : public ControlClient {
public:
    ~PostingClient() override { ClearAssociation(); }

    std::function<void()> onOperate;

    std::int32_t OnOperate(A::Operate* s) override {
        ControlClient::OnOperate(s);
        if (auto action = std::exchange(onOperate, nullptr)) action();
        return 0;
    }
};

enum class After { Queued, DirectFromAnotherThread, FromACallback };

struct Posted {
    std::uint32_t operate = 0;
    std::uint32_t read = 0;
};

Posted PostOpenAndRead(PostingClient& client) {
    Posted posted;
    EXPECT_EQ(client.Operate(posted.operate, kSwitch, kOpen, "False", kTime, "00", Activation::Immediate),
              System::OkNoError);
    EXPECT_EQ(client.GetDataValues(posted.read, {"ST", "LD0/CSWI1.Pos.stVal"}, AnswerFrom::Device), System::OkNoError);
    return posted;
}

std::size_t Count(const std::vector<TestDevice::RequestRecord>& log, std::int32_t service, const std::string& name) {
    std::size_t count = 0;
    for (const TestDevice::RequestRecord& record : log) {
        if (record.service == service && !record.names.empty() && record.names.front() == name) ++count;
    }
    return count;
}

// An Operate posted before the release is held on its way out (on the association's
// thread) until the release is posted, and the device holds its answer to the conclude
// until nothing posted can still be on its way. An Operate and a read come after the
// release: queued behind it while it waits; from another thread that could send them at
// once, once the conclude is out (a request straight to the MMS service user beside them);
// or from inside the first Operate's confirmation. Each is confirmed once with 8, the device
// operates once per round and reads nothing, and no connection carries a request after its
// conclude.
TEST(NothingAfterTheConclude, AnOperateAndAReadPostedAfterAReleaseAreConfirmedWith8AndNeverLeave) {
    DeviceSession session;
    PostingClient& client = session.UseClient<PostingClient>();
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.LoadModel();
    client.lockProbe = session.server.get();
    TPAppAssociation* association = client.GetAssociation();
    Mms::MmsConnection& mms = *association->GetMmsConnection();
    session.device.ClearRequests();

    const struct {
        const char* name;
        After after;
    } rows[] = {
        {"queued behind the release", After::Queued},
        {"sent directly from another thread", After::DirectFromAnotherThread},
        {"from a callback", After::FromACallback},
    };
    std::vector<std::size_t> connections;
    std::string closed;
    int heldConcludes = 0;
    for (const auto& row : rows) {
        for (int round = 0; round < kRounds; ++round) {
            SCOPED_TRACE(std::string(row.name) + ", round " + std::to_string(round));
            if (!client.IsAssociated()) {
                ASSERT_TRUE(TestSupport::Eventually([&] { return session.device.ReadyToAccept(); }));
                ASSERT_EQ(session.Associate(), System::OkNoError);
            }
            client.StartOverWithControls();
            connections.push_back(session.relay->Connections() - 1);

            SendHold hold;
            hold.Arm(mms);
            std::promise<Posted> fromCallback;
            if (row.after == After::FromACallback) {
                client.onOperate = [&] { fromCallback.set_value(PostOpenAndRead(client)); };
            }
            std::uint32_t before = 0;
            ASSERT_EQ(client.Operate(before, kSwitch, kClose, "False", kTime, "00", Activation::Immediate),
                      System::OkNoError);
            ASSERT_TRUE(hold.WaitUntilHeld());
            // The association stands until the test lets the device answer the conclude:
            // whatever could still leave after it has had every chance to.
            TestDevice::Faults holding;
            holding.holdConcludeAnswer = true;
            session.device.SetFaults(holding);
            ASSERT_EQ(client.Release(), System::OkNoError);

            Posted posted;
            System::ResultCode identified = System::NotCompleted;
            switch (row.after) {
                case After::Queued:
                    posted = PostOpenAndRead(client);
                    hold.Release();
                    break;
                case After::DirectFromAnotherThread: {
                    hold.Release();
                    // The conclude is out and the association's thread done with it: a caller
                    // may send straight away again.
                    ASSERT_TRUE(session.device.WaitForHeldConcludes(heldConcludes + 1));
                    ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetQueuedCount() == 0; }));
                    std::thread other([&] {
                        posted = PostOpenAndRead(client);
                        identified = association->Identify(session.server.get());
                    });
                    other.join();
                    break;
                }
                case After::FromACallback: {
                    hold.Release();
                    std::future<Posted> ids = fromCallback.get_future();
                    ASSERT_EQ(ids.wait_for(RecordingClient::Deadline), std::future_status::ready);
                    posted = ids.get();
                    break;
                }
            }
            ASSERT_TRUE(session.device.WaitForHeldConcludes(++heldConcludes));
            ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetQueuedCount() == 0; }));
            session.device.SetFaults({});

            EXPECT_EQ(client.WaitForControl(before).result, System::OkNoError);
            const ControlConfirmation operate = client.WaitForControl(posted.operate);
            EXPECT_EQ(operate.callback, "Operate");
            EXPECT_EQ(operate.result, System::Aborted);
            const Confirmation read = client.WaitFor(posted.read);
            EXPECT_EQ(read.callback, "GetDataValues");
            EXPECT_EQ(read.result, System::Aborted);
            if (row.after == After::DirectFromAnotherThread) {
                EXPECT_EQ(identified, System::Aborted);
            }
            ASSERT_TRUE(client.WaitForCount(2));
            for (const auto& [id, confirmation] : client.All()) {
                if (id != posted.read) {
                    EXPECT_EQ(confirmation.callback, "Release");
                    EXPECT_EQ(confirmation.result, System::OkNoError);
                }
            }
            ASSERT_TRUE(TestSupport::Eventually([&] { return !client.IsAssociated(); }));
            mms.SetSendHook(nullptr);
            if (closed.empty()) closed = session.device.GetValue(kPosition);
            EXPECT_EQ(session.device.GetValue(kPosition), closed);
        }
    }
    const std::vector<TestDevice::RequestRecord> log = session.device.Requests();
    EXPECT_EQ(Count(log, Mms::MmsServiceWrite, "LD0/CSWI1$CO$Pos$Oper"), connections.size());
    EXPECT_EQ(Count(log, Mms::MmsServiceRead, kPosition), 0u);

    if (!TestSupport::WireCheckRuns()) return;
    std::vector<std::vector<TestSupport::WireUnit>> recorded;
    for (const std::size_t connection : connections)
        recorded.push_back(TestSupport::PacketsApart(session.relay->Units(connection)));
    // Per packet: the confirmed service a request asks for (5: write), and the summary.
    const auto decoded =
        TestSupport::DecodeFieldsPerConnection(recorded, {"mms.confirmedServiceRequest", "_ws.col.Info"});
    for (std::size_t index = 0; index < decoded.size(); ++index) {
        SCOPED_TRACE("connection " + std::to_string(connections[index]));
        bool concluded = false;
        std::vector<std::string> requested;
        for (const std::string& line : decoded[index]) {
            if (line.find("conclude-RequestPDU") != std::string::npos) concluded = true;
            const std::string service = line.substr(0, line.find('|'));
            if (service.empty()) continue;
            EXPECT_FALSE(concluded) << "a request after the conclude: " << line;
            requested.push_back(service);
        }
        EXPECT_TRUE(concluded);
        // The operate of the round (the first connection read the model before it).
        ASSERT_FALSE(requested.empty());
        EXPECT_EQ(requested.back(), "5");
    }
}

}  // namespace
}  // namespace AcsiClientTest
