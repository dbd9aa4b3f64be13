#include <gtest/gtest.h>

#include <QComboBox>
#include <chrono>
#include <string>
#include <vector>

#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/DialogSession.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "ui/MessageBridge.h"
#include "ui/StatusBarCtrl.h"
#include "ui/UpDownWidget.h"
#include "ui/messages/MessageParams.h"

namespace AppTest {
namespace {

using namespace Ui;
using App::QXDialog;
using UiTest::IdPath;
namespace Id = ControlId::MainDialog;
namespace Sel = ControlId::Selection;

std::string Pane(QXDialog& dialog, int pane) {
    auto* bar = static_cast<CStatusBarCtrl*>(CWnd::FromWidget(dialog.GetDlgItemWidget(Id::StatusBar)));
    return bar != nullptr ? bar->GetText(pane) : std::string();
}

std::string Pane2(QXDialog& dialog) { return Pane(dialog, 2); }

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
void Choose(QWidget* window, int selection, const std::string& node, const std::string& object,
            const std::string& attribute) {
    PickText(window, IdPath({selection, Sel::LnCombo}), node);
    PickText(window, IdPath({selection, Sel::ObjCombo}), object);
    PickText(window, IdPath({selection, Sel::AttrCombo}), attribute);
}

bool Enabled(QWidget* window, const std::string& path) { return UiTest::FindControl(window, path)->isEnabled(); }
std::string TextAt(QWidget* window, const std::string& path) { return UiTest::Text(UiTest::FindControl(window, path)); }

// Clicks and waits for the boxes it leads to; their texts.
std::vector<std::string> BoxesAfterClick(QWidget* window, int button, std::size_t count) {
    std::vector<UiTest::MessageBoxSeen> seen(count);
    for (UiTest::MessageBoxSeen& box : seen) UiTest::AnswerNextMessageBox(IDOK, &box);
    UiTest::Click(UiTest::FindControl(window, IdPath({button})));
    EXPECT_TRUE(WaitUntil([&] { return seen.back().seen; }));
    std::vector<std::string> texts;
    for (const UiTest::MessageBoxSeen& box : seen) texts.push_back(box.text);
    return texts;
}

std::string BoxAfterClick(QWidget* window, int button) { return BoxesAfterClick(window, button, 1).front(); }

// Enabled: Disable RCB usable, and pane 2 says so, unless the general interrogation's
// report has already followed.
bool ReportEnabled(QWidget* window, QXDialog& dialog) {
    const std::string pane = Pane2(dialog);
    return Enabled(window, IdPath({Id::DisableRcb})) && !Enabled(window, IdPath({Id::EnableRcb})) &&
           (pane == "Enabled LD0/LLN0.urcb01[RP]" || pane.rfind("Report received with ToE: ", 0) == 0);
}

void ExpectReportPanelIdle(QWidget* window) {
    EXPECT_TRUE(Enabled(window, IdPath({Id::EnableRcb})));
    EXPECT_FALSE(Enabled(window, IdPath({Id::DisableRcb})));
    for (const std::string& list :
         {IdPath({Id::ReportSelection, Sel::LnCombo}), IdPath({Id::ReportSelection, Sel::ObjCombo}),
          IdPath({Id::ReportSelection, Sel::AttrCombo})})
        EXPECT_TRUE(Enabled(window, list)) << list;
    EXPECT_EQ(TextAt(window, IdPath({Id::ReportValue})), "");
}

TEST(Panels, ReadsAValueTellsARefusalAndRebuildsOnlyThePanelWhoseDeviceChanged) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));

        Choose(window, Id::ReadSelection, "MMXU1", "TotW", "mag.f");
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Read})));
        ASSERT_TRUE(WaitUntil([&] { return !TextAt(window, IdPath({Id::ReadValue})).empty(); }));
        EXPECT_EQ(TextAt(window, IdPath({Id::ReadValue})), session.device.GetValue("LD0/MMXU1$MX$TotW$mag$f"));
        UiTest::Screenshot(window, "panels-value-read");

        TestDevice::Faults faults;
        TestDevice::Faults::Refusal refusal;
        refusal.reject = false;
        refusal.error = (7u << 16) | 3u;
        faults.refusedNames[{4, "LD0/MMXU1$MX$TotW$mag$f"}] = refusal;
        session.device.SetFaults(faults);
        EXPECT_EQ(BoxAfterClick(window, Id::Read),
                  "Value has not been read\n Service error:failed-due-to-communications-constraint");
        session.device.SetFaults({});

        // Another device in the read panel: only its tree changes.
        const std::vector<std::string> controlNodes = Items(window, IdPath({Id::ControlSelection, Sel::LnCombo}));
        const std::vector<std::string> reportNodes = Items(window, IdPath({Id::ReportSelection, Sel::LnCombo}));
        PickText(window, IdPath({Id::ReadLd}), "bay1");
        EXPECT_EQ(Items(window, IdPath({Id::ReadSelection, Sel::LnCombo})),
                  (std::vector<std::string>{"GGIO1", "LLN0", "MMXU1"}));
        EXPECT_EQ(Items(window, IdPath({Id::ControlSelection, Sel::LnCombo})), controlNodes);
        EXPECT_EQ(Items(window, IdPath({Id::ReportSelection, Sel::LnCombo})), reportNodes);
        PickText(window, IdPath({Id::ControlLd}), "bay1");
        EXPECT_TRUE(Items(window, IdPath({Id::ControlSelection, Sel::LnCombo})).empty());
        EXPECT_EQ(Items(window, IdPath({Id::ReadSelection, Sel::LnCombo})),
                  (std::vector<std::string>{"GGIO1", "LLN0", "MMXU1"}));
        EXPECT_EQ(Items(window, IdPath({Id::ReportSelection, Sel::LnCombo})), reportNodes);
    });
}

