#include "ui/ProgressCtrl.h"

#include <QProgressBar>
#include <QVariant>
#include <algorithm>

namespace Ui {
namespace {
constexpr const char* kLower = "iec.lower";
constexpr const char* kUpper = "iec.upper";
constexpr const char* kPos = "iec.pos";
}  // namespace

void CProgressCtrl::Apply(int lower, int upper, int pos) {
    auto* bar = qobject_cast<QProgressBar*>(GetWidget());
    if (!bar) return;
    bar->setProperty(kLower, lower);
    bar->setProperty(kUpper, upper);
    bar->setProperty(kPos, pos);
    if (upper > lower) {
        bar->setRange(lower, upper);
        bar->setValue(pos);
    } else {
        bar->setRange(0, 1);
        bar->setValue(0);
    }
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    QWidget* bar = GetWidget();
    lower = 0;
    upper = 100;
    if (!bar || !bar->property(kUpper).isValid()) return;
    lower = bar->property(kLower).toInt();
    upper = bar->property(kUpper).toInt();
}

int CProgressCtrl::GetPos() const {
    QWidget* bar = GetWidget();
    return bar ? bar->property(kPos).toInt() : 0;
}

void CProgressCtrl::SetRange32(int lower, int upper) {
    int pos = GetPos();
    pos = std::clamp(pos, std::min(lower, upper), std::max(lower, upper));
    Apply(lower, upper, pos);
}

int CProgressCtrl::SetPos(int pos) {
    int previous = GetPos();
    int lower = 0;
    int upper = 100;
    GetRange(lower, upper);
    Apply(lower, upper, std::clamp(pos, std::min(lower, upper), std::max(lower, upper)));
    return previous;
}

}  // namespace Ui
