#include <gtest/gtest.h>

#include <QProgressBar>
#include <limits>
#include <string>
#include <vector>

#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/ProgramResources.h"
#include "app/program/QXProgressDialog.h"
#include "support/ui/UiHarness.h"
#include "ui/DialogTemplate.h"
#include "ui/messages/MessageParams.h"

namespace {

using namespace Ui;
using App::ModelReadProgress;
using App::QXProgressDialog;
namespace Id = ControlId::ModelProgress;

QProgressBar* Bar(QXProgressDialog& dialog) {
    return qobject_cast<QProgressBar*>(UiTest::FindControl(dialog.GetWidget(), UiTest::IdPath({Id::Bar})));
}

void Feed(QXProgressDialog& dialog, std::int32_t position, ModelReadProgress record = {}) {
    record.allObjects = position;
    EXPECT_EQ(dialog.SendMessage(App::WM_QX_MODEL_READ_PROGRESS, 0, ParamOf(&record)), 1);
}

TEST(ProgressDialog, TemplateOneHundredAndEightHiddenFromConstruction) {
    QXProgressDialog dialog;
    ASSERT_TRUE(dialog.IsWindow());
    EXPECT_FALSE(dialog.IsWindowVisible());
    const DialogTemplate* layout = FindDialogTemplate(App::IDD_QX_PROGRESS);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->cx, 146);
    EXPECT_EQ(layout->cy, 118);
    EXPECT_EQ(layout->caption, "");
    for (const ControlTemplate& control : layout->controls) {
        if (control.id < 0) continue;
        SCOPED_TRACE(control.id);
        QWidget* widget = dialog.GetDlgItemWidget(control.id);
        ASSERT_NE(widget, nullptr);
        RECT expected{control.x, control.y, control.x + control.cx, control.y + control.cy};
        dialog.MapDialogRect(expected);
        EXPECT_EQ(widget->geometry().left(), expected.left);
        EXPECT_EQ(widget->geometry().top(), expected.top);
        EXPECT_EQ(widget->geometry().width(), expected.Width());
    }
    // The range of 500 from the start: the first records show their part of it.
    EXPECT_EQ(Bar(dialog)->minimum(), 0);
    EXPECT_EQ(Bar(dialog)->maximum(), 500);
}

TEST(ProgressDialog, CountsAndTheDoublingLimit) {
    struct Step {
        std::int32_t position;
        std::int32_t limit;
        std::int32_t shown;
    };
    const std::vector<Step> steps = {
        {100, 500, 100},    {499, 500, 499},    {500, 1000, 500},  // half a bar
        {1999, 2000, 1999}, {5000, 4000, 4000},                    // doubles once per record
    };
    QXProgressDialog dialog;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.position);
        Feed(dialog, step.position);
        EXPECT_EQ(dialog.GetLimit(), step.limit);
        EXPECT_EQ(Bar(dialog)->maximum(), step.limit);
        EXPECT_EQ(Bar(dialog)->value(), step.shown);
    }
    ModelReadProgress counts;
    counts.logicalNodes = 17;
    counts.logicalDevices = 2;
    counts.dataObjects = -3;
    Feed(dialog, 10, counts);
    EXPECT_EQ(dialog.GetDlgItemText(Id::Nodes), "17");
    EXPECT_EQ(dialog.GetDlgItemText(Id::Devices), "2");
    EXPECT_EQ(dialog.GetDlgItemText(Id::DataObjects), "-3");
    dialog.ShowWindow(true);
    UiTest::Screenshot(dialog.GetWidget(), "model-read-progress");
}

TEST(ProgressDialog, TheRangeTakesTheWhole32BitLimit) {
    QXProgressDialog dialog;
    while (dialog.GetLimit() < 128000) Feed(dialog, dialog.GetLimit());
    EXPECT_EQ(dialog.GetLimit(), 128000);
    EXPECT_EQ(Bar(dialog)->maximum(), 128000);  // not cut to 16 bits
    EXPECT_EQ(Bar(dialog)->value(), 64000);
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < 40; ++i) Feed(dialog, dialog.GetLimit());
    EXPECT_EQ(dialog.GetLimit(), largest);
    Feed(dialog, largest);
    EXPECT_EQ(dialog.GetLimit(), largest);
    EXPECT_EQ(Bar(dialog)->maximum(), largest);
    EXPECT_EQ(Bar(dialog)->value(), largest);
}

}  // namespace
