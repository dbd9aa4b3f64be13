#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "app/client/QXClient.h"
#include "app/ids/ControlIds.h"
#include "app/program/DialogSession.h"
#include "app/program/ProgramResources.h"
#include "iec61850/acsi/client/Server.h"
#include "ui/DialogTemplate.h"
#include "ui/IPAddressCtrl.h"

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
        EXPECT_TRUE(WaitUntil([&] { return aboutSeen; }, 5000));
        // Enter with an edit focused, no button, does nothing: the dialog stays.
        UiTest::FindControl(window, IdPath({Id::Mac}))->setFocus();
        UiTest::Key(window, Qt::Key_Return);
        EXPECT_TRUE(session.dialog->IsWindow());
        EXPECT_FALSE(window->isHidden());
        UiTest::Screenshot(window, "main-dialog-state-0");
    });
}

TEST(MainDialog, ConnectReadDisconnectAndReconnectWithAndWithoutReload) {
    DialogSession session;
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
    });
    session.dialog->Shutdown();
    std::vector<std::uint32_t> ids;
    session.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
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

TEST(MainDialog, ClosedDuringAConnectToASilentDeviceItEndsWithinASecond) {
    DialogSession session;
    TestDevice::Faults faults;
    faults.dropConnectConfirm = true;
    session.device.SetFaults(faults);
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "30000");
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
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_EQ(session.dialog->GetState(), 0);
    std::vector<std::uint32_t> ids;
    session.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());
}

TEST(MainDialog, ClosedDuringALoadNothingIsLeftRunning) {
    DialogSession session;
    TestDevice::Faults faults;
    faults.delayedMs[6] = 50;  // type descriptions come slowly
    session.device.SetFaults(faults);
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 1; }));
        window->close();
    });
    const auto start = std::chrono::steady_clock::now();
    session.dialog->Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    std::vector<std::uint32_t> ids;
    session.servers.ListServerIds(ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
}

}  // namespace
}  // namespace AppTest
