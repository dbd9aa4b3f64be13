#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <cstring>

#include "support/ui/UiHarness.h"
#include "ui/CommonDialogs.h"
#include "ui/Drawing.h"
#include "ui/GdiValues.h"
#include "ui/Text.h"

namespace {

using namespace Ui;

TEST(PathCompactTest, FoldersGiveWayBeforeTheFileName) {
    QFontMetrics metrics(QApplication::font());
    const std::string path = "/home/engineer/projects/substation/exports/plant.icd";
    int full = metrics.horizontalAdvance(ToQt(path));
    EXPECT_EQ(PathCompactPath(path, full, metrics), path);
    std::string shorter = PathCompactPath(path, full * 2 / 3, metrics);
    EXPECT_LE(metrics.horizontalAdvance(ToQt(shorter)), full * 2 / 3);
    EXPECT_EQ(shorter.substr(0, 6), "/home/");
    EXPECT_NE(shorter.find(".../plant.icd"), std::string::npos) << shorter;
    std::string tight = PathCompactPath(path, metrics.horizontalAdvance("...xx"), metrics);
    EXPECT_LE(metrics.horizontalAdvance(ToQt(tight)), metrics.horizontalAdvance("...xx"));
    EXPECT_EQ(PathCompactPath("plant.icd", full, metrics), "plant.icd");
}

TEST(DrawTextTest, SingleLineTextEndsWithAnEllipsisWhenTooLong) {
    QImage image(200, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    int height = DrawText(painter, "a rather long value that cannot fit", RECT{0, 0, 60, 20},
                          DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    EXPECT_GT(height, 0);
    EXPECT_LE(height, 20);
    // Nothing drawn to the right of the rectangle.
    bool clean = true;
    for (int x = 62; x < 200; ++x)
        for (int y = 0; y < 40; ++y) clean = clean && image.pixelColor(x, y) == Qt::white;
    EXPECT_TRUE(clean);
    int wrapped =
        DrawText(painter, "several words that wrap", RECT{0, 0, 50, 40}, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    EXPECT_GT(wrapped, height);
    EXPECT_TRUE(DrawFrameControl(painter, RECT{0, 0, 16, 16}, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED, nullptr));
    EXPECT_TRUE(DrawFrameControl(painter, RECT{0, 0, 16, 16}, DFC_BUTTON, DFCS_BUTTONPUSH, nullptr));
    EXPECT_FALSE(DrawFrameControl(painter, RECT{0, 0, 16, 16}, 99, 0, nullptr));
}

TEST(GdiValuesTest, ColoursFontsAndSystemColours) {
    COLORREF c = RGB(1, 2, 3);
    EXPECT_EQ(c, 0x030201u);
    EXPECT_EQ(FromQColor(ToQColor(c)), c);
    LOGFONT font;
    font.lfHeight = -16;
    font.lfWeight = FW_BOLD;
    font.lfItalic = 1;
    std::strcpy(font.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(PointSizeOf(font, 96), 12);
    LOGFONT back = FromQFont(ToQFont(font, 96), 96);
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_STREQ(back.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), FromQColor(QApplication::palette().color(QPalette::Base)));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), FromQColor(QApplication::palette().color(QPalette::HighlightedText)));
    EXPECT_EQ(GetSysColor(-1), 0u);
}

TEST(TextTest, TextThatIsNotUtf8ShowsReplacementCharacters) {
    QString shown = ToQt("ok \xB6 \x96");
    EXPECT_TRUE(shown.startsWith("ok "));
    EXPECT_EQ(shown.count(QChar(0xFFFD)), 2);
    EXPECT_EQ(FromQt(ToQt("Ä ok")), "Ä ok");
}

TEST(ColourAndFontDialogTest, ChoicesComeBackAndCancelKeepsTheOldValue) {
    CColorDialog colour(ToQColor(RGB(10, 20, 30)));
    UiTest::OnNextModal([](QWidget* window) {
        auto* dialog = qobject_cast<QColorDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->currentColor(), QColor(10, 20, 30));
        dialog->setCurrentColor(QColor(200, 100, 50));
        dialog->accept();
    });
    EXPECT_EQ(colour.DoModal(), IDOK);
    EXPECT_EQ(FromQColor(colour.GetColor()), RGB(200, 100, 50));

    LOGFONT initial;
    initial.lfHeight = -12;
    std::strcpy(initial.lfFaceName, "DejaVu Sans");
    CFontDialog font(&initial, CF_SCREENFONTS | CF_EFFECTS);
    UiTest::OnNextModal([](QWidget* window) {
        auto* dialog = qobject_cast<QFontDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        QFont chosen = dialog->currentFont();
        chosen.setPointSize(14);
        chosen.setUnderline(true);
        dialog->setCurrentFont(chosen);
        dialog->accept();
    });
    EXPECT_EQ(font.DoModal(), IDOK);
    LOGFONT chosen;
    font.GetCurrentFont(&chosen);
    EXPECT_EQ(PointSizeOf(chosen, QApplication::primaryScreen()->logicalDotsPerInchY()), 14);
    EXPECT_EQ(chosen.lfUnderline, 1);
    EXPECT_STREQ(chosen.lfFaceName, "DejaVu Sans");

    CFontDialog cancelled(&initial);
    UiTest::OnNextModal([](QWidget* window) { qobject_cast<QDialog*>(window)->reject(); });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    cancelled.GetCurrentFont(&chosen);
    EXPECT_EQ(std::memcmp(&chosen, &initial, sizeof chosen), 0);
}

}  // namespace
