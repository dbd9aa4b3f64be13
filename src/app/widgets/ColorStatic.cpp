#include "app/widgets/ColorStatic.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <cstring>

#include "ui/ControlAccess.h"
#include "ui/DialogUnits.h"
#include "ui/Drawing.h"
#include "ui/Resources.h"

namespace Widgets {

using namespace Ui;

CXColorStatic::CXColorStatic() : text_(GetSysColor(COLOR_BTNTEXT)), background_(GetSysColor(COLOR_BTNFACE)) {}

void CXColorStatic::Redraw(bool redraw) {
    if (redraw) UpdateWindow();
}

int CXColorStatic::DpiY() const { return GetWidget() ? GetWidget()->logicalDpiY() : 96; }

void CXColorStatic::SetTextColor(COLORREF colour, bool redraw) {
    text_ = colour;
    Redraw(redraw);
}

void CXColorStatic::SetBackgroundColor(COLORREF colour, bool redraw) {
    background_ = colour;
    Redraw(redraw);
}

void CXColorStatic::SetIcon(const QIcon& icon, bool redraw) {
    icon_ = icon;
    Redraw(redraw);
}

LOGFONT CXColorStatic::CurrentDescription() const { return FromQFont(font_ ? *font_ : GetFont(), DpiY()); }

void CXColorStatic::SetFont(const LOGFONT& description, bool redraw) {
    LOGFONT d = description;
    d.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
    font_ = ToQFont(d, DpiY());
    Redraw(redraw);
}

void CXColorStatic::SetFont(const char* faceName, int pointSize, bool redraw) {
    LOGFONT d = CurrentDescription();
    if (faceName) {
        d = LOGFONT{};
        std::strncpy(d.lfFaceName, faceName, LF_FACESIZE - 1);
    }
    d.lfHeight = -MulDiv(pointSize, DpiY(), 72);
    SetFont(d, redraw);
}

void CXColorStatic::SetFont(const QFont* font, bool redraw) {
    if (font) SetFont(FromQFont(*font, DpiY()), redraw);
}

void CXColorStatic::SetBold(bool bold, bool redraw) {
    bold_ = bold;
    SetFont(CurrentDescription(), redraw);
}

bool CXColorStatic::IsWebAddress(const std::string& text) {
    auto startsWith = [&](const char* prefix) {
        std::size_t n = std::strlen(prefix);
        if (text.size() <= n) return false;
        for (std::size_t i = 0; i < n; ++i) {
            if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://") || startsWith("www.");
}

bool CXColorStatic::OnEvent(QEvent* event) {
    QWidget* widget = GetWidget();
    if (event->type() == QEvent::MouseButtonPress) {
        std::string text = GetWindowText();
        if (IsWebAddress(text)) OpenUrl(text);
        return false;
    }
    if (event->type() != QEvent::Paint) return false;
    QPainter painter(widget);
    QRect area = widget->rect();
    painter.fillRect(area, ToQColor(background_));
    if (!icon_.isNull()) {
        int side = widget->style()->pixelMetric(QStyle::PM_LargeIconSize);
        QRect box((area.width() - side) / 2, (area.height() - side) / 2, side, side);
        icon_.paint(&painter, box);
        return true;
    }
    painter.setFont(font_ ? *font_ : widget->font());
    painter.setPen(ToQColor(text_));
    DWORD style = ControlStyle(widget);
    UINT flags = DT_NOPREFIX;
    if ((style & SS_TYPEMASK) == SS_CENTER) flags |= DT_CENTER;
    if ((style & SS_TYPEMASK) == SS_RIGHT) flags |= DT_RIGHT;
    flags |= (style & SS_CENTERIMAGE) ? (DT_SINGLELINE | DT_VCENTER) : DT_WORDBREAK;
    DrawText(painter, GetWindowText(), RECT{0, 0, area.width(), area.height()}, flags);
    return true;
}

}  // namespace Widgets
