#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "iec61850/acsi/model/IcdExport.h"

namespace Iec61850::Acsi {
namespace {

// An exporter as the ICD target will provide it: settings offered, answered, written.
class ScriptedExport : public IcdExport {
public:
    explicit ScriptedExport(Server* server) : server(server) {}
    std::int32_t BuildSettingsXml(std::string& text) override {
        text += "<Question/>";
        state = 1;
        return 0;
    }
    std::int32_t ReadAnswers(std::string_view answers) override {
        if (state < 1) return Fail("nothing was offered");
        state = 2;
        return 0;
    }
    std::int32_t WriteFile(const std::string& path) override {
        if (state != 2) return Fail("no answers");
        return path.empty() ? Fail("no path") : 0;
    }
    std::string GetLastFailure() const override { return failure; }

    std::int32_t Fail(const char* why) {
        failure = why;
        return -1;
    }

    Server* server;
    int state = 0;
    std::string failure;
};

Server* lastServer = nullptr;

std::unique_ptr<IcdExport> MakeScripted(Server* server) {
    lastServer = server;
    return std::make_unique<ScriptedExport>(server);
}

class IcdExportTest : public ::testing::Test {
protected:
    ~IcdExportTest() override { SetIcdExportMaker(nullptr); }
    // Never dereferenced: the link only hands it to the maker.
    Server* const server = reinterpret_cast<Server*>(&marker);
    int marker = 0;
};

TEST_F(IcdExportTest, WithoutAnExporterEveryCallFailsAndSaysWhy) {
    SetIcdExportMaker(nullptr);
    IcdExportLink link(server);
    std::string text = "kept";
    EXPECT_FALSE(link.HasExporter());
    EXPECT_EQ(link.BuildSettingsXml(text), -1);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(link.ReadAnswers("<Answers/>"), -1);
    EXPECT_EQ(link.WriteFile("/tmp/never.icd"), -1);
    EXPECT_FALSE(link.GetLastFailure().empty());
    EXPECT_EQ(MakeIcdExport(server), nullptr);
}

TEST_F(IcdExportTest, TheRegisteredExporterIsMadeWithTheServerAndAnswersForItself) {
    SetIcdExportMaker(&MakeScripted);
    IcdExportLink link(server);
    ASSERT_TRUE(link.HasExporter());
    EXPECT_EQ(lastServer, server);
    EXPECT_EQ(link.ReadAnswers("<Answers/>"), -1);
    EXPECT_EQ(link.GetLastFailure(), "nothing was offered");
    std::string text = "<?xml?>";
    EXPECT_EQ(link.BuildSettingsXml(text), 0);
    EXPECT_EQ(text, "<?xml?><Question/>");
    EXPECT_EQ(link.WriteFile("model.icd"), -1);
    EXPECT_EQ(link.ReadAnswers("<Answers/>"), 0);
    EXPECT_EQ(link.WriteFile(""), -1);
    EXPECT_EQ(link.GetLastFailure(), "no path");
    EXPECT_EQ(link.WriteFile("model.icd"), 0);
    // A link made after the maker is taken back has none.
    SetIcdExportMaker(nullptr);
    EXPECT_FALSE(IcdExportLink(server).HasExporter());
    EXPECT_TRUE(link.HasExporter());
}

}  // namespace
}  // namespace Iec61850::Acsi
