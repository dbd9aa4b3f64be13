#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "app/widgets/ColorStatic.h"
#include "support/ui/UiHarness.h"
#include "ui/Dialog.h"

namespace {

using namespace Ui;
using Widgets::CXColorStatic;

class StaticDialog : public CDialog {
public:
    StaticDialog() {
        DialogTemplate t;
        t.cx = 200;
        t.cy = 60;
        t.style |= WS_VISIBLE;
        t.controls = {{1, "STATIC", "MMMMMMMM", 5, 5, 150, 20, WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOTIFY}};
        CreateIndirect(t);
        colour.SubclassDlgItem(1, this);
    }
    CXColorStatic colour;
};

int CountColour(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y) n += image.pixelColor(x, y) == colour;
    return n;
}

TEST(ColorStaticTest, ColoursAndFontShowInThePaintedPixels) {
    StaticDialog dialog;
    dialog.colour.SetBackgroundColor(RGB(255, 255, 0));
    dialog.colour.SetTextColor(RGB(255, 0, 0));
    QImage plain = dialog.colour.GetWidget()->grab().toImage();
    int background = CountColour(plain, QColor(255, 255, 0));
    int text = CountColour(plain, QColor(255, 0, 0));
    EXPECT_GT(background, plain.width() * plain.height() / 2);
    EXPECT_GT(text, 0);
    dialog.colour.SetBold(true);
    QImage bold = dialog.colour.GetWidget()->grab().toImage();
    EXPECT_GT(CountColour(bold, QColor(255, 0, 0)), text);
    dialog.colour.SetFont("DejaVu Sans", 14);
    QImage big = dialog.colour.GetWidget()->grab().toImage();
    EXPECT_GT(CountColour(big, QColor(255, 0, 0)), CountColour(bold, QColor(255, 0, 0)));
}

TEST(ColorStaticTest, OnlyWebAddressesOpen) {
    struct Case {
        const char* text;
        bool opens;
    } cases[] = {{"https://www.example.com", true},
                 {"HTTP://example.com", true},
                 {"www.example.com", true},
                 {"mailto:someone@example.com", false},
                 {"/etc/passwd", false},
                 {"calc.exe", false},
                 {"www.", false}};
    for (const Case& c : cases) {
        StaticDialog dialog;
        UiTest::Recorder recorder;
        dialog.colour.SetWindowText(c.text);
        UiTest::Click(dialog.colour.GetWidget());
        EXPECT_EQ(recorder.urls.size(), c.opens ? 1u : 0u) << c.text;
    }
}

}  // namespace
