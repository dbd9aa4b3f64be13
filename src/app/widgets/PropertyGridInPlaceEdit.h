#pragma once

#include <string>

#include "ui/Edit.h"
#include "ui/GdiValues.h"

namespace Widgets {

// The edit that the grid opens over a value. Tab, Enter (Return or keypad Enter), and
// Ctrl with Page Up, Page Down or an arrow give the focus back to the grid; Escape puts
// the starting text back first. Losing the focus commits the text to the grid (message
// 1512, the text valid during the call). Alt combinations do nothing while it edits.
class CPropertyGridInPlaceEdit : public Ui::CEdit {
public:
    CPropertyGridInPlaceEdit(Ui::CWnd* parent, const Ui::RECT& rect, Ui::DWORD style, Ui::UINT id,
                             const std::string& initialText);

    void SetColors(Ui::COLORREF background, Ui::COLORREF text);
    const std::string& GetInitialText() const { return initialText_; }

    bool OnEvent(QEvent* event) override;
    Ui::UINT OnGetDlgCode() override { return Ui::DLGC_WANTALLKEYS; }

private:
    void ReturnFocus();
    void Commit();

    std::string initialText_;
    Ui::RECT rect_;
    Ui::COLORREF background_;
    Ui::COLORREF text_;
    // The commit in progress: closing the edit loses the focus again, which must not commit twice.
    static bool committing_;
};

}  // namespace Widgets