// The four buttons act only on the item their panel shows: a panel whose lists have
// emptied has its button disabled, and its handler, called all the same, sends nothing.
TEST(Panels, ButtonsOfAPanelWithoutASelectionAreDisabledAndSendNothing) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        Choose(window, Id::ControlSelection, "CSWI1", "Pos", "Oper");
        Choose(window, Id::ReportSelection, "GGIO1", "Ind1", "stVal");
        for (const int button : {Id::Read, Id::Execute, Id::EnableRcb})
            EXPECT_TRUE(Enabled(window, IdPath({button}))) << button;
        EXPECT_FALSE(Enabled(window, IdPath({Id::DisableRcb})));
        const std::string position = session.device.GetValue("LD0/CSWI1$ST$Pos$stVal");
        session.dialog->SetDlgItemText(Id::ControlValue, position == "10" ? "False" : "True");

        // bay1 has no controls and none of its items is in a data set.
        PickText(window, IdPath({Id::ControlLd}), "bay1");
        PickText(window, IdPath({Id::ReportLd}), "bay1");
        EXPECT_TRUE(Items(window, IdPath({Id::ControlSelection, Sel::AttrCombo})).empty());
        EXPECT_TRUE(Items(window, IdPath({Id::ReportSelection, Sel::AttrCombo})).empty());
        EXPECT_FALSE(Enabled(window, IdPath({Id::Execute})));
        EXPECT_FALSE(Enabled(window, IdPath({Id::EnableRcb})));
        EXPECT_TRUE(Enabled(window, IdPath({Id::Read})));
        const std::size_t before = session.device.RequestCount();
        session.dialog->ShowStatusText({});
        session.dialog->OnExecute();
        session.dialog->OnEnableRcb();
        session.dialog->OnDisableRcb();
        // Every list emptied: the read panel too.
        session.dialog->ClearSelections();
        for (const int button : {Id::Read, Id::Execute, Id::EnableRcb, Id::DisableRcb})
            EXPECT_FALSE(Enabled(window, IdPath({button}))) << button;
        session.dialog->OnRead();
        session.dialog->OnExecute();
        session.dialog->OnEnableRcb();
        EXPECT_EQ(Pane2(*session.dialog), "");

        // A request after them all, answered: the device has seen that one alone.
        std::uint32_t id = 0;
        session.dialog->GetClient()->GetDataValues(id, {"ST", "LD0/CSWI1.Pos.stVal"}, Iec61850::AnswerFrom::Device);
        ASSERT_TRUE(WaitUntil([&] { return !TextAt(window, IdPath({Id::ReadValue})).empty(); }));
        EXPECT_EQ(session.device.RequestCount(), before + 1);
        EXPECT_EQ(TextAt(window, IdPath({Id::ReadValue})), position);
        EXPECT_EQ(session.device.GetValue("LD0/CSWI1$ST$Pos$stVal"), position);
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcb01$RptEna"), "False");
    });
}

