#pragma once

class QFont;
class QString;
class QWidget;

namespace Ui {

// A template's text boxes are sized for the font they were drawn in; in ours a text may
// need more room, and a box that cuts it hides words. Every text static that is a direct
// child of `window` and does not show its whole text in its box grows to it: a centred
// one on both sides, any other to the right, pushing the controls beside it on its row
// along. The window widens as far as its controls now reach, keeping its left margin on
// the right. Texts that fit keep their template's boxes.
void FitStaticTexts(QWidget* window);

// A text static's box may hold more lines than its text needs, or fewer: the box takes
// the height its text needs at its width, and every control of the window that lies
// below the box's old bottom moves up (or down) by the difference, the window's height
// with them. What follows the text keeps the template's distance from it.
void FitTextHeight(QWidget* text);

// The width a window needs for its title bar to show `caption` whole. The window system
// draws the bar, in a font of its own: taken as the bold form of `font` a fifth larger,
// beside the window's icon and three buttons, each as wide as a bar twice that font's
// height, and a margin of one line's height.
int CaptionRoom(const QString& caption, const QFont& font);

}  // namespace Ui
