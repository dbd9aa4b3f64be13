#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestTemplates.h"
#include "support/ui/UiHarness.h"
#include "ui/ComboBox.h"
#include "ui/ControlAccess.h"
#include "ui/DataExchange.h"
#include "ui/Dialog.h"
#include "ui/DialogUnits.h"
#include "ui/IPAddressCtrl.h"
#include "ui/IpAddressWidget.h"
#include "ui/ProgressCtrl.h"
#include "ui/StatusBarCtrl.h"
#include "ui/TextFit.h"

namespace {

using namespace Ui;

// Every control with an id sits at its template rectangle converted by the dialog's font.
void ExpectLaidOut(CDialog& dialog, const DialogTemplate& t) {
    DialogUnits units(dialog.GetFont());
    for (const ControlTemplate& c : t.controls) {
        if (c.id < 0) continue;
        QWidget* control = UiTest::FindControl(dialog.GetWidget(), std::to_string(c.id));
        ASSERT_NE(control, nullptr) << c.id;
        QRect expected = units.ToPixels(c.x, c.y, c.cx, c.cy);
        EXPECT_EQ(control->pos(), expected.topLeft()) << c.id;
        EXPECT_EQ(control->width(), expected.width()) << c.id;
        if (!qobject_cast<QComboBox*>(control)) {
            EXPECT_EQ(control->height(), expected.height()) << c.id;
        }
        EXPECT_EQ(control->objectName().toStdString(), std::to_string(c.id));
        EXPECT_EQ(control->isEnabled(), !(c.style & WS_DISABLED)) << c.id;
    }
}

TEST(DialogUnitsTest, MapDialogRectRoundsEachEdgeByTheFontsBaseUnits) {
    QFont font = TemplateFont("MS Shell Dlg", 8);
    DialogUnits units(font);
    ASSERT_GT(units.BaseX(), 2);
    ASSERT_GT(units.BaseY(), 8);
    RECT r = units.ToPixels(RECT{6, 78, 138, 92});
    EXPECT_EQ(r.left, MulDiv(6, units.BaseX(), 4));
    EXPECT_EQ(r.bottom, MulDiv(92, units.BaseY(), 8));
    struct Case {
        int a, b, c, expected;
    } cases[] = {{5, 3, 2, 8}, {-5, 3, 2, -8}, {7, 1, 4, 2}, {6, 1, 4, 2}, {1, 1, 0, -1}};
    for (const Case& k : cases) EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.expected) << k.a << "*" << k.b << "/" << k.c;
    // Faces the system lacks take the UI font's family at the template's size.
    EXPECT_EQ(font.family(), QApplication::font().family());
    EXPECT_EQ(font.pointSize(), 8);
}

TEST(TemplateTest, ProgressTemplateIsRealisedHiddenWithEveryControlInPlace) {
    DialogTemplate t = UiTest::ModelProgressTemplate();
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(t));
    QWidget* window = dialog.GetWidget();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->windowTitle().isEmpty());
    ExpectLaidOut(dialog, t);
    DialogUnits units(dialog.GetFont());
    EXPECT_EQ(window->size(), units.ToPixels(0, 0, 146, 118).size());

    auto* bar = qobject_cast<QProgressBar*>(UiTest::FindControl(window, "1020"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    for (const char* id : {"1002", "1003", "1004"}) {
        auto* edit = qobject_cast<QLineEdit*>(UiTest::FindControl(window, id));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_FALSE(edit->hasFrame());
    }
    QStringList labels;
    for (QLabel* label : window->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains("Status of initial data model reading"));
    EXPECT_TRUE(labels.contains("Explored DO:"));

    // Filled the way the progress handler fills it, then shown and photographed.
    CProgressCtrl progress;
    ASSERT_TRUE(progress.SubclassDlgItem(1020, &dialog));
    progress.SetRange32(0, 1000);
    progress.SetPos(500);
    dialog.SetDlgItemText(1002, "1");
    dialog.SetDlgItemText(1003, "12");
    dialog.SetDlgItemText(1004, "345");
    dialog.ShowWindow(true);
    EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "1004")), "345");
    EXPECT_EQ(bar->value(), 500);
    UiTest::Screenshot(window, "template-108");
    dialog.DestroyWindow();
    EXPECT_FALSE(dialog.IsWindow());
}

// Stands in for the selection control: it adopts its placeholder and fills it with a
// combo whose id repeats one of the dialog's own.
class SelectionStandIn : public CWnd {
public:
    CComboBox inner;
    std::vector<int> changes;
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        if (HIWORD(wParam) == CBN_SELCHANGE) changes.push_back(LOWORD(wParam));
        return 1;
    }
    void Fill() {
        inner.CreateControl("COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_TABSTOP, 0,
                            RECT{35, 0, 125, 200}, this, 1050);
        inner.AddString("LLN0");
        inner.AddString("GGIO1");
        inner.SetCurSel(0);
    }
};

