#include "app/program/EndSignals.h"

#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
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

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// How often windows opened after the first sweep are looked for: a closed box's caller may
// open the next one at once.
constexpr int SweepMs = 50;

}  // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    if (::pipe(signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    QObject::connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
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
    // Each ends its own loop; the loops unwind from the innermost once this returns.
    std::vector<QPointer<QDialog>> modal;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog == nullptr || dialog == mainWidget || !dialog->isVisible()) continue;
        if (dialog->windowModality() == Qt::NonModal && !dialog->isModal()) continue;
        modal.emplace_back(dialog);
    }
    for (const QPointer<QDialog>& dialog : modal) {
        if (dialog.isNull()) continue;
        // A dialog of the toolkit ends as its Cancel does; any other as its close box.
        if (auto* owner = dynamic_cast<Ui::CDialog*>(Ui::CWnd::FromWidget(dialog.data()))) {
            owner->EndDialog(Ui::IDCANCEL);
        } else {
            dialog->done(QDialog::Rejected);
        }
    }
    // The main window's loop ends (outright: no check of its fields may keep it); its caller
    // runs the close path.
    if (auto* dialog = dynamic_cast<Ui::CDialog*>(main)) dialog->EndDialog(Ui::IDCANCEL);
}

}  // namespace App
