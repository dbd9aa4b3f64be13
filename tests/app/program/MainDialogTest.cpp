#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/client/ConnectionSession.h"
#include "app/client/QXClient.h"
#include "app/ids/ControlIds.h"
#include "app/program/DialogSession.h"
#include "app/program/ProgramResources.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/Polling.h"
#include "ui/DialogTemplate.h"
#include "ui/IPAddressCtrl.h"
#include "ui/IpAddressWidget.h"
#include "ui/MessageBridge.h"

namespace AppTest {
namespace {

using namespace Ui;
using App::QXDialog;
using UiTest::IdPath;
namespace Id = ControlId::MainDialog;
namespace Sel = ControlId::Selection;

// The state table: which controls are enabled, and the three panes.
void ExpectStateTable(QWidget* window, int state) {
    SCOPED_TRACE("state " + std::to_string(state));
    struct Row {
        int id;
        bool enabled[3];
    };
    const Row rows[] = {
        {Id::Connect, {true, false, false}},         {Id::Disconnect, {false, true, true}},
        {Id::ReadSelection, {false, false, true}},   {Id::ControlSelection, {false, false, true}},
        {Id::ReportSelection, {false, false, true}}, {Id::Read, {false, false, true}},
        {Id::Execute, {false, false, true}},         {Id::EnableRcb, {false, false, true}},
        {Id::DisableRcb, {false, false, false}},     {Id::ReadValue, {false, false, true}},
        {Id::ControlValue, {false, false, true}},    {Id::ReportValue, {false, false, true}},
        {Id::ValueSpin, {false, false, true}},       {Id::Reload, {true, false, false}},
        {Id::CreateIcd, {false, false, true}},       {Id::ReadLd, {false, false, true}},
        {Id::ControlLd, {false, false, true}},       {Id::ReportLd, {false, false, true}},
    };
    for (const Row& row : rows) {
        QWidget* control = UiTest::FindControl(window, IdPath({row.id}));
        ASSERT_NE(control, nullptr) << row.id;
        EXPECT_EQ(control->isEnabled(), row.enabled[state]) << row.id;
    }
    // The host is the one in use from the connect on: shown, not editable.
    QWidget* address = UiTest::FindControl(window, IdPath({Id::Address}));
    ASSERT_NE(address, nullptr);
    for (QLineEdit* field : address->findChildren<QLineEdit*>()) EXPECT_EQ(field->isReadOnly(), state != 0);
}

// The four fields of the host as shown, joined by dots (a blank field stays blank).
std::string HostFields(QWidget* address) {
    std::string shown;
    for (int i = 0; i < 4; ++i) {
        auto* field = address->findChild<QLineEdit*>(QStringLiteral("field%1").arg(i));
        shown += (i > 0 ? "." : "") + (field != nullptr ? field->text().toStdString() : std::string("?"));
    }
    return shown;
}

// Keys to whichever field has the focus: "^A" selects all, "^V" pastes, "^M" pastes through
// the field's context menu, "<" is a backspace, anything else is typed.
void KeysToHost(QWidget* address, const std::string& keys) {
    for (size_t i = 0; i < keys.size(); ++i) {
        QWidget* target = address->focusWidget() != nullptr ? address->focusWidget() : address;
        if (keys[i] == '^' && i + 1 < keys.size() && keys[i + 1] == 'M') {
            ++i;
            auto* field = qobject_cast<QLineEdit*>(target);
            ASSERT_NE(field, nullptr);
            auto* widget = dynamic_cast<Ui::IpAddressWidget*>(address);
            ASSERT_NE(widget, nullptr);
            std::unique_ptr<QMenu> menu(widget->CreateFieldMenu(field));
            const QList<QAction*> actions = menu->actions();
            const auto paste = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
                return action->objectName() == QStringLiteral("edit-paste");
            });
            ASSERT_NE(paste, actions.end());
            (*paste)->trigger();
        } else if (keys[i] == '^' && i + 1 < keys.size()) {
            QTest::keyClick(target, keys[++i] == 'A' ? Qt::Key_A : Qt::Key_V, Qt::ControlModifier);
        } else if (keys[i] == '<') {
            QTest::keyClick(target, Qt::Key_Backspace);
        } else {
            QTest::keyClick(target, keys[i]);
        }
    }
}

std::string Pane(QXDialog& dialog, int pane) {
    return dialog.GetDlgItemWidget(Id::StatusBar) != nullptr
               ? static_cast<CStatusBarCtrl*>(CWnd::FromWidget(dialog.GetDlgItemWidget(Id::StatusBar)))->GetText(pane)
               : std::string();
}

