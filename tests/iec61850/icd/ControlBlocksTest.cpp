// Report, log, GSE and sampled-value control blocks in the file.

#include <gtest/gtest.h>

#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/icd/ExportSteps.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

namespace T = Iec61850::Acsi::DeviceTypes;
using Iec61850::Acsi::LLN0;
using T::Add;

// LLN0 with the report blocks named, a data set "Events", an LCB and SV blocks with their
// identifiers, and a log control block naming another device's log.
NodeShape BlocksNode(std::vector<std::string> buffered, std::vector<std::string> unbuffered) {
    return {"LLN0", [buffered, unbuffered] {
                Members st, br, rp, lg, go, gs, ms, us;
                Add(st, "Mod", T::Status(T::Int(8)));
                Add(st, "Beh", T::Status(T::Int(8)));
                for (const auto& name : buffered) Add(br, name, T::Brcb());
                for (const auto& name : unbuffered) Add(rp, name, T::Urcb(name == "rp01"));
                Add(lg, "lcb01", T::Lcb());
                Add(go, "gocb01", GoCb());
                Add(gs, "gscb01", GsCb());
                Add(ms, "msvcb01", MsvCb());
                Add(us, "usvcb01", UsvCb());
                Add(us, "usvcb02", UsvCb(false));
                Members fcs;
                for (auto& [fc, members] : std::initializer_list<std::pair<const char*, Members*>>{{"ST", &st},
                                                                                                   {"BR", &br},
                                                                                                   {"RP", &rp},
                                                                                                   {"LG", &lg},
                                                                                                   {"GO", &go},
                                                                                                   {"GS", &gs},
                                                                                                   {"MS", &ms},
                                                                                                   {"US", &us}}) {
                    if (!members->empty()) Add(fcs, fc, T::Struct(std::move(*members)));
                }
                return T::Struct(std::move(fcs));
            }};
}

class ControlBlocks : public ::testing::Test {
protected:
    void Build(std::vector<std::string> buffered, std::vector<std::string> unbuffered) {
        server.AddDevice("LD0", {BlocksNode(buffered, unbuffered)});
        server.AddDevice("LOGS", {Lln0()});
        server.AddDataSet("LD0", "LLN0", "Events", {"LLN0$ST$Mod$stVal", "LLN0$ST$Beh"});
        for (const auto& name : buffered) Configure("BR", name);
        for (const auto& name : unbuffered) Configure("RP", name);
        for (const char* block : {"GO/gocb01", "MS/msvcb01", "US/usvcb01", "LG/lcb01"}) {
            Set(std::string(block, 2), std::string(block + 3) + ".DatSet", "LD0/LLN0$Events");
        }
        server.BindAll();
    }
    void Configure(const std::string& fc, const std::string& block) {
        Set(fc, block + ".DatSet", "LD0/LLN0$Events");
        Set(fc, block + ".IntgPd", "1000");
        Set(fc, block + ".RptID", "LD0/LLN0$BR$brcbA01");
        Set(fc, block + ".ConfRev", "1");
        Set(fc, block + (fc == "RP" && block == "rp01" ? ".BufTim" : ".BufTm"), "100");
        Set(fc, block + (fc == "RP" && block == "rp01" ? ".TrgOp" : ".TrgOps"), "011011");
        Set(fc, block + ".OptFlds", "0111100010");
    }
    void Set(const std::string& fc, const std::string& path, const std::string& value) {
        ASSERT_TRUE(server.SetValue(fc, "LD0/LLN0." + path, value)) << path;
    }
    LLN0& Lln0Node() { return static_cast<LLN0&>(*server.devices.at("LD0")->FindLogicalNode("LLN0")); }
    std::string Reports(const std::string& answers = "<Answers/>") {
        ExportedFile(server, answers);  // a block names a data set the file holds
        return Written([&](auto& writer) { server.Exporter().WriteLnContent(writer, Lln0Node(), nullptr); });
    }

    IcdTestServer server;
};

const std::string kWorkedExample =
    "<ReportControl name=\"brcbA\" datSet=\"Events\" intgPd=\"1000\" rptID=\"LD0/LLN0$BR$brcbA01\" confRev=\"1\" "
    "buffered=\"true\" bufTime=\"100\"><TrgOps dchg=\"true\" qchg=\"true\" period=\"true\"/>"
    "<OptFields seqNum=\"true\" timeStamp=\"true\" reasonCode=\"true\" dataSet=\"true\" configRef=\"true\"/>"
    "</ReportControl>";

