// SIGTERM (a logout, Ctrl+C on the terminal that started the program) while a modal window,
// a context menu with its own loop or a combo's list is open: it closes, the main window's
// loop ends, the close path runs, and the device sees the association end. The signal is
// the real one, raised at this process, and the handlers are the program's own.

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
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

// Calls `shown` with the first popup (a menu, a combo's list) shown while it lives.
class OnPopupShown : public QObject {
public:
    explicit OnPopupShown(std::function<void(QWidget* popup)> shown) : shown_(std::move(shown)) {
        QApplication::instance()->installEventFilter(this);
    }
    ~OnPopupShown() override { QApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->windowType() == Qt::Popup && shown_) {
            std::function<void(QWidget*)> shown = std::move(shown_);
            shown_ = nullptr;
            shown(widget);
        }
        return false;
    }

private:
    std::function<void(QWidget* popup)> shown_;
};

// A right-click on the field, as the window delivers it: returns when the field's menu has
// closed.
void RightClick(QWidget* field) {
    ASSERT_NE(field, nullptr);
    const QPoint at = field->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, field->mapToGlobal(at));
    QCoreApplication::sendEvent(field, &click);
}

TEST(EndSignals, ATermSignalClosesTheOpenWindowOrPopupEndsTheProgramAndTheAssociation) {
    struct Case {
        const char* what;
        std::function<void(QWidget* window)> open;
        bool popup;  // the signal comes as the popup shows, else once the modal window's loop runs
    };
    const std::vector<Case> cases = {
        {"the About box",
         [](QWidget* window) { UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({Id::About}))); }, false},
        // As the program posts its errors (an abort, a refused read).
        {"an error box",
         [](QWidget*) { Ui::PostMessageBox("The value has not been read", "Error", Ui::MB_OK | Ui::MB_ICONSTOP); },
         false},
        // The Host field's and the MAC field's menus are their own, each run in a loop of its own.
        {"the Host field's context menu",
         [](QWidget* window) {
             QWidget* address = UiTest::FindControl(window, UiTest::IdPath({Id::Address}));
             ASSERT_NE(address, nullptr);
             RightClick(address->findChild<QLineEdit*>(QStringLiteral("field0")));
         },
         true},
        {"the MAC field's context menu",
         [](QWidget* window) { RightClick(UiTest::FindControl(window, UiTest::IdPath({Id::Mac}))); }, true},
        {"a combo's list",
         [](QWidget* window) {
             auto* combo = qobject_cast<QComboBox*>(UiTest::FindControl(window, UiTest::IdPath({Id::ReadLd})));
             ASSERT_NE(combo, nullptr);
             ASSERT_GT(combo->count(), 0);
             combo->showPopup();
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        App::EndSignals endSignals;
        std::chrono::steady_clock::time_point sent;
        bool openSeen = false;
        // What the signal leaves open is closed after this long, failing the bound.
        const auto raise = [&](QWidget* open, const std::function<void()>& close) {
            openSeen = true;
            QTimer::singleShot(30000, open, close);
            sent = std::chrono::steady_clock::now();
            ::kill(::getpid(), SIGTERM);
        };
        OnPopupShown popupShown([&](QWidget* popup) {
            if (c.popup) raise(popup, [popup] { popup->close(); });
        });
        session.Run([&](QWidget* window) {
            UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({Id::Connect})));
            ASSERT_TRUE(session.ReachState(2));
            ASSERT_EQ(session.device.OpenAssociations(), 1);
            if (!c.popup) {
                UiTest::OnNextModal(
                    [&](QWidget* box) { raise(box, [box] { static_cast<QDialog*>(box)->done(QDialog::Rejected); }); });
            }
            c.open(window);
            // The main window goes with what was open.
            EXPECT_TRUE(WaitUntil([&] { return openSeen && !window->isVisible(); }, 60000));
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        });
        // The close path, as the program runs it once the main window's loop has ended.
        session.dialog->Shutdown();
        const auto took = std::chrono::steady_clock::now() - sent;
        EXPECT_TRUE(openSeen);
        EXPECT_LT(took, App::ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(1));
        EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
        EXPECT_EQ(UiTest::PendingModalActions(), 0);
    }
}

}  // namespace
}  // namespace AppTest
