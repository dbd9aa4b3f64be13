// The export's next read refused at once because the association ended under it: the
// refusal is confirmed on the thread that asked, inside the count-down of the confirmation
// before it. The export ends (the window hears its end) and End returns, within a watchdog.
// A read's confirmation is held before it counts, until End has closed the association's
// queue; End's own confirmations wait until the refused read has been counted,
// so the read is asked and refused by construction.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/client/BridgeSession.h"
#include "app/client/IcdValueReads.h"
#include "iec61850/association/ThreadHold.h"
#include "mms/machine/MmsConnection.h"
#include "support/Watchdog.h"

namespace AppTest {
namespace {

using Point = Mms::MmsConnection::EndingPoint;

// The program's client, with a step before an export read's confirmation reaches it.
class HeldClient : public App::QXClient {
public:
    using App::QXClient::QXClient;
    ~HeldClient() override { ClearAssociation(); }
    std::int32_t OnGetAllDataValues(Iec61850::Acsi::GetAllDataValues* service) override {
        std::function<void()> step;
        {
            std::lock_guard lock(mutex_);
            step = std::exchange(beforeNext_, nullptr);
        }
        if (step) step();
        return App::QXClient::OnGetAllDataValues(service);
    }
    // Runs once, before the next confirmation of a read, on its thread.
    void BeforeNextConfirmation(std::function<void()> step) {
        std::lock_guard lock(mutex_);
        beforeNext_ = std::move(step);
    }

private:
    std::mutex mutex_;
    std::function<void()> beforeNext_;
};

TEST(ExportReadRefused, TheExportEndsAndEndReturnsWhenItsNextReadIsRefusedAtOnce) {
    const TestSupport::Watchdog watchdog("an export whose next read is refused at once");
    BridgeSession session;
    auto made = std::make_unique<HeldClient>(&session.notifier);
    HeldClient& client = *made;
    session.client = std::move(made);
    ASSERT_EQ(session.Associate(), System::OkNoError);
    Iec61850::Acsi::TPAppAssociation& association = *client.GetAssociation();
    std::vector<std::string> nodes;
    ASSERT_TRUE(App::ListFirstDeviceNodes(*session.server, nodes));
    // More reads than the window: a confirmation asks the next.
    ASSERT_GT(App::IcdValueReadsPerNode * nodes.size(), App::IcdReadWindow);

    std::mutex mutex;
    std::condition_variable changed;
    bool claimed = false;
    AcsiClientTest::ThreadHold confirming;
    association.GetMmsConnection()->SetEndingHook([&](Point point) {
        if (point == Point::Claimed) {
            std::lock_guard lock(mutex);
            claimed = true;
            changed.notify_all();
        }
        if (point == Point::Confirming) confirming.Reach();
    });
    std::thread ending;
    std::atomic<bool> ended{false};
    client.BeforeNextConfirmation([&] {
        // The confirming thread waits here until End has closed the queue and claimed the
        // association; then it counts its read and asks the next.
        ending = std::thread([&] {
            association.End();
            ended.store(true);
        });
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return claimed; }));
    });

    session.notifier.Clear();
    App::ResetPendingValueReads(client);
    App::RaisePendingValueReads(client, App::IcdValueReadsPerNode * static_cast<std::int32_t>(nodes.size()));
    EXPECT_FALSE(App::RequestIcdValues(client, nodes));

    Message end;
    EXPECT_TRUE(session.notifier.WaitFor(App::WM_QX_ICD_DATA_READ, end, 20000));
    EXPECT_TRUE(App::TakeValueReadTally(client).endedWithTheAssociation);
    confirming.Release();
    if (ending.joinable()) ending.join();
    EXPECT_TRUE(ended.load());
    // The count reached 0 once, and the end was told once, after every count.
    std::vector<std::uint32_t> numbers = session.notifier.Numbers();
    std::erase_if(numbers,
                  [](std::uint32_t n) { return n != App::WM_QX_ICD_PROGRESS && n != App::WM_QX_ICD_DATA_READ; });
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.back(), App::WM_QX_ICD_DATA_READ);
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), App::WM_QX_ICD_DATA_READ), 1);
    association.GetMmsConnection()->SetEndingHook(nullptr);
}

}  // namespace
}  // namespace AppTest