TEST(MainDialog, TemplateOneHundredAndTwoByIdAtItsRectangles) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle().toStdString(), "IEC61850 Quorvex");
        // Of fixed size: no maximise button; the template's minimise and close buttons.
        EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        const DialogTemplate* layout = FindDialogTemplate(App::IDD_QX_DIALOG);
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(layout->cx, 613);
        EXPECT_EQ(layout->cy, 270);
        for (const ControlTemplate& control : layout->controls) {
            if (control.id < 0 || control.className == "COMBOBOX") continue;
            SCOPED_TRACE(control.id);
            QWidget* widget = session.dialog->GetDlgItemWidget(control.id);
            ASSERT_NE(widget, nullptr);
            RECT expected{control.x, control.y, control.x + control.cx, control.y + control.cy};
            session.dialog->MapDialogRect(expected);
            EXPECT_EQ(widget->geometry().left(), expected.left);
            EXPECT_EQ(widget->geometry().top(), expected.top);
        }
        ExpectStateTable(window, 0);
        EXPECT_EQ(Pane(*session.dialog, 0), "Disconnected");
        EXPECT_EQ(Pane(*session.dialog, 1), "There is no device connected.");
        EXPECT_EQ(Pane(*session.dialog, 2), "");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::ControlValue}))), "False");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::Mac}))), "01:0C:CD:01:00:00");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::AppId}))), "0001");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::StNum}))), "0");
        BYTE a = 0, b = 0, c = 0, d = 0;
        static_cast<CIPAddressCtrl*>(session.dialog->GetDlgItem(Id::Address))->GetAddress(a, b, c, d);
        EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{127, 0, 0, 1}));
        // About runs the About box.
        bool aboutSeen = false;
        UiTest::OnNextModal([&](QWidget* about) {
            aboutSeen = about->windowTitle() == "About";
            UiTest::Click(UiTest::FindControl(about, IdPath({IDOK})));
        });
        QTimer::singleShot(0, window, [window] { UiTest::Click(UiTest::FindControl(window, IdPath({Id::About}))); });
        EXPECT_TRUE(WaitUntil([&] { return aboutSeen; }));
        // Enter with an edit focused, no button, does nothing: the dialog stays.
        UiTest::FindControl(window, IdPath({Id::Mac}))->setFocus();
        UiTest::Key(window, Qt::Key_Return);
        EXPECT_TRUE(session.dialog->IsWindow());
        EXPECT_FALSE(window->isHidden());
        UiTest::Screenshot(window, "main-dialog-state-0");
    });
}

// The realised widget of a label, a group's frame, by its text.
template <typename Widget>
Widget* ByText(QWidget* window, const QString& text, int nth = 0) {
    for (Widget* widget : window->findChildren<Widget*>()) {
        const QString shown = [widget] {
            if constexpr (std::is_same_v<Widget, QGroupBox>) {
                return widget->title();
            } else {
                return widget->text();
            }
        }();
        if (shown.trimmed() == text && nth-- == 0) return widget;
    }
    return nullptr;
}

TEST(MainDialog, ButtonsStayInsideTheirGroupsAndLabelsLineUpWithTheirFields) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        // Inside the frame: below the title and its line, above the bottom line.
        struct Inside {
            int id;
            const char* group;
        };
        for (const Inside& row :
             {Inside{Id::Read, "Read"}, Inside{Id::Execute, "Control"}, Inside{Id::EnableRcb, "Report"},
              Inside{Id::DisableRcb, "Report"}, Inside{Id::Start, "GOOSE"}, Inside{Id::Continue, "GOOSE"}}) {
            SCOPED_TRACE(row.group);
            auto* group = ByText<QGroupBox>(window, row.group);
            ASSERT_NE(group, nullptr);
            const QRect frame(group->mapTo(window, group->contentsRect().topLeft()), group->contentsRect().size());
            QWidget* button = session.dialog->GetDlgItemWidget(row.id);
            ASSERT_NE(button, nullptr);
            EXPECT_TRUE(frame.contains(button->geometry()))
                << row.id << ": frame " << frame.top() << ".." << frame.bottom() << ", button "
                << button->geometry().top() << ".." << button->geometry().bottom();
        }
        // A label's vertical centre is its field's.
        struct Labelled {
            const char* label;
            int nth;
            int id;
        };
        for (const Labelled& row :
             {Labelled{"Host", 0, Id::Address}, Labelled{"LD", 0, Id::ReadLd}, Labelled{"LD", 1, Id::ControlLd},
              Labelled{"LD", 2, Id::ReportLd}, Labelled{"Value", 0, Id::ReadValue},
              Labelled{"Value", 1, Id::ControlValue}, Labelled{"Value", 2, Id::ReportValue},
              Labelled{"Network adapter", 0, Id::Adapter}, Labelled{"MAC", 0, Id::Mac}, Labelled{"AppID", 0, Id::AppId},
              Labelled{"StNum", 0, Id::StNum}, Labelled{"Values", 0, Id::Values}}) {
            SCOPED_TRACE(std::string(row.label) + " " + std::to_string(row.nth));
            auto* label = ByText<QLabel>(window, QString::fromUtf8(row.label), row.nth);
            ASSERT_NE(label, nullptr);
            QWidget* field = session.dialog->GetDlgItemWidget(row.id);
            ASSERT_NE(field, nullptr);
            // In the template's dialog units exactly (a combo's field is 12 high, its height
            // there is the list's); realised, within the rounding of one pixel.
            const DialogTemplate* layout = FindDialogTemplate(App::IDD_QX_DIALOG);
            ASSERT_NE(layout, nullptr);
            const ControlTemplate* labelAt = nullptr;
            const ControlTemplate* fieldAt = nullptr;
            int seen = 0;
            for (const ControlTemplate& control : layout->controls) {
                if (control.className == "STATIC" && QString::fromStdString(control.text).trimmed() == row.label &&
                    seen++ == row.nth)
                    labelAt = &control;
                if (control.id == row.id) fieldAt = &control;
            }
            ASSERT_TRUE(labelAt != nullptr && fieldAt != nullptr);
            const int fieldHeight = fieldAt->className == "COMBOBOX" ? 12 : fieldAt->cy;
            EXPECT_EQ(2 * labelAt->y + labelAt->cy, 2 * fieldAt->y + fieldHeight);
            EXPECT_LE(std::abs(label->geometry().center().y() - field->geometry().center().y()), 1)
                << label->geometry().top() << "+" << label->height() << " against " << field->geometry().top() << "+"
                << field->height();
        }
    });
}

