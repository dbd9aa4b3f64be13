#pragma once

#include "ui/Wnd.h"

namespace Ui {

class UpDownWidget;

// The up-down control. Steps reach the owner as UDN_DELTAPOS first (see UpDownWidget).
class CSpinButtonCtrl : public CWnd {
public:
    // Gives the previous buddy.
    CWnd* SetBuddy(CWnd* buddy);
    CWnd* GetBuddy() const { return buddy_; }
    void SetRange32(int lower, int upper);
    int GetPos32() const;
    int SetPos32(int pos);

private:
    UpDownWidget* Arrows() const;
    CWnd* buddy_ = nullptr;
};

}  // namespace Ui
