#include <gtest/gtest.h>

#include "app/widgets/FileVersionInfo.h"

namespace {

using namespace Widgets;

VersionRecord TestRecord() {
    VersionRecord r;
    r.fixed = {kVersionSignature, 0x10000, 0x00010002, 0x00030004, 0x00010002, 0x00030004, 0x3F, 0,
               0x40004,           2,       0,          0,          0};
    r.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0409, 1252}, {0x0413, 1252}};
    r.strings["\\StringFileInfo\\040904E4\\ProductName"] = "Quorvex";
    r.strings["\\StringFileInfo\\041304E4\\ProductName"] = "Quorvex NL";
    r.strings["\\StringFileInfo\\00000000\\Comments"] = "neutral";
    return r;
}

TEST(FileVersionInfoTest, FixedInfoTranslationsAndStringValues) {
    RegisterVersionRecord("/test/lib.so", TestRecord());
    CFileVersionInfo info;
    ASSERT_TRUE(info.Create("/test/lib.so"));
    EXPECT_TRUE(info.IsValid());
    const FixedFileInfo& fixed = info.GetFixedInfo();
    EXPECT_EQ((std::vector<unsigned>{fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF}),
              (std::vector<unsigned>{1, 2, 3, 4}));
    char buffer[8];
    EXPECT_TRUE(info.QueryStringValue("ProductName", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Quorvex");
    char small[4];
    EXPECT_TRUE(info.QueryStandardValue(9, small, sizeof small));
    EXPECT_STREQ(small, "Quo");  // cut to size - 1
    EXPECT_FALSE(info.QueryStringValue("ProductName", small, 0));
    EXPECT_TRUE(info.QueryStringValue("ProductName", nullptr, 0));
    EXPECT_FALSE(info.QueryStringValue("Missing", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(info.QueryStandardValue(13, buffer, sizeof buffer));
    EXPECT_EQ(CFileVersionInfo::GetStandardValueName(12), std::string("OLESelfRegister"));
    EXPECT_EQ(CFileVersionInfo::GetStandardValueName(13), nullptr);

    EXPECT_EQ(info.FindTranslation(0x0413, 1252), 1);
    EXPECT_EQ(info.FindTranslation(0x0407, 1252), -1);
    EXPECT_TRUE(info.SetTranslationIndex(0));  // already current
    EXPECT_FALSE(info.SetTranslationIndex(2));
    EXPECT_TRUE(info.SetTranslation(0x0413, 1252));
    EXPECT_EQ(info.GetCurrentTranslationIndex(), 1u);
    EXPECT_EQ(info.GetCurrentLanguage(), 0x0413);
    EXPECT_TRUE(info.QueryStringValue("ProductName", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Quorvex");  // "Quorvex NL" cut to 7 characters
    EXPECT_FALSE(info.SetTranslation(0x0407, 1252));
    EXPECT_EQ(info.GetTranslationCodePage(5), 0);

    DllVersionInfo dll;
    EXPECT_EQ(CFileVersionInfo::GetModuleVersion("/test/lib.so", &dll), 0);
    EXPECT_EQ((std::vector<unsigned>{dll.dwMajorVersion, dll.dwMinorVersion, dll.dwBuildNumber, dll.dwPlatformID}),
              (std::vector<unsigned>{1, 2, 3, 1}));
    dll.cbSize = 24;
    EXPECT_EQ(CFileVersionInfo::GetModuleVersion("/test/lib.so", &dll), 1);
    EXPECT_EQ(CFileVersionInfo::GetModuleVersion("/test/lib.so", nullptr), 1);
}

TEST(FileVersionInfoTest, AnIndexAtTheCountUsesLanguageAndCodePageZero) {
    VersionRecord r = TestRecord();
    r.translations->clear();  // a table without entries: index 0 is the count
    RegisterVersionRecord("/test/empty-table", r);
    CFileVersionInfo info;
    ASSERT_TRUE(info.Create("/test/empty-table"));
    char buffer[16];
    EXPECT_TRUE(info.QueryStringValue("Comments", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "neutral");
}

TEST(FileVersionInfoTest, FilesWithoutARecordOrTableAndNames) {
    CFileVersionInfo info;
    EXPECT_FALSE(info.Create("/no/such/file"));
    VersionRecord noTable;
    noTable.fixed = TestRecord().fixed;
    RegisterVersionRecord("/test/no-table", noTable);
    EXPECT_FALSE(info.Create("/test/no-table"));
    EXPECT_FALSE(info.IsValid());
    VersionRecord badSignature = TestRecord();
    badSignature.fixed[0] = 0;
    RegisterVersionRecord("/test/bad", badSignature);
    EXPECT_TRUE(info.Create("/test/bad"));
    EXPECT_FALSE(info.IsValid());
    EXPECT_FALSE(info.QueryStringValue("ProductName", nullptr, 0));

    std::string name;
    EXPECT_FALSE(CFileVersionInfo::GetCodePageName(437, name));
    EXPECT_EQ(name, "Unknown");
    EXPECT_TRUE(CFileVersionInfo::GetCodePageName(932, name));
    EXPECT_EQ(name, "Japan (Shift \xE2\x80\x93 JIS X-0208)");
    char language[32];
    EXPECT_EQ(CFileVersionInfo::GetLanguageName(0x0409, language, sizeof language), 23u);
    EXPECT_STREQ(language, "English (United States)");
    EXPECT_EQ(CFileVersionInfo::GetLanguageName(0x0409, nullptr, 10), 0u);
    EXPECT_EQ(CFileVersionInfo::GetLanguageName(0x0411, language, sizeof language), 0u);
}

TEST(FileVersionInfoTest, TheProgramsOwnRecordIsTheBuiltOne) {
    CFileVersionInfo info;
    ASSERT_TRUE(info.Create(ProgramPath()));
    EXPECT_TRUE(info.IsValid());
    char product[64];
    EXPECT_TRUE(info.QueryStandardValue(9, product, sizeof product));
    EXPECT_STREQ(product, "IEC-61850 Quorvex");
    EXPECT_TRUE(info.GetLinkTime().has_value());
    DllVersionInfo dll;
    EXPECT_EQ(CFileVersionInfo::GetModuleVersion(ProgramPath(), &dll), 1);  // a program, not a library
}

}  // namespace