TEST(MainDialog, TheHostFieldGivesTheAddressTyped) {
    struct Row {
        const char* what;
        const char* clipboard;
        const char* keys;  // typed with the first field focused and selected (as Tab leaves it), 127.0.0.1 shown
        const char* shown;
    };
    const Row rows[] = {
        {"select all, then an address typed over it", "", "^A192.168.1.10", "192.168.1.10"},
        {"the focused field is replaced, each dot moves on", "", "10.1.2.3", "10.1.2.3"},
        {"third digits move on; a dot right after skips no field", "", "^A255.255.255.255", "255.255.255.255"},
        {"a third digit moves on once", "", "^A1234", "123.4.."},
        {"a dot right after a move, then digits, then a dot", "", "^A192.1.2", "192.1.2."},
        {"a pasted dotted address fills all four", "10.20.30.40", "^V", "10.20.30.40"},
        {"pasted over the whole address, blanks around", " 192.168.0.7\n", "^A^V", "192.168.0.7"},
        {"a pasted number that is no address stays in its field", "42", "^V", "42.0.0.1"},
        {"a backspace over the whole address clears it", "", "^A<", "..."},
    };
    DialogSession session;
    session.Run([&](QWidget* window) {
        QWidget* address = UiTest::FindControl(window, IdPath({Id::Address}));
        ASSERT_NE(address, nullptr);
        auto* host = static_cast<CIPAddressCtrl*>(session.dialog->GetDlgItem(Id::Address));
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            host->SetAddress(127, 0, 0, 1);
            QGuiApplication::clipboard()->setText(QString::fromUtf8(row.clipboard));
            auto* first = address->findChild<QLineEdit*>(QStringLiteral("field0"));
            first->setFocus(Qt::TabFocusReason);
            first->selectAll();
            KeysToHost(address, row.keys);
            EXPECT_EQ(HostFields(address), row.shown);
        }
        // What was typed is what the connect uses.
        host->SetAddress(127, 0, 0, 1);
        address->findChild<QLineEdit*>(QStringLiteral("field0"))->setFocus(Qt::TabFocusReason);
        KeysToHost(address, "^A127.0.0.1");
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 2 && !session.dialog->IsConnecting(); }));
        // Connected, the fields take no typing.
        address->findChild<QLineEdit*>(QStringLiteral("field3"))->setFocus(Qt::TabFocusReason);
        KeysToHost(address, "^A9");
        EXPECT_EQ(HostFields(address), "127.0.0.1");
    });
}