TEST(Panels, TheSpinTogglesTheControlValueEitherWay) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        auto* spin = dynamic_cast<UpDownWidget*>(UiTest::FindControl(window, IdPath({Id::ValueSpin})));
        ASSERT_NE(spin, nullptr);
        struct Step {
            std::string before;
            int delta;
            std::string after;
        };
        for (const Step& step : {Step{"False", 1, "True"}, Step{"True", 1, "False"}, Step{"False", -1, "True"},
                                 Step{"True", -1, "False"}, Step{"abc", 1, "False"}, Step{"false", -1, "False"}}) {
            session.dialog->SetDlgItemText(Id::ControlValue, step.before);
            spin->Step(step.delta);
            EXPECT_EQ(TextAt(window, IdPath({Id::ControlValue})), step.after) << step.before << " " << step.delta;
        }
    });
}

TEST(Panels, EachControlModelThroughExecute) {
    DialogSession session;
    using namespace std::chrono;
    session.dialog->SetClock(
        [] { return sys_days{year{2012} / June / 4} + hours{9} + minutes{5} + seconds{3} + milliseconds{27}; });
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        // A box where none is expected is answered and its text reported.
        UiTest::MessageBoxSeen unexpected;
        auto execute = [&](const std::string& node, const std::string& attribute) {
            Choose(window, Id::ControlSelection, node, "Pos", attribute);
            unexpected = {};
            UiTest::AnswerNextMessageBox(IDOK, &unexpected);
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Execute})));
        };
        // Each service's own words: "set" only for an operate.
        auto shownFor = [](const std::string& step) -> std::string {
            if (step == "Oper") return "Value has been set";
            if (step == "Cancel") return "Selection has been cancelled";
            return "Object has been selected";
        };
        auto setShown = [&](const std::string& step) {
            const std::string words = shownFor(step);
            const bool shown = WaitUntil([&] { return Pane2(*session.dialog) == words || unexpected.seen; });
            UiTest::ForgetModalActions();
            EXPECT_FALSE(unexpected.seen) << unexpected.text;
            session.dialog->ShowStatusText({});
            return shown && !unexpected.seen;
        };
        auto readPosition = [&](const std::string& node) {
            PickText(window, IdPath({Id::ReadLd}), "LD0");
            Choose(window, Id::ReadSelection, node, "Pos", "stVal");
            session.dialog->SetDlgItemText(Id::ReadValue, {});
            unexpected = {};
            UiTest::AnswerNextMessageBox(IDOK, &unexpected);
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Read})));
            EXPECT_TRUE(WaitUntil([&] { return !TextAt(window, IdPath({Id::ReadValue})).empty() || unexpected.seen; }));
            UiTest::ForgetModalActions();
            EXPECT_FALSE(unexpected.seen) << unexpected.text;
            return TextAt(window, IdPath({Id::ReadValue}));
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
        session.dialog->SetDlgItemText(Id::ControlValue, "True");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.node);
            const std::string before = session.device.GetValue("LD0/" + c.node + "$ST$Pos$stVal");
            for (const std::string& step : c.steps) {
                execute(c.node, step);
                EXPECT_TRUE(setShown(step)) << step;
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
        EXPECT_TRUE(setShown("SBO"));
        execute("CSWI2", "Cancel");
        EXPECT_TRUE(setShown("Cancel"));
        EXPECT_EQ(session.device.GetValue("LD0/CSWI2$ST$Pos$stVal"), position);
        // An operate without a select is refused now, and so is a select of a blocked
        // object: one box each, the refusal with the device's LastApplError in words. The
        // read after it sees no second box.
        struct Refusal {
            std::string node;
            std::string attribute;
            std::string title;
            std::string applError;
        };
        session.device.FindControl("LD0/CSWI4$CO$Pos")->Block(3);
        for (const Refusal& r : {Refusal{"CSWI2", "Oper", "Value has not been set",
                                         "LastApplError Error 1 (Unknown), AddCause 18 (Object-not-selected)"},
                                 Refusal{"CSWI4", "SBOw", "Object has not been selected",
                                         "LastApplError Error 1 (Unknown), AddCause 3 (Select-failed)"}}) {
            Choose(window, Id::ControlSelection, r.node, "Pos", r.attribute);
            const std::string text = BoxAfterClick(window, Id::Execute);
            EXPECT_EQ(text.rfind(r.title + "\n Service error:", 0), 0u) << text;
            EXPECT_NE(text.find("\n " + r.applError), std::string::npos) << text;
            EXPECT_EQ(text.find("Command terminated"), std::string::npos) << text;
            readPosition(r.node);
        }

        // An enhanced operate that the device accepts and then ends negatively.
        session.device.FindControl("LD0/CSWI3$CO$Pos")->FailTermination(5);
        session.dialog->SetDlgItemText(Id::ControlValue, "False");
        Choose(window, Id::ControlSelection, "CSWI3", "Pos", "Oper");
        const std::string terminated = BoxAfterClick(window, Id::Execute);
        EXPECT_EQ(terminated, "Command terminated: LastApplError Error 1 (Unknown), AddCause 5 (Position-reached)");
        EXPECT_EQ(Pane2(*session.dialog), "Value has been set");
    });
}

