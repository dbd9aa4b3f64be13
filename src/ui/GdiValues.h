#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>

#include "ui/messages/Types.h"

// Value types of the drawing interface that items keep: a colour as red, green and blue
// bytes, a font description with LOGFONT's fields, and the system colours.
namespace Ui {

using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return COLORREF{r} | (COLORREF{g} << 8) | (COLORREF{b} << 16); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) {
    return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}

constexpr int LF_FACESIZE = 32;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// A font description in its 60-byte form; lfHeight below 0 is the character height in
// pixels, above 0 the cell height.
struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 60);

// Conversions at a device's vertical resolution (dots per inch).
QFont ToQFont(const LOGFONT& description, int dpiY);
LOGFONT FromQFont(const QFont& font, int dpiY);
// The size in points that a description gives on a device: -MulDiv(lfHeight, 72, dpi).
int PointSizeOf(const LOGFONT& description, int dpiY);

constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
// System colours as the application palette's roles; an unknown index gives black.
COLORREF GetSysColor(int index);

}  // namespace Ui