// A blank number would read as 0, a number over 255 is no address's, and a paste that is no
// address leaves the fields as they were: Connect with any of them reaches no address, and
// the status line says why in one line, the line of blank numbers until the last is filled
// in; the whole address typed then connects.
TEST(MainDialog, AnAddressWithABlankNumberIsNotConnectedTo) {
    const std::string incomplete = App::kAddressIncompleteText;
    struct Row {
        const char* what;
        const char* keys;  // typed over the whole address
        int blanked;       // a field cleared after, -1 for none
        const char* clipboard;
        const char* shown;
        std::string line;
        // After Connect: keys typed from the start of a field, -1 for none, and the line then.
        int then = -1;
        const char* thenKeys = "";
        std::string thenLine;
    };
    const Row rows[] = {
        {"one number typed, two more after", "^A2", -1, "", "2...", incomplete, 1, "0.0", incomplete},
        {"two, the last two after", "^A10.1", -1, "", "10.1..", incomplete, 2, "2.3", ""},
        {"three, the last after", "^A10.1.2", -1, "", "10.1.2.", incomplete, 3, "4", ""},
        {"one blank between, filled in after", "^A127.0.0.1", 1, "", "127..0.1", incomplete, 1, "0", ""},
        {"a number over 255, shown whole", "^A999.1.1.1", -1, "", "999.1.1.1", "999 is not a number from 0 to 255", -1,
         "", ""},
        {"256", "^A256.0.0.1", -1, "", "256.0.0.1", "256 is not a number from 0 to 255", -1, "", ""},
        {"a paste of part of an address", "^A127.0.0.1^V", -1, "10.0.", "127.0.0.1",
         "\"10.0.\" is not an address of four numbers from 0 to 255: not pasted", -1, "", ""},
        {"a paste of letters", "^A127.0.0.1^V", -1, "a.b.c.d", "127.0.0.1",
         "\"a.b.c.d\" is not an address of four numbers from 0 to 255: not pasted", -1, "", ""},
        {"a paste of letters through the field's menu", "^A127.0.0.1^M", -1, "a.b.c.d", "127.0.0.1",
         "\"a.b.c.d\" is not an address of four numbers from 0 to 255: not pasted", -1, "", ""},
    };
    DialogSession session;
    session.Run([&](QWidget* window) {
        QWidget* address = UiTest::FindControl(window, IdPath({Id::Address}));
        ASSERT_NE(address, nullptr);
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            QGuiApplication::clipboard()->setText(QString::fromUtf8(row.clipboard));
            address->findChild<QLineEdit*>(QStringLiteral("field0"))->setFocus(Qt::TabFocusReason);
            KeysToHost(address, row.keys);
            if (row.blanked >= 0) address->findChild<QLineEdit*>(QStringLiteral("field%1").arg(row.blanked))->clear();
            ASSERT_EQ(HostFields(address), row.shown);
            // Told as it happens, not only at Connect.
            if (row.line != incomplete) {
                EXPECT_EQ(Pane(*session.dialog, 2), row.line);
            }
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
            EXPECT_FALSE(session.dialog->IsConnecting());
            EXPECT_EQ(session.dialog->GetState(), 0);
            EXPECT_EQ(Pane(*session.dialog, 2), row.line);
            EXPECT_EQ(session.dialog->GetServerId(), -1);
            EXPECT_EQ(session.device.OpenAssociations(), 0);
            ExpectStateTable(window, 0);
            if (row.then < 0) continue;
            auto* field = address->findChild<QLineEdit*>(QStringLiteral("field%1").arg(row.then));
            field->setFocus(Qt::TabFocusReason);
            field->home(false);
            KeysToHost(address, row.thenKeys);
            EXPECT_EQ(Pane(*session.dialog, 2), row.thenLine) << HostFields(address);
        }
        address->findChild<QLineEdit*>(QStringLiteral("field0"))->setFocus(Qt::TabFocusReason);
        KeysToHost(address, "^A127.0.0.1");
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
    });
}

// Two devices that do not say who they are, one after the other on the same address, the
// second with another logical node under the same logical device: the window offers the
// second's nodes and its status line says why the model was read afresh. (Which model is
// kept and when is the session's, and is tested there.)
TEST(MainDialog, ADeviceThatDoesNotSayWhoItIsIsReadAfreshNotShownAnothersModel) {
    const std::string nodes = IdPath({Id::ReadSelection, Sel::LnCombo});
    const auto offers = [&](QWidget* window, const std::string& node) {
        const std::vector<std::string> items = Items(window, nodes);
        return std::find(items.begin(), items.end(), node) != items.end();
    };
    TestDevice::Faults silent;
    silent.hideIdentify = true;
    DialogSession session;
    session.device.SetFaults(silent);
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        ASSERT_EQ(Current(window, IdPath({Id::ReadLd})), "LD0");
        EXPECT_FALSE(offers(window, "MHAI1"));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(session.ReachState(0));

        TestDevice::Device::Options options = TestDevice::Device::TakeOverPortOf(session.device);
        options.model.harmonics = true;
        TestDevice::Device other(options);
        other.SetFaults(silent);
        ASSERT_EQ(other.Start(), System::OkNoError);
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        EXPECT_EQ(Pane(*session.dialog, 2), "The device did not give its identity: data model read afresh");
        ASSERT_EQ(Current(window, IdPath({Id::ReadLd})), "LD0");
        EXPECT_TRUE(offers(window, "MHAI1"));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(session.ReachState(0));
    });
}

