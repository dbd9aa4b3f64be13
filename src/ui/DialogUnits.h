#pragma once

#include <QFont>
#include <QRect>
#include <string>

#include "ui/messages/Types.h"

namespace Ui {

// Dialog units of a font: a horizontal unit is a quarter of the font's average character
// width, a vertical one an eighth of its height, as dialog templates measure them.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    // Each edge converted on its own, rounded as MulDiv rounds.
    RECT ToPixels(const RECT& units) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;

private:
    int baseX_;
    int baseY_;
};

// A template's font: faces this system lacks (the Windows dialog fonts) become the
// application's UI font, at the template's point size.
QFont TemplateFont(const std::string& face, int pointSize);

// MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c);

}  // namespace Ui
