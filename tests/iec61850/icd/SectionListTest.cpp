// The facts the first step gathers and the section list it offers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iec61850/icd/ICDClasses.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

const std::string kConfLns =
    "<ConfLNs Caption=\"LNs configuration\" Type=\"Set\"><fixPrefix Caption=\"Fixed prefix\" Type=\"Bool\"/>"
    "<fixLnInst Caption=\"Fixed instance\" Type=\"Bool\"/></ConfLNs>";

std::string Offer(IcdTestServer& server) {
    std::string list;
    EXPECT_EQ(server.BuildIcdSettingsXml(list), 0);
    return list;
}

TEST(SectionList, ModelWithoutControlBlocksOffersOnlyTheLnConfiguration) {
    IcdTestServer server;
    server.AddDevice("LD0", {Lln0(), Xcbr("XCBR1")});
    server.negotiatedServices = {ServiceDefineNamedVariableList, ServiceReadJournal, ServiceInitializeJournal};
    std::string text = "before:";
    ASSERT_EQ(server.BuildIcdSettingsXml(text), 0);
    EXPECT_EQ(text, "before:<Question>" + kConfLns + "</Question>");
    EXPECT_FALSE(server.Exporter().HasTimerActivatedControl());
    EXPECT_EQ(server.Exporter().GetCounts().dataSets, 0u);
}

TEST(SectionList, EachSectionAppearsOnItsOwnCondition) {
    const std::string dyn =
        "<DynDataSet Caption=\"Dynamic datasets\" Type=\"Set\"><max Caption=\"Maximum count\" Type=\"Number\"/>"
        "<maxAttributes Caption=\"Maximum attributes\" Type=\"Number\"/></DynDataSet>";
    const std::string enumValues = " Type=\"Enum\" Values=\"Dynamic/Configurable/Fixed\"/>";
    const std::string log = "<LogSettings Caption=\"Log settings\" Type=\"Set\"><cbName Caption=\"Name\"" + enumValues +
                            "<datSet Caption=\"Dataset\"" + enumValues + "<logEna Caption=\"Enable\"" + enumValues +
                            "<trgOps Caption=\"Triggering options\"" + enumValues +
                            "<intgPd Caption=\"Integrity period\"" + enumValues + "</LogSettings>";
    const std::string report =
        "<ReportSettings Caption=\"Report settings\" Type=\"Set\"><cbName Caption=\"Name\"" + enumValues +
        "<index Caption=\"Indexing\" Type=\"Enum\" Values=\"No/yes\"/><datSet Caption=\"Dataset\"" + enumValues +
        "<rptID Caption=\"Report ID\"" + enumValues + "<optFields Caption=\"Option fields\"" + enumValues +
        "<bufTime Caption=\"Buffering time\"" + enumValues + "<trgOps Caption=\"Triggering options\"" + enumValues +
        "<intgPd Caption=\"Integrity period\"" + enumValues + "</ReportSettings>";
    const std::string smv = "<SMVSettings Caption=\"Sampled values settings\" Type=\"Set\"><cbName Caption=\"Name\"" +
                            enumValues + "<datSet Caption=\"Dataset\"" + enumValues +
                            "<svID Caption=\"Sampled value ID\"" + enumValues + "<optFields Caption=\"Option fields\"" +
                            enumValues + "<smpRate Caption=\"Sampling rate\"" + enumValues + "</SMVSettings>";
    struct Case {
        const char* what;
        std::set<std::int32_t> services;
        Lln0Parts lln0;
        int ggioLogs;
        std::string expected;
    };
    const std::set<std::int32_t> journal{ServiceReadJournal, ServiceInitializeJournal};
    const std::set<std::int32_t> lists{ServiceDefineNamedVariableList, ServiceDeleteNamedVariableList};
    Lln0Parts buffered, unbuffered, logs, multicast, unicast;
    buffered.buffered = unbuffered.unbuffered = logs.logs = multicast.multicastSv = unicast.unicastSv = 1;
    const std::vector<Case> cases = {
        {"both list services", lists, {}, 0, dyn + kConfLns},
        {"define only", {ServiceDefineNamedVariableList}, {}, 0, kConfLns},
        {"delete only", {ServiceDeleteNamedVariableList}, {}, 0, kConfLns},
        {"journal and a log block", journal, logs, 0, log + kConfLns},
        {"journal and a log block elsewhere", journal, {}, 1, log + kConfLns},
        {"a log block without journal", {ServiceReadJournal}, logs, 0, kConfLns},
        {"journal without log blocks", journal, {}, 0, kConfLns},
        {"a buffered report block", {}, buffered, 0, report + kConfLns},
        {"an unbuffered report block", {}, unbuffered, 0, report + kConfLns},
        {"a multicast SV block", {}, multicast, 0, smv + kConfLns},
        {"a unicast SV block", {}, unicast, 0, smv + kConfLns},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IcdTestServer server;
        server.AddDevice("LD0", {Lln0(c.lln0), Ggio("GGIO1", 0, 0, c.ggioLogs)});
        server.negotiatedServices = c.services;
        EXPECT_EQ(Offer(server), "<Question>" + c.expected + "</Question>");
    }
    // Without a connection nothing was negotiated.
    IcdTestServer server;
    server.AddDevice("LD0", {Lln0(logs)});
    server.negotiatedServices = {ServiceDefineNamedVariableList, ServiceDeleteNamedVariableList, ServiceReadJournal,
                                 ServiceInitializeJournal};
    server.connected = false;
    EXPECT_EQ(Offer(server), "<Question>" + kConfLns + "</Question>");
}

