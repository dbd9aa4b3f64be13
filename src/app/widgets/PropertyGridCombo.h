#pragma once

#include <QFont>
#include <string>
#include <vector>

#include "ui/GdiValues.h"
#include "ui/Wnd.h"

namespace Widgets {

class CPropertyGrid;

// The self-drawn list that drops below a Combo or Bool item: a pop-up that the grid
// owns. A click, or Enter (Return, keypad Enter or Execute), commits the entry to the
// grid (message 1511, wParam = the index); Escape or a click elsewhere closes it without
// a change. The selection never leaves the entries: a list opened with none shows and
// commits the first.
class CPropertyGridCombo : public Ui::CWnd {
public:
    CPropertyGridCombo();

    // `rect` is in the grid's client coordinates.
    bool Create(Ui::DWORD style, const Ui::RECT& rect, CPropertyGrid* grid, int id);
    void SetColors(Ui::COLORREF background, Ui::COLORREF text, Ui::COLORREF selectionBackground,
                   Ui::COLORREF selectionText);
    void SetFont(const QFont& font, bool redraw = true);
    void AddString(const std::string& text) { entries_.push_back(text); }
    void SetCurSel(int index) { selected_ = index; }
    int GetCurSel() const { return Clamped(selected_); }
    int GetCount() const { return static_cast<int>(entries_.size()); }
    int GetEntryHeight() const { return entryHeight_; }

    bool OnEvent(QEvent* event) override;
    Ui::UINT OnGetDlgCode() override { return Ui::DLGC_WANTALLKEYS; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;

private:
    int Clamped(int index) const;
    void Paint();
    void SelectAt(int y);
    void Commit();
    void CloseWithoutChange();

    std::vector<std::string> entries_;
    int selected_ = -1;
    QFont font_;
    int entryHeight_ = 0;
    bool tracking_ = false;
    Ui::COLORREF background_;
    Ui::COLORREF text_;
    Ui::COLORREF selectionBackground_;
    Ui::COLORREF selectionText_;
};

}  // namespace Widgets
