#include "ui/DialogUnits.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <cstdint>

#include "ui/Text.h"

namespace Ui {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    bool negative = (product < 0) != (c < 0);
    std::int64_t magnitude = product < 0 ? -product : product;
    std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    return static_cast<int>(negative ? -quotient : quotient);
}

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (width / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ < 1) baseX_ = 1;
    if (baseY_ < 1) baseY_ = 1;
}

RECT DialogUnits::ToPixels(const RECT& units) const {
    return {MulDiv(units.left, baseX_, 4), MulDiv(units.top, baseY_, 8), MulDiv(units.right, baseX_, 4),
            MulDiv(units.bottom, baseY_, 8)};
}

QRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    RECT r = ToPixels(RECT{x, y, x + cx, y + cy});
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QFont TemplateFont(const std::string& face, int pointSize) {
    QFont font = QApplication::font();
    QString family = ToQt(face);
    if (!family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive)) font.setFamily(family);
    if (pointSize > 0) font.setPointSize(pointSize);
    return font;
}

}  // namespace Ui
