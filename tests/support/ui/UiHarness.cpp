#include "support/ui/UiHarness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <deque>

#include "ui/ControlAccess.h"
#include "ui/MessageBridge.h"
#include "ui/Resources.h"
#include "ui/Text.h"
#include "ui/WinApp.h"

namespace UiTest {
namespace {

// Whether the window is the one an action names (see ModalAction).
bool IsTheWindow(QWidget* window, const std::string& expected) {
    return expected.empty() || window->inherits(expected.c_str()) || Ui::FromQt(window->windowTitle()) == expected;
}

// Watches top-level windows being shown; a modal one gets the next waiting action once
// its event loop runs and the window is on the screen: a window not yet exposed paints
// nothing, so what places its contents while painting has not placed them yet.
class ModalWatcher : public QObject {
public:
    std::deque<ModalAction> actions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = qobject_cast<QWidget*>(watched);
            if (window && window->isWindow() && window->isModal() && actions.empty()) {
                // Nobody waits for it: a test that hangs here says on what.
                std::fprintf(stderr, "a modal window no test action waits for: %s\n", Describe(window).c_str());
            }
            if (window && window->isWindow() && window->isModal() && !actions.empty()) {
                ModalAction next = std::move(actions.front());
                actions.pop_front();
                QPointer<QWidget> target(window);
                QTimer::singleShot(0, window, [next, target] {
                    QWindow* handle = target ? target->windowHandle() : nullptr;
                    // The limit only keeps a broken platform from hanging the test; a window
                    // closed meanwhile needs no action.
                    if (handle != nullptr && !handle->isExposed() && !QTest::qWaitForWindowExposed(target, 60000) &&
                        target) {
                        ADD_FAILURE() << "a modal window was never exposed";
                    }
                    if (!target) return;
                    if (!IsTheWindow(target, next.window)) {
                        ADD_FAILURE() << "a modal window other than " << next.window
                                      << " came, and was closed: " << Describe(target);
                        CloseUnexpected(target);
                        return;
                    }
                    next.action(target);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

ModalWatcher* watcher = nullptr;

}  // namespace

int RunAllTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    Ui::ResetNumericLocale();
    watcher = new ModalWatcher;
    application.installEventFilter(watcher);
    Ui::MessageBridge::Open();
    int result = RUN_ALL_TESTS();
    Ui::MessageBridge::Close();
    application.removeEventFilter(watcher);
    delete watcher;
    watcher = nullptr;
    return result;
}

QWidget* FindControl(QWidget* root, const std::string& idPath) {
    QWidget* current = root;
    size_t start = 0;
    while (current && start <= idPath.size()) {
        size_t slash = idPath.find('/', start);
        int id = std::stoi(idPath.substr(start, slash - start));
        QWidget* next = nullptr;
        for (QObject* child : current->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget && Ui::ControlId(widget) == id) {
                next = widget;
                break;
            }
        }
        current = next;
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return current;
}

std::string IdPath(std::initializer_list<int> ids) {
    std::string path;
    for (const int id : ids) {
        if (!path.empty()) path += '/';
        path += std::to_string(id);
    }
    return path;
}

std::vector<std::string> CutTexts(QWidget* window) {
    std::vector<std::string> cut;
    for (QObject* child : window->children()) {
        auto* label = qobject_cast<QLabel*>(child);
        if (label == nullptr || label->text().isEmpty()) continue;
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect();
        // A label that wraps shows a line wider than its box on several: only a word
        // wider than the box, or lines below it, cut its text.
        const QRegularExpression breaks(label->wordWrap() ? QStringLiteral("\\s+") : QStringLiteral("\n"));
        int widest = 0;
        for (const QString& stretch : label->text().split(breaks))
            widest = std::max(widest, metrics.horizontalAdvance(stretch));
        const bool wrappedAway = label->wordWrap() && label->heightForWidth(label->width()) > label->height();
        const bool outside = !window->rect().contains(label->geometry());
        if (widest > room.width() || wrappedAway || outside) cut.push_back(Ui::FromQt(label->text()));
    }
    if (window->isWindow() && !window->windowTitle().isEmpty() && window->width() < TitleBarRoom(window))
        cut.push_back(Ui::FromQt(window->windowTitle()));
    return cut;
}

namespace {

QFont TitleFont(const QWidget* window) {
    QFont font = window->font();
    font.setBold(true);
    return font;
}

int TitleBarHeight(const QWidget* window) { return 2 * QFontMetrics(TitleFont(window)).height(); }

}  // namespace

int TitleBarRoom(const QWidget* window) {
    return QFontMetrics(TitleFont(window)).horizontalAdvance(window->windowTitle()) + 4 * TitleBarHeight(window);
}

std::string Text(QWidget* control) { return control ? Ui::WidgetText(control) : std::string(); }

void Type(QWidget* control, const std::string& text) {
    control->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->end(false);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) plain->moveCursor(QTextCursor::End);
    QTest::keyClicks(control, Ui::ToQt(text));
}

void Clear(QWidget* control) {
    control->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(control, Qt::Key_Delete);
}

void Click(QWidget* control) {
    if (control == nullptr) {
        ADD_FAILURE() << "clicked a control the window does not have";
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
        return;
    }
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

void Key(QWidget* control, int key) { QTest::keyClick(control, static_cast<Qt::Key>(key)); }

void Pick(QWidget* widget, int index) {
    auto* combo = qobject_cast<QComboBox*>(widget);
    ASSERT_NE(combo, nullptr);
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(combo, Qt::Key_Down);
}

void OnNextModal(ModalAction action) { watcher->actions.push_back(std::move(action)); }

void OnNextModal(std::string window, std::function<void(QWidget*)> action) {
    OnNextModal(ModalAction{std::move(window), std::move(action)});
}

void OnNextModal(std::function<void(QWidget*)> action) { OnNextModal(ModalAction{{}, std::move(action)}); }

std::string Describe(QWidget* window) {
    std::string text;
    if (const auto* box = qobject_cast<QMessageBox*>(window)) {
        text = Ui::FromQt(box->text());
    } else {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;
            if (!text.empty()) text += " | ";
            text += Ui::FromQt(label->text());
        }
    }
    return "\"" + Ui::FromQt(window->windowTitle()) + "\" (" + window->metaObject()->className() + "): " + text;
}

void CloseUnexpected(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->reject();
    } else {
        window->close();
    }
}

int PendingModalActions() { return static_cast<int>(watcher->actions.size()); }

void ForgetModalActions() { watcher->actions.clear(); }

void AnswerNextMessageBox(int answer, MessageBoxSeen* seen) {
    OnNextModal("QMessageBox", [answer, seen](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (seen) {
            seen->caption = Ui::FromQt(box->windowTitle());
            seen->text = Ui::FromQt(box->text());
            seen->icon = box->icon();
            seen->cut = CutTexts(box);
            if (!seen->screenshot.empty()) Screenshot(box, seen->screenshot);
            seen->seen = true;
        }
        QMessageBox::StandardButton button = QMessageBox::Ok;
        switch (answer) {
            case Ui::IDCANCEL: button = QMessageBox::Cancel; break;
            case Ui::IDYES: button = QMessageBox::Yes; break;
            case Ui::IDNO: button = QMessageBox::No; break;
            default: break;
        }
        if (QAbstractButton* b = box->button(button)) {
            b->click();
        } else {
            ADD_FAILURE() << "message box has no button for answer " << answer;
            box->done(0);
        }
    });
}

Recorder::Recorder() {
    Ui::SetBeepSink([this](Ui::UINT type) { beeps.push_back(type); });
    Ui::SetUrlSink([this](const std::string& url) {
        urls.push_back(url);
        return true;
    });
}

Recorder::~Recorder() {
    Ui::SetBeepSink({});
    Ui::SetUrlSink({});
}

std::string Screenshot(QWidget* widget, const std::string& name) {
    QString dir = qEnvironmentVariable("IEC_UI_SCREENSHOTS");
    if (dir.isEmpty() || !widget) return {};
    QDir().mkpath(dir);
    QString path = QDir(dir).filePath(Ui::ToQt(name) + QStringLiteral(".png"));
    QPixmap shot = widget->grab();
    if (widget->isWindow() && !widget->windowTitle().isEmpty()) {
        // The window system's part, which no grab holds: icon, caption, three buttons.
        const int bar = TitleBarHeight(widget);
        QPixmap framed(shot.width(), shot.height() + bar);
        framed.fill(QColor(60, 60, 70));
        QPainter painter(&framed);
        painter.drawPixmap(0, bar, shot);
        painter.setPen(QColor(240, 240, 240));
        painter.drawRect(bar / 4, bar / 4, bar / 2, bar / 2);
        for (int button = 1; button <= 3; ++button)
            painter.drawRect(shot.width() - button * bar + bar / 4, bar / 4, bar / 2, bar / 2);
        painter.setFont(TitleFont(widget));
        const QRect room(bar, 0, std::max(0, shot.width() - 4 * bar), bar);
        const QString caption =
            QFontMetrics(painter.font()).elidedText(widget->windowTitle(), Qt::ElideMiddle, room.width());
        painter.drawText(room, Qt::AlignCenter, caption);
        painter.end();
        shot = framed;
    }
    if (!shot.save(path, "PNG")) return {};
    return Ui::FromQt(path);
}

bool ProcessUntil(const std::function<bool()>& done, int maxRounds) {
    for (int i = 0; i < maxRounds; ++i) {
        if (done()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return done();
}

}  // namespace UiTest
