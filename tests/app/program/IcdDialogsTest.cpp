// The device-parameters dialog and the ICD progress window on their own: the sections a
// list offers, the answers written, the changes taken from the grid, and the count.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/CICDDialog.h"
#include "app/program/GridDriver.h"
#include "app/program/ICDProgressDialog.h"
#include "app/widgets/GridNames.h"
#include "support/ui/UiHarness.h"

namespace AppTest {
namespace {

using App::CICDDialog;
using UiTest::IdPath;

const std::string kEverySection =
    "<Question><DynDataSet Caption=\"Dynamic datasets\" Type=\"Set\"/><LogSettings/><ReportSettings/>"
    "<SMVSettings/><ConfLNs Caption=\"LNs configuration\" Type=\"Set\"/></Question>";

const std::string kEveryDefault =
    "<Answers><DynDataSet><max Value=\"0\"/><maxAttributes Value=\"0\"/></DynDataSet>"
    "<ReportSettings><cbName Value=\"2\"/><index Value=\"1\"/><datSet Value=\"0\"/><rptID Value=\"0\"/>"
    "<optFields Value=\"0\"/><bufTime Value=\"0\"/><trgOps Value=\"0\"/><intgPd Value=\"0\"/></ReportSettings>"
    "<LogSettings><cbName Value=\"2\"/><datSet Value=\"1\"/><logEna Value=\"1\"/><trgOps Value=\"1\"/>"
    "<intgPd Value=\"1\"/></LogSettings>"
    "<SMVSettings><cbName Value=\"2\"/><datSet Value=\"1\"/><svID Value=\"0\"/><optFields Value=\"1\"/>"
    "<smpRate Value=\"1\"/></SMVSettings>"
    "<ConfLNs><fixPrefix Value=\"1\"/><fixLnInst Value=\"1\"/></ConfLNs></Answers>";

const std::string kConfLnsDefault =
    "<Answers><ConfLNs><fixPrefix Value=\"1\"/><fixLnInst Value=\"1\"/></ConfLNs></Answers>";

std::vector<std::string> SectionCaptions(const Widgets::CPropertyGrid& grid) {
    std::vector<std::string> captions;
    for (const auto& section : grid.Sections()) captions.push_back(section.name);
    return captions;
}

// Runs the dialog with `act` inside its loop, then OK; what DoModal gave.
intptr_t RunThenOk(CICDDialog& dialog, const std::function<void(QWidget*, Widgets::CPropertyGrid&)>& act) {
    UiTest::OnNextModal([&](QWidget* window) {
        Widgets::CPropertyGrid* grid = GridIn(window);
        ASSERT_NE(grid, nullptr);
        act(window, *grid);
        UiTest::Click(UiTest::FindControl(window, IdPath({Ui::IDOK})));
    });
    return dialog.DoModal();
}

TEST(DeviceParametersDialog, TheSectionsOfferedAndTheirUnchangedAnswers) {
    struct Case {
        const char* what;
        std::string list;
        std::vector<std::string> captions;
        std::string answers;
    };
    const std::vector<Case> cases = {
        {"ConfLNs only",
         "<Question><ConfLNs Caption=\"LNs configuration\" Type=\"Set\"><fixPrefix/><fixLnInst/></ConfLNs></Question>",
         {"Logical node settings"},
         kConfLnsDefault},
        {"every section, in the list's order",
         kEverySection,
         {"Dynamic datasets", "Reporting settings", "Log settings", "Sampled values settings", "Logical node settings"},
         kEveryDefault},
        {"a section nested below the root",
         "<Question><Group><ConfLNs/></Group></Question>",
         {"Logical node settings"},
         kConfLnsDefault},
        {"a list that does not parse", "<Question><ConfLNs></Question>", {}, "<Answers></Answers>"},
        {"no section", "<Question/>", {}, "<Answers></Answers>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CICDDialog dialog(nullptr, c.list);
        std::string answers = "left over";
        dialog.GetAnswers(answers);
        EXPECT_EQ(answers, c.answers);  // the same before the window as after OK
        EXPECT_EQ(RunThenOk(dialog,
                            [&](QWidget* window, Widgets::CPropertyGrid& grid) {
                                EXPECT_EQ(window->windowTitle().toStdString(), "Device parameters");
                                EXPECT_EQ(SectionCaptions(grid), c.captions);
                            }),
                  Ui::IDOK);
        dialog.GetAnswers(answers);
        EXPECT_EQ(answers, c.answers);
    }
}

TEST(DeviceParametersDialog, ItemsOfEverySectionWithTheirKindsAndValues) {
    CICDDialog dialog(nullptr, kEverySection);
    RunThenOk(dialog, [&](QWidget* window, Widgets::CPropertyGrid& grid) {
        struct Row {
            const char* caption;
            Widgets::ItemType type;
            int value;
        };
        using T = Widgets::ItemType;
        const std::vector<std::vector<Row>> expected = {
            {{"Max Datasets", T::Integer, 0}, {"Max Attributes", T::Integer, 0}},
            {{"Reporting CB Name", T::Combo, 2},
             {"Reporting CB Name With Index", T::Combo, 1},
             {"Reporting Dataset", T::Combo, 0},
             {"Reporting ID", T::Combo, 0},
             {"Reporting Option Flags", T::Combo, 0},
             {"Reporting Buffering Time", T::Combo, 0},
             {"Reporting Triggering Options", T::Combo, 0},
             {"Reporting Integrity Period", T::Combo, 0}},
            {{"Log CB Name", T::Combo, 2},
             {"Log Dataset", T::Combo, 1},
             {"Log Enable", T::Combo, 1},
             {"Log Triggering Options", T::Combo, 1},
             {"Log Integrity Period", T::Combo, 1}},
            {{"SValues CB Name", T::Combo, 2},
             {"SValues Dataset", T::Combo, 1},
             {"SValues ID", T::Combo, 0},
             {"SValues Option Flags", T::Combo, 1},
             {"SValues Sampling Rate", T::Combo, 1}},
            {{"Fixed LN Prefix", T::Bool, 1}, {"Fixed LN Instance", T::Bool, 1}},
        };
        ASSERT_EQ(grid.Sections().size(), expected.size());
        for (std::size_t s = 0; s < expected.size(); ++s) {
            const auto& section = grid.Sections()[s];
            EXPECT_FALSE(section.collapsed);
            ASSERT_EQ(section.items.size(), expected[s].size()) << section.name;
            for (std::size_t i = 0; i < expected[s].size(); ++i) {
                const auto& item = section.items[i];
                const Row& row = expected[s][i];
                SCOPED_TRACE(row.caption);
                EXPECT_EQ(item.name, row.caption);
                EXPECT_EQ(item.type, static_cast<int>(row.type));
                EXPECT_TRUE(item.editable);
                EXPECT_FALSE(item.undefined);
                EXPECT_EQ(row.type == T::Bool ? int(item.boolValue) : item.intValue, row.value);
                if (row.type == T::Combo) {
                    const std::vector<std::string> noYes = {"No", "Yes"};
                    const std::vector<std::string> settings = {"Dynamic", "Configurable", "Fixed"};
                    const bool index = std::string(row.caption) == "Reporting CB Name With Index";
                    EXPECT_EQ(item.options, index ? noYes : settings);
                }
            }
        }
        // Every caption shows whole: the values spare the room.
        EXPECT_EQ(GridTest::CutGridNames(grid), std::vector<std::string>{});
        EXPECT_EQ(UiTest::CutTexts(window), std::vector<std::string>{});
        UiTest::Screenshot(window, "icd-device-parameters-every-section");
    });
}

TEST(DeviceParametersDialog, ChangesMadeInTheGridReachTheAnswers) {
    CICDDialog dialog(nullptr, kEverySection);
    RunThenOk(dialog, [&](QWidget*, Widgets::CPropertyGrid& grid) {
        // Counts: what is typed replaces the count shown, and what cannot make a count is
        // refused key by key.
        struct Typed {
            const char* keys;
            int value;
        };
        const int max = GridItem(grid, "Max Datasets");
        for (const Typed& typed : {Typed{"abc", 0}, Typed{"-5", 5}, Typed{"12", 12}, Typed{"7a", 7}}) {
            SCOPED_TRACE(typed.keys);
            ClickValue(grid, max);
            auto* edit =
                grid.GetEditor() != nullptr ? qobject_cast<QLineEdit*>(grid.GetEditor()->GetWidget()) : nullptr;
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit, QString::fromUtf8(typed.keys));
            QTest::keyClick(edit, Qt::Key_Return);
            int value = -1;
            EXPECT_TRUE(grid.GetItemValue(max, value));
            EXPECT_EQ(value, typed.value);
        }
        TypeInGrid(grid, GridItem(grid, "Max Attributes"), "-3");
        PickInGrid(grid, GridItem(grid, "Reporting CB Name With Index"), 0);
        PickInGrid(grid, GridItem(grid, "Reporting Dataset"), 2);
        PickInGrid(grid, GridItem(grid, "Log Enable"), 0);
        PickInGrid(grid, GridItem(grid, "SValues ID"), 1);
        PickInGrid(grid, GridItem(grid, "Fixed LN Instance"), 1);  // "False"
        // A change the grid did not report is not taken; an id of no item changes nothing.
        grid.SetItemValue(GridItem(grid, "Log CB Name"), 0);
        dialog.SendMessage(Widgets::WM_PG_ITEMCHANGED, 9999, 0);
        dialog.SendMessage(Widgets::WM_PG_ITEMCHANGED, static_cast<Ui::WPARAM>(-1), 0);
        // Reported later, it is.
        grid.SetItemValue(GridItem(grid, "SValues Sampling Rate"), 2);
        dialog.SendMessage(Widgets::WM_PG_ITEMCHANGED, GridItem(grid, "SValues Sampling Rate"), 0);
    });
    std::string answers;
    dialog.GetAnswers(answers);
    EXPECT_EQ(answers,
              "<Answers><DynDataSet><max Value=\"7\"/><maxAttributes Value=\"3\"/></DynDataSet>"
              "<ReportSettings><cbName Value=\"2\"/><index Value=\"0\"/><datSet Value=\"2\"/><rptID Value=\"0\"/>"
              "<optFields Value=\"0\"/><bufTime Value=\"0\"/><trgOps Value=\"0\"/><intgPd Value=\"0\"/>"
              "</ReportSettings>"
              "<LogSettings><cbName Value=\"2\"/><datSet Value=\"1\"/><logEna Value=\"0\"/><trgOps Value=\"1\"/>"
              "<intgPd Value=\"1\"/></LogSettings>"
              "<SMVSettings><cbName Value=\"2\"/><datSet Value=\"1\"/><svID Value=\"1\"/><optFields Value=\"1\"/>"
              "<smpRate Value=\"2\"/></SMVSettings>"
              "<ConfLNs><fixPrefix Value=\"1\"/><fixLnInst Value=\"0\"/></ConfLNs></Answers>");
}

TEST(DeviceParametersDialog, CancelEndsWithoutAnswers) {
    CICDDialog dialog(nullptr, kEverySection);
    UiTest::OnNextModal([](QWidget* window) {
        Widgets::CPropertyGrid* grid = GridIn(window);
        ASSERT_NE(grid, nullptr);
        PickInGrid(*grid, GridItem(*grid, "Reporting Dataset"), 2);
        UiTest::Click(UiTest::FindControl(window, IdPath({Ui::IDCANCEL})));
    });
    EXPECT_EQ(dialog.DoModal(), Ui::IDCANCEL);
}

TEST(IcdProgressWindow, TheCountOfNodesDoneAndTheRange) {
    struct Step {
        int outstanding;
        int range;  // after the message
        int position;
        const char* count;
    };
    struct Case {
        const char* what;
        int total;  // 0: the starting range
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"range 10, 4 outstanding", 0, {{4, 10, 6, "1"}}},
        {"more outstanding than the range: it doubles once", 0, {{12, 20, 8, "2"}, {45, 40, 0, "-1"}}},
        {"a range above 65535 is kept whole", 70000, {{69990, 70000, 10, "2"}, {0, 70000, 70000, "17500"}}},
        // The bar moves with every read, the count of nodes once all four of a node's are in.
        {"a count of nodes, four reads each", 8, {{7, 8, 1, "0"}, {5, 8, 3, "0"}, {4, 8, 4, "1"}, {0, 8, 8, "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        App::ICDProgressDialog progress;
        EXPECT_FALSE(progress.IsWindowVisible());
        EXPECT_EQ(progress.GetRange(), 10);
        if (c.total != 0) progress.SetTotal(c.total);
        EXPECT_EQ(progress.ApplyRange(), 1);
        int lower = -1, upper = -1;
        progress.GetProgressCtrl().GetRange(lower, upper);
        EXPECT_EQ(upper, c.total != 0 ? c.total : 10);
        for (const Step& step : c.steps) {
            EXPECT_EQ(progress.SendMessage(App::WM_QX_ICD_PROGRESS, 0, step.outstanding), 1);
            EXPECT_EQ(progress.GetRange(), step.range);
            progress.GetProgressCtrl().GetRange(lower, upper);
            EXPECT_EQ(lower, 0);
            EXPECT_EQ(upper, step.range);
            EXPECT_EQ(progress.GetProgressCtrl().GetPos(), step.position);
            EXPECT_EQ(progress.GetDlgItemText(ControlId::IcdProgress::Count), step.count);
        }
    }
}

TEST(IcdProgressWindow, TemplateWithoutCaptionHiddenUntilShown) {
    App::ICDProgressDialog progress;
    QWidget* window = progress.GetWidget();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(window->windowTitle().toStdString(), "");
    QWidget* count = UiTest::FindControl(window, IdPath({ControlId::IcdProgress::Count}));
    ASSERT_NE(count, nullptr);
    auto* edit = qobject_cast<QLineEdit*>(count);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_NE(UiTest::FindControl(window, IdPath({ControlId::IcdProgress::Bar})), nullptr);
}

}  // namespace
}  // namespace AppTest
