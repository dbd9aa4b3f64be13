#include <gtest/gtest.h>

#include <QComboBox>
#include <chrono>
#include <string>
#include <vector>

#include "app/client/QXMessages.h"
#include "app/program/DialogSession.h"
#include "ui/MessageParams.h"
#include "ui/StatusBarCtrl.h"
#include "ui/UpDownWidget.h"

namespace AppTest {
namespace {

using namespace Ui;
using App::QXDialog;

std::string Pane2(QXDialog& dialog) {
    auto* bar = static_cast<CStatusBarCtrl*>(CWnd::FromWidget(dialog.GetDlgItemWidget(1031)));
    return bar != nullptr ? bar->GetText(2) : std::string();
}

void PickText(QWidget* window, const std::string& path, const std::string& text) {
    const std::vector<std::string> items = Items(window, path);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            UiTest::Pick(UiTest::FindControl(window, path), static_cast<int>(i));
            ASSERT_EQ(Current(window, path), text) << path;
            return;
        }
    }
    FAIL() << path << " has no " << text;
}

// The panel's three lists: logical node, object, attribute.
void Choose(QWidget* window, const char* selection, const std::string& node, const std::string& object,
            const std::string& attribute) {
    const std::string root = selection;
    PickText(window, root + "/1050", node);
    PickText(window, root + "/1051", object);
    PickText(window, root + "/1052", attribute);
}

bool Enabled(QWidget* window, const char* path) { return UiTest::FindControl(window, path)->isEnabled(); }
std::string TextAt(QWidget* window, const char* path) { return UiTest::Text(UiTest::FindControl(window, path)); }

// Clicks and waits for the boxes it leads to; their texts.
std::vector<std::string> BoxesAfterClick(QWidget* window, const char* button, std::size_t count) {
    std::vector<UiTest::MessageBoxSeen> seen(count);
    for (UiTest::MessageBoxSeen& box : seen) UiTest::AnswerNextMessageBox(IDOK, &box);
    UiTest::Click(UiTest::FindControl(window, button));
    EXPECT_TRUE(WaitUntil([&] { return seen.back().seen; }));
    std::vector<std::string> texts;
    for (const UiTest::MessageBoxSeen& box : seen) texts.push_back(box.text);
    return texts;
}

std::string BoxAfterClick(QWidget* window, const char* button) { return BoxesAfterClick(window, button, 1).front(); }

// Enabled: Disable RCB usable, and pane 2 says so, unless the general interrogation's
// report has already followed.
bool ReportEnabled(QWidget* window, QXDialog& dialog) {
    const std::string pane = Pane2(dialog);
    return Enabled(window, "8") && !Enabled(window, "6") &&
           (pane == "Enabled LD0/LLN0.urcb01[RP]" || pane.rfind("Report received with ToE: ", 0) == 0);
}

void ExpectReportPanelIdle(QWidget* window) {
    EXPECT_TRUE(Enabled(window, "6"));
    EXPECT_FALSE(Enabled(window, "8"));
    for (const char* list : {"1037/1050", "1037/1051", "1037/1052"}) EXPECT_TRUE(Enabled(window, list)) << list;
    EXPECT_EQ(TextAt(window, "1027"), "");
}