// A link that stalls or falls silent while a read or a control waits for its answer: the
// request ends with the association, and the abort's box is the only one. A control may
// have reached the device, so that box says its outcome is not known.
TEST(Panels, ARequestCutShortByTheLinkShowsOnlyTheAbort) {
    constexpr std::int32_t kRead = 4;
    constexpr std::int32_t kWrite = 5;
    // The device stops answering without a word, drops that one service's answers, aborts
    // instead of answering, or goes away while the request waits (its transport ends).
    enum class Link { Stalls, DropsTheAnswer, Aborts, Goes };
    struct Case {
        const char* what;
        int button;
        const char* node;
        const char* attribute;
        Link link;
        std::int32_t service;  // the service whose answers are dropped
        bool control;
    };
    const Case cases[] = {
        {"a read on a stalled link", Id::Read, "MMXU1", "mag.f", Link::Stalls, 0, false},
        {"a read left unanswered", Id::Read, "MMXU1", "mag.f", Link::DropsTheAnswer, kRead, false},
        {"an operate on a stalled link", Id::Execute, "CSWI1", "Oper", Link::Stalls, 0, true},
        {"a select with value left unanswered", Id::Execute, "CSWI4", "SBOw", Link::DropsTheAnswer, kWrite, true},
        {"a select left unanswered", Id::Execute, "CSWI2", "SBO", Link::DropsTheAnswer, kRead, true},
        {"a read the device aborts", Id::Read, "MMXU1", "mag.f", Link::Aborts, 0, false},
        {"an operate the device aborts", Id::Execute, "CSWI1", "Oper", Link::Aborts, 0, true},
        {"an operate waiting as the device goes", Id::Execute, "CSWI1", "Oper", Link::Goes, kWrite, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        session.Run([&](QWidget* window) {
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
            ASSERT_TRUE(session.ReachState(2, 60000));
            if (c.button == Id::Read) {
                Choose(window, Id::ReadSelection, c.node, "TotW", c.attribute);
            } else {
                Choose(window, Id::ControlSelection, c.node, "Pos", c.attribute);
                session.dialog->SetDlgItemText(Id::ControlValue, "True");
            }
            // A device that will not answer: a short time-out races nothing.
            if (c.link == Link::Stalls || c.link == Link::DropsTheAnswer) session.ShortenLiveTimeouts();
            TestDevice::Faults faults;
            if (c.link == Link::Stalls) faults.stallAfterRequest = 1;
            if (c.link == Link::DropsTheAnswer || c.link == Link::Goes) faults.dropped = {c.service};
            if (c.link == Link::Aborts) faults.abortAtRequest = 1;
            session.device.SetFaults(faults);
            session.device.ClearRequests();
            UiTest::MessageBoxSeen box;
            UiTest::MessageBoxSeen another;
            if (c.control) box.screenshot = "message-box-control-cut-short";
            UiTest::AnswerNextMessageBox(IDOK, &box);
            UiTest::AnswerNextMessageBox(IDOK, &another);
            UiTest::Click(UiTest::FindControl(window, IdPath({c.button})));
            if (c.link == Link::Goes) {
                ASSERT_TRUE(WaitUntil([&] { return session.device.RequestCount() > 0; }));
                session.device.Stop();
            }
            ASSERT_TRUE(WaitUntil([&] { return box.seen && session.dialog->GetState() == 0; }));
            // Nothing more came from the device: the program aborted, and says why.
            const bool silent = c.link == Link::Stalls || c.link == Link::DropsTheAnswer;
            const std::string aborted =
                silent ? std::string("Association has been aborted\nAbort was issued locally\n") + App::LinkStalledText
                       : std::string("Association has been aborted\nAbort was issued by peer");
            EXPECT_EQ(box.text, c.control ? aborted + "\n" + App::ControlOutcomeUnknownText : aborted);
            EXPECT_EQ(box.cut, std::vector<std::string>{});
            // Whatever the request's end posted has come by the time the association and
            // the device have let go of each other,
            session.device.SetFaults({});
            ASSERT_TRUE(WaitUntil([&] {
                const Iec61850::Acsi::TPAppAssociation* association = session.dialog->GetClient()->GetAssociation();
                return (association == nullptr || association->IsIdle()) && session.device.OpenAssociations() == 0;
            }));
            // and the window has taken every message and box they posted.
            ASSERT_TRUE(UiTest::ProcessUntil([] { return Ui::MessageBridge::PendingCount() == 0; }));
            EXPECT_FALSE(another.seen) << another.text;
            UiTest::ForgetModalActions();
            if (c.control) UiTest::Screenshot(window, "panels-control-cut-short");
        });
    }
}

// Execute, then Disconnect at once: the device holds the control's request until the
// Disconnect has begun, then answers it before the conclude. The control's result is shown as
// every result is (pane 2, or its box for a refusal) beside "Disconnected", not lost to it.
TEST(Panels, AControlAnsweredDuringADisconnectIsShown) {
    constexpr std::int32_t kRead = 4;
    constexpr std::int32_t kWrite = 5;
    struct Case {
        const char* node;
        const char* attribute;
        std::int32_t service;  // the request held
        const char* shown;     // in pane 2, or (refused) the start of the box
        bool refused;
    };
    const Case cases[] = {
        {"CSWI1", "Oper", kWrite, "Value has been set", false},
        {"CSWI4", "SBOw", kWrite, "Object has been selected", false},
        {"CSWI2", "SBO", kRead, "Object has been selected", false},
        {"CSWI2", "Oper", kWrite, "Value has not been set", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.node) + " " + c.attribute);
        DialogSession session;
        session.Run([&](QWidget* window) {
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
            ASSERT_TRUE(session.ReachState(2));
            Choose(window, Id::ControlSelection, c.node, "Pos", c.attribute);
            session.dialog->SetDlgItemText(Id::ControlValue, "True");
            TestDevice::Faults faults;
            faults.held = {c.service};
            session.device.SetFaults(faults);
            session.device.ClearRequests();
            UiTest::MessageBoxSeen box;
            UiTest::AnswerNextMessageBox(IDOK, &box);
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Execute})));
            ASSERT_TRUE(WaitUntil([&] { return session.device.RequestCount() > 0; }));
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
            ASSERT_TRUE(session.dialog->IsDisconnecting());
            session.device.SetFaults({});
            ASSERT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 0; }));
            ASSERT_TRUE(UiTest::ProcessUntil([] { return Ui::MessageBridge::PendingCount() == 0; }));
            EXPECT_EQ(Pane(*session.dialog, 0), "Disconnected");
            if (c.refused) {
                EXPECT_TRUE(WaitUntil([&] { return box.seen; }));
                EXPECT_EQ(box.text.rfind(c.shown, 0), 0u) << box.text;
            } else {
                EXPECT_EQ(Pane2(*session.dialog).rfind(c.shown, 0), 0u) << Pane2(*session.dialog);
                EXPECT_FALSE(box.seen) << box.text;
            }
            UiTest::ForgetModalActions();
        });
    }
}

