#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QMessageBox>

#include "support/ui/UiHarness.h"
#include "ui/MessageBox.h"
#include "ui/Resources.h"
#include "ui/Text.h"

namespace {

using namespace Ui;

TEST(MessageBoxTest, CaptionIconButtonsAndLineBreaks) {
    struct Case {
        const char* text;
        const char* caption;
        UINT type;
        int answer;
        std::string shownCaption;
        const char* shownText;
        int icon;
        int result;
    } cases[] = {
        {"Value has been set", nullptr, MB_OK, IDOK, GetProgramName(), "Value has been set", QMessageBox::NoIcon, IDOK},
        {"Association failed\n\r detail", "Error", MB_OK | MB_ICONSTOP, IDOK, "Error", "Association failed\n detail",
         QMessageBox::Critical, IDOK},
        {"Replace?", "Q", MB_YESNO | MB_ICONQUESTION, IDNO, "Q", "Replace?", QMessageBox::Question, IDNO},
        {"Go on?", "Q", MB_OKCANCEL | MB_ICONWARNING, IDCANCEL, "Q", "Go on?", QMessageBox::Warning, IDCANCEL},
        // A caption far wider than the text: the box is as wide as its title bar needs.
        {"Done", "A caption much wider than the text of its box", MB_OK, IDOK,
         "A caption much wider than the text of its box", "Done", QMessageBox::NoIcon, IDOK},
    };
    for (const Case& c : cases) {
        UiTest::MessageBoxSeen seen;
        UiTest::AnswerNextMessageBox(c.answer, &seen);
        EXPECT_EQ(MessageBox(nullptr, c.text, c.caption, c.type), c.result) << c.text;
        EXPECT_TRUE(seen.seen);
        EXPECT_EQ(seen.caption, c.shownCaption);
        EXPECT_EQ(seen.text, c.shownText);
        EXPECT_EQ(seen.icon, c.icon) << c.text;
        EXPECT_EQ(seen.cut, std::vector<std::string>{}) << c.text;
    }
    EXPECT_EQ(GetProgramName(), "test_ui_dialogs");
}

// A hook written for another window never acts on the box: the test fails naming the box
// by its caption and text, and the box is closed, so that nothing waits on it.
TEST(MessageBoxTest, AHookForAnotherWindowFailsNamingTheBoxAndClosesIt) {
    bool acted = false;
    int result = 0;
    UiTest::OnNextModal("Device parameters", [&](QWidget*) { acted = true; });
    EXPECT_NONFATAL_FAILURE(result = MessageBox(nullptr, "value reads were not answered", "Error", MB_OKCANCEL),
                            "other than Device parameters came, and was closed: \"Error\" (QMessageBox): value "
                            "reads were not answered");
    EXPECT_FALSE(acted);
    EXPECT_EQ(result, IDCANCEL);  // closed as Escape closes it
    EXPECT_EQ(UiTest::PendingModalActions(), 0);
}

TEST(MessageBoxTest, LineBreakPairsBecomeOneBreak) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"a\n\rb", "a\nb"}, {"a\r\nb", "a\nb"},       {"a\nb", "a\nb"},
                 {"a\rb", "a\nb"},   {"a\n\r\n\rb", "a\n\nb"}, {"end\n\r", "end\n"}};
    for (const Case& c : cases) EXPECT_EQ(ToDisplayLines(c.in), c.out) << c.in;
}

}  // namespace