TEST(Panels, ReadsAValueTellsARefusalAndRebuildsOnlyThePanelWhoseDeviceChanged) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, "2"));
        ASSERT_TRUE(session.ReachState(2));

        Choose(window, "1035", "MMXU1", "TotW", "mag.f");
        UiTest::Click(UiTest::FindControl(window, "4"));
        ASSERT_TRUE(WaitUntil([&] { return !TextAt(window, "1025").empty(); }));
        EXPECT_EQ(TextAt(window, "1025"), session.device.GetValue("LD0/MMXU1$MX$TotW$mag$f"));
        UiTest::Screenshot(window, "panels-value-read");

        TestDevice::Faults faults;
        TestDevice::Faults::Refusal refusal;
        refusal.reject = false;
        refusal.error = (7u << 16) | 3u;
        faults.refusedNames[{4, "LD0/MMXU1$MX$TotW$mag$f"}] = refusal;
        session.device.SetFaults(faults);
        EXPECT_EQ(BoxAfterClick(window, "4"),
                  "Value has not been read\n Service error:failed-due-to-communications-constraint");
        session.device.SetFaults({});

        // Another device in the read panel: only its tree changes.
        const std::vector<std::string> controlNodes = Items(window, "1036/1050");
        const std::vector<std::string> reportNodes = Items(window, "1037/1050");
        PickText(window, "1047", "bay1");
        EXPECT_EQ(Items(window, "1035/1050"), (std::vector<std::string>{"GGIO1", "LLN0", "MMXU1"}));
        EXPECT_EQ(Items(window, "1036/1050"), controlNodes);
        EXPECT_EQ(Items(window, "1037/1050"), reportNodes);
        PickText(window, "1050", "bay1");
        EXPECT_TRUE(Items(window, "1036/1050").empty());
        EXPECT_EQ(Items(window, "1035/1050"), (std::vector<std::string>{"GGIO1", "LLN0", "MMXU1"}));
        EXPECT_EQ(Items(window, "1037/1050"), reportNodes);
    });
}

TEST(Panels, TheSpinTogglesTheControlValueEitherWay) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        auto* spin = dynamic_cast<UpDownWidget*>(UiTest::FindControl(window, "1023"));
        ASSERT_NE(spin, nullptr);
        struct Step {
            std::string before;
            int delta;
            std::string after;
        };
        for (const Step& step : {Step{"False", 1, "True"}, Step{"True", 1, "False"}, Step{"False", -1, "True"},
                                 Step{"True", -1, "False"}, Step{"abc", 1, "False"}, Step{"false", -1, "False"}}) {
            session.dialog->SetDlgItemText(1026, step.before);
            spin->Step(step.delta);
            EXPECT_EQ(TextAt(window, "1026"), step.after) << step.before << " " << step.delta;
        }
    });
}