TEST(MainDialog, ValueFieldsShowTheStartAndAreClearedWhenTheirSelectionChanges) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 2 && !session.dialog->IsConnecting(); }));
        auto* readValue = qobject_cast<QLineEdit*>(UiTest::FindControl(window, IdPath({Id::ReadValue})));
        auto* reportValue = qobject_cast<QLineEdit*>(UiTest::FindControl(window, IdPath({Id::ReportValue})));
        ASSERT_NE(readValue, nullptr);
        ASSERT_NE(reportValue, nullptr);
        std::string longValue;
        for (int i = 0; longValue.size() < 480; ++i) longValue += "entry" + std::to_string(i) + ",";
        longValue.resize(480);
        for (QLineEdit* field : {readValue, reportValue}) {
            session.dialog->SetDlgItemText(field == readValue ? Id::ReadValue : Id::ReportValue, longValue);
            EXPECT_EQ(field->text().size(), 480);
            EXPECT_EQ(field->cursorPosition(), 0);
            // The user scrolls to the end; the same text set again leaves it there.
            field->end(false);
            session.dialog->SetDlgItemText(field == readValue ? Id::ReadValue : Id::ReportValue, longValue);
            EXPECT_EQ(field->cursorPosition(), 480);
        }
        // Another attribute in the read panel: the read value is gone, the report's stays.
        const std::string attribute = IdPath({Id::ReadSelection, Sel::AttrCombo});
        ASSERT_GE(Items(window, attribute).size(), 2u);
        UiTest::Pick(UiTest::FindControl(window, attribute),
                     Current(window, attribute) == Items(window, attribute)[0] ? 1 : 0);
        EXPECT_EQ(readValue->text(), "");
        EXPECT_EQ(reportValue->text().size(), 480);
        // Another choice in the report panel: the report value is gone.
        bool picked = false;
        for (int list : {Sel::AttrCombo, Sel::ObjCombo, Sel::LnCombo}) {
            const std::string path = IdPath({Id::ReportSelection, list});
            if (picked || Items(window, path).size() < 2) continue;
            UiTest::Pick(UiTest::FindControl(window, path), Current(window, path) == Items(window, path)[0] ? 1 : 0);
            picked = true;
        }
        ASSERT_TRUE(picked);
        EXPECT_EQ(reportValue->text(), "");
    });
}

TEST(MainDialog, ConnectReadDisconnectAndReconnectWithAndWithoutReload) {
    DialogSession session;
    // The device that takes the address at the end.
    std::unique_ptr<TestDevice::Device> other;
    TestDevice::Faults faults;
    faults.delayedMs[6] = 20;            // type descriptions come slowly: the reading state can be seen
    faults.initiateAnswerDelayMs = 200;  // and the association is a while in the making
    session.device.SetFaults(faults);
    const std::string peer = "127.0.0.1:" + std::to_string(session.device.Port());
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        // The associate answer can only reach the dialog through its loop, not yet run.
        EXPECT_EQ(Pane(*session.dialog, 0), "Connecting");
        EXPECT_EQ(Pane(*session.dialog, 1), "Connecting to " + peer);
        bool progressSeen = false;
        ASSERT_TRUE(WaitUntil([&] {
            if (session.dialog->GetProgressDialog().IsWindowVisible() && session.dialog->GetState() == 1 &&
                !progressSeen) {
                progressSeen = true;
                ExpectStateTable(window, 1);
                EXPECT_EQ(Pane(*session.dialog, 1), "Initial reading of data model... (" + peer + ")");
                UiTest::Screenshot(window, "main-dialog-state-1");
                UiTest::Screenshot(session.dialog->GetProgressDialog().GetWidget(), "main-dialog-state-1-progress");
                ExpectShownAboveWhole(session.dialog->GetProgressDialog(), window);
            }
            return session.dialog->GetState() == 2 && !session.dialog->IsConnecting();
        }));
        EXPECT_TRUE(progressSeen);
        EXPECT_FALSE(session.dialog->GetProgressDialog().IsWindowVisible());
        EXPECT_EQ(session.dialog->GetProgressDialog().GetDlgItemText(ControlId::ModelProgress::Devices), "2");
        ExpectStateTable(window, 2);
        // Sorted without regard to case, the lists show "bay1" first; the trees are for
        // "LD0", the first in byte order, and the lists select it.
        for (const std::string& combo : {IdPath({Id::ReadLd}), IdPath({Id::ControlLd}), IdPath({Id::ReportLd})}) {
            EXPECT_EQ(Items(window, combo), (std::vector<std::string>{"bay1", "LD0"})) << combo;
            EXPECT_EQ(Current(window, combo), "LD0") << combo;
        }
        EXPECT_EQ(Current(window, IdPath({Id::ReadSelection, Sel::LnCombo})), "CSWI1");
        EXPECT_EQ(Current(window, IdPath({Id::ControlSelection, Sel::LnCombo})), "CSWI1");
        EXPECT_FALSE(Items(window, IdPath({Id::ReportSelection, Sel::AttrCombo})).empty());
        // Pane 2 shows the last choice reported: the report selection's.
        EXPECT_NE(Pane(*session.dialog, 2).find(" ["), std::string::npos);
        EXPECT_EQ(Pane(*session.dialog, 0), "Connected");
        EXPECT_EQ(Pane(*session.dialog, 1), "Connected to " + peer);
        UiTest::Screenshot(window, "main-dialog-state-2");
        const std::int32_t firstServer = session.dialog->GetServerId();

        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(session.ReachState(0));
        ExpectStateTable(window, 0);
        for (const std::string& combo :
             {IdPath({Id::ReadLd}), IdPath({Id::ControlLd}), IdPath({Id::ReportLd}),
              IdPath({Id::ReadSelection, Sel::LnCombo}), IdPath({Id::ControlSelection, Sel::ObjCombo}),
              IdPath({Id::ReportSelection, Sel::AttrCombo})}) {
            EXPECT_TRUE(Items(window, combo).empty()) << combo;
        }
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::ReadValue}))), "");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::ReportValue}))), "");

        // Again without reload: the same server and its model.
        session.device.ClearRequests();
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        EXPECT_EQ(session.dialog->GetServerId(), firstServer);
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(session.ReachState(0));

        // With reload: a new server, the model read again.
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Reload})));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        EXPECT_NE(session.dialog->GetServerId(), firstServer);
        EXPECT_EQ(Current(window, IdPath({Id::ReadLd})), "LD0");
        std::vector<std::uint32_t> ids;
        session.servers.ListServerIds(ids);
        EXPECT_EQ(ids.size(), 1u);
        const std::int32_t reloadedServer = session.dialog->GetServerId();

        // Without reload again, but another device answers at the address: the kept model
        // is not its own, so it is read afresh, and the status line says why.
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(session.ReachState(0));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Reload})));
        TestDevice::Device::Options options;
        options.port = session.device.Port();
        options.model.vendor = "Other Works";
        session.device.Stop();
        other = std::make_unique<TestDevice::Device>(options);
        ASSERT_EQ(other->Start(), System::OkNoError);
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        EXPECT_NE(session.dialog->GetServerId(), reloadedServer);
        EXPECT_EQ(Pane(*session.dialog, 1), "Connected to " + peer);
        EXPECT_EQ(Pane(*session.dialog, 2), "Another device at this address: data model read afresh");
        EXPECT_EQ(Current(window, IdPath({Id::ReadLd})), "LD0");
    });
    session.dialog->Shutdown();
    std::vector<std::uint32_t> ids;
    session.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(WaitUntil([&] { return other != nullptr && other->OpenAssociations() == 0; }));
}

