#pragma once

#include "ui/Wnd.h"

namespace Ui {

// A single-line edit (or a multi-line one for the text calls).
class CEdit : public CWnd {
public:
    void SetReadOnly(bool readOnly = true);
    // Character indexes of the selection; the caret is at `end` when nothing is selected.
    void GetSel(int& start, int& end) const;
    void SetSel(int start, int end);
};

}  // namespace Ui
