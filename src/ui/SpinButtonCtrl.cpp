#include "ui/SpinButtonCtrl.h"

#include "ui/UpDownWidget.h"

namespace Ui {

UpDownWidget* CSpinButtonCtrl::Arrows() const { return dynamic_cast<UpDownWidget*>(GetWidget()); }

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy) {
    CWnd* previous = buddy_;
    buddy_ = buddy;
    if (Arrows()) Arrows()->SetBuddy(buddy ? buddy->GetWidget() : nullptr);
    return previous;
}

void CSpinButtonCtrl::SetRange32(int lower, int upper) {
    if (Arrows()) Arrows()->SetRange(lower, upper);
}

int CSpinButtonCtrl::GetPos32() const { return Arrows() ? Arrows()->GetPos() : 0; }

int CSpinButtonCtrl::SetPos32(int pos) {
    int previous = GetPos32();
    if (Arrows()) Arrows()->SetPos(pos);
    return previous;
}

}  // namespace Ui
