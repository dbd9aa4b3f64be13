// The whole file: the golden file, determinism, and the SCL schema over the models a
// device can give.

#include <gtest/gtest.h>

#include "device/DeviceModel.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/icd/ExportSteps.h"
#include "iec61850/icd/SclChecks.h"
#include "iec61850/icd/SmallModel.h"
#include "support/icdmodel/DeviceModelImport.h"
#include "support/icdmodel/LargeModel.h"

namespace IcdTestModel {
namespace {

const std::string kGoldenPath = IEC_SOURCE_DIR "/tests/iec61850/icd/golden/small-model.icd";

// Writes the export to a file of the folder and returns its path.
std::string WriteExport(IcdTestServer& server, const TempFolder& folder, const std::string& name,
                        const std::string& answers = "<Answers/>") {
    Answer(server, answers);
    const std::string path = folder.File(name);
    EXPECT_EQ(server.WriteIcdFile(path), 0) << server.IcdFailure();
    return path;
}

TEST(WholeFile, SmallModelGivesTheGoldenFile) {
    IcdTestServer server;
    BuildSmallModel(server);
    TempFolder folder;
    const std::string path = WriteExport(server, folder, "small.icd", kSmallModelAnswers);
    const std::string file = ReadWhole(path);
    if (const char* update = std::getenv("IEC_UPDATE_GOLDEN"); update != nullptr && *update == '1') {
        WriteWhole(kGoldenPath, file);
    }
    EXPECT_EQ(file, ReadWhole(kGoldenPath));
    EXPECT_EQ(SchemaCheck(path), path + " validates");
    EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
    // The SI unit of the measurement: degrees Celsius is ord 23 in UTF-8.
    EXPECT_NE(file.find("<EnumVal ord=\"23\">\xC2\xB0"
                        "C</EnumVal>"),
              std::string::npos);
}

TEST(WholeFile, SameModelSameBytesWhateverTheOrderItWasMadeIn) {
    IcdTestServer forward;
    BuildSmallModel(forward);
    IcdTestServer reversed;
    BuildSmallModel(reversed, true);
    TempFolder folder;
    const std::string first = ReadWhole(WriteExport(forward, folder, "a.icd", kSmallModelAnswers));
    ASSERT_EQ(forward.WriteIcdFile(folder.File("b.icd")), 0);
    EXPECT_EQ(ReadWhole(folder.File("b.icd")), first);
    EXPECT_EQ(ReadWhole(WriteExport(reversed, folder, "c.icd", kSmallModelAnswers)), first);

    IcdTestServer large;
    BuildLargeModel(large, {4, 60, "LD"});
    IcdTestServer largeReversed;
    LargeModelOptions options{4, 60, "LD"};
    options.reversed = true;
    BuildLargeModel(largeReversed, options);
    EXPECT_EQ(ReadWhole(WriteExport(large, folder, "d.icd")), ReadWhole(WriteExport(largeReversed, folder, "e.icd")));
}

TEST(WholeFile, SchemaAcceptsTheLargeModel) {
    IcdTestServer server;
    server.negotiatedServices = {2, 4, 5, 6, 7, 8, 9, 12, 14};
    BuildLargeModel(server);
    TempFolder folder;
    const std::string path = WriteExport(server, folder, "large.icd");
    EXPECT_EQ(SchemaCheck(path), path + " validates");
    EXPECT_EQ(ReferenceProblems(ReadWhole(path)), std::vector<std::string>{});
}

// Data the dictionary lacks is left out everywhere it would be named, and the file says
// where a data-set member went; the Services count what is left.
TEST(WholeFile, WhatTheTypesLackIsLeftOutEverywhere) {
    IcdTestServer server;
    BuildDictionaryGapsModel(server);
    const std::string file = ExportedFile(server);
    EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
    for (const char* comment :
         {"<!-- left out: LD0/ZZZZ1.Foo [ST]: no logical-node type -->",
          "<!-- left out: LD0/GGIO1.AnOut1.mxVal [MX]: no data object AnOut1 in the type -->",
          "<!-- left out: LD0/GGIO1.AnOut1 [MX]: no data object AnOut1 in the type -->",
          "<!-- left out: LD0/GGIO1.Ind1.vendorNote [DC]: no attribute vendorNote in the type -->",
          "<!-- left out: data set Unknown: none of its members is in the file -->"}) {
        EXPECT_EQ(CountOf(file, comment), 1u) << comment;
    }
    EXPECT_NE(file.find("<FCDA ldInst=\"0\" prefix=\"\" lnClass=\"GGIO\" lnInst=\"1\" doName=\"Ind1\" "
                        "daName=\"stVal\" fc=\"ST\"/>"),
              std::string::npos);
    EXPECT_EQ(file.find("AnOut1\""), std::string::npos);  // no DOI, no FCDA, no DO
    EXPECT_EQ(file.find("vendorNote\""), std::string::npos);
    EXPECT_NE(file.find("<DAI name=\"d\">"), std::string::npos);
    EXPECT_EQ(file.find("<DataSet name=\"Unknown\""), std::string::npos);
    EXPECT_NE(file.find("<ReportControl name=\"brcb\" datSet=\"Mixed\""), std::string::npos);
    EXPECT_NE(file.find("<GSEControl name=\"gocb01\" type=\"GOOSE\" appID=\"\" confRev="), std::string::npos);
    EXPECT_NE(file.find("<ConfDataSet max=\"1\" maxAttributes=\"2\"/>"), std::string::npos);
}

// The test device's models, read as a client would read them.
TEST(WholeFile, SchemaAcceptsTheTestDevicesModels) {
    for (const bool large : {false, true}) {
        SCOPED_TRACE(large ? "large" : "small");
        Mms::VMD device;
        TestDevice::ModelOptions options;
        options.large = large;
        const TestDevice::ModelSummary summary = TestDevice::BuildModel(device, options);
        IcdTestServer server;
        ImportDeviceModel(server, device);
        TempFolder folder;
        const std::string path = WriteExport(server, folder, "device.icd");
        EXPECT_EQ(SchemaCheck(path), path + " validates");
        const std::string file = ReadWhole(path);
        EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
        EXPECT_EQ(CountOf(file, "<ReportControl ") > 0, !summary.reports.empty());
    }
}

// Models whose plain rendering SCL would refuse, each given its nearest valid form.
TEST(WholeFile, SchemaAcceptsEveryModelADeviceCanGive) {
    struct Case {
        const char* what;
        std::function<void(IcdTestServer&)> build;
    };
    const std::vector<Case> cases = {
        {"the generator's model in one device, without logs, sampled values or optional services",
         [](IcdTestServer& s) {
             LargeModelOptions options{1, 40, "ONELD"};
             options.logs = options.sampledValues = false;
             BuildLargeModel(s, options);
         }},
        {"no optional service, no log or sampled values",
         [](IcdTestServer& s) {
             Lln0Parts parts;
             parts.buffered = parts.goose = 1;
             s.AddDevice("LD0", {Lln0(parts), Xcbr("XCBR1")});
         }},
        {"no logical device", [](IcdTestServer&) {}},
        {"a device without LLN0 only", [](IcdTestServer& s) { s.AddDevice("LD0", {Xcbr("XCBR1")}); }},
        {"a device without LLN0 beside one with",
         [](IcdTestServer& s) {
             s.AddDevice("LDA", {Lln0(), Xcbr("XCBR1")});
             s.AddDevice("LDB", {Xcbr("XCBR1")});
         }},
        {"a node without instance digits and one of an unknown class",
         [](IcdTestServer& s) {
             s.AddDevice("LD0", {Lln0(), Xcbr("XCBR"), Ggio("ZZZZ1")});
         }},
        {"device names without a common prefix",
         [](IcdTestServer& s) {
             s.AddDevice("ABC", {Lln0()});
             s.AddDevice("XYZ", {Lln0()});
             s.AddDevice("XYZ2", {Lln0()});
         }},
        {"a one-letter device", [](IcdTestServer& s) { s.AddDevice("A", {Lln0()}); }},
        {"blocks naming sets elsewhere, of an association, or none",
         [](IcdTestServer& s) {
             Lln0Parts parts;
             parts.buffered = parts.goose = parts.multicastSv = parts.logs = 1;
             s.AddDevice("LD0", {Lln0(parts), Ggio("GGIO1")});
             s.AddDataSet("LD0", "GGIO1", "Other", {"GGIO1$ST$Ind1"});
             s.SetValue("BR", "LD0/LLN0.brcb01.DatSet", "LD0/GGIO1$Other");
             s.SetValue("GO", "LD0/LLN0.gocb01.DatSet", "@Mine");
             s.SetValue("MS", "LD0/LLN0.msvcb01.SmpRate", "4000");
             s.BindAll();
         }},
        {"data sets with members SCL cannot name, or none",
         [](IcdTestServer& s) {
             Lln0Parts parts;
             parts.buffered = 1;
             s.AddDevice("LD0", {Lln0(parts)});
             s.AddDataSet("LD0", "LLN0", "Blocks", {"LLN0$BR$brcb01$RptID"});
             s.AddDataSet("LD0", "LLN0", "Empty", {});
         }},
        {"data objects, attributes and a logical-node class the dictionary lacks", BuildDictionaryGapsModel},
        {"types for the templates' edge cases",
         [](IcdTestServer& s) {
             s.AddDevice("LD0", {Lln0(), Lphd("LPHD1"), Mmtr("MMTR1"), Mhan("MHAN1"), Mhai("MHAI1"),
                                 Mmxu("MMXU1", true), Cswi("CSWI1")});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IcdTestServer server;
        c.build(server);
        TempFolder folder;
        const std::string path = WriteExport(server, folder, "case.icd");
        EXPECT_EQ(SchemaCheck(path), path + " validates");
        EXPECT_EQ(ReferenceProblems(ReadWhole(path)), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace IcdTestModel