TEST(SectionList, IedNameAndLdInstFollowTheDeviceNames) {
    struct Case {
        std::vector<std::string> devices;
        std::string iedName;
        std::vector<std::string> insts;
    };
    const std::vector<Case> cases = {
        {{"ProtRelay"}, "Prot", {"Relay"}},
        {{"LD0"}, "LD", {"0"}},
        {{"E1Q1SB1C1"}, "E1Q1", {"SB1C1"}},
        {{"E1Q1SB1C1", "E1Q1SB1P1"}, "E1Q1SB1", {"C1", "P1"}},
        {{"RelayRelay"}, "Rela", {"yRelay"}},
        // Where the rule leaves no name or no inst, the schema's need wins: the first
        // device's name, and whole device names as insts.
        {{"A"}, "A", {"A"}},
        {{"Relay"}, "Relay", {"Relay"}},
        {{"ABC", "XYZ"}, "ABC", {"ABC", "XYZ"}},
        {{"ABC", "XYZ", "XYZ2"}, "XYZ2", {"ABC", "XYZ", "XYZ2"}},
        {{"LD", "LD0"}, "LD", {"LD", "LD0"}},
        {{}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iedName);
        IcdTestServer server;
        for (const std::string& device : c.devices) server.AddDevice(device, {Lln0()});
        Offer(server);
        EXPECT_EQ(server.Exporter().GetIedName(), c.iedName);
        std::vector<std::string> insts;
        for (const std::string& device : c.devices)
            insts.push_back(server.Exporter().LdInstOf(*server.devices.at(device)));
        EXPECT_EQ(insts, c.insts);
    }
}

TEST(SectionList, AddressingComesFromTheProfile) {
    IcdTestServer server;
    server.AddDevice("LD0", {Lln0()});
    Offer(server);
    const auto& remote = server.Exporter().GetRemoteAddressing();
    EXPECT_EQ(remote.apId, "1,1,1,999,1");
    EXPECT_EQ(remote.aeQualifier, 12);
    EXPECT_EQ(remote.pSelector, 1);
    EXPECT_EQ(remote.networkAddress, "127.0.0.1");

    server.profile["RemoteAeQualifier"] = "  -7x";
    server.profile["RemotePSelector"] = "abc";
    server.profile["RemoteSSelector"] = "99999999999999999999";
    server.profile["RemoteTSelector"] = "";
    server.profile["RemoteNAddress"] = "10.0.0.5";
    Offer(server);
    EXPECT_EQ(remote.aeQualifier, -7);
    EXPECT_EQ(remote.pSelector, std::nullopt);
    EXPECT_EQ(remote.sSelector, std::nullopt);
    EXPECT_EQ(remote.tSelector, std::nullopt);
    EXPECT_EQ(remote.networkAddress, "10.0.0.5");
    std::string value = "old";
    server.Exporter().GetProfileParameter("NoSuchParameter", value);
    EXPECT_EQ(value, "");
}