TEST(Panels, EnablesAReportShowsItsValueAndDisablesIt) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        Choose(window, Id::ReportSelection, "GGIO1", "Ind1", "stVal");
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::EnableRcb})));
        ASSERT_TRUE(WaitUntil([&] { return ReportEnabled(window, *session.dialog); })) << Pane2(*session.dialog);
        EXPECT_FALSE(Enabled(window, IdPath({Id::EnableRcb})));
        EXPECT_TRUE(Enabled(window, IdPath({Id::DisableRcb})));
        EXPECT_TRUE(window->focusWidget() == UiTest::FindControl(window, IdPath({Id::DisableRcb})));
        // The selection's lists are locked, the control itself is not.
        EXPECT_TRUE(Enabled(window, IdPath({Id::ReportSelection})));
        for (const std::string& list :
             {IdPath({Id::ReportSelection, Sel::LnCombo}), IdPath({Id::ReportSelection, Sel::ObjCombo}),
              IdPath({Id::ReportSelection, Sel::AttrCombo})})
            EXPECT_FALSE(Enabled(window, list)) << list;

        // Whatever updates the controls (the end of Create ICD does) leaves the block's
        // state as it is: only Disable, the lists fixed, and a second Enable takes nothing.
        session.dialog->UpdateControls();
        auto expectBlockHeld = [&] {
            EXPECT_FALSE(Enabled(window, IdPath({Id::EnableRcb})));
            EXPECT_TRUE(Enabled(window, IdPath({Id::DisableRcb})));
            for (const std::string& list :
                 {IdPath({Id::ReportLd}), IdPath({Id::ReportSelection, Sel::LnCombo}),
                  IdPath({Id::ReportSelection, Sel::ObjCombo}), IdPath({Id::ReportSelection, Sel::AttrCombo})})
                EXPECT_FALSE(Enabled(window, list)) << list;
        };
        expectBlockHeld();
        session.dialog->OnEnableRcb();
        expectBlockHeld();
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcb02$RptEna"), "False");
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$BR$brcb01$RptEna"), "False");

        ASSERT_EQ(session.device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), System::OkNoError);
        ASSERT_TRUE(WaitUntil([&] { return TextAt(window, IdPath({Id::ReportValue})) == "True"; }));
        EXPECT_EQ(Pane2(*session.dialog).rfind("Report received with ToE: ", 0), 0u) << Pane2(*session.dialog);
        UiTest::Screenshot(window, "panels-report-enabled");

        UiTest::Click(UiTest::FindControl(window, IdPath({Id::DisableRcb})));
        ASSERT_TRUE(WaitUntil([&] { return Pane2(*session.dialog) == "Disabled LD0/LLN0.urcb01[RP]"; }));
        ExpectReportPanelIdle(window);
        EXPECT_TRUE(window->focusWidget() == UiTest::FindControl(window, IdPath({Id::EnableRcb})));
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcb01$RptEna"), "False");
    });
}

