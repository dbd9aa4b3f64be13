#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "app/ids/ControlIds.h"
#include "app/widgets/PropertyGrid.h"
#include "ui/Wnd.h"

// A shown grid inside an owner window that records the change messages it is sent.
namespace GridTest {

class RecordingOwner : public Ui::CWnd {
public:
    RecordingOwner() {
        MapMessage(Widgets::WM_PG_ITEMCHANGED, [this](Ui::WPARAM id, Ui::LPARAM) {
            changed.push_back(static_cast<int>(id));
            return 1;
        });
    }
    std::vector<int> changed;
};

// A custom value that records every call the grid makes to it.
class RecordingItem : public Widgets::ICustomItem {
public:
    int kind = Widgets::kEditorNone;
    bool takesMouse = true;
    std::vector<std::string> calls;
    int GetEditorKind() override { return kind; }
    void Draw(QPainter&, const Ui::RECT&, bool focused) override { calls.push_back(focused ? "Draw focused" : "Draw"); }
    void StoreBaseline() override { calls.push_back("StoreBaseline"); }
    bool OnLButtonDown(const Ui::RECT&, QPoint) override {
        calls.push_back("OnLButtonDown");
        return takesMouse;
    }
    void OnMouseMove(const Ui::RECT&, QPoint) override { calls.push_back("OnMouseMove"); }
    void OnLButtonUp(const Ui::RECT&, QPoint) override { calls.push_back("OnLButtonUp"); }
    std::string GetValueText() override {
        calls.push_back("GetValueText");
        return "custom";
    }
    bool SetValueText(const std::string& text) override {
        calls.push_back("SetValueText " + text);
        return text != "custom";
    }
    void OnDropDown(const Ui::RECT&) override { calls.push_back("OnDropDown"); }
    bool OnButtonClick() override {
        calls.push_back("OnButtonClick");
        return true;
    }
};

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create(Ui::WS_VISIBLE, Ui::RECT{50, 50, 450, 350}, nullptr, 0));
        okButton.CreateControl("BUTTON", "Accept", Ui::WS_CHILD | Ui::WS_VISIBLE, 0, Ui::RECT{310, 10, 390, 30}, &owner,
                               Ui::IDOK);
        cancelButton.CreateControl("BUTTON", "Drop", Ui::WS_CHILD | Ui::WS_VISIBLE, 0, Ui::RECT{310, 40, 390, 60},
                                   &owner, Ui::IDCANCEL);
        ASSERT_TRUE(grid.Create(Ui::WS_CHILD | Ui::WS_VISIBLE, Ui::RECT{0, 0, 300, 200}, &owner,
                                ControlId::DeviceParameters::Grid));
        owner.GetWidget()->show();
        Activate();
    }
    // Focus changes, and with them the edit's commit, need the window to be the active one;
    // a message box takes that away until it is given back.
    void Activate() {
        QWidget* window = owner.GetWidget();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void TearDown() override { QApplication::processEvents(); }

    QWidget* Widget() { return grid.GetWidget(); }
    void Paint() { Widget()->repaint(); }
    QPoint ValuePoint(int id) {
        Paint();
        const Ui::RECT& r = grid.FindItem(id)->valueRect;
        return QPoint(r.left + 10, (r.top + r.bottom) / 2);
    }
    QPoint NamePoint(int id) {
        Paint();
        const Ui::RECT& r = grid.FindItem(id)->nameRect;
        return QPoint(r.left + 30, (r.top + r.bottom) / 2);
    }
    void Click(QPoint point) { QTest::mouseClick(Widget(), Qt::LeftButton, Qt::NoModifier, point); }
    void DoubleClick(QPoint point) {
        QMouseEvent event(QEvent::MouseButtonDblClick, point, Widget()->mapToGlobal(point), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Widget(), &event);
    }
    // Keys without a character (Execute) cannot go through QTest's key clicks.
    static void SendKey(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }
    void Press(int key) { QTest::keyClick(Widget(), static_cast<Qt::Key>(key)); }
    QWidget* EditorWidget() { return grid.GetEditor() ? grid.GetEditor()->GetWidget() : nullptr; }

    RecordingOwner owner;
    Ui::CWnd okButton;
    Ui::CWnd cancelButton;
    Widgets::CPropertyGrid grid;
};

}  // namespace GridTest
