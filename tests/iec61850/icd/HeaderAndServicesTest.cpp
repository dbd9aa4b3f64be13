// The head of the file: the communication section and the IED's services.

#include <gtest/gtest.h>

#include "iec61850/icd/ExportSteps.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

// The Services element without layout.
std::string Services(const std::string& file) {
    const std::size_t start = file.find("<Services>");
    const std::size_t end = file.find("</Services>");
    if (start == std::string::npos || end == std::string::npos) return {};
    std::string services;
    for (std::size_t at = start; at < end; ++at) {
        if (file[at] == '\n') {
            while (at + 1 < end && file[at + 1] == ' ') ++at;
        } else {
            services += file[at];
        }
    }
    return services;
}

TEST(HeaderAndServices, HeadIsWrittenAsTheFileBegins) {
    IcdTestServer server;
    server.AddDevice("E1Q1SB1C1", {Lln0()});
    server.AddDevice("E1Q1SB1P1", {Lln0()});
    server.profile["RemoteNAddress"] = "10.0.0.5";
    const std::string file = ExportedFile(server);
    const std::string head =
        "\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://www.iec.ch/61850/2003/SCL SCL.xsd\">\n"
        " <Header id=\"Ostravin SCL\" nameStructure=\"IEDName\"/>\n"
        " <Communication>\n"
        "  <SubNetwork name=\"NONE\">\n"
        "   <ConnectedAP iedName=\"E1Q1SB1\" apName=\"P1\">\n"
        "    <Address>\n"
        "     <P type=\"OSI-AP-Title\">1,1,1,999,1</P>\n"
        "     <P type=\"OSI-AE-Qualifier\">12</P>\n"
        "     <P type=\"OSI-PSEL\">1</P>\n"
        "     <P type=\"OSI-SSEL\">1</P>\n"
        "     <P type=\"OSI-TSEL\">1</P>\n"
        "     <P type=\"IP\">10.0.0.5</P>\n"
        "    </Address>\n"
        "   </ConnectedAP>\n"
        "  </SubNetwork>\n"
        " </Communication>\n"
        " <IED name=\"E1Q1SB1\" type=\"Test IED\" manufacturer=\"Test Vendor\" configVersion=\"\">\n"
        "  <Services>\n";
    EXPECT_NE(file.find(head), std::string::npos) << file.substr(0, 1200);
    EXPECT_NE(file.find("  <AccessPoint name=\"P1\">\n   <Server>\n    <Authentication none=\"true\"/>\n    <LDevice"),
              std::string::npos);

    // A selector that is no number has no address parameter.
    server.profile["RemotePSelector"] = "x";
    server.profile["RemoteNAddress"] = "";
    const std::string other = ExportedFile(server);
    EXPECT_EQ(other.find("OSI-PSEL"), std::string::npos);
    EXPECT_EQ(other.find("type=\"IP\""), std::string::npos);
    EXPECT_NE(other.find("<P type=\"OSI-SSEL\">1</P>"), std::string::npos);
}

