#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/ui/UiHarness.h"
#include "ui/MessageBox.h"
#include "ui/MessageBridge.h"
#include "ui/Wnd.h"

namespace {

using namespace Ui;

constexpr UINT kDouble = WM_USER + 1;   // answers 2 * wParam
constexpr UINT kText = WM_USER + 2;     // copies the text in lParam, answers its length
constexpr UINT kNested = WM_USER + 3;   // sends kDouble to itself from inside the handler
constexpr UINT kWithBox = WM_USER + 4;  // shows a message box, then reads its lParam text again

// A window of the UI thread with a few handlers; everything it records is touched only
// there (the senders read their results, never these members).
class Target : public CWnd {
public:
    Target() {
        Create(0, RECT{0, 0, 10, 10}, nullptr, 1);
        MapMessage(kDouble, [this](WPARAM w, LPARAM) {
            ++served;
            return static_cast<LRESULT>(2 * w);
        });
        MapMessage(kText, [this](WPARAM, LPARAM l) {
            texts.emplace_back(reinterpret_cast<const char*>(l));
            return static_cast<LRESULT>(texts.back().size());
        });
        MapMessage(kNested, [this](WPARAM w, LPARAM) {
            return MessageBridge::SendMessage(GetSafeHwnd(), kDouble, w + 1, 0) + 1;
        });
        MapMessage(kWithBox, [this](WPARAM, LPARAM l) {
            std::string before = reinterpret_cast<const char*>(l);
            UiTest::AnswerNextMessageBox(IDOK);
            Ui::MessageBox(this, "during a send");
            texts.emplace_back(reinterpret_cast<const char*>(l));
            return static_cast<LRESULT>(before == texts.back() ? 1 : 0);
        });
    }
    int served = 0;
    std::vector<std::string> texts;
};

class SendTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (!MessageBridge::IsOpen()) MessageBridge::Open();
    }
};

TEST_F(SendTest, OnTheUiThreadTheCallIsDirectAndReentrant) {
    Target target;
    EXPECT_EQ(MessageBridge::SendMessage(target.GetSafeHwnd(), kDouble, 21, 0), 42);
    EXPECT_EQ(MessageBridge::SendMessage(target.GetSafeHwnd(), kNested, 4, 0), 11);
    EXPECT_EQ(target.served, 2);
    EXPECT_EQ(MessageBridge::SendMessage(0, kDouble, 1, 0), 0);
}

TEST_F(SendTest, SendersOnOtherThreadsGetTheirOwnResultsAndTheirTextStaysValid) {
    Target target;
    HWND handle = target.GetSafeHwnd();
    constexpr int kSenders = 4;
    constexpr int kEach = 25;
    std::atomic<int> wrong{0};
    std::atomic<int> finished{0};
    QEventLoop loop;
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kEach; ++i) {
                WPARAM value = static_cast<WPARAM>(s * 1000 + i);
                if (MessageBridge::SendMessage(handle, kDouble, value, 0) != static_cast<LRESULT>(2 * value)) ++wrong;
                std::string text = "sender " + std::to_string(s) + " message " + std::to_string(i);
                if (MessageBridge::SendMessage(handle, kText, 0, reinterpret_cast<LPARAM>(text.c_str())) !=
                    static_cast<LRESULT>(text.size()))
                    ++wrong;
            }
            if (++finished == kSenders) MessageBridge::PostTask([&loop] { loop.quit(); });
        });
    }
    loop.exec();
    for (std::thread& t : senders) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(target.served, kSenders * kEach);
    ASSERT_EQ(target.texts.size(), static_cast<size_t>(kSenders * kEach));
    EXPECT_EQ(std::count(target.texts.begin(), target.texts.end(), "sender 3 message 24"), 1);
}

TEST_F(SendTest, ASendIsServedWhileAMessageBoxRunsItsLoop) {
    Target target;
    HWND handle = target.GetSafeHwnd();
    std::atomic<LRESULT> result{-1};
    std::thread sender;
    // The box's own loop serves the send; once answered the sender closes the box.
    UiTest::OnNextModal([&](QWidget* box) {
        sender = std::thread([&result, handle, box] {
            result = MessageBridge::SendMessage(handle, kDouble, 5, 0);
            MessageBridge::PostTask([box] { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click(); });
        });
    });
    Ui::MessageBox(nullptr, "waiting for a send");
    sender.join();
    EXPECT_EQ(result.load(), 10);
    EXPECT_EQ(target.served, 1);
}