TEST(Panels, StatusMessagesMoveTheReportPanelAsTheTablesSay) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
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
            // From the enabling state: Enable and the lists locked, the report value showing one.
            session.dialog->UpdateControls();
            session.dialog->SendMessage(App::WM_QX_RCB_ENABLE_STATUS, 0, ParamOf("Checking x"));
            session.dialog->SetDlgItemText(Id::ReportValue, "7");
            UiTest::MessageBoxSeen seen;
            if (!c.box.empty()) UiTest::AnswerNextMessageBox(IDOK, &seen);
            const std::string text = "step text";
            session.dialog->SendMessage(c.message, static_cast<WPARAM>(c.code), ParamOf(text.c_str()));
            if (!c.box.empty()) {
                ASSERT_TRUE(WaitUntil([&] { return seen.seen; }));
                EXPECT_EQ(seen.text, c.box + text);
            }
            EXPECT_EQ(Enabled(window, IdPath({Id::EnableRcb})), c.enableAfter);
            EXPECT_EQ(Enabled(window, IdPath({Id::DisableRcb})), c.disableAfter);
            EXPECT_EQ(Enabled(window, IdPath({Id::ReportSelection, Sel::LnCombo})), c.listsAfter);
            EXPECT_TRUE(Enabled(window, IdPath({Id::ReportSelection})));
            EXPECT_EQ(TextAt(window, IdPath({Id::ReportValue})), c.listsAfter ? "" : "7");
            if (c.message == App::WM_QX_RCB_ENABLE_STATUS && c.code != -1) {
                EXPECT_EQ(Pane2(*session.dialog), text);
            }
        }
        // Reports: 1 into the report value, 2 into pane 2, others nowhere.
        session.dialog->SendMessage(App::WM_QX_REPORT, 1, ParamOf("on"));
        session.dialog->SendMessage(App::WM_QX_REPORT, 2, ParamOf("Report received with ToE: x"));
        session.dialog->SendMessage(App::WM_QX_REPORT, 3, ParamOf("nowhere"));
        EXPECT_EQ(TextAt(window, IdPath({Id::ReportValue})), "on");
        EXPECT_EQ(Pane2(*session.dialog), "Report received with ToE: x");
    });
}

}  // namespace
}  // namespace AppTest
