#pragma once

// Acts on the device-parameters dialog's property grid as a person does: a click on a
// value opens its editor, a click in the list picks an entry, typing and Return commit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <string>

#include "app/ids/ControlIds.h"
#include "app/widgets/PropertyGrid.h"
#include "app/widgets/PropertyGridCombo.h"
#include "support/ui/UiHarness.h"

namespace AppTest {

inline Widgets::CPropertyGrid* GridIn(QWidget* window) {
    return dynamic_cast<Widgets::CPropertyGrid*>(
        Ui::CWnd::FromWidget(UiTest::FindControl(window, UiTest::IdPath({ControlId::DeviceParameters::Grid}))));
}

// The id of the item of that caption; -1 when no section shows it.
inline int GridItem(const Widgets::CPropertyGrid& grid, const std::string& caption) {
    for (const auto& section : grid.Sections()) {
        for (const auto& item : section.items) {
            if (item.name == caption) return item.id;
        }
    }
    return -1;
}

// Turns the wheel until the item's row shows whole.
inline void ScrollTo(Widgets::CPropertyGrid& grid, int id) {
    QWidget* widget = grid.GetWidget();
    widget->repaint();
    for (int turns = 0; turns < 50 && grid.FindItem(id)->valueRect.bottom > widget->height(); ++turns) {
        QWheelEvent wheel(QPointF(10, 10), widget->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &wheel);
        widget->repaint();
    }
}

inline void ClickValue(Widgets::CPropertyGrid& grid, int id) {
    // Editors open and commit only in the active window.
    QWidget* window = grid.GetWidget()->window();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    ScrollTo(grid, id);
    const Ui::RECT& r = grid.FindItem(id)->valueRect;
    QTest::mouseClick(grid.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + 10, (r.top + r.bottom) / 2));
}

// Opens the item's list and clicks its entry `index`.
inline void PickInGrid(Widgets::CPropertyGrid& grid, int id, int index) {
    ClickValue(grid, id);
    auto* list = dynamic_cast<Widgets::CPropertyGridCombo*>(grid.GetEditor());
    ASSERT_NE(list, nullptr);
    const int h = list->GetEntryHeight();
    QTest::mouseClick(list->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 1 + index * h + h / 2));
}

// Opens the item's edit, replaces its text and commits it with Return.
inline void TypeInGrid(Widgets::CPropertyGrid& grid, int id, const std::string& text) {
    ClickValue(grid, id);
    auto* edit = grid.GetEditor() != nullptr ? qobject_cast<QLineEdit*>(grid.GetEditor()->GetWidget()) : nullptr;
    ASSERT_NE(edit, nullptr);
    UiTest::Clear(edit);
    UiTest::Type(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace AppTest
