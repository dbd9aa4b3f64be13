#include "ui/Button.h"

#include <QCheckBox>
#include <QSignalBlocker>

namespace Ui {

int CButton::GetCheck() const {
    if (auto* box = qobject_cast<QCheckBox*>(GetWidget()))
        return box->checkState() == Qt::PartiallyChecked ? 2 : box->isChecked();
    auto* button = qobject_cast<QAbstractButton*>(GetWidget());
    return button && button->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int check) {
    auto* button = qobject_cast<QAbstractButton*>(GetWidget());
    if (!button) return;
    QSignalBlocker quiet(button);
    if (auto* box = qobject_cast<QCheckBox*>(button); box && check == 2) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        return;
    }
    button->setCheckable(true);
    button->setChecked(check != 0);
}

}  // namespace Ui
