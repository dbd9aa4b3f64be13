// The checks themselves, over small trees of their own: each fault they must report is
// put into an otherwise clean tree, so a check that stops seeing it fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "iec61850/icd/TempFolder.h"
#include "layers/IncludeCheck.h"

namespace {

namespace fs = std::filesystem;
using IcdTestModel::TempFolder;
using Layers::Table;

// low below high; only high may use Qt, only capture libpcap.
const Table kTable{
    {"low", {}, false, false, {"Detail.h"}},
    {"high", {"low"}, true, false, {}},
    {"capture", {"low"}, false, true, {}},
};

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    IcdTestModel::WriteWhole(file.string(), text);
}

// A clean tree of the table above.
void WriteCleanTree(const fs::path& root) {
    Write(root / "low/Api.h", "#pragma once\n#include <string>\n");
    Write(root / "low/Detail.h", "#pragma once\n");
    Write(root / "low/Api.cpp", "#include \"low/Api.h\"\n#include \"low/Detail.h\"\n");
    Write(root / "high/View.h", "#pragma once\n#include <QWidget>\n#include \"low/Api.h\"\n");
    Write(root / "capture/Capture.cpp", "#include <pcap/pcap.h>\n#include \"low/Api.h\"\n");
    Write(root / "low/CMakeLists.txt", "# Below the folders with Qt6 and pcap.\niec_add_library(lib_low)\n");
    Write(root / "high/CMakeLists.txt",
          "find_package(Qt6 REQUIRED)\niec_add_library(lib_high DEPS lib_low Qt6::Widgets)\n");
    Write(root / "capture/CMakeLists.txt",
          "iec_add_library(lib_capture DEPS lib_low)\n"
          "target_link_libraries(lib_capture PUBLIC ${PCAP_LIBRARY})\n");
}

TEST(IncludeCheck, ACleanTreeHasNoFaults) {
    TempFolder tree;
    WriteCleanTree(tree.Path());
    EXPECT_EQ(Layers::FindIncludeFaults(tree.Path(), kTable), std::vector<std::string>{});
    EXPECT_EQ(Layers::FindTableFaults(tree.Path(), kTable), std::vector<std::string>{});
    EXPECT_EQ(Layers::FindLinkFaults(tree.Path(), kTable), std::vector<std::string>{});
}

TEST(IncludeCheck, ReportsEachForbiddenIncludeByFileAndInclude) {
    struct Case {
        const char* file;
        const char* text;
        const char* fault;
    };
    const Case cases[] = {
        {"low/Wrong.cpp", "#include \"high/View.h\"", "low/Wrong.cpp includes high/View.h: low may not include high"},
        {"capture/Wrong.h", "  #  include \"high/View.h\"",
         "capture/Wrong.h includes high/View.h: capture may not include high"},
        {"high/Peek.cpp", "#include \"low/Detail.h\"", "high/Peek.cpp includes low/Detail.h: a header private to low"},
        {"low/Window.cpp", "#include <QWidget>", "low/Window.cpp includes QWidget: low may not include Qt"},
        {"capture/Window.cpp", "#include <QtWidgets/QDialog>",
         "capture/Window.cpp includes QtWidgets/QDialog: capture may not include Qt"},
        {"high/Sniff.cpp", "#include <pcap.h>", "high/Sniff.cpp includes pcap.h: high may not include libpcap"},
        {"high/Near.cpp", "#include \"View.h\"",
         "high/Near.cpp includes View.h: names no folder of the tree (includes are written from its root)"},
        {"extra/Thing.h", "#pragma once", "extra holds code but the table does not list it"},
        {"low/deeper/Thing.cpp", "", "low/deeper holds code but the table does not list it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder tree;
        WriteCleanTree(tree.Path());
        Write(tree.Path() / c.file, std::string(c.text) + "\n");
        EXPECT_EQ(Layers::FindIncludeFaults(tree.Path(), kTable), std::vector<std::string>{c.fault});
    }
}

TEST(IncludeCheck, ReportsAFaultyTable) {
    struct Case {
        const char* what;
        Table table;
        std::vector<std::string> faults;
    };
    const Case cases[] = {
        {"a cycle",
         {{"low", {"high"}, false, false, {}}, {"high", {"low"}, true, false, {}}},
         {"low has no Qt but may include high, which has", "low reaches itself", "high reaches itself"}},
        {"an unlisted folder allowed",
         {{"low", {"middle"}, false, false, {}}},
         {"low may include middle, which is not listed"}},
        {"a missing private header", {{"low", {}, false, false, {"Gone.h"}}}, {"low/Gone.h is private but missing"}},
        {"a folder without code",
         {{"low", {}, false, false, {}}, {"empty", {}, false, false, {}}},
         {"empty is listed but holds no code"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder tree;
        WriteCleanTree(tree.Path());
        EXPECT_EQ(Layers::FindTableFaults(tree.Path(), c.table), c.faults);
    }
}

TEST(IncludeCheck, ReportsALibraryThatLinksUpwardsOrTakesQtOrLibpcapWhereNotAllowed) {
    struct Case {
        const char* cmake;
        const char* fault;
    };
    const Case cases[] = {
        {"iec_add_library(lib_low DEPS lib_high)", "lib_low links lib_high, none of whose folders it may include"},
        {"iec_add_library(lib_low DEPS Qt6::Widgets)", "lib_low links Qt, which none of its folders may include"},
        {"find_library(PCAP_LIBRARY pcap)\niec_add_library(lib_low)",
         "lib_low links libpcap, which none of its folders may include"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cmake);
        TempFolder tree;
        WriteCleanTree(tree.Path());
        Write(tree.Path() / "low/CMakeLists.txt", std::string(c.cmake) + "\n");
        EXPECT_EQ(Layers::FindLinkFaults(tree.Path(), kTable), std::vector<std::string>{c.fault});
    }
}

}  // namespace
