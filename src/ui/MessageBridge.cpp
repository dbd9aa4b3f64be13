#include "ui/MessageBridge.h"

#include <sys/eventfd.h>
#include <unistd.h>
#include <QSocketNotifier>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

#include "ui/Wnd.h"
#include "ui/messages/MessageParams.h"

namespace Ui {
namespace {

// One queued call or post. Sends are shared with their waiting sender, so a sender
// released early never leaves the UI thread writing into a dead stack frame.
struct QueuedCall {
    HWND target = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool isSend = false;
    bool ownsText = false;
    std::string text;
    std::function<void()> task;
    LRESULT result = 0;
    bool done = false;
};

// Wakes the UI thread through an eventfd watched by a socket notifier, which every event
// loop serves, modal ones included. A worker thread thus calls nothing of Qt: the queue
// is handed over under our mutex alone, which ThreadSanitizer can follow.
class Nudger {
public:
    Nudger() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), notifier_(fd_, QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            std::uint64_t count = 0;
            (void)!read(fd_, &count, sizeof count);
            MessageBridge::ServeQueue();
        });
    }
    ~Nudger() {
        notifier_.setEnabled(false);
        close(fd_);
    }
    void Nudge() {
        std::uint64_t one = 1;
        (void)!write(fd_, &one, sizeof one);
    }

private:
    int fd_;
    QSocketNotifier notifier_;
};

struct BridgeState {
    std::mutex mutex;
    std::condition_variable answered;
    std::deque<std::shared_ptr<QueuedCall>> queue;
    std::unordered_map<HWND, CWnd*> windows;
    HWND nextHandle = 1;
    bool open = false;
    bool nudgePending = false;
    int waitingSenders = 0;
    std::thread::id uiThread;
    Nudger* nudger = nullptr;
    std::atomic<HWND> mainWindow{0};
};

BridgeState& State() {
    static BridgeState state;
    return state;
}

// Called with the mutex held; the nudger exists while the bridge is open.
void NudgeLocked(BridgeState& s) {
    if (s.nudgePending) return;
    s.nudgePending = true;
    s.nudger->Nudge();
}

void ReleaseLocked(BridgeState& s, HWND target, bool all) {
    for (auto it = s.queue.begin(); it != s.queue.end();) {
        if (all || (*it)->target == target) {
            (*it)->done = true;
            (*it)->result = 0;
            it = s.queue.erase(it);
        } else {
            ++it;
        }
    }
    s.answered.notify_all();
}

bool Enqueue(std::shared_ptr<QueuedCall> call, bool needsTarget) {
    BridgeState& s = State();
    std::unique_lock lock(s.mutex);
    if (!s.open || (needsTarget && !s.windows.contains(call->target))) return false;
    s.queue.push_back(call);
    NudgeLocked(s);
    s.answered.notify_all();
    if (!call->isSend) return true;
    ++s.waitingSenders;
    s.answered.wait(lock, [&] { return call->done; });
    --s.waitingSenders;
    return true;
}

}  // namespace

void MessageBridge::Open() {
    BridgeState& s = State();
    auto* nudger = new Nudger;
    Nudger* previous = nullptr;
    {
        std::lock_guard lock(s.mutex);
        s.uiThread = std::this_thread::get_id();
        s.open = true;
        s.nudgePending = false;
        previous = std::exchange(s.nudger, nudger);
    }
    delete previous;
}

void MessageBridge::Close() {
    BridgeState& s = State();
    Nudger* nudger = nullptr;
    {
        std::lock_guard lock(s.mutex);
        s.open = false;
        ReleaseLocked(s, 0, true);
        nudger = s.nudger;
        s.nudger = nullptr;
    }
    delete nudger;
}

bool MessageBridge::IsOpen() {
    std::lock_guard lock(State().mutex);
    return State().open;
}

bool MessageBridge::IsUiThread() {
    std::lock_guard lock(State().mutex);
    return State().uiThread == std::this_thread::get_id();
}

LRESULT MessageBridge::SendMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsUiThread()) {
        CWnd* window = Find(target);
        return window ? window->SendMessage(message, wParam, lParam) : 0;
    }
    auto call = std::make_shared<QueuedCall>();
    call->target = target;
    call->message = message;
    call->wParam = wParam;
    call->lParam = lParam;
    call->isSend = true;
    if (!Enqueue(call, true)) return 0;
    std::lock_guard lock(State().mutex);
    return call->result;
}

bool MessageBridge::PostMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    auto call = std::make_shared<QueuedCall>();
    call->target = target;
    call->message = message;
    call->wParam = wParam;
    call->lParam = lParam;
    return Enqueue(call, true);
}

bool MessageBridge::PostMessage(HWND target, UINT message, WPARAM wParam, std::string text) {
    auto call = std::make_shared<QueuedCall>();
    call->target = target;
    call->message = message;
    call->wParam = wParam;
    call->ownsText = true;
    call->text = std::move(text);
    return Enqueue(call, true);
}

bool MessageBridge::PostTask(std::function<void()> task) {
    auto call = std::make_shared<QueuedCall>();
    call->task = std::move(task);
    return Enqueue(call, false);
}

int MessageBridge::PendingCount() {
    std::lock_guard lock(State().mutex);
    return static_cast<int>(State().queue.size());
}

bool MessageBridge::WaitUntilQueued(int count, int limitMs) {
    BridgeState& s = State();
    std::unique_lock lock(s.mutex);
    return s.answered.wait_for(lock, std::chrono::milliseconds(limitMs),
                               [&] { return static_cast<int>(s.queue.size()) >= count; });
}

void MessageBridge::ServeQueue() {
    BridgeState& s = State();
    {
        std::lock_guard lock(s.mutex);
        s.nudgePending = false;
    }
    for (;;) {
        std::shared_ptr<QueuedCall> call;
        CWnd* window = nullptr;
        {
            std::lock_guard lock(s.mutex);
            if (s.queue.empty()) return;
            call = s.queue.front();
            s.queue.pop_front();
            if (auto it = s.windows.find(call->target); it != s.windows.end()) window = it->second;
        }
        LRESULT result = 0;
        if (call->task) {
            call->task();
        } else if (window) {
            LPARAM lParam = call->ownsText ? ParamOf(call->text.c_str()) : call->lParam;
            result = window->SendMessage(call->message, call->wParam, lParam);
        }
        if (call->isSend) {
            std::lock_guard lock(s.mutex);
            call->result = result;
            call->done = true;
            s.answered.notify_all();
        }
    }
}

void MessageBridge::SetMainWindow(HWND window) { State().mainWindow.store(window); }

HWND MessageBridge::GetMainWindow() { return State().mainWindow.load(); }

HWND MessageBridge::Register(CWnd* window) {
    BridgeState& s = State();
    std::lock_guard lock(s.mutex);
    HWND handle = s.nextHandle++;
    s.windows.emplace(handle, window);
    return handle;
}

void MessageBridge::Unregister(HWND handle) {
    BridgeState& s = State();
    HWND expected = handle;
    s.mainWindow.compare_exchange_strong(expected, 0);
    std::lock_guard lock(s.mutex);
    s.windows.erase(handle);
    ReleaseLocked(s, handle, false);
}

CWnd* MessageBridge::Find(HWND handle) {
    BridgeState& s = State();
    std::lock_guard lock(s.mutex);
    auto it = s.windows.find(handle);
    return it == s.windows.end() ? nullptr : it->second;
}

}  // namespace Ui