TEST_F(ControlBlocks, ReportControlAsTheWorkedExampleHasIt) {
    Build({"brcbA01"}, {"rp01", "u1"});
    const std::string content = Reports();
    EXPECT_NE(content.find(kWorkedExample), std::string::npos) << content;
    // The unbuffered one differs only in its name and buffered="false"; a short name stays.
    EXPECT_NE(content.find("<ReportControl name=\"rp\" datSet=\"Events\" intgPd=\"1000\" rptID=\"LD0/LLN0$BR$brcbA01\" "
                           "confRev=\"1\" buffered=\"false\" bufTime=\"100\"><TrgOps dchg=\"true\" qchg=\"true\" "
                           "period=\"true\"/>"),
              std::string::npos);
    EXPECT_NE(content.find("<ReportControl name=\"u1\""), std::string::npos);
    EXPECT_EQ(content.find("indexed"), std::string::npos);

    // Index yes keeps the names whole; SCL has no "indexed" attribute to say so.
    const std::string indexed = Reports(
        "<Answers><ReportSettings><cbName Value=\"2\"/><index Value=\"1\"/>"
        "</ReportSettings></Answers>");
    EXPECT_NE(indexed.find("<ReportControl name=\"brcbA01\" datSet=\"Events\""), std::string::npos);
    EXPECT_NE(indexed.find("<ReportControl name=\"rp01\""), std::string::npos);
    EXPECT_EQ(indexed.find("indexed"), std::string::npos);
}

TEST_F(ControlBlocks, InstancesOfOneBlockBecomeOneReportControl) {
    Build({"brcbA01", "brcbA02", "brcbA03", "brcbB01"}, {"urcbA01", "urcbA02"});
    const std::string content = Reports();
    EXPECT_EQ(CountOf(content, "<ReportControl "), 3u);
    EXPECT_NE(content.find("configRef=\"true\"/><RptEnabled max=\"3\"/></ReportControl>"), std::string::npos);
    EXPECT_NE(content.find("<ReportControl name=\"brcbB\""), std::string::npos);
    EXPECT_NE(content.find("<ReportControl name=\"urcbA\""), std::string::npos);
    EXPECT_EQ(CountOf(content, "<RptEnabled max=\"2\"/>"), 1u);
    // Instances that differ in anything the element says are elements of their own, each
    // under its own name; the equal ones stay merged.
    Set("RP", "urcbA02.RptID", "LD0/LLN0$RP$urcbA02");
    const std::string apart = Reports();
    EXPECT_EQ(CountOf(apart, "<ReportControl "), 4u);
    EXPECT_NE(apart.find("<ReportControl name=\"urcbA01\" datSet=\"Events\" intgPd=\"1000\" "
                         "rptID=\"LD0/LLN0$BR$brcbA01\""),
              std::string::npos)
        << apart;
    EXPECT_NE(apart.find("<ReportControl name=\"urcbA02\" datSet=\"Events\" intgPd=\"1000\" "
                         "rptID=\"LD0/LLN0$RP$urcbA02\""),
              std::string::npos);
    EXPECT_EQ(CountOf(apart, "<RptEnabled max=\"3\"/>"), 1u);
    EXPECT_EQ(CountOf(apart, "<RptEnabled max=\"2\"/>"), 0u);
    const std::string indexed = Reports(
        "<Answers><ReportSettings><cbName Value=\"2\"/><index Value=\"1\"/>"
        "</ReportSettings></Answers>");
    EXPECT_EQ(CountOf(indexed, "<ReportControl "), 6u);
    EXPECT_EQ(indexed.find("RptEnabled"), std::string::npos);
}

TEST_F(ControlBlocks, BitTextsOfOtherLengthsAndUnreadValues) {
    Build({"brcbA01"}, {});
    Set("BR", "brcbA01.TrgOps", "111111");
    Set("BR", "brcbA01.OptFlds", "1111111111");
    Set("BR", "brcbA01.RptID", "");
    EXPECT_NE(Reports().find("<ReportControl name=\"brcbA\" datSet=\"Events\" intgPd=\"1000\" confRev=\"1\" "
                             "buffered=\"true\" bufTime=\"100\"><TrgOps dchg=\"true\" qchg=\"true\" dupd=\"true\" "
                             "period=\"true\"/><OptFields seqNum=\"true\" timeStamp=\"true\" reasonCode=\"true\" "
                             "dataSet=\"true\" dataRef=\"true\" entryID=\"true\" configRef=\"true\"/></ReportControl>"),
              std::string::npos);
}

