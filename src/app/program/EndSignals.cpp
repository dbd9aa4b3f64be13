#include "app/program/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <vector>

#include "ui/Dialog.h"
#include "ui/WinApp.h"
#include "ui/Wnd.h"

namespace App {
namespace {

int signalPipe[2] = {-1, -1};
struct sigaction previousTerm {};
struct sigaction previousInt {};

// The interrupted code may read errno next. A full pipe already holds a wake-up: the
// write end does not block, and a byte that does not fit is not needed.
void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// How often windows opened after the first sweep are looked for: a closed box's caller may
// open the next one at once.
constexpr int SweepMs = 50;

// Closes every popup as Escape would, the innermost first (a submenu before its menu): a
// context menu's own loop ends as its menu closes, a combo's list goes back into its box.
void ClosePopups() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close()) popup->hide();
        // One that stays on top of the stack whatever is done to it is left to the sweep
        // below and the next round.
        if (QApplication::activePopupWidget() == popup) break;
    }
    std::vector<QPointer<QWidget>> shown;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowType() == Qt::Popup && widget->isVisible()) shown.emplace_back(widget);
    }
    for (const QPointer<QWidget>& popup : shown) {
        if (!popup.isNull() && popup->isVisible()) popup->hide();
    }
}

}  // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    // Not inherited by a program this one starts.
    if (::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    QObject::connect(notifier, &QSocketNotifier::activated, this, [this] {
        // Every signal so far is answered by this one end.
        char bytes[64];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {}
        EndProgram();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, &previousTerm);
    ::sigaction(SIGINT, &action, &previousInt);
}

EndSignals::~EndSignals() {
    if (signalPipe[0] == -1) return;
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void EndSignals::EndProgram() {
    CloseWindows();
    if (ending_) return;
    ending_ = true;
    // Until the main window's loop has ended (the close path then runs without a loop).
    auto* sweep = new QTimer(this);
    QObject::connect(sweep, &QTimer::timeout, this, [this] { CloseWindows(); });
    sweep->start(SweepMs);
}

void EndSignals::CloseWindows() {
    Ui::CWnd* main = Ui::CWinApp::GetMainWnd();
    QWidget* mainWidget = main != nullptr ? main->GetWidget() : nullptr;
    // Each ends its own loop; the loops unwind from the innermost once this returns. A
    // popup's loop may sit inside a modal window's, or inside the main window's alone.
    ClosePopups();
    std::vector<QPointer<QWidget>> modal;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget == mainWidget || !widget->isVisible()) continue;
        auto* dialog = qobject_cast<QDialog*>(widget);
        const bool isModal = widget->windowModality() != Qt::NonModal || (dialog != nullptr && dialog->isModal());
        if (isModal) modal.emplace_back(widget);
    }
    for (const QPointer<QWidget>& window : modal) {
        if (window.isNull()) continue;
        // A dialog of the toolkit ends as its Cancel does; any other as its close box.
        if (auto* owner = dynamic_cast<Ui::CDialog*>(Ui::CWnd::FromWidget(window.data()))) {
            owner->EndDialog(Ui::IDCANCEL);
        } else if (auto* dialog = qobject_cast<QDialog*>(window.data())) {
            dialog->done(QDialog::Rejected);
        } else {
            window->close();
        }
    }
    // The main window's loop ends (outright: no check of its fields may keep it); its caller
    // runs the close path.
    if (auto* dialog = dynamic_cast<Ui::CDialog*>(main)) dialog->EndDialog(Ui::IDCANCEL);
}

}  // namespace App