TEST(MainDialog, FailuresBeforeAndAtTheAssociation) {
    struct Case {
        const char* what;
        std::function<void(DialogSession&)> arrange;
        std::string detail;  // in the box's text
    };
    const std::vector<Case> cases = {
        {"nothing listening",
         [](DialogSession& s) {
             const std::uint16_t port = s.device.Port();
             s.device.Stop();
             s.AimAt(port);
         },
         "Connection refused"},
        {"an initiate refused",
         [](DialogSession& s) {
             TestDevice::Faults faults;
             faults.initiateErrorClass = 9;
             faults.initiateErrorCode = 6;
             s.device.SetFaults(faults);
         },
         "initiate-Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        c.arrange(session);
        session.Run([&](QWidget* window) {
            UiTest::MessageBoxSeen seen;
            UiTest::AnswerNextMessageBox(IDOK, &seen);
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
            ASSERT_TRUE(WaitUntil([&] { return seen.seen && !session.dialog->IsConnecting(); }));
            EXPECT_EQ(seen.caption, "Error");
            EXPECT_EQ(seen.icon, QMessageBox::Critical);
            EXPECT_EQ(seen.text.rfind("Connection could not be established. ", 0), 0u) << seen.text;
            EXPECT_NE(seen.text.find(c.detail), std::string::npos) << seen.text;
            EXPECT_EQ(session.dialog->GetState(), 0);
            // The server of that address is discarded.
            EXPECT_EQ(session.dialog->GetServerId(), -1);
            std::vector<std::uint32_t> ids;
            session.servers.ListServerIds(ids);
            EXPECT_TRUE(ids.empty());
            ExpectStateTable(window, 0);
        });
    }
}

TEST(MainDialog, TheDeviceAbortingMidLoad) {
    DialogSession session;
    TestDevice::Faults faults;
    faults.abortAtRequest = 6;
    session.device.SetFaults(faults);
    session.Run([&](QWidget* window) {
        UiTest::MessageBoxSeen seen;
        UiTest::AnswerNextMessageBox(IDOK, &seen);
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(WaitUntil([&] { return seen.seen && !session.dialog->IsConnecting(); }));
        EXPECT_EQ(seen.text.rfind("Association has been aborted", 0), 0u) << seen.text;
        EXPECT_NE(seen.text.find("Abort was issued by peer"), std::string::npos) << seen.text;
        EXPECT_EQ(session.dialog->GetState(), 0);
        EXPECT_FALSE(session.dialog->GetProgressDialog().IsWindowVisible());
        ExpectStateTable(window, 0);
    });
}

TEST(MainDialog, EscapeConnectsOnlyWhenConnectMay) {
    DialogSession session;
    TestDevice::Faults faults;
    faults.delayedMs[6] = 20;  // type descriptions come slowly: the reading state lasts
    session.device.SetFaults(faults);
    session.Run([&](QWidget* window) {
        // State 0: Escape is Connect.
        UiTest::Key(window, Qt::Key_Escape);
        EXPECT_TRUE(session.dialog->IsConnecting());
        // While connecting and in the states after, it is dropped: no second association.
        UiTest::Key(window, Qt::Key_Escape);
        ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 1; }));
        UiTest::Key(window, Qt::Key_Escape);
        EXPECT_EQ(session.dialog->GetState(), 1);
        ASSERT_TRUE(session.ReachState(2));
        UiTest::Key(window, Qt::Key_Escape);
        EXPECT_FALSE(session.dialog->IsConnecting());
        EXPECT_EQ(session.dialog->GetState(), 2);
        EXPECT_EQ(session.device.OpenAssociations(), 1);
        EXPECT_TRUE(session.dialog->IsWindow());
    });
}

