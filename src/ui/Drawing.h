#pragma once

#include <string>

#include "ui/messages/Types.h"

class QPainter;
class QFontMetrics;
class QWidget;

// The drawing calls that owner-drawn controls make, over QPainter.
namespace Ui {

constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// Text in a rectangle by the flags above (an ampersand is always shown as it stands:
// the callers pass DT_NOPREFIX). Gives the height of the text drawn.
int DrawText(QPainter& painter, const std::string& text, const RECT& rect, UINT flags);
void DrawFocusRect(QPainter& painter, const RECT& rect, const QWidget* widget);

constexpr UINT DFC_SCROLL = 3;
constexpr UINT DFC_BUTTON = 4;
constexpr UINT DFCS_SCROLLDOWN = 0x1;
constexpr UINT DFCS_BUTTONPUSH = 0x10;
constexpr UINT DFCS_PUSHED = 0x200;
// A drop-down arrow (DFC_SCROLL, DFCS_SCROLLDOWN) or a push button (DFC_BUTTON,
// DFCS_BUTTONPUSH), drawn pushed with DFCS_PUSHED.
bool DrawFrameControl(QPainter& painter, const RECT& rect, UINT type, UINT state, const QWidget* widget);

// A path shortened to a width in pixels: folders in the middle give way to "..." first,
// the file name last.
std::string PathCompactPath(const std::string& path, int width, const QFontMetrics& metrics);

}  // namespace Ui