TEST_F(SendTest, TheSendersTextStaysValidWhileTheHandlerRunsAModalLoop) {
    Target target;
    HWND handle = target.GetSafeHwnd();
    std::atomic<LRESULT> result{-1};
    QEventLoop loop;
    std::thread sender([&] {
        std::string text = "kept by the sender";
        result = MessageBridge::SendMessage(handle, kWithBox, 0, reinterpret_cast<LPARAM>(text.c_str()));
        text.assign(text.size(), 'x');
        MessageBridge::PostTask([&loop] { loop.quit(); });
    });
    loop.exec();
    sender.join();
    EXPECT_EQ(result.load(), 1);
    ASSERT_EQ(target.texts.size(), 1u);
    EXPECT_EQ(target.texts[0], "kept by the sender");
}

TEST_F(SendTest, WaitingSendersGetZeroAtOnceWhenTheTargetGoesAndLaterSendsAreRefused) {
    auto target = std::make_unique<Target>();
    HWND handle = target->GetSafeHwnd();
    constexpr int kSenders = 3;
    std::vector<LRESULT> results(kSenders, -1);
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back(
            [&, s] { results[static_cast<size_t>(s)] = MessageBridge::SendMessage(handle, kDouble, 7, 0); });
    // The UI thread does not serve while it waits here, so all three are parked.
    ASSERT_TRUE(MessageBridge::WaitUntilQueued(kSenders, 10000));
    target.reset();
    for (std::thread& t : senders) t.join();
    EXPECT_EQ(results, std::vector<LRESULT>(kSenders, 0));
    LRESULT late = -1;
    std::thread([&] { late = MessageBridge::SendMessage(handle, kDouble, 7, 0); }).join();
    EXPECT_EQ(late, 0);
    EXPECT_EQ(MessageBridge::PendingCount(), 0);
}

TEST_F(SendTest, TheEndOfTheLoopReleasesWaitingSendersAndRefusesLaterOnes) {
    Target target;
    HWND handle = target.GetSafeHwnd();
    std::vector<LRESULT> results(2, -1);
    std::vector<std::thread> senders;
    for (int s = 0; s < 2; ++s)
        senders.emplace_back(
            [&, s] { results[static_cast<size_t>(s)] = MessageBridge::SendMessage(handle, kDouble, 3, 0); });
    ASSERT_TRUE(MessageBridge::WaitUntilQueued(2, 10000));
    MessageBridge::Close();
    for (std::thread& t : senders) t.join();
    EXPECT_EQ(results, std::vector<LRESULT>(2, 0));
    LRESULT late = -1;
    bool posted = true;
    std::thread([&] {
        late = MessageBridge::SendMessage(handle, kDouble, 3, 0);
        posted = MessageBridge::PostMessage(handle, kText, 0, std::string("dropped"));
    }).join();
    EXPECT_EQ(late, 0);
    EXPECT_FALSE(posted);
    EXPECT_EQ(target.served, 0);
}

TEST_F(SendTest, PostsCarryTheirOwnTextAndAreDroppedWhenTheTargetIsGone) {
    auto gone = std::make_unique<Target>();
    Target kept;
    HWND goneHandle = gone->GetSafeHwnd();
    HWND keptHandle = kept.GetSafeHwnd();
    std::thread([&] {
        std::string text = "owned by the post";
        EXPECT_TRUE(MessageBridge::PostMessage(goneHandle, kText, 0, text));
        EXPECT_TRUE(MessageBridge::PostMessage(keptHandle, kText, 0, text));
        text.clear();
    }).join();
    gone.reset();
    UiTest::ProcessUntil([&] { return !kept.texts.empty(); });
    EXPECT_EQ(kept.texts, std::vector<std::string>{"owned by the post"});
    EXPECT_EQ(MessageBridge::PendingCount(), 0);
}

TEST_F(SendTest, AMessageBoxAskedForByAWorkerIsPostedNotAwaited) {
    int answer = -1;
    std::thread([&] {
        answer = Ui::MessageBox(nullptr, "Value has not been read\n\r Service error:x", "Error", MB_ICONSTOP);
    }).join();
    EXPECT_EQ(answer, 0);
    UiTest::MessageBoxSeen seen;
    UiTest::AnswerNextMessageBox(IDOK, &seen);
    UiTest::ProcessUntil([&] { return seen.seen; });
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.text, "Value has not been read\n Service error:x");
}

TEST_F(SendTest, TheMainWindowRegistrationClearsWhenTheWindowGoes) {
    auto main = std::make_unique<Target>();
    MessageBridge::SetMainWindow(main->GetSafeHwnd());
    HWND seen = 0;
    std::thread([&] { seen = MessageBridge::GetMainWindow(); }).join();
    EXPECT_EQ(seen, main->GetSafeHwnd());
    main.reset();
    EXPECT_EQ(MessageBridge::GetMainWindow(), 0u);
}

}  // namespace
