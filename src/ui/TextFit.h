#pragma once

class QWidget;

namespace Ui {

// A template's text boxes are sized for the font they were drawn in; in ours a text may
// need more room, and a box that cuts it hides words. Every text static that is a direct
// child of `window` and does not show its whole text in its box grows to it: a centred
// one on both sides, any other to the right, pushing the controls beside it on its row
// along. The window widens as far as its controls now reach, keeping its left margin on
// the right. Texts that fit keep their template's boxes.
void FitStaticTexts(QWidget* window);

}  // namespace Ui
