#pragma once

#include <QPixmap>

#include "ui/Wnd.h"

namespace Ui {

// A text or bitmap static; a bitmap shows at its natural size.
class CStatic : public CWnd {
public:
    void SetBitmap(const QPixmap& bitmap);
    QPixmap GetBitmap() const;
};

}  // namespace Ui
