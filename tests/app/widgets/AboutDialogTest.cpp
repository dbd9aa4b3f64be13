#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "app/ids/ControlIds.h"
#include "app/widgets/AboutDialog.h"
#include "app/widgets/FileVersionInfo.h"
#include "support/ui/UiHarness.h"
#include "ui/DialogUnits.h"
#include "ui/Resources.h"
#include "ui/Text.h"

namespace {

using namespace Ui;
using namespace Widgets;
using UiTest::IdPath;
namespace Id = ControlId::AboutBox;

std::time_t LocalNoon(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// Runs the About box over `directory` and hands its window to `look` before closing it.
template <typename Look>
void RunAbout(const std::string& directory, Look look) {
    QXAboutDialog about(nullptr, directory);
    UiTest::OnNextModal([&](QWidget* window) {
        look(window);
        UiTest::Click(UiTest::FindControl(window, IdPath({IDOK})));
    });
    EXPECT_EQ(about.DoModal(), IDOK);
}

TEST(AboutDialogTest, DefaultsShowTheMakersTextsAndTheVersionLine) {
    QTemporaryDir empty;
    VersionRecord record = BuiltVersionRecord();
    record.fixed[2] = 0x00010002;
    record.fixed[3] = 0x00030004;
    record.linkTime = LocalNoon(2012, 6, 4);
    RegisterVersionRecord(ProgramPath(), record);
    RunAbout(FromQt(empty.path()), [](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), "About");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::Title}))), "IEC-61850 Quorvex");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::MakerLink}))), LoadString(IDS_ABOUT_MAKER_LINK));
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::LibraryLink}))),
                  LoadString(IDS_ABOUT_LIBRARY_LINK));
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({Id::Version}))), "Version: 1.2.3.4 (2012-06-04)");
        EXPECT_NE(UiTest::Text(UiTest::FindControl(window, IdPath({Id::Legal}))).find(kAboutMakerCompany),
                  std::string::npos);
        // The icon and the picture are there, each inside the box.
        for (int id : {Id::Logo, Id::Banner}) {
            auto* picture = qobject_cast<QLabel*>(UiTest::FindControl(window, IdPath({id})));
            ASSERT_NE(picture, nullptr) << id;
            EXPECT_FALSE(picture->pixmap().isNull()) << id;
            EXPECT_TRUE(window->rect().contains(picture->geometry())) << id;
        }
        // The program's banner spans the box from the left margin to the OK button's right
        // edge; the version line follows the legal text at the template's distance (4 units).
        auto* banner = qobject_cast<QLabel*>(UiTest::FindControl(window, IdPath({Id::Banner})));
        const QRect ok = UiTest::FindControl(window, IdPath({IDOK}))->geometry();
        ASSERT_NE(banner, nullptr);
        EXPECT_EQ(banner->pixmap().size(), banner->size());
        EXPECT_EQ(banner->x(), UiTest::FindControl(window, IdPath({Id::Logo}))->x());
        EXPECT_EQ(banner->geometry().right(), ok.right());
        EXPECT_LT(banner->geometry().bottom(), ok.top());
        auto* legal = qobject_cast<QLabel*>(UiTest::FindControl(window, IdPath({Id::Legal})));
        ASSERT_NE(legal, nullptr);
        EXPECT_EQ(legal->height(), legal->heightForWidth(legal->width()));  // no empty lines in it
        const QRect units = DialogUnits(window->font()).ToPixels(0, 70, 1, 4);
        EXPECT_EQ(UiTest::FindControl(window, IdPath({Id::Version}))->y() - legal->geometry().bottom() - 1,
                  units.height());
        EXPECT_EQ(UiTest::CutTexts(window), std::vector<std::string>{});
        EXPECT_GT(window->height(), ok.bottom());
        UiTest::Screenshot(window, "about-box");
    });
    RegisterVersionRecord(ProgramPath(), BuiltVersionRecord());
}

TEST(AboutDialogTest, SettingsReplaceTheCompanyTheLinkAndTheBanner) {
    QTemporaryDir dir;
    QImage banner(60, 20, QImage::Format_RGB32);
    banner.fill(QColor(10, 200, 30));
    ASSERT_TRUE(banner.save(dir.filePath("banner.bmp"), "BMP"));
    {
        std::ofstream ini(FromQt(dir.filePath("resources.ini")));
        ini << "[main]\ncompany=Acme Relays Inc.\nwww=www.acme.example\nbanner=banner.bmp\n";
    }
    UiTest::Recorder recorder;
    RunAbout(FromQt(dir.path()), [&](QWidget* window) {
        std::string legal = UiTest::Text(UiTest::FindControl(window, IdPath({Id::Legal})));
        std::string credit = UiTest::Text(UiTest::FindControl(window, IdPath({Id::Credit})));
        EXPECT_NE(legal.find("Acme Relays Inc."), std::string::npos);
        EXPECT_EQ(legal.find(kAboutMakerCompany), std::string::npos);
        EXPECT_NE(credit.find("Acme Relays Inc."), std::string::npos);
        EXPECT_EQ(credit.find(kAboutMakerCompany), std::string::npos);
        QWidget* link = UiTest::FindControl(window, IdPath({Id::MakerLink}));
        EXPECT_EQ(UiTest::Text(link), "www.acme.example");
        UiTest::Click(link);
        auto* picture = qobject_cast<QLabel*>(UiTest::FindControl(window, IdPath({Id::Banner})));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->pixmap().size(), QSize(60, 20));
        // The link is painted in its own colour.
        QImage shot = link->grab().toImage();
        bool blue = false;
        for (int x = 0; x < shot.width() && !blue; ++x)
            for (int y = 0; y < shot.height() && !blue; ++y) blue = shot.pixelColor(x, y) == QColor(0, 0, 240);
        EXPECT_TRUE(blue);
        EXPECT_EQ(UiTest::CutTexts(window), std::vector<std::string>{});
        UiTest::Screenshot(window, "about-box-configured");
    });
    EXPECT_EQ(recorder.urls, std::vector<std::string>{"www.acme.example"});
}

}  // namespace
