#pragma once

#include "ui/OleDateTime.h"
#include "ui/Wnd.h"

class QCalendarWidget;

namespace Widgets {

class CPropertyGrid;

// The calendar that drops below a Date item: a pop-up that the grid owns. A day picked
// with the mouse, or Enter (Return, keypad Enter or Execute), commits the selection to
// the grid (message 1513); Escape or a click elsewhere closes it without a change.
class CPropertyGridMonthCalCtrl : public Ui::CWnd {
public:
    // `rect` is in the grid's client coordinates; the calendar takes its own size, its
    // right edge at the rectangle's right and its top at the rectangle's top.
    bool Create(const Ui::RECT& rect, CPropertyGrid* grid, const Ui::COleDateTime& selection);
    Ui::COleDateTime GetCurSel() const;
    QCalendarWidget* Calendar() const;

    bool OnEvent(QEvent* event) override;
    Ui::UINT OnGetDlgCode() override { return Ui::DLGC_WANTALLKEYS; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;

private:
    // Keys reach the calendar's inner table, not the calendar: they are watched there.
    bool OnKey(int key);
    void Commit();
};

}  // namespace Widgets