class MainDialogStandIn : public CDialog {
public:
    MainDialogStandIn() { InitModalIndirect(UiTest::MainDialogTemplate()); }
    SelectionStandIn selection;
    CIPAddressCtrl address;
    CComboBox readDevices;
    CStatusBarCtrl status;
    std::vector<int> commands;

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, 1035, selection);
        DDX_Control(dx, 1007, address);
        DDX_Control(dx, 1047, readDevices);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        status.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, RECT{}, this, 1031);
        status.SetMinHeight(20);
        int w = status.GetClientRect().Width();
        int edges[] = {w / 8, 5 * w / 10, -1};
        status.SetParts(3, edges);
        status.SetText("Disconnected", 0);
        address.SetAddress(127, 0, 0, 1);
        selection.Fill();
        for (const char* name : {"relay2", "Relay1", "control"}) readDevices.AddString(name);
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        commands.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == 3) EndDialog(3);
        return 1;
    }
};

TEST(TemplateTest, MainTemplateRunsModallyWithPlaceholdersAdoptedAndControlsByDirectId) {
    MainDialogStandIn dialog;
    std::string screenshotTaken;
    UiTest::OnNextModal([&](QWidget* window) {
        const DialogTemplate& t = *dialog.GetTemplate();
        ExpectLaidOut(dialog, t);
        EXPECT_EQ(window->windowTitle(), "IEC61850 Quorvex");
        // The dialog's 1050 is its own combo; the stand-in's inner 1050 is one level down.
        EXPECT_EQ(dialog.GetDlgItemWidget(1050), UiTest::FindControl(window, "1050"));
        EXPECT_NE(UiTest::FindControl(window, "1035/1050"), nullptr);
        EXPECT_NE(UiTest::FindControl(window, "1035/1050"), dialog.GetDlgItemWidget(1050));
        // Sorted without regard to case; the adapter list keeps the order added.
        EXPECT_EQ(dialog.readDevices.GetLBText(0), "control");
        EXPECT_EQ(dialog.readDevices.GetLBText(1), "Relay1");
        EXPECT_EQ(dialog.readDevices.GetLBText(2), "relay2");
        EXPECT_EQ(dialog.readDevices.GetCurSel(), -1);
        // The IP field and the status bar.
        auto* ip = dynamic_cast<IpAddressWidget*>(UiTest::FindControl(window, "1007"));
        ASSERT_NE(ip, nullptr);
        EXPECT_EQ(ip->Field(0)->text(), "127");
        EXPECT_EQ(ip->Field(3)->text(), "1");
        QWidget* bar = UiTest::FindControl(window, "1031");
        ASSERT_NE(bar, nullptr);
        EXPECT_GE(bar->height(), 20);
        EXPECT_EQ(bar->geometry().bottom(), window->height() - 1);
        EXPECT_EQ(dialog.status.GetText(0), "Disconnected");
        // The user picks in the inner combo: the stand-in hears it, the dialog does not.
        UiTest::Pick(UiTest::FindControl(window, "1035/1050"), 1);
        EXPECT_EQ(dialog.selection.changes, std::vector<int>{1050});
        EXPECT_TRUE(dialog.commands.empty());
        screenshotTaken = UiTest::Screenshot(window, "template-102");
        UiTest::Click(UiTest::FindControl(window, "3"));
    });
    EXPECT_EQ(dialog.DoModal(), 3);
    EXPECT_EQ(UiTest::PendingModalActions(), 0);
    EXPECT_EQ(dialog.commands, std::vector<int>{3});
    EXPECT_FALSE(dialog.IsWindow());
    EXPECT_FALSE(dialog.selection.IsWindow());
}

