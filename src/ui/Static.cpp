#include "ui/Static.h"

#include <QLabel>

namespace Ui {

void CStatic::SetBitmap(const QPixmap& bitmap) {
    if (auto* label = qobject_cast<QLabel*>(GetWidget())) {
        label->setPixmap(bitmap);
        label->resize(bitmap.size());
    }
}

QPixmap CStatic::GetBitmap() const {
    auto* label = qobject_cast<QLabel*>(GetWidget());
    return label ? label->pixmap() : QPixmap();
}

}  // namespace Ui
