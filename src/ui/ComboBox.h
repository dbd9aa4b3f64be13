#pragma once

#include <string>

#include "ui/Wnd.h"

class QComboBox;

namespace Ui {

constexpr int CB_ERR = -1;

// A drop-down list. With CBS_SORT, added items take their place by the list's order:
// letters compared without regard to case, as the list control does. Changing the
// selection from the program notifies nothing.
class CComboBox : public CWnd {
public:
    int AddString(const std::string& text);
    int InsertString(int index, const std::string& text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    std::string GetLBText(int index) const;
    int FindStringExact(int startAfter, const std::string& text) const;

private:
    QComboBox* Combo() const;
};

}  // namespace Ui