// The transport's confirm never comes. Had the end waited for the device, it would wait for
// the transport's own time-out (10 s) at least: the session's and the MMS time-outs are longer.
TEST(MainDialog, ClosedDuringAConnectToASilentDeviceItEndsWithoutWaitingForTheDevice) {
    DialogSession session;
    TestDevice::Faults faults;
    faults.dropConnectConfirm = true;
    session.device.SetFaults(faults);
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "30000");
    session.dialog->SetProfileOverride("LocalSTimeout", "20000");
    std::chrono::steady_clock::time_point closed;
    // The close box ends the dialog the way Exit does.
    EXPECT_EQ(session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        EXPECT_TRUE(session.dialog->IsConnecting());
        closed = std::chrono::steady_clock::now();
        window->close();  // the close box
    }),
              IDOK);
    session.dialog->Shutdown();
    const auto took = std::chrono::steady_clock::now() - closed;
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(session.dialog->GetState(), 0);
    std::vector<std::uint32_t> ids;
    session.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());
}

// The device holds the type descriptions until the test lets them go: the end stops the
// load, hides the progress window and leaves nothing running. (How soon it ends whatever
// the device withholds: ConnectionSession.ShutDownInEveryStateAbandoningAConnectUnderWay.)
TEST(MainDialog, ClosedDuringALoadNothingIsLeftRunning) {
    DialogSession session;
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "60000");
    session.dialog->SetProfileOverride("LocalSTimeout", "30000");
    TestDevice::Faults faults;
    faults.held = {Mms::MmsServiceGetVariableAccessAttributes};
    session.device.SetFaults(faults);
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(WaitUntil(
            [&] { return session.dialog->GetState() == 1 && session.dialog->GetProgressDialog().IsWindowVisible(); }));
        window->close();
    });
    // The progress window goes out of sight with the dialog's window, and lives on with it.
    EXPECT_TRUE(session.dialog->GetProgressDialog().IsWindow());
    EXPECT_FALSE(session.dialog->GetProgressDialog().IsWindowVisible());
    session.dialog->Shutdown();
    session.device.SetFaults({});
    std::vector<std::uint32_t> ids;
    session.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
}

// Counts the message boxes shown while it lives, and closes each (as Escape would).
class MessageBoxCount : public QObject {
public:
    MessageBoxCount() { QCoreApplication::instance()->installEventFilter(this); }
    ~MessageBoxCount() override { QCoreApplication::instance()->removeEventFilter(this); }
    int shown = 0;
    std::vector<std::string> texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show) {
            ++shown;
            texts.push_back(box->text().toStdString());
            QTimer::singleShot(0, box, [box] { box->done(QDialog::Rejected); });
        }
        return false;
    }
};

// Disconnect while the device holds a read's answer (a stalled link, a busy relay): the
// release cannot go, and the disconnect the user asked for ends within the release limit
// that closing the window keeps, without an error box; the status line says it ended without
// the device's answer. The MMS and session time-outs are long: a disconnect that waited for
// either fails the bound by many seconds.
TEST(MainDialog, ADisconnectOnAStalledLinkEndsWithinTheReleaseLimitWithoutAnErrorBox) {
    DialogSession session;
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "30000");
    session.dialog->SetProfileOverride("LocalSTimeout", "30000");
    MessageBoxCount boxes;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        TestDevice::Faults faults;
        faults.held = {Mms::MmsServiceRead};
        session.device.SetFaults(faults);
        session.device.ClearRequests();
        std::uint32_t id = 0;
        ASSERT_EQ(session.dialog->GetClient()->GetDataValues(id, {"MX", "LD0/MMXU1.TotW.mag.f"},
                                                             Iec61850::AnswerFrom::Device),
                  System::OkNoError);
        ASSERT_TRUE(WaitUntil([&] { return !session.device.Requests().empty(); }));

        const auto start = std::chrono::steady_clock::now();
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 0; }, 60000));
        const auto took = TestSupport::ElapsedSince(start);
        RecordProperty("disconnect ms", static_cast<int>(took.count()));
        EXPECT_LT(took, App::ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(1));
        // A box posted with the end has been shown by the time a task posted after it runs.
        bool drained = false;
        Ui::MessageBridge::PostTask([&drained] { drained = true; });
        ASSERT_TRUE(WaitUntil([&] { return drained; }));
        EXPECT_EQ(boxes.shown, 0) << (boxes.texts.empty() ? "" : boxes.texts.front());
        EXPECT_FALSE(session.dialog->IsDisconnecting());
        EXPECT_EQ(Pane(*session.dialog, 0), "Disconnected");
        EXPECT_EQ(Pane(*session.dialog, 2), App::kDisconnectedUnansweredText);
        ExpectStateTable(window, 0);
        session.device.SetFaults({});
        EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
    });
}

