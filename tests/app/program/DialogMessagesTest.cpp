#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/client/QXMessages.h"
#include "app/program/DialogSession.h"
#include "ui/messages/MessageParams.h"

namespace AppTest {
namespace {

using namespace Ui;
using namespace App;

// The client's connection messages, handled on the UI thread as a send delivers them: the
// state each leaves and the box each posts.
TEST(DialogMessages, StatesAndBoxesOfTheConnectionMessages) {
    struct Step {
        UINT message;
        WPARAM wParam;
        const char* text;
        int state;
        std::vector<std::string> box;  // parts of the box's text; empty: no box
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const WPARAM failure = static_cast<WPARAM>(-1);
    const std::vector<Case> cases = {
        {"an abort while disconnected shows nothing", {{WM_QX_ABORTED, 0, "Abort was issued by peer", 0, {}}}},
        {"a model read done while disconnected is ignored", {{WM_QX_MODEL_READ_DONE, 0, nullptr, 0, {}}}},
        {"associated, then the model read in part",
         {{WM_QX_ASSOCIATE_RESULT, 0, nullptr, 1, {}},
          {WM_QX_MODEL_READ_DONE, ModelReadPartial, nullptr, 2, {"stopped answering", "Only the part read"}}}},
        {"a release refused keeps the state",
         {{WM_QX_ASSOCIATE_RESULT, 0, nullptr, 1, {}},
          {WM_QX_MODEL_READ_DONE, 0, nullptr, 2, {}},
          {WM_QX_RELEASE_RESULT,
           failure,
           "instance-in-use",
           2,
           {"Error occured.Device has not been disconnected", "instance-in-use"}}}},
        {"an abort while connected",
         {{WM_QX_ASSOCIATE_RESULT, 0, nullptr, 1, {}},
          {WM_QX_MODEL_READ_DONE, 0, nullptr, 2, {}},
          {WM_QX_ABORTED,
           0,
           "Abort was issued by peer",
           0,
           {"Association has been aborted", "Abort was issued by peer"}},
          {WM_QX_MODEL_READ_DONE, 0, nullptr, 0, {}}}},
        {"a release while reading",
         {{WM_QX_ASSOCIATE_RESULT, 0, nullptr, 1, {}}, {WM_QX_RELEASE_RESULT, 0, nullptr, 0, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        session.Run([&](QWidget*) {
            for (const Step& step : c.steps) {
                SCOPED_TRACE(std::to_string(step.message));
                UiTest::MessageBoxSeen seen;
                if (step.message == WM_QX_ABORTED) seen.screenshot = "message-box-aborted";
                if (!step.box.empty()) UiTest::AnswerNextMessageBox(IDOK, &seen);
                session.dialog->SendMessage(step.message, step.wParam, ParamOf(step.text));
                EXPECT_EQ(session.dialog->GetState(), step.state);
                if (step.box.empty()) continue;
                ASSERT_TRUE(WaitUntil([&] { return seen.seen; }));
                for (const std::string& part : step.box)
                    EXPECT_NE(seen.text.find(part), std::string::npos) << seen.text;
                // A box without a caption of its own carries the main window's, whole
                // however short its text.
                EXPECT_EQ(seen.caption, "IEC61850 Quorvex");
                EXPECT_EQ(seen.cut, std::vector<std::string>{});
            }
            EXPECT_EQ(UiTest::PendingModalActions(), 0);  // every box expected came
        });
    }
}

}  // namespace
}  // namespace AppTest
