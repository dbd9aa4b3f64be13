#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

// The device model sits below the ICD exporter and the program: nothing it compiles may
// reach their headers or Qt, directly or through another header of the tree.
namespace {

namespace fs = std::filesystem;

const fs::path kSource = fs::path(IEC_SOURCE_DIR) / "src";

bool IsForbidden(const std::string& include, bool quoted) {
    if (quoted) {
        return include.starts_with("iec61850/icd/") || include.starts_with("ui/") || include.starts_with("app/");
    }
    return include.starts_with("Q") || include.starts_with("qt") || include.starts_with("Qt");
}

struct Include {
    std::string name;
    bool quoted;
};

std::vector<Include> IncludesOf(const fs::path& file) {
    static const std::regex line(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    std::ifstream in(file);
    std::string text;
    while (std::getline(in, text)) {
        std::smatch match;
        if (std::regex_search(text, match, line)) found.push_back({match[2].str(), match[1].str() == "\""});
    }
    return found;
}

// Every header reached from the folder's files, and each forbidden include met on the way.
std::vector<std::string> ForbiddenIncludesBelow(const fs::path& folder, std::size_t& filesSeen) {
    std::vector<fs::path> pending;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == ".h" || entry.path().extension() == ".cpp") pending.push_back(entry.path());
    }
    std::set<fs::path> seen(pending.begin(), pending.end());
    std::vector<std::string> forbidden;
    while (!pending.empty()) {
        const fs::path file = pending.back();
        pending.pop_back();
        for (const Include& include : IncludesOf(file)) {
            if (IsForbidden(include.name, include.quoted)) {
                forbidden.push_back(fs::relative(file, kSource).string() + " includes " + include.name);
                continue;
            }
            const fs::path next = kSource / include.name;
            if (include.quoted && fs::exists(next) && seen.insert(next).second) pending.push_back(next);
        }
    }
    filesSeen = seen.size();
    return forbidden;
}

TEST(DependencyDirection, TheDeviceModelReachesNeitherTheExporterNorQt) {
    std::size_t filesSeen = 0;
    const std::vector<std::string> forbidden = ForbiddenIncludesBelow(kSource / "iec61850" / "acsi", filesSeen);
    EXPECT_GT(filesSeen, 10u);  // the walk did reach the model and what it uses
    EXPECT_TRUE(forbidden.empty()) << ::testing::PrintToString(forbidden);
}

TEST(DependencyDirection, TheDeviceModelTargetLinksOnlyWhatLiesBelow) {
    std::ifstream in(kSource / "iec61850" / "acsi" / "CMakeLists.txt");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    for (const char* target : {"iec_icd", "iec_ui", "iec_app", "Qt6", "Qt::"}) {
        EXPECT_EQ(text.find(target), std::string::npos) << target;
    }
}

TEST(DependencyDirection, TheCheckSeesAForbiddenInclude) {
    EXPECT_TRUE(IsForbidden("iec61850/icd/IcdExporter.h", true));
    EXPECT_TRUE(IsForbidden("ui/Dialog.h", true));
    EXPECT_TRUE(IsForbidden("QString", false));
    EXPECT_TRUE(IsForbidden("QtWidgets/QDialog", false));
    EXPECT_FALSE(IsForbidden("iec61850/scl/Element.h", true));
    EXPECT_FALSE(IsForbidden("string", false));
}

}  // namespace
