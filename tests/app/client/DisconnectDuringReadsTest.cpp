// A disconnect, or the program's end, while the model load has many requests queued, or an
// export's value reads are out, behind a device that answers slowly, as a busy relay or a slow
// link does: what was queued and not sent never goes, no read is asked after the end, the release follows the answers of those
// already out (the end aborts when they do not come soon), and the next connect reads the
// whole model. The device holds its read answers until the test lets them go, so the
// requests are queued when the disconnect comes by construction, whatever the machine's
// speed; the end's bound is the release limit and a small margin, far below the time-outs
// (tens of seconds) that a fault would wait for.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/client/ConnectionSession.h"
#include "app/client/IcdValueReads.h"
#include "app/client/QXClient.h"
#include "app/client/SessionRig.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using Phase = App::ConnectionSession::Phase;

enum class Reads { ModelLoad, IcdExport };
enum class End { Disconnect, Shutdown };

std::size_t RequestsOf(const TestDevice::Device& device, int association) {
    std::size_t count = 0;
    for (const TestDevice::RequestRecord& r : device.Requests()) count += r.association == association;
    return count;
}

bool ReadLogged(const TestDevice::Device& device, int association) {
    for (const TestDevice::RequestRecord& r : device.Requests()) {
        if (r.association == association && r.service == Mms::MmsServiceRead) return true;
    }
    return false;
}

TestDevice::Device::Options LargeModel() {
    TestDevice::Device::Options options;
    options.model.large = true;
    return options;
}

TEST(DisconnectDuringReads, NothingQueuedIsSentTheReleaseFollowsTheAnswersOutAndTheNextConnectReadsAll) {
    struct Case {
        const char* what;
        Reads reads;
        End end;
    };
    const Case cases[] = {
        {"a disconnect during the model load", Reads::ModelLoad, End::Disconnect},
        {"a disconnect during an export's value reads", Reads::IcdExport, End::Disconnect},
        {"the end during the model load", Reads::ModelLoad, End::Shutdown},
        {"the end during an export's value reads", Reads::IcdExport, End::Shutdown},
    };
    TestDevice::Faults holdsReads;
    holdsReads.held = {Mms::MmsServiceRead};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Nothing times out while the reads are held, and an abort that waited for the
        // device's close would wait as long.
        SessionRig rig("60000", LargeModel());
        rig.session->SetProfileOverride("LocalSTimeout", "30000");
        // The disconnect's release waits until the test lets the reads go.
        rig.session->SetDisconnectLimit(std::chrono::seconds(60));
        // The device numbers its associations from 1.
        const int association = 1;
        if (c.reads == Reads::IcdExport) {
            ASSERT_EQ(rig.Connect(), System::OkNoError);
            ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
            ASSERT_EQ(rig.session->GetPhase(), Phase::Connected);
            rig.device.SetFaults(holdsReads);
            // As the window's Create ICD asks them, on the caller's thread.
            App::QXClient& client = *rig.session->GetClient();
            std::vector<std::string> nodes;
            ASSERT_TRUE(App::ListFirstDeviceNodes(*rig.session->GetServer(), nodes));
            App::RaisePendingValueReads(client, App::IcdValueReadsPerNode * static_cast<std::int32_t>(nodes.size()));
            EXPECT_FALSE(App::RequestIcdValues(client, nodes));
        } else {
            rig.device.SetFaults(holdsReads);
            ASSERT_EQ(rig.Connect(), System::OkNoError);
        }
        // The device holds a read. The load has more requests waiting in the queue behind those
        // out (whose answers the device had sent before may still be on their way); an export
        // has its window of reads out, and asks the next only as one of them is answered.
        Iec61850::Acsi::TPAppAssociation* held = nullptr;
        ASSERT_TRUE(TestSupport::Eventually([&] {
            held = rig.session->GetClient()->GetAssociation();
            if (held == nullptr || !ReadLogged(rig.device, association)) return false;
            return c.reads == Reads::ModelLoad ? held->GetQueuedCount() >= 10
                                               : held->GetPendingCount() == App::IcdReadWindow;
        }));
        if (c.reads == Reads::IcdExport) {
            // The device would take more (it allows 10 out): none goes, and none waits to.
            TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(200));
            EXPECT_EQ(held->GetPendingCount(), App::IcdReadWindow);
            EXPECT_EQ(held->GetQueuedCount(), 0u);
        }
        RecordProperty("queued at the end", static_cast<int>(held->GetQueuedCount()));

        if (c.end == End::Disconnect) {
            rig.session->Disconnect();
            // What has been sent by now is all the device gets: nothing queued goes any more.
            const std::uint64_t sent = held->GetSentCount();
            // Every request queued is confirmed at once, unsent, while the reads are still held:
            // only the release is left, waiting for the answers out.
            EXPECT_TRUE(TestSupport::Eventually([&] { return held->GetQueuedCount() == 1; }));
            EXPECT_TRUE(held->IsAssociated());
            // The device answers what is out; the release follows.
            rig.device.SetFaults({});
            ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected));
            EXPECT_EQ(rig.Seen(App::WM_QX_RELEASE_RESULT), 1);
            EXPECT_EQ(rig.Seen(App::WM_QX_ABORTED), 0);
            ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));
            EXPECT_EQ(RequestsOf(rig.device, association), sent);

            // The next connect, to a device that answers at once, reads (or keeps) the whole model.
            const int before = static_cast<int>(rig.listener.Events().size());
            ASSERT_TRUE(TestSupport::Eventually([&] { return rig.session->GetPhase() == Phase::Idle; }));
            ASSERT_EQ(rig.Connect(), System::OkNoError);
            ASSERT_TRUE(TestSupport::Eventually([&] {
                const std::vector<Event> events = rig.listener.Events();
                return static_cast<int>(events.size()) > before && events.back().kind == Told::WorkEnded;
            }));
            const std::vector<Event> events = rig.listener.Events();
            ASSERT_EQ(events.size(), static_cast<std::size_t>(before) + 3);
            EXPECT_EQ(events[before + 1].kind, Told::Loaded);
            EXPECT_EQ(events[before + 1].value, Iec61850::Acsi::ModelReader::ResultRead);
            std::vector<std::string> devices;
            rig.session->GetClient()->GetLogicalDeviceNames(devices);
            EXPECT_EQ(devices.size(), 10u);
            rig.session->Disconnect();
            ASSERT_TRUE(rig.listener.WaitFor(Told::Disconnected, 2));
        } else {
            // The window is closed: the release cannot go while the reads are held, so the end
            // aborts soon instead of waiting for the device. Until the end withdraws the queue,
            // each answer on its way lets one more request go.
            // (Those out first: a send that comes between the two counts is one of them.)
            const std::uint32_t out = held->GetPendingCount();
            const std::uint64_t sentBefore = held->GetSentCount() + out;
            const auto start = std::chrono::steady_clock::now();
            rig.session->Shutdown();
            const auto took = TestSupport::ElapsedSince(start);
            RecordProperty("end took ms", static_cast<int>(took.count()));
            EXPECT_LT(took, App::ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(1));
            rig.device.SetFaults({});
            ASSERT_TRUE(TestSupport::Eventually([&] { return rig.device.OpenAssociations() == 0; }));
            // What the device took in was on the wire before the end came (the abort may have cut
            // off the last of it).
            EXPECT_LE(RequestsOf(rig.device, association), sentBefore);
        }
    }
}

}  // namespace
}  // namespace AppTest