TEST(TemplateTest, TextsTheirBoxesWouldCutGrowAndPushTheirRowAlong) {
    constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
    const std::string heading = "A heading far longer than its box";
    const std::string label = "A label much longer than its box:";
    DialogTemplate t;
    t.cx = 100;
    t.cy = 60;
    t.style = WS_POPUP | WS_THICKFRAME | DS_SETFONT;
    t.fontFace = "MS Sans Serif";
    t.pointSize = 8;
    t.controls = {
        {-1, "STATIC", heading, 30, 4, 40, 8, kShown | SS_CENTER, 0},
        {-1, "STATIC", label, 4, 20, 20, 8, kShown | SS_LEFT, 0},
        {10, "EDIT", "", 30, 20, 40, 12, kShown, 0},
        {-1, "STATIC", "Fits", 4, 40, 40, 8, kShown | SS_LEFT, 0},
        {11, "EDIT", "", 50, 40, 20, 12, kShown, 0},
    };
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(t));
    QWidget* window = dialog.GetWidget();
    EXPECT_EQ(UiTest::CutTexts(window), (std::vector<std::string>{heading, label}));
    QWidget* beside = UiTest::FindControl(window, "10");
    QWidget* below = UiTest::FindControl(window, "11");
    auto labelOf = [&](const std::string& text) {
        for (QLabel* candidate : window->findChildren<QLabel*>())
            if (candidate->text().toStdString() == text) return candidate;
        return static_cast<QLabel*>(nullptr);
    };
    const QRect headingBefore = labelOf(heading)->geometry();
    const QRect labelBefore = labelOf(label)->geometry();
    const QRect fitsBefore = labelOf("Fits")->geometry();
    const QRect besideBefore = beside->geometry();
    const QRect belowBefore = below->geometry();
    const int widthBefore = window->width();

    FitStaticTexts(window);
    EXPECT_EQ(UiTest::CutTexts(window), std::vector<std::string>{});
    // The heading, centred in the window, stays centred in it.
    EXPECT_LE(std::abs(2 * labelOf(heading)->x() + labelOf(heading)->width() - window->width()), 1);
    EXPECT_EQ(labelOf(heading)->y(), headingBefore.y());
    // The label grows to the right and its row moves along by as much; other rows stay.
    const int growth = labelOf(label)->width() - labelBefore.width();
    EXPECT_GT(growth, 0);
    EXPECT_EQ(labelOf(label)->pos(), labelBefore.topLeft());
    EXPECT_EQ(beside->geometry(), besideBefore.translated(growth, 0));
    EXPECT_EQ(below->geometry(), belowBefore);
    EXPECT_EQ(labelOf("Fits")->geometry(), fitsBefore);
    // The window reaches past the moved field by its left margin.
    EXPECT_GT(window->width(), widthBefore);
    EXPECT_EQ(window->width(), beside->geometry().right() + 1 + labelBefore.left());
}

// A text's box that holds more lines than its text, or fewer: the box takes its text's
// height and what lies below it follows by as much, the window with it; what lies above
// or beside stays.
TEST(TemplateTest, ATextTakesItsLinesHeightAndWhatFollowsMovesWithIt) {
    constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
    struct Case {
        const char* text;
        int boxHeight;  // dialog units
    };
    for (const Case& c : {Case{"One line", 40}, Case{"Words that need several lines in a box this narrow", 8}}) {
        SCOPED_TRACE(c.text);
        DialogTemplate t;
        t.cx = 100;
        t.cy = 120;
        t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
        t.fontFace = "MS Sans Serif";
        t.pointSize = 8;
        t.controls = {
            {10, "EDIT", "", 4, 4, 40, 12, kShown, 0},
            {11, "STATIC", c.text, 4, 20, 60, c.boxHeight, kShown | SS_LEFT, 0},
            {12, "EDIT", "", 70, 20, 20, 12, kShown, 0},
            {13, "EDIT", "", 4, 70, 40, 12, kShown, 0},
        };
        CDialog dialog;
        ASSERT_TRUE(dialog.CreateIndirect(t));
        QWidget* window = dialog.GetWidget();
        auto* text = qobject_cast<QLabel*>(UiTest::FindControl(window, "11"));
        ASSERT_NE(text, nullptr);
        const QRect above = UiTest::FindControl(window, "10")->geometry();
        const QRect beside = UiTest::FindControl(window, "12")->geometry();
        const QRect below = UiTest::FindControl(window, "13")->geometry();
        const int height = window->height();
        const int change = text->heightForWidth(text->width()) - text->height();
        EXPECT_NE(change, 0);
        FitTextHeight(text);
        EXPECT_EQ(text->height(), text->heightForWidth(text->width()));
        EXPECT_EQ(UiTest::FindControl(window, "10")->geometry(), above);
        EXPECT_EQ(UiTest::FindControl(window, "12")->geometry(), beside);
        EXPECT_EQ(UiTest::FindControl(window, "13")->geometry(), below.translated(0, change));
        EXPECT_EQ(window->height(), height + change);
        EXPECT_EQ(UiTest::CutTexts(window), std::vector<std::string>{});
    }
}

TEST(TemplateTest, CreationOrderIsTabOrder) {
    MainDialogStandIn dialog;
    UiTest::OnNextModal([&](QWidget* window) {
        QWidget* connect = UiTest::FindControl(window, "2");
        QWidget* reload = UiTest::FindControl(window, "1038");
        QWidget* about = UiTest::FindControl(window, "7");
        QWidget* exit = UiTest::FindControl(window, "3");
        connect->setFocus();
        EXPECT_EQ(connect->nextInFocusChain(), reload);
        EXPECT_EQ(about->nextInFocusChain(), exit);
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

}  // namespace
