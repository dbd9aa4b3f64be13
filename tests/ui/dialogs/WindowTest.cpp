#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include "support/ui/UiHarness.h"
#include "ui/Dialog.h"
#include "ui/Edit.h"
#include "ui/Resources.h"
#include "ui/Static.h"

namespace {

using namespace Ui;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

DialogTemplate PanelTemplate() {
    DialogTemplate t;
    t.cx = 160;
    t.cy = 90;
    t.style |= WS_VISIBLE;
    t.controls = {
        {60, "EDIT", "", 5, 5, 60, 12, kChild | WS_BORDER},
        {61, "Painted", "", 5, 20, 60, 30, kChild},  // a custom class no one registered
        {62, "STATIC", "131", 70, 20, 60, 30, WS_CHILD | WS_VISIBLE | SS_BITMAP},
    };
    return t;
}

// Hears WM_ENABLE, reworks text set from outside, and paints its placeholder itself.
class Panel : public CWnd {
public:
    std::vector<BOOL> enables;
    int paints = 0;
    void OnEnable(BOOL enable) override { enables.push_back(enable); }
    LRESULT OnSetText(const char* text) override { return CWnd::OnSetText(("[" + std::string(text) + "]").c_str()); }
    bool OnEvent(QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        QPainter painter(GetWidget());
        painter.fillRect(GetWidget()->rect(), Qt::red);
        ++paints;
        return true;
    }
};

TEST(WindowTest, EnableIsHeardAlsoWhenSentAloneAndTextGoesThroughTheHook) {
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(PanelTemplate()));
    Panel edit;
    ASSERT_TRUE(edit.SubclassDlgItem(60, &dialog));
    edit.EnableWindow(false);
    EXPECT_FALSE(edit.IsWindowEnabled());
    edit.SendMessage(WM_ENABLE, 1, 0);  // told, not changed
    EXPECT_FALSE(edit.IsWindowEnabled());
    EXPECT_EQ(edit.enables, (std::vector<BOOL>{0, 1}));

    edit.SetWindowText("set");
    EXPECT_EQ(edit.GetWindowText(), "[set]");
    dialog.SetDlgItemText(60, "by id");
    EXPECT_EQ(dialog.GetDlgItemText(60), "[by id]");
    EXPECT_EQ(edit.GetDlgCtrlID(), 60);
    EXPECT_EQ(edit.GetParent(), &dialog);
    EXPECT_EQ(edit.GetOwner(), &dialog);
    CWnd owner;
    edit.SetOwner(&owner);
    EXPECT_EQ(edit.GetOwner(), &owner);
    // One window object per widget.
    CEdit second;
    EXPECT_FALSE(second.SubclassDlgItem(60, &dialog));
    EXPECT_EQ(edit.Detach(), dialog.GetDlgItemWidget(60));
    EXPECT_TRUE(second.SubclassDlgItem(60, &dialog));
}

TEST(WindowTest, AnAdoptedPlaceholderIsPaintedByItsWindowObject) {
    QPixmap banner(40, 10);
    banner.fill(Qt::blue);
    RegisterBitmap(131, banner);
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(PanelTemplate()));
    Panel panel;
    ASSERT_TRUE(panel.SubclassDlgItem(61, &dialog));
    QImage shot = dialog.GetWidget()->grab().toImage();
    QRect placeholder = dialog.GetDlgItemWidget(61)->geometry();
    EXPECT_GE(panel.paints, 1);
    EXPECT_EQ(shot.pixelColor(placeholder.center()), QColor(Qt::red));
    CStatic picture;
    ASSERT_TRUE(picture.SubclassDlgItem(62, &dialog));
    EXPECT_EQ(picture.GetBitmap().size(), QSize(40, 10));
    QRect bitmap = dialog.GetDlgItemWidget(62)->geometry();
    EXPECT_EQ(shot.pixelColor(bitmap.topLeft() + QPoint(20, 5)), QColor(Qt::blue));
}

TEST(WindowTest, AModalDialogIsCentredOnItsParent) {
    CDialog parent;
    DialogTemplate big = PanelTemplate();
    big.cx = 300;
    big.cy = 200;
    ASSERT_TRUE(parent.CreateIndirect(big));
    parent.GetWidget()->move(100, 50);
    DialogTemplate small;
    small.cx = 60;
    small.cy = 30;
    CDialog child(0, &parent);
    child.InitModalIndirect(small);
    UiTest::OnNextModal([&](QWidget* window) {
        QPoint centre = parent.GetWidget()->frameGeometry().center();
        EXPECT_LE((window->frameGeometry().center() - centre).manhattanLength(), 2);
        child.EndDialog(IDOK);
    });
    EXPECT_EQ(child.DoModal(), IDOK);
}

TEST(WindowTest, UrlsAndBeepsGoToTheirSinks) {
    UiTest::Recorder recorder;
    EXPECT_TRUE(OpenUrl("http://www.example.com"));
    MessageBeep(MB_ICONEXCLAMATION);
    EXPECT_EQ(recorder.urls, std::vector<std::string>{"http://www.example.com"});
    EXPECT_EQ(recorder.beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
}

}  // namespace
