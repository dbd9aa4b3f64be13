#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

#include "support/ui/UiHarness.h"
#include "ui/Dialog.h"

namespace {

using namespace Ui;

class TickingDialog : public CDialog {
public:
    TickingDialog() {
        DialogTemplate t;
        t.caption = "Ticks";
        t.cx = 80;
        t.cy = 40;
        InitModalIndirect(t);
    }
    std::vector<UINT_PTR> ticks;
    int destroyed = 0;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        EXPECT_EQ(SetTimer(0xAAAA, 1), 0xAAAAu);
        EXPECT_EQ(SetTimer(7, 1), 7u);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override {
        ticks.push_back(id);
        if (id == 7) KillTimer(7);  // one tick of this one only
        if (std::count(ticks.begin(), ticks.end(), 0xAAAA) == 3) EndDialog(IDOK);
    }
    void OnDestroy() override { ++destroyed; }
};

TEST(TimerTest, TimersFireInTheModalLoopByTheirOwnIdsAndDieWithTheWindow) {
    TickingDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::count(dialog.ticks.begin(), dialog.ticks.end(), 0xAAAA), 3);
    EXPECT_EQ(std::count(dialog.ticks.begin(), dialog.ticks.end(), 7), 1);
    EXPECT_EQ(dialog.destroyed, 1);
    // No window, no timer.
    EXPECT_EQ(dialog.SetTimer(1, 1), 0u);
    EXPECT_FALSE(dialog.KillTimer(0xAAAA));
}

TEST(TimerTest, ATimerKeepsTickingWhileAMessageBoxRunsItsOwnLoop) {
    class BoxDialog : public TickingDialog {
    public:
        bool boxShown = false;
        int ticksDuringBox = 0;
        void OnTimer(UINT_PTR id) override {
            if (id == 0xAAAA) {
                // Inside the box's loop: close the box from here after two ticks.
                if (boxShown && ++ticksDuringBox == 2)
                    static_cast<QDialog*>(QApplication::activeModalWidget())->done(0);
                return;
            }
            KillTimer(7);
            boxShown = true;
            MessageBox("timer running");
            EndDialog(IDOK);
        }
    } dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.ticksDuringBox, 2);
}

}  // namespace