TEST(Panels, EachControlModelThroughExecute) {
    DialogSession session;
    using namespace std::chrono;
    session.dialog->SetClock(
        [] { return sys_days{year{2012} / June / 4} + hours{9} + minutes{5} + seconds{3} + milliseconds{27}; });
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, "2"));
        ASSERT_TRUE(session.ReachState(2));
        // A box where none is expected is answered and its text reported.
        UiTest::MessageBoxSeen unexpected;
        auto execute = [&](const std::string& node, const std::string& attribute) {
            Choose(window, "1036", node, "Pos", attribute);
            unexpected = {};
            UiTest::AnswerNextMessageBox(IDOK, &unexpected);
            UiTest::Click(UiTest::FindControl(window, "5"));
        };
        auto setShown = [&] {
            const bool shown =
                WaitUntil([&] { return Pane2(*session.dialog) == "Value has been set" || unexpected.seen; });
            UiTest::ForgetModalActions();
            EXPECT_FALSE(unexpected.seen) << unexpected.text;
            session.dialog->ShowStatusText({});
            return shown && !unexpected.seen;
        };
        auto readPosition = [&](const std::string& node) {
            PickText(window, "1047", "LD0");
            Choose(window, "1035", node, "Pos", "stVal");
            session.dialog->SetDlgItemText(1025, {});
            unexpected = {};
            UiTest::AnswerNextMessageBox(IDOK, &unexpected);
            UiTest::Click(UiTest::FindControl(window, "4"));
            EXPECT_TRUE(WaitUntil([&] { return !TextAt(window, "1025").empty() || unexpected.seen; }));
            UiTest::ForgetModalActions();
            EXPECT_FALSE(unexpected.seen) << unexpected.text;
            return TextAt(window, "1025");
        };
        struct Case {
            std::string node;
            std::vector<std::string> steps;
        };
        const Case cases[] = {
            {"CSWI1", {"Oper"}},          // direct
            {"CSWI2", {"SBO", "Oper"}},   // select, then operate
            {"CSWI4", {"SBOw", "Oper"}},  // select with value, then operate
            {"CSWI3", {"Oper"}},          // direct, enhanced: a positive termination follows
        };
        session.dialog->SetDlgItemText(1026, "True");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.node);
            const std::string before = session.device.GetValue("LD0/" + c.node + "$ST$Pos$stVal");
            for (const std::string& step : c.steps) {
                execute(c.node, step);
                EXPECT_TRUE(setShown()) << step;
            }
            const std::string after = session.device.GetValue("LD0/" + c.node + "$ST$Pos$stVal");
            EXPECT_NE(after, before);
            EXPECT_EQ(readPosition(c.node), after);
            EXPECT_EQ(session.device.GetValue("LD0/" + c.node + "$CO$Pos$Oper$Test"), "False");
            EXPECT_EQ(session.device.GetValue("LD0/" + c.node + "$CO$Pos$Oper$origin$orIdent"), "5178");
            EXPECT_EQ(session.device.GetValue("LD0/" + c.node + "$CO$Pos$Oper$T").rfind("2012-06-04 09:05:03.02", 0),
                      0u)
                << session.device.GetValue("LD0/" + c.node + "$CO$Pos$Oper$T");
        }
        UiTest::Screenshot(window, "panels-control-executed");

        // Cancel after a select: the selection ends, the position stays.
        const std::string position = session.device.GetValue("LD0/CSWI2$ST$Pos$stVal");
        execute("CSWI2", "SBO");
        EXPECT_TRUE(setShown());
        execute("CSWI2", "Cancel");
        EXPECT_TRUE(setShown());
        EXPECT_EQ(session.device.GetValue("LD0/CSWI2$ST$Pos$stVal"), position);
        // An operate without a select is refused now, and so is a select of a blocked
        // object: the refusal and the device's LastApplError are both told.
        Choose(window, "1036", "CSWI2", "Pos", "Oper");
        for (const std::string& text : BoxesAfterClick(window, "5", 2)) {
            EXPECT_EQ(text.rfind("Value has not been set\n Service error:", 0), 0u) << text;
        }
        session.device.FindControl("LD0/CSWI4$CO$Pos")->Block(3);
        Choose(window, "1036", "CSWI4", "Pos", "SBOw");
        const std::vector<std::string> refused = BoxesAfterClick(window, "5", 2);
        bool lastApplError = false;
        for (const std::string& text : refused) {
            EXPECT_EQ(text.rfind("Value has not been set\n Service error:", 0), 0u) << text;
            lastApplError = lastApplError || text.find("AddCause 3") != std::string::npos;
        }
        EXPECT_TRUE(lastApplError);

        // An enhanced operate that the device accepts and then ends negatively.
        session.device.FindControl("LD0/CSWI3$CO$Pos")->FailTermination(5);
        session.dialog->SetDlgItemText(1026, "False");
        Choose(window, "1036", "CSWI3", "Pos", "Oper");
        const std::string terminated = BoxAfterClick(window, "5");
        EXPECT_EQ(terminated.rfind("Value has not been set\n Service error:Command terminated: ", 0), 0u) << terminated;
        EXPECT_EQ(Pane2(*session.dialog), "Value has been set");
    });
}

TEST(Panels, EnablesAReportShowsItsValueAndDisablesIt) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, "2"));
        ASSERT_TRUE(session.ReachState(2));
        Choose(window, "1037", "GGIO1", "Ind1", "stVal");
        UiTest::Click(UiTest::FindControl(window, "6"));
        ASSERT_TRUE(WaitUntil([&] { return ReportEnabled(window, *session.dialog); })) << Pane2(*session.dialog);
        EXPECT_FALSE(Enabled(window, "6"));
        EXPECT_TRUE(Enabled(window, "8"));
        EXPECT_TRUE(window->focusWidget() == UiTest::FindControl(window, "8"));
        // The selection's lists are locked, the control itself is not.
        EXPECT_TRUE(Enabled(window, "1037"));
        for (const char* list : {"1037/1050", "1037/1051", "1037/1052"}) EXPECT_FALSE(Enabled(window, list)) << list;

        ASSERT_EQ(session.device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), System::OkNoError);
        ASSERT_TRUE(WaitUntil([&] { return TextAt(window, "1027") == "True"; }));
        EXPECT_EQ(Pane2(*session.dialog).rfind("Report received with ToE: ", 0), 0u) << Pane2(*session.dialog);
        UiTest::Screenshot(window, "panels-report-enabled");

        UiTest::Click(UiTest::FindControl(window, "8"));
        ASSERT_TRUE(WaitUntil([&] { return Pane2(*session.dialog) == "Disabled LD0/LLN0.urcb01[RP]"; }));
        ExpectReportPanelIdle(window);
        EXPECT_TRUE(window->focusWidget() == UiTest::FindControl(window, "6"));
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcb01$RptEna"), "False");
    });
}

