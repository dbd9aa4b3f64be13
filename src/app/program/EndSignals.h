#pragma once

#include <QObject>

namespace App {

// SIGTERM and SIGINT (a logout, Ctrl+C in the terminal that started the program) end the
// program on the UI thread as its close box does: every popup (a context menu, which runs a
// loop of its own, a combo's list) is closed first, as Escape would, then every modal window
// above the main window, as its own close box would (a question then reads as No or
// Cancel), and so is any the closed ones' callers open next, until the main window's loop
// has ended; the program's close path (the session's end) then runs as after Exit.
//
// One at a time; the previous handlers come back when it goes.
class EndSignals : public QObject {
public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // What a signal does, on the UI thread: the modal windows closed, the main window's loop
    // ended, and the sweep for windows opened after started.
    void EndProgram();

private:
    // Closes every popup and every visible modal window but the main one; then ends the
    // main one.
    void CloseWindows();

    bool ending_ = false;
};

}  // namespace App