TEST(HeaderAndServices, EachServiceAppearsOnItsOwnCondition) {
    struct Case {
        const char* what;
        std::set<std::int32_t> services;
        Lln0Parts lln0;
        bool timed;
        std::string answers;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    Lln0Parts reports, goose, gsse, logs, sv;
    reports.buffered = 2;
    goose.goose = 2;
    gsse.gsse = 1;
    logs.logs = 3;
    sv.multicastSv = 1;
    const std::vector<Case> cases = {
        {"nothing negotiated",
         {},
         {},
         false,
         "<Answers/>",
         {"<DynAssociation/>", "<ConfLNs fixPrefix=\"true\" fixLnInst=\"true\"/>"},
         {"GetDirectory", "GetDataObjectDefinition", "ReadWrite", "DataSetDirectory", "GetCBValues", "DynDataSet",
          "ConfDataSet", "FileHandling", "LogSettings", "ReportSettings", "TimerActivatedControl", "SMVSettings",
          "GSEDir", "GSESettings", "GOOSE", "GSSE"}},
        {"directory, definitions, read and write, list attributes",
         {2, 4, 5, 6, 8},
         {},
         false,
         "<Answers/>",
         {"<GetDirectory/>", "<GetDataObjectDefinition/>", "<DataObjectDirectory/>", "<GetDataSetValue/>",
          "<SetDataSetValue/>", "<ReadWrite/>", "<DataSetDirectory/>"},
         {"FileHandling"}},
        {"read without write", {4}, {}, false, "<Answers/>", {}, {"ReadWrite", "GetDataSetValue"}},
        {"file services", {11, 16, 17, 18, 19, 20}, {}, false, "<Answers/>", {"<FileHandling/>"}, {}},
        {"file services but one", {11, 16, 17, 18, 19}, {}, false, "<Answers/>", {}, {"FileHandling"}},
        {"dynamic data sets with their answers",
         {7, 9},
         {},
         false,
         "<Answers><DynDataSet><max Value=\"5\"/><maxAttributes Value=\"60\"/></DynDataSet></Answers>",
         {"<DynDataSet max=\"5\" maxAttributes=\"60\"/>"},
         {}},
        {"only report blocks",
         {},
         reports,
         false,
         "<Answers><ReportSettings><cbName Value=\"2\"/><index Value=\"0\"/><datSet Value=\"1\"/>"
         "<rptID Value=\"0\"/></ReportSettings><ConfLNs><fixPrefix Value=\"0\"/><fixLnInst Value=\"0\"/>"
         "</ConfLNs></Answers>",
         {"<ReportSettings cbName=\"Fix\" datSet=\"Conf\" rptID=\"Dyn\" optFields=\"Fix\" bufTime=\"Fix\" "
          "trgOps=\"Fix\" intgPd=\"Fix\"/>",
          "<ConfReportControl max=\"2\"/>", "<ConfLNs fixPrefix=\"true\" fixLnInst=\"true\"/>"},
         {"GetCBValues", "GSEDir"}},
        {"GOOSE without GSSE",
         {},
         goose,
         false,
         "<Answers/>",
         {"<GetCBValues/>", "<GSEDir/>", "<GSESettings cbName=\"Fix\" datSet=\"Fix\" appID=\"Fix\"/>",
          "<GOOSE max=\"2\"/>"},
         {"GSSE", "dataLabel"}},
        {"GSSE",
         {},
         gsse,
         false,
         "<Answers/>",
         {"<GSESettings cbName=\"Fix\" datSet=\"Fix\" appID=\"Fix\" dataLabel=\"Fix\"/>", "<GSSE max=\"1\"/>"},
         {"<GOOSE"}},
        {"logs without journal services", {}, logs, false, "<Answers/>", {"<GetCBValues/>"}, {"LogSettings"}},
        {"logs with journal services",
         {12, 14},
         logs,
         false,
         "<Answers><LogSettings><cbName Value=\"0\"/><datSet Value=\"1\"/></LogSettings></Answers>",
         {"<LogSettings cbName=\"Dyn\" datSet=\"Conf\" logEna=\"Conf\" trgOps=\"Fix\" intgPd=\"Fix\"/>"
          "<ConfLogControl max=\"3\"/>"},
         {}},
        {"timed control", {}, {}, true, "<Answers/>", {"<TimerActivatedControl/>"}, {}},
        {"sampled values with a rate",
         {},
         sv,
         false,
         "<Answers><SMVSettings><cbName Value=\"0\"/><datSet Value=\"1\"/><svID Value=\"2\"/></SMVSettings></Answers>",
         {"<SMVSettings cbName=\"Dyn\" datSet=\"Conf\" svID=\"Fix\" optFields=\"Fix\" smpRate=\"Fix\">"
          "<SmpRate>80</SmpRate><SmpRate>4000</SmpRate></SMVSettings>"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IcdTestServer server;
        Lln0Parts parts = c.lln0;
        if (parts.multicastSv != 0) parts.unicastSv = 2;
        server.AddDevice("LD0", {Lln0(parts), Xcbr("XCBR1", c.timed)});
        // Report blocks with what SCL needs of them; equal instances, so one element.
        for (int block = 1; block <= parts.buffered; ++block) {
            ASSERT_TRUE(server.SetValue("BR", "LD0/LLN0." + Numbered("brcb", block) + ".ConfRev", "1"));
        }
        server.BindAll();
        if (parts.multicastSv != 0) {
            ASSERT_TRUE(server.SetValue("MS", "LD0/LLN0.msvcb01.SmpRate", "4000"));
            ASSERT_TRUE(server.SetValue("US", "LD0/LLN0.usvcb01.SmpRate", "80"));
            ASSERT_TRUE(server.SetValue("US", "LD0/LLN0.usvcb02.SmpRate", "4000"));
        }
        server.negotiatedServices = c.services;
        // The Services count what the file holds: the whole file is written.
        const std::string services = Services(ExportedFile(server, c.answers));
        for (const std::string& piece : c.present) EXPECT_NE(services.find(piece), std::string::npos) << piece;
        for (const std::string& piece : c.absent) EXPECT_EQ(services.find(piece), std::string::npos) << piece;
    }
}

TEST(HeaderAndServices, BlockAddressesInKeyOrderAndOnlyWhatTheDeviceGave) {
    IcdTestServer server;
    Lln0Parts parts;
    parts.goose = 2;
    parts.gsse = 1;
    parts.multicastSv = 1;
    parts.unicastSv = 1;
    server.AddDevice("LD0", {Lln0(parts)});
    ASSERT_TRUE(server.SetValue("GO", "LD0/LLN0.gocb02.DstAddress.Addr", "010CCD010002"));
    ASSERT_TRUE(server.SetValue("GO", "LD0/LLN0.gocb02.DstAddress.APPID", "3"));
    // SCL reads APPID and VLAN-ID as hexadecimal digits; a VID beyond twelve bits it cannot read.
    ASSERT_TRUE(server.SetValue("GO", "LD0/LLN0.gocb02.DstAddress.VID", "4095"));
    ASSERT_TRUE(server.SetValue("GS", "LD0/LLN0.gscb01.DstAddress.APPID", "65535"));
    ASSERT_TRUE(server.SetValue("GS", "LD0/LLN0.gscb01.DstAddress.VID", "4096"));
    ASSERT_TRUE(server.SetValue("MS", "LD0/LLN0.msvcb01.SmpRate", "4000"));
    ASSERT_TRUE(server.SetValue("US", "LD0/LLN0.usvcb01.SmpRate", "80"));
    ExportedFile(server);  // the head addresses the blocks the file holds
    const std::string head = Written([&](auto& writer) { server.Exporter().WriteHeaderAndServices(writer); });
    // Nothing of what the device never gave: gocb01's zeroed address, the priorities.
    const std::string expected =
        "<GSE ldInst=\"0\" cbName=\"gocb01\"/>"
        "<GSE ldInst=\"0\" cbName=\"gocb02\"><Address><P type=\"MAC-Address\">01-0C-CD-01-00-02</P>"
        "<P type=\"APPID\">0003</P><P type=\"VLAN-ID\">FFF</P></Address></GSE>"
        "<GSE ldInst=\"0\" cbName=\"gscb01\"><Address><P type=\"APPID\">FFFF</P></Address></GSE>";
    EXPECT_NE(head.find(expected), std::string::npos) << head;
    EXPECT_NE(head.find("<SMV ldInst=\"0\" cbName=\"msvcb01\""), std::string::npos);
    EXPECT_LT(head.find("cbName=\"msvcb01\""), head.find("cbName=\"usvcb01\""));

    // A block without a destination address, and a record without any text: no Address.
    const std::string bare = Written([&](auto& writer) {
        writer.StartElement("GSE");
        server.Exporter().WriteCommAddress(writer, {"0", "gocb09", "", "", "", ""});
        writer.EndElement();
    });
    EXPECT_EQ(bare, "<GSE ldInst=\"0\" cbName=\"gocb09\"/>");
}

}  // namespace
}  // namespace IcdTestModel
