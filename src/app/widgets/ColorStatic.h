#pragma once

#include <QIcon>
#include <optional>
#include <string>

#include "ui/GdiValues.h"
#include "ui/Static.h"

namespace Widgets {

constexpr Ui::DWORD SS_CENTERIMAGE = 0x200;

// A static with its own text colour, background colour, font and optional icon, painted
// by itself. A click opens its text when the text is a web address.
class CXColorStatic : public Ui::CStatic {
public:
    CXColorStatic();

    void SetTextColor(Ui::COLORREF colour, bool redraw = true);
    void SetBackgroundColor(Ui::COLORREF colour, bool redraw = true);
    void SetIcon(const QIcon& icon, bool redraw = true);
    void SetFont(const Ui::LOGFONT& description, bool redraw = true);
    void SetFont(const char* faceName, int pointSize, bool redraw = true);
    void SetFont(const QFont* font, bool redraw = true);
    void SetBold(bool bold, bool redraw = true);
    Ui::COLORREF GetTextColor() const { return text_; }
    Ui::COLORREF GetBackgroundColor() const { return background_; }

    // http:// or https:// addresses, or ones starting with "www.".
    static bool IsWebAddress(const std::string& text);

    bool OnEvent(QEvent* event) override;

private:
    Ui::LOGFONT CurrentDescription() const;
    void Redraw(bool redraw);
    int DpiY() const;

    std::optional<QFont> font_;
    Ui::COLORREF text_;
    Ui::COLORREF background_;
    bool bold_ = false;
    QIcon icon_;
};

}  // namespace Widgets
