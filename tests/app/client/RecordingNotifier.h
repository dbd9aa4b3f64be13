#pragma once

// The main window as the client bridge sees it, for tests without a display: every send
// is answered by a thread of its own while the sender waits, as a UI thread answers a send
// from another thread, and what it carried is copied during the call.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/client/MainWindowNotifier.h"
#include "app/client/QXMessages.h"
#include "ui/messages/MessageParams.h"

namespace AppTest {

struct Message {
    std::uint32_t message = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::string text;
    App::ModelReadProgress progress;
};

class RecordingNotifier : public App::MainWindowNotifier {
public:
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::thread answer([&] {
            Message seen{message, static_cast<std::intptr_t>(wParam), lParam, {}, {}};
            if (message == App::WM_QX_MODEL_READ_PROGRESS && lParam != 0) {
                seen.progress = *Ui::ParamAs<const App::ModelReadProgress>(lParam);
            } else if (CarriesText(message, seen.wParam) && lParam != 0) {
                seen.text = Ui::TextOf(lParam);
            }
            std::function<void(const Message&)> hook;
            {
                std::lock_guard lock(mutex_);
                hook = hook_;
            }
            // The hook acts while the sender waits and before a test sees the message.
            if (hook) hook(seen);
            {
                std::lock_guard lock(mutex_);
                messages_.push_back(seen);
            }
            changed_.notify_all();
        });
        answer.join();
        return 1;
    }

    // Called on the answering thread for every message, while the sender waits.
    void SetHook(std::function<void(const Message&)> hook) {
        std::lock_guard lock(mutex_);
        hook_ = std::move(hook);
    }
    std::vector<Message> Messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<std::uint32_t> Numbers() const {
        std::vector<std::uint32_t> numbers;
        for (const Message& m : Messages()) numbers.push_back(m.message);
        return numbers;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }
    // Waits for a message of that number; false when none came in time.
    bool WaitFor(std::uint32_t message, Message& found, int limitMs = 10000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
            for (const Message& m : messages_) {
                if (m.message == message) {
                    found = m;
                    return true;
                }
            }
            return false;
        });
    }

private:
    static bool CarriesText(std::uint32_t message, std::intptr_t wParam) {
        switch (message) {
            case App::WM_QX_ABORTED:
            case App::WM_QX_READ_RESULT:
            case App::WM_QX_REPORT:
            case App::WM_QX_RCB_ENABLE_STATUS:
            case App::WM_QX_RCB_DISABLE_STATUS:
            case App::WM_QX_WRITE_RESULT: return true;
            case App::WM_QX_ASSOCIATE_RESULT:
            case App::WM_QX_RELEASE_RESULT: return wParam == -1;
            case App::WM_QX_MODEL_READ_DONE: return wParam == static_cast<std::intptr_t>(App::ModelReadRefused);
            default: return false;
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
    std::function<void(const Message&)> hook_;
};

}  // namespace AppTest
