// The program's answers: defaults, the reading order, and the answers refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iec61850/icd/ICDClasses.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

using Answers = Iec61850::Acsi::Scl::IcdExporter::Answers;

// The fields as one comparable list: DynDataSet, Log, Report, SMV, GSE, ConfLNs.
std::vector<int> Fields(const Answers& a) {
    return {a.dynMax,        a.dynMaxAttributes, a.logCbName,    a.logDatSet,    a.logLogEna,   a.logTrgOps,
            a.logIntgPd,     a.reportCbName,     a.reportIndex,  a.reportDatSet, a.reportRptId, a.reportOptFields,
            a.reportBufTime, a.reportTrgOps,     a.reportIntgPd, a.smvCbName,    a.smvDatSet,   a.smvSvId,
            a.smvOptFields,  a.smvSmpRate,       a.gseCbName,    a.gseDatSet,    a.gseAppId,    a.gseDataLabel,
            a.fixPrefix,     a.fixLnInst};
}

const std::vector<int> kDefaults = {0, 0, 2, 2, 1, 2, 2, 2, 0, 2, 0, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 1, 1};

class ExportAnswers : public ::testing::Test {
protected:
    ExportAnswers() {
        server.AddDevice("LD0", {Lln0()});
        std::string list;
        server.BuildIcdSettingsXml(list);
    }
    std::vector<int> Read(const std::string& text) {
        EXPECT_EQ(server.ReadIcdAnswers(text), 0) << server.IcdFailure();
        return Fields(server.Exporter().GetAnswers());
    }
    // kDefaults with some fields changed, by index into Fields.
    static std::vector<int> DefaultsWith(const std::vector<std::pair<int, int>>& changes) {
        std::vector<int> fields = kDefaults;
        for (const auto& [at, value] : changes) fields[at] = value;
        return fields;
    }

    IcdTestServer server;
};

TEST_F(ExportAnswers, ItemsAreReadInTableOrderAndMissingOnesKeepTheirDefaults) {
    EXPECT_EQ(Read("<Answers/>"), kDefaults);
    EXPECT_EQ(Read("<Answers></Answers>"), kDefaults);

    // Every section, in another order than offered, with every item.
    const std::string all = AnswersText({
        {"ConfLNs", {{"fixPrefix", 0}, {"fixLnInst", 5}}},
        {"SMVSettings", {{"cbName", 0}, {"datSet", 1}, {"svID", 2}, {"optFields", 1}, {"smpRate", 0}}},
        {"LogSettings", {{"cbName", 0}, {"datSet", 1}, {"logEna", 2}, {"trgOps", 0}, {"intgPd", 1}}},
        {"ReportSettings",
         {{"cbName", 1},
          {"index", -3},
          {"datSet", 0},
          {"rptID", 2},
          {"optFields", 1},
          {"bufTime", 0},
          {"trgOps", 1},
          {"intgPd", 0}}},
        {"DynDataSet", {{"max", 10}, {"maxAttributes", 200}}},
    });
    EXPECT_EQ(Read(all),
              (std::vector<int>{10, 200, 0, 1, 2, 0, 1, 1, 1, 0, 2, 1, 0, 1, 0, 0, 1, 2, 1, 0, 2, 2, 2, 2, 0, 1}));

    // Each reading starts from the defaults again.
    EXPECT_EQ(Read(AnswersText(
                  {{"SMVSettings", {{"cbName", 0}, {"datSet", 1}, {"svID", 2}, {"optFields", 1}, {"smpRate", 0}}}})),
              DefaultsWith({{15, 0}, {16, 1}, {17, 2}, {18, 1}, {19, 0}}));
    EXPECT_EQ(Read(AnswersText({{"ConfLNs", {{"fixPrefix", 0}, {"fixLnInst", 0}}}})), DefaultsWith({{24, 0}, {25, 0}}));

    // An item before the one last read is not found: it and those after it keep defaults.
    EXPECT_EQ(Read(AnswersText(
                  {{"LogSettings", {{"cbName", 0}, {"datSet", 1}, {"trgOps", 0}, {"logEna", 2}, {"intgPd", 0}}}})),
              DefaultsWith({{2, 0}, {3, 1}, {4, 2}}));
    // A missing first item: the others are then sought among the sections.
    EXPECT_EQ(Read(AnswersText({{"DynDataSet", {{"maxAttributes", 7}}}})), kDefaults);
    // Items outside their section are not taken.
    EXPECT_EQ(Read("<Answers><max Value=\"4\"/><ConfLNs/><fixPrefix Value=\"0\"/></Answers>"), kDefaults);
}

TEST_F(ExportAnswers, RefusedAnswersChangeNothingAndSayWhy) {
    const std::string accepted = AnswersText(
        {{"DynDataSet", {{"max", 3}, {"maxAttributes", 4}}}, {"ConfLNs", {{"fixPrefix", 0}, {"fixLnInst", 1}}}});
    const std::vector<int> acceptedFields = Read(accepted);
    ASSERT_EQ(server.Exporter().GetState(), 2);
    struct Case {
        std::string text;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"", "empty"},
        {"<Answers><DynDataSet>", "not well-formed"},
        {"Value=1", "not well-formed"},
        {AnswersText({{"DynDataSet", {{"max", -1}}}}), "DynDataSet/max"},
        {AnswersText({{"DynDataSet", {{"max", 0}, {"maxAttributes", -5}}}}), "DynDataSet/maxAttributes"},
        {AnswersText({{"ReportSettings", {{"cbName", 3}}}}), "ReportSettings/cbName"},
        {AnswersText({{"LogSettings", {{"cbName", 0}, {"datSet", -1}}}}), "LogSettings/datSet"},
        {AnswersText({{"SMVSettings", {{"cbName", 2}, {"datSet", 2}, {"svID", 2}, {"optFields", 2}, {"smpRate", 9}}}}),
         "SMVSettings/smpRate"},
        {"<Answers><DynDataSet><max value=\"3\"/></DynDataSet></Answers>", "DynDataSet/max has no Value"},
        {"<Answers><DynDataSet><max Value=\"\"/></DynDataSet></Answers>", "DynDataSet/max"},
        {"<Answers><DynDataSet><max Value=\"12abc\"/></DynDataSet></Answers>", "not a whole decimal"},
        {"<Answers><DynDataSet><max Value=\" 12\"/></DynDataSet></Answers>", "not a whole decimal"},
        {"<Answers><DynDataSet><max Value=\"99999999999\"/></DynDataSet></Answers>", "not a whole decimal"},
        {"<Answers><ConfLNs><fixPrefix Value=\"yes\"/></ConfLNs></Answers>", "ConfLNs/fixPrefix"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(server.ReadIcdAnswers(c.text), -1);
        EXPECT_NE(server.IcdFailure().find(c.reason), std::string::npos) << server.IcdFailure();
        EXPECT_EQ(Fields(server.Exporter().GetAnswers()), acceptedFields);
        EXPECT_EQ(server.Exporter().GetState(), 2);
    }

    // Refused before any answer was accepted: the state stays at "offered".
    IcdTestServer fresh;
    std::string list;
    fresh.BuildIcdSettingsXml(list);
    EXPECT_EQ(fresh.ReadIcdAnswers("garbage"), -1);
    EXPECT_EQ(fresh.Exporter().GetState(), 1);
    EXPECT_EQ(Fields(fresh.Exporter().GetAnswers()), kDefaults);
}

}  // namespace
}  // namespace IcdTestModel
