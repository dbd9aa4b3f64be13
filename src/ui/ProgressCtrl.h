#pragma once

#include "ui/Wnd.h"

namespace Ui {

// A progress bar by the list-control rules: range 0-100 until set, 32-bit ranges,
// positions held inside the range. An empty range (upper not above lower) shows an
// empty bar rather than a busy one.
class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // Gives the previous position.
    int SetPos(int pos);
    int GetPos() const;

private:
    void Apply(int lower, int upper, int pos);
};

}  // namespace Ui
