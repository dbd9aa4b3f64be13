#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "ui/IniFile.h"
#include "ui/Resources.h"
#include "ui/Text.h"

namespace {

using namespace Ui;

TEST(IniFileTest, ProfileStringRules) {
    QTemporaryDir dir;
    std::string path = FromQt(dir.filePath("resources.ini"));
    std::string longValue(700, 'x');
    {
        std::ofstream file(path, std::ios::binary);
        file << "\xEF\xBB\xBF; a comment\r\n"
             << "[Main]\r\n"
             << "  BannerLong =  banner.bmp  \r\n"
             << "quoted=\"  spaced  \"\n"
             << "equals=a=b\n"
             << ";company=commented out\n"
             << "empty=\n"
             << "long=" << longValue << "\n"
             << "[other]\n"
             << "company=Other\n"
             << "[ main ]\n"
             << "www=later section of the same name\n";
    }
    struct Case {
        const char* section;
        const char* key;
        std::string expected;
    } cases[] = {
        {"main", "bannerlong", "banner.bmp"}, {"MAIN", "BANNERLONG", "banner.bmp"},
        {"main", "quoted", "  spaced  "},     {"main", "equals", "a=b"},
        {"main", "company", "default"},       {"main", "empty", ""},
        {"main", "long", longValue},  // no length cut
        {"other", "company", "Other"},        {"main", "www", "later section of the same name"},
        {"missing", "company", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "default", path), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(GetPrivateProfileString("main", "bannerlong", "none", FromQt(dir.filePath("absent.ini"))), "none");
}

TEST(ResourcesTest, StringsByIdAndTheProgramsPlace) {
    RegisterString(101, "About IEC-61850 Quorvex...");
    EXPECT_EQ(LoadString(101), "About IEC-61850 Quorvex...");
    EXPECT_EQ(LoadString(99999), "");
    std::string dir = GetProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(FileExists(dir + "test_ui_dialogs"));
    EXPECT_FALSE(FileExists(dir + "no such file"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(LoadBitmapFile(dir + "no such file.bmp").isNull());
}

}  // namespace