TEST(SectionList, CountsRevisionTimedControlAndBlockAddresses) {
    IcdTestServer server;
    Lln0Parts parts;
    parts.buffered = 2;
    parts.unbuffered = 1;
    parts.logs = 1;
    parts.goose = 2;
    parts.gsse = 1;
    parts.multicastSv = 1;
    parts.unicastSv = 1;
    parts.addressForm = AddressForm::Text;
    server.AddDevice("E1Q1SB1C1", {Lln0(parts), Xcbr("XCBR1"), Xcbr("XCBR2", true), Ggio("GGIO1", 1, 1, 1)});
    server.AddDataSet("E1Q1SB1C1", "LLN0", "DS1", {"LLN0$ST$Mod$stVal", "LLN0$ST$Beh"});
    server.AddDataSet("E1Q1SB1C1", "GGIO1", "DS2", {"GGIO1$ST$Ind1$stVal", "GGIO1$ST$Ind2", "GGIO1$ST$Beh"});
    ASSERT_TRUE(server.SetValue("DC", "E1Q1SB1C1/LLN0.NamPlt.configRev", "Rev 7"));
    const std::string go = "E1Q1SB1C1/LLN0.gocb01.DstAddress.";
    ASSERT_TRUE(server.SetValue("GO", go + "Addr", "010CCD010001"));
    ASSERT_TRUE(server.SetValue("GO", go + "APPID", "12288"));
    ASSERT_TRUE(server.SetValue("GO", go + "PRIORITY", "4"));
    ASSERT_TRUE(server.SetValue("GO", go + "VID", "5"));
    server.AddDevice("E1Q1SB1P1", {Lln0()});
    Offer(server);

    const auto& exporter = server.Exporter();
    const auto& counts = exporter.GetCounts();
    EXPECT_EQ(counts.reportControlBlocks, 5u);
    EXPECT_EQ(counts.logControlBlocks, 2u);
    EXPECT_EQ(counts.gooseControlBlocks, 2u);
    EXPECT_EQ(counts.gsseControlBlocks, 1u);
    EXPECT_EQ(counts.sampledValueControlBlocks, 2u);
    EXPECT_EQ(counts.dataSets, 2u);
    EXPECT_EQ(counts.largestDataSet, 3u);
    EXPECT_EQ(exporter.GetConfigRevision(), "Rev 7");
    EXPECT_TRUE(exporter.HasTimerActivatedControl());

    using Address = Iec61850::Acsi::Scl::ControlBlockAddress;
    const std::map<std::string, Address> goose = {
        {"C1gocb01", {"C1", "gocb01", "01-0C-CD-01-00-01", "3000", "4", "005"}},
        {"C1gocb02", {"C1", "gocb02", "", "", "", ""}}};  // nothing the device never gave
    EXPECT_EQ(exporter.GetGooseAddresses(), goose);
    EXPECT_EQ(exporter.GetGsseAddresses().size(), 1u);
    EXPECT_TRUE(exporter.GetGsseAddresses().contains("C1gscb01"));
    std::vector<std::string> svKeys;
    for (const auto& [key, address] : exporter.GetSampledValueAddresses()) svKeys.push_back(key);
    EXPECT_EQ(svKeys, (std::vector<std::string>{"C1Mmsvcb01", "C1Uusvcb01"}));

    // Changed names leave no stale entries behind.
    server.devices.erase("E1Q1SB1P1");
    Offer(server);
    EXPECT_EQ(exporter.GetIedName(), "E1Q1");
    EXPECT_EQ(exporter.GetGooseAddresses().size(), 2u);
    EXPECT_TRUE(exporter.GetGooseAddresses().contains("SB1C1gocb01"));
}

TEST(SectionList, MacAddressIsPairedOnlyWhenItIsTwelveHexDigits) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"010CCD010001", "01-0C-CD-01-00-01"}, {"010ccd0100ff", "01-0c-cd-01-00-ff"}, {"", ""}, {"01234", "01234"},
        {"010CCD0100011", "010CCD0100011"},    {"010CCD01000G", "010CCD01000G"}};
    for (const auto& [addr, expected] : cases) {
        SCOPED_TRACE(addr);
        IcdTestServer server;
        Lln0Parts parts;
        parts.goose = 1;
        parts.addressForm = AddressForm::Text;
        server.AddDevice("LD0", {Lln0(parts)});
        ASSERT_TRUE(server.SetValue("GO", "LD0/LLN0.gocb01.DstAddress.Addr", addr));
        Offer(server);
        ASSERT_EQ(server.Exporter().GetGooseAddresses().size(), 1u);
        EXPECT_EQ(server.Exporter().GetGooseAddresses().begin()->second.macAddress, expected);
    }
}

}  // namespace
}  // namespace IcdTestModel
