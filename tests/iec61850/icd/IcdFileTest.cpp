// The ICD file as a file: its first lines, its bytes, and files that cannot be written.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/TempFolder.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

class IcdFile : public ::testing::Test {
protected:
    IcdFile() {
        server.AddDevice("E1Q1SB1C1", {Lln0(), Xcbr("XCBR1")});
        server.AddDevice("E1Q1SB1P1", {Lln0(), Mhai("MHAI1")});
        std::string list;
        server.BuildIcdSettingsXml(list);
        server.ReadIcdAnswers("<Answers/>");
    }

    IcdTestServer server;
    TempFolder folder;
};

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
        if (extra == 9 || c == 0xC0 || c == 0xC1 || i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

TEST_F(IcdFile, StartsWithDeclarationCommentAndAnEmptyLineAndIsTheSameEachTime) {
    const std::string first = folder.File("first.icd");
    const std::string second = folder.File("second.icd");
    ASSERT_EQ(server.WriteIcdFile(first), 0) << server.IcdFailure();
    ASSERT_EQ(server.WriteIcdFile(second), 0);
    const std::string content = ReadWhole(first);
    EXPECT_EQ(content, ReadWhole(second));
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!--This file is generated using Ostravin IEC61850 library (" +
        std::string(Iec61850::Acsi::Scl::kIcdGeneratorNote) + ")-->\n\n<SCL ";
    EXPECT_EQ(content.substr(0, head.size()), head);
    EXPECT_EQ(content.find('\r'), std::string::npos);
    EXPECT_TRUE(IsUtf8(content));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"first.icd", "second.icd"}));

    // A new export replaces the file whole.
    WriteWhole(first, std::string(100000, 'x'));
    ASSERT_EQ(server.WriteIcdFile(first), 0);
    EXPECT_EQ(ReadWhole(first), content);
}

TEST_F(IcdFile, AFileThatCannotBeWrittenIsRefusedWithTheSystemsTextAndTheOldFileKept) {
    const std::string existing = folder.File("kept.icd");
    WriteWhole(existing, "old content");

    EXPECT_EQ(server.WriteIcdFile(folder.File("missing/device.icd")), -1);
    EXPECT_NE(server.IcdFailure().find("No such file or directory"), std::string::npos) << server.IcdFailure();

    std::filesystem::create_directory(folder.File("a-folder"));
    EXPECT_EQ(server.WriteIcdFile(folder.File("a-folder")), -1);
    EXPECT_NE(server.IcdFailure().find("Is a directory"), std::string::npos) << server.IcdFailure();

    // A write cut short by the file-size limit (the signal it raises ignored, as a program
    // that writes files must).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::int32_t result = server.WriteIcdFile(existing);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, -1);
    EXPECT_NE(server.IcdFailure().find("File too large"), std::string::npos) << server.IcdFailure();

    EXPECT_EQ(ReadWhole(existing), "old content");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a-folder", "kept.icd"}));
    EXPECT_EQ(server.Exporter().GetState(), 2);  // the caller may try again
    EXPECT_EQ(server.WriteIcdFile(existing), 0);
    EXPECT_TRUE(server.IcdFailure().empty());
}

}  // namespace
}  // namespace IcdTestModel
