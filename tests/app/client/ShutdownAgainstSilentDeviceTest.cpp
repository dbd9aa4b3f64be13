// The program's end against a device that holds every read and never answers a release:
// after the release limit the abort waits for nothing of the device, however long the
// profile's session time-out would let it, so the end comes soon after the limit.

#include <gtest/gtest.h>

#include <chrono>

#include "app/client/ConnectionSession.h"
#include "app/client/QXClient.h"
#include "app/client/SessionRig.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using Iec61850::AnswerFrom;

TEST(ShutdownAgainstSilentDevice, EndsSoonAfterTheReleaseLimitWhateverTheSessionTimeOutSays) {
    SessionRig rig("60000");
    // A local abort that waited for the device's close would wait this long.
    rig.session->SetProfileOverride("LocalSTimeout", "30000");
    ASSERT_EQ(rig.Connect(), System::OkNoError);
    ASSERT_TRUE(rig.listener.WaitFor(Told::WorkEnded));

    TestDevice::Faults silent;
    silent.held = {Mms::MmsServiceRead};
    silent.concludeUnanswered = true;
    rig.device.SetFaults(silent);
    rig.device.ClearRequests();
    std::uint32_t id = 0;
    ASSERT_EQ(rig.session->GetClient()->GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"}, AnswerFrom::Device),
              System::OkNoError);
    // The device holds the read: the release cannot go until its limit has passed.
    ASSERT_TRUE(TestSupport::Eventually([&] { return !rig.device.Requests().empty(); }));

    const auto start = std::chrono::steady_clock::now();
    rig.session->Shutdown();
    const auto took = TestSupport::ElapsedSince(start);
    // The release limit, then nothing waited for; the bound leaves the margin that a loaded
    // machine needs, far below the limit plus the session's time-out (or the MMS time-out a
    // release without its limit would wait for).
    EXPECT_LT(took, App::ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(8));
    RecordProperty("shutdown ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    rig.device.SetFaults({});
}

}  // namespace
}  // namespace AppTest
