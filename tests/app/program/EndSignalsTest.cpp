// SIGTERM (a logout, Ctrl+C on the terminal that started the program) while a modal window
// is open: the window closes, the main window's loop ends, the close path runs, and the
// device sees the association end. The signal is the real one, raised at this process, and
// the handlers are the program's own. Before, the main window went and the modal box kept
// the program alive and connected for as long as it stayed open.

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/client/ConnectionSession.h"
#include "app/ids/ControlIds.h"
#include "app/program/DialogSession.h"
#include "app/program/EndSignals.h"
#include "ui/MessageBox.h"

namespace AppTest {
namespace {

namespace Id = ControlId::MainDialog;

TEST(EndSignals, ATermSignalClosesTheModalWindowEndsTheProgramAndTheAssociation) {
    struct Case {
        const char* what;
        std::function<void(QWidget* window)> open;
    };
    const std::vector<Case> cases = {
        {"the About box",
         [](QWidget* window) { UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({Id::About}))); }},
        // As the program posts its errors (an abort, a refused read).
        {"an error box",
         [](QWidget*) { Ui::PostMessageBox("The value has not been read", "Error", Ui::MB_OK | Ui::MB_ICONSTOP); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        App::EndSignals endSignals;
        std::chrono::steady_clock::time_point sent;
        bool boxSeen = false;
        session.Run([&](QWidget* window) {
            UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({Id::Connect})));
            ASSERT_TRUE(session.ReachState(2));
            ASSERT_EQ(session.device.OpenAssociations(), 1);
            UiTest::OnNextModal([&](QWidget* box) {
                boxSeen = true;
                // A box the signal leaves open is closed after this long, failing the bound.
                QTimer::singleShot(30000, box, [box] { static_cast<QDialog*>(box)->done(QDialog::Rejected); });
                sent = std::chrono::steady_clock::now();
                ::kill(::getpid(), SIGTERM);
            });
            c.open(window);
            // The main window goes with the box.
            EXPECT_TRUE(WaitUntil([&] { return boxSeen && !window->isVisible(); }, 60000));
        });
        // The close path, as the program runs it once the main window's loop has ended.
        session.dialog->Shutdown();
        const auto took = std::chrono::steady_clock::now() - sent;
        EXPECT_TRUE(boxSeen);
        EXPECT_LT(took, App::ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(1));
        EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
        EXPECT_EQ(UiTest::PendingModalActions(), 0);
    }
}

}  // namespace
}  // namespace AppTest
