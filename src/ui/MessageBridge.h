#pragma once

#include <functional>
#include <string>

#include "ui/messages/Types.h"

namespace Ui {

class CWnd;

// How other threads reach the windows of the UI thread, and how windows are found by
// handle. Handles are registered here under a mutex of our own (ThreadSanitizer does not
// see Qt's locks), so a thread holding a stale handle is told so instead of touching
// a freed window.
//
// SendMessage on the UI thread calls the window at once (re-entrantly, like a nested
// send). From another thread it queues the call, nudges the UI thread and waits; the
// UI thread serves the queue in whatever event loop runs, modal loops included. A call
// that has not started when its target is unregistered, or when the UI loop ends,
// returns 0 at once, and later sends to that target (or after the end) return 0 without
// waiting. A call already running finishes normally, so an lParam the sender owns stays
// valid for the whole handler.
class MessageBridge {
public:
    // Marks the calling thread as the UI thread and starts serving queued calls. Needs
    // a QCoreApplication. Opening again after Close is allowed (tests reopen).
    static void Open();
    // The end of the UI loop: every queued call is released with 0, posts are dropped
    // and later sends and posts are refused.
    static void Close();
    static bool IsOpen();
    static bool IsUiThread();

    static LRESULT SendMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    // Queues a message for later, also from the UI thread. False when the target is unknown
    // or the loop has ended. A post whose target is gone by the time it is served is dropped.
    static bool PostMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    // A post that owns a text: the handler gets lParam pointing at it, valid during the call.
    static bool PostMessage(HWND target, UINT message, WPARAM wParam, std::string text);
    // Runs a task on the UI thread later; false after the end of the loop. For work with no
    // window behind it, such as a message box asked for by a worker thread.
    static bool PostTask(std::function<void()> task);

    // Calls waiting or queued, for tests that need to know that senders are parked.
    static int PendingCount();
    // Waits (without serving) until at least `count` calls are queued; false when the
    // limit passes first.
    static bool WaitUntilQueued(int count, int limitMs);

    // The application's main window, readable from any thread (0 = none).
    static void SetMainWindow(HWND window);
    static HWND GetMainWindow();

    // Registry of windows (UI thread only, except Find's use inside the bridge).
    static HWND Register(CWnd* window);
    static void Unregister(HWND handle);
    static CWnd* Find(HWND handle);

    // Serves everything queued so far; the nudge event calls it.
    static void ServeQueue();
};

}  // namespace Ui
