#pragma once

#include "ui/Wnd.h"

namespace Ui {

// A push button, check box, radio button or group box. Setting the check notifies nothing.
class CButton : public CWnd {
public:
    int GetCheck() const;  // 0 unchecked, 1 checked, 2 indeterminate
    void SetCheck(int check);
};

}  // namespace Ui