TEST_F(ControlBlocks, GseLogAndSampledValueControls) {
    Build({}, {});
    Set("GO", "gocb01.GoID", "Goose & co");
    Set("GO", "gocb01.ConfRev", "3");
    Set("MS", "msvcb01.MsvID", "sv<1>");
    Set("MS", "msvcb01.SmpRate", "4000");
    Set("US", "usvcb01.UsvID", "sv2");
    Set("LG", "lcb01.LogEna", "True");
    Set("LG", "lcb01.TrgOps", "011000");
    Set("LG", "lcb01.IntgPd", "500");
    Set("LG", "lcb01.LogRef", "LOGS/LLN0$Log1");
    ExportedFile(server);
    auto& exporter = server.Exporter();
    LLN0& lln0 = Lln0Node();
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteGooseControl(w, *lln0.GetGoCBs().at("gocb01")); }),
              "<GSEControl name=\"gocb01\" type=\"GOOSE\" appID=\"Goose &amp; co\" datSet=\"Events\" confRev=\"3\"/>");
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteGsseControl(w, *lln0.GetGsCBs().at("gscb01")); }),
              "<GSEControl name=\"gscb01\" type=\"GSSE\" appID=\"\"/>");
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteLogControl(w, *lln0.GetLCBs().at("lcb01")); }),
              "<LogControl name=\"lcb01\" datSet=\"Events\" intgPd=\"500\" logName=\"OGS\" logEna=\"true\">"
              "<TrgOps dchg=\"true\" qchg=\"true\"/></LogControl>");
    const std::string smvOpts = "<SmvOpts refreshTime=\"false\" sampleSynchronized=\"true\" sampleRate=\"true\"/>";
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteSampledValueControl(w, *lln0.GetMSVCBs().at("msvcb01"), true); }),
              "<SampledValueControl name=\"msvcb01\" datSet=\"Events\" smvID=\"sv&lt;1&gt;\" multicast=\"true\" "
              "smpRate=\"4000\" nofASDU=\"1\">" +
                  smvOpts + "</SampledValueControl>");
    // Without a sample rate SCL has no form for it.
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteSampledValueControl(w, *lln0.GetUSVCBs().at("usvcb02"), false); }),
              "");
    Set("US", "usvcb01.SmpRate", "80");
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteSampledValueControl(w, *lln0.GetUSVCBs().at("usvcb01"), false); }),
              "<SampledValueControl name=\"usvcb01\" datSet=\"Events\" smvID=\"sv2\" multicast=\"false\" "
              "smpRate=\"80\" nofASDU=\"1\">" +
                  smvOpts + "</SampledValueControl>");

    // A log reference to a device the model does not have: the block's own device.
    Set("LG", "lcb01.LogRef", "ELSEWHERE/LLN0$Log1");
    EXPECT_NE(
        Written([&](auto& w) { exporter.WriteLogControl(w, *lln0.GetLCBs().at("lcb01")); }).find("logName=\"D0\""),
        std::string::npos);
}

// Blocks whose devices lack components, or name sets SCL cannot point at.
TEST(ControlBlocksIncomplete, MissingComponentsAreLeftOutAndNeverRead) {
    IcdTestServer server;
    server.AddDevice("LD0", {{"LLN0",
                              [] {
                                  Members rcb, go, lcb, st, br, gofc, lg;
                                  Add(st, "Mod", T::Status(T::Int(8)));
                                  Add(rcb, "RptID", T::VisString(65));
                                  Add(rcb, "RptEna", T::Boolean());
                                  Add(rcb, "DatSet", T::VisString(129));  // no ConfRev and nothing after
                                  Add(br, "brcb01", T::Struct(std::move(rcb)));
                                  Add(go, "GoEna", T::Boolean());
                                  Add(go, "DatSet", T::VisString(129));  // no GoID, no ConfRev
                                  Add(gofc, "gocb01", T::Struct(std::move(go)));
                                  Add(lcb, "LogEna", T::Boolean());
                                  Add(lcb, "DatSet", T::VisString(129));  // no LogRef, no TrgOps
                                  Add(lg, "lcb01", T::Struct(std::move(lcb)));
                                  Members fcs;
                                  Add(fcs, "ST", T::Struct(std::move(st)));
                                  Add(fcs, "BR", T::Struct(std::move(br)));
                                  Add(fcs, "LG", T::Struct(std::move(lg)));
                                  Add(fcs, "GO", T::Struct(std::move(gofc)));
                                  return T::Struct(std::move(fcs));
                              }},
                             Ggio("GGIO1")});
    server.AddDataSet("LD0", "GGIO1", "Other", {"GGIO1$ST$Ind1"});
    ASSERT_TRUE(server.SetValue("GO", "LD0/LLN0.gocb01.DatSet", "LD0/GGIO1$Other"));
    server.BindAll();
    const std::string file = ExportedFile(server);
    EXPECT_EQ(file.find("<ReportControl"), std::string::npos);
    EXPECT_NE(file.find("<GSEControl name=\"gocb01\" type=\"GOOSE\" appID=\"\"/>"), std::string::npos);
    // Binding stopped at the missing TrgOps, so LogEna was never bound either.
    EXPECT_NE(file.find("<LogControl name=\"lcb01\" logName=\"0\">\n       <TrgOps/>"), std::string::npos) << file;
}

}  // namespace
}  // namespace IcdTestModel