// Disconnect from a device that refuses the release (a conclude-Error): the association is
// aborted at once, without an error box, and the status line says that the device refused the
// release, in its words, and that the association was aborted. Had the program waited for the
// device instead, the guard's limit would end it, saying that the device did not answer.
TEST(MainDialog, ADisconnectWhoseReleaseTheDeviceRefusesAbortsAtOnceAndSaysWhy) {
    DialogSession session;
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "30000");
    MessageBoxCount boxes;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        TestDevice::Faults faults;
        faults.concludeErrors = 1;
        session.device.SetFaults(faults);
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 0; }, 60000));
        bool drained = false;
        Ui::MessageBridge::PostTask([&drained] { drained = true; });
        ASSERT_TRUE(WaitUntil([&] { return drained; }));
        EXPECT_EQ(boxes.shown, 0) << (boxes.texts.empty() ? "" : boxes.texts.front());
        EXPECT_EQ(Pane(*session.dialog, 0), "Disconnected");
        EXPECT_EQ(Pane(*session.dialog, 2),
                  std::string(App::kReleaseRefusedText) + " (conclude (10), code 1 (further-communication-required))");
        ExpectStateTable(window, 0);
        EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
    });
}

// Disconnect during a large model's load, with the device slow to answer reads (held here
// until the test lets them go, so that many requests are queued by construction): the
// dialog shows at once that it is disconnecting, with the progress gone and nothing left
// to press, and is disconnected once the answers out are in. The next connect reads afresh
// a device that now does not say who it is, and the status line says that, not that
// another device answers. (What goes to the device meanwhile: DisconnectDuringReads.)
TEST(MainDialog, ADisconnectDuringALoadShowsItIsUnderWayAndTheNextConnectSaysWhyItReadsAfresh) {
    DialogSession session(DialogSession::DeviceWith(&TestDevice::ModelOptions::large));
    // Nothing times out while the reads are held.
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "60000");
    TestDevice::Faults faults;
    faults.held = {Mms::MmsServiceRead};
    session.device.SetFaults(faults);
    const std::string peer = "127.0.0.1:" + std::to_string(session.device.Port());
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<TestDevice::RequestRecord> requests = session.device.Requests();
            const bool readHeld = std::any_of(requests.begin(), requests.end(), [](const TestDevice::RequestRecord& r) {
                return r.service == Mms::MmsServiceRead;
            });
            return session.dialog->GetState() == 1 && session.dialog->GetProgressDialog().IsWindowVisible() && readHeld;
        }));

        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        EXPECT_TRUE(session.dialog->IsDisconnecting());
        EXPECT_EQ(Pane(*session.dialog, 0), "Disconnecting...");
        EXPECT_EQ(Pane(*session.dialog, 1), "Disconnecting from " + peer);
        EXPECT_FALSE(session.dialog->GetProgressDialog().IsWindowVisible());
        for (const int id : {Id::Connect, Id::Disconnect, Id::Read, Id::Execute, Id::EnableRcb, Id::CreateIcd}) {
            EXPECT_FALSE(UiTest::FindControl(window, IdPath({id}))->isEnabled()) << id;
        }
        UiTest::Screenshot(window, "main-dialog-disconnecting");

        session.device.SetFaults({});
        ASSERT_TRUE(session.ReachState(0));
        EXPECT_FALSE(session.dialog->IsDisconnecting());
        EXPECT_EQ(Pane(*session.dialog, 0), "Disconnected");
        ExpectStateTable(window, 0);

        TestDevice::Faults neverSaysWhoItIs;
        neverSaysWhoItIs.dropped = {Mms::MmsServiceIdentify};
        session.device.SetFaults(neverSaysWhoItIs);
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2, 60000));
        EXPECT_EQ(Pane(*session.dialog, 2), "The device did not give its identity: data model read afresh");
    });
}

}  // namespace
}  // namespace AppTest