TEST(Panels, StatusMessagesMoveTheReportPanelAsTheTablesSay) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, "2"));
        ASSERT_TRUE(session.ReachState(2));
        struct Case {
            std::uint32_t message;
            std::intptr_t code;
            std::string box;  // empty: none
            bool enableAfter;
            bool disableAfter;
            bool listsAfter;
        };
        const std::string command = "Failed while executing command\n Error: ";
        const std::string service = "Failed while executing service\n Service error: ";
        const Case cases[] = {
            {App::WM_QX_RCB_ENABLE_STATUS, 0, "", false, false, false},
            {App::WM_QX_RCB_ENABLE_STATUS, 1, "", false, true, false},
            {App::WM_QX_RCB_ENABLE_STATUS, -1, service, false, false, false},
            // The sequence has ended: the panel is idle again, as after -3.
            {App::WM_QX_RCB_ENABLE_STATUS, -2, command, true, false, true},
            {App::WM_QX_RCB_ENABLE_STATUS, -3, command, true, false, true},
            {App::WM_QX_RCB_ENABLE_STATUS, 5, "Error: ", false, false, false},
            {App::WM_QX_RCB_DISABLE_STATUS, 0, "", false, false, false},
            {App::WM_QX_RCB_DISABLE_STATUS, 1, "", true, false, true},
            // A refused disable leaves the block enabled: Disable may be tried again.
            {App::WM_QX_RCB_DISABLE_STATUS, -1, service, false, true, false},
            {App::WM_QX_RCB_DISABLE_STATUS, -2, command, false, false, false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.message) + " " + std::to_string(c.code));
            // From the enabling state: Enable and the lists locked, 1027 holding a value.
            session.dialog->UpdateControls();
            session.dialog->SendMessage(App::WM_QX_RCB_ENABLE_STATUS, 0, ParamOf("Checking x"));
            session.dialog->SetDlgItemText(1027, "7");
            UiTest::MessageBoxSeen seen;
            if (!c.box.empty()) UiTest::AnswerNextMessageBox(IDOK, &seen);
            const std::string text = "step text";
            session.dialog->SendMessage(c.message, static_cast<WPARAM>(c.code), ParamOf(text.c_str()));
            if (!c.box.empty()) {
                ASSERT_TRUE(WaitUntil([&] { return seen.seen; }));
                EXPECT_EQ(seen.text, c.box + text);
            }
            EXPECT_EQ(Enabled(window, "6"), c.enableAfter);
            EXPECT_EQ(Enabled(window, "8"), c.disableAfter);
            EXPECT_EQ(Enabled(window, "1037/1050"), c.listsAfter);
            EXPECT_TRUE(Enabled(window, "1037"));
            EXPECT_EQ(TextAt(window, "1027"), c.listsAfter ? "" : "7");
            if (c.message == App::WM_QX_RCB_ENABLE_STATUS && c.code != -1) {
                EXPECT_EQ(Pane2(*session.dialog), text);
            }
        }
        // Reports: 1 into 1027, 2 into pane 2, others nowhere.
        session.dialog->SendMessage(App::WM_QX_REPORT, 1, ParamOf("on"));
        session.dialog->SendMessage(App::WM_QX_REPORT, 2, ParamOf("Report received with ToE: x"));
        session.dialog->SendMessage(App::WM_QX_REPORT, 3, ParamOf("nowhere"));
        EXPECT_EQ(TextAt(window, "1027"), "on");
        EXPECT_EQ(Pane2(*session.dialog), "Report received with ToE: x");
    });
}

}  // namespace
}  // namespace AppTest
