#include "ui/GdiValues.h"

#include <QApplication>
#include <QPalette>
#include <cstring>

#include "ui/DialogUnits.h"
#include "ui/Text.h"

namespace Ui {

QFont ToQFont(const LOGFONT& d, int dpiY) {
    QFont font(ToQt(std::string(d.lfFaceName, strnlen(d.lfFaceName, LF_FACESIZE))));
    if (d.lfHeight < 0) {
        font.setPixelSize(-d.lfHeight);
    } else if (d.lfHeight > 0) {
        font.setPixelSize(d.lfHeight);
    } else if (dpiY > 0) {
        font.setPointSize(QApplication::font().pointSize());
    }
    font.setWeight(d.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(d.lfItalic != 0);
    font.setUnderline(d.lfUnderline != 0);
    font.setStrikeOut(d.lfStrikeOut != 0);
    return font;
}

LOGFONT FromQFont(const QFont& font, int dpiY) {
    LOGFONT d;
    int pixels = font.pixelSize() > 0 ? font.pixelSize() : MulDiv(font.pointSize(), dpiY, 72);
    d.lfHeight = -pixels;
    d.lfWeight = font.bold() ? FW_BOLD : FW_NORMAL;
    d.lfItalic = font.italic();
    d.lfUnderline = font.underline();
    d.lfStrikeOut = font.strikeOut();
    std::string face = FromQt(font.family());
    std::strncpy(d.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return d;
}

int PointSizeOf(const LOGFONT& d, int dpiY) { return -MulDiv(d.lfHeight, 72, dpiY); }

COLORREF GetSysColor(int index) {
    QPalette palette = QApplication::palette();
    switch (index) {
        case COLOR_WINDOW: return FromQColor(palette.color(QPalette::Base));
        case COLOR_WINDOWTEXT: return FromQColor(palette.color(QPalette::Text));
        case COLOR_BTNFACE: return FromQColor(palette.color(QPalette::Button));
        case COLOR_BTNTEXT: return FromQColor(palette.color(QPalette::ButtonText));
        case COLOR_HIGHLIGHT: return FromQColor(palette.color(QPalette::Highlight));
        case COLOR_HIGHLIGHTTEXT: return FromQColor(palette.color(QPalette::HighlightedText));
        case COLOR_GRAYTEXT: return FromQColor(palette.color(QPalette::Disabled, QPalette::Text));
        default: return 0;
    }
}

}  // namespace Ui
