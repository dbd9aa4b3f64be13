// Logical devices and nodes in the file: their shapes, data sets and configuration values.

#include <gtest/gtest.h>

#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/icd/ExportSteps.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

namespace T = Iec61850::Acsi::DeviceTypes;
using Iec61850::Acsi::Scl::SplitNodeName;
using T::Add;

// A node of the class with a status object the dictionary knows and one it does not.
NodeShape WithVendorData(const std::string& name) {
    return {name, [] {
                Members st;
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(st, "VendorX", T::Status(T::Int(8)));
                Members fcs;
                Add(fcs, "ST", T::Struct(std::move(st)));
                return T::Struct(std::move(fcs));
            }};
}

TEST(LogicalNodeNames, SplitIntoPrefixClassAndInstance) {
    const std::vector<std::array<std::string, 4>> cases = {{"LLN0", "", "LLN0", ""},       {"XCBR1", "", "XCBR", "1"},
                                                           {"Q0XCBR1", "Q0", "XCBR", "1"}, {"MMXU12", "", "MMXU", "12"},
                                                           {"ABC1", "", "ABC", "1"},       {"123", "", "", "123"},
                                                           {"XCBR", "", "XCBR", ""},       {"", "", "", ""}};
    for (const auto& [name, prefix, lnClass, inst] : cases) {
        std::string p, c, i;
        SplitNodeName(name, p, c, i);
        EXPECT_EQ((std::array<std::string, 3>{p, c, i}), (std::array<std::string, 3>{prefix, lnClass, inst})) << name;
    }
}

TEST(DataSets, MembersAsSclNamesThem) {
    IcdTestServer server;
    server.AddDevice("LD0", {Lln0(), Mmxu("MMXU1"), Xcbr("Q0XCBR1"), WithVendorData("GGIO1")});
    server.AddDataSet(
        "LD0", "MMXU1", "Measures",
        {"MMXU1$MX$TotW$mag", "Q0XCBR1$ST$Pos$stVal", "LLN0$ST$Beh", "GGIO1$ST$VendorX$stVal", "GGIO1$ST$VendorX"});
    server.AddDataSet("LD0", "LLN0", "OnlyBlocks", {"LLN0$ST$Mod$q"});
    ExportedFile(server);  // members are named in the document's types
    auto& exporter = server.Exporter();
    auto& device = *server.devices.at("LD0");
    const std::string measures =
        Written([&](auto& w) { exporter.WriteDataSet(w, *device.FindLogicalNode("MMXU1")->FindDataSet("Measures")); });
    // Data the types leave out is left out of the set, and the file says so in its place.
    EXPECT_EQ(
        measures,
        "<DataSet name=\"Measures\">"
        "<FCDA ldInst=\"0\" prefix=\"\" lnClass=\"MMXU\" lnInst=\"1\" doName=\"TotW\" daName=\"mag\" fc=\"MX\"/>"
        "<FCDA ldInst=\"0\" prefix=\"Q0\" lnClass=\"XCBR\" lnInst=\"1\" doName=\"Pos\" daName=\"stVal\" fc=\"ST\"/>"
        "<FCDA ldInst=\"0\" prefix=\"\" lnClass=\"LLN0\" doName=\"Beh\" fc=\"ST\"/>"
        "<!-- left out: LD0/GGIO1.VendorX.stVal [ST]: no data object VendorX in the type -->"
        "<!-- left out: LD0/GGIO1.VendorX [ST]: no data object VendorX in the type -->"
        "</DataSet>");
}

TEST(DataSets, SetsSclCannotNameAreLeftOut) {
    IcdTestServer server;
    Lln0Parts parts;
    parts.buffered = 1;
    server.AddDevice("LD0", {Lln0(parts)});
    // Only a member under a constraint SCL's FCDA does not take.
    server.AddDataSet("LD0", "LLN0", "Blocks", {"LLN0$BR$brcb01$RptID", "LLN0$BR$brcb01$ConfRev"});
    server.AddDataSet("LD0", "LLN0", "Mixed", {"LLN0$BR$brcb01$RptID", "LLN0$ST$Mod$stVal"});
    const std::string file = ExportedFile(server);
    EXPECT_EQ(file.find("<DataSet name=\"Blocks\""), std::string::npos);
    EXPECT_NE(file.find("<!-- left out: data set Blocks: none of its members is in the file -->"), std::string::npos);
    EXPECT_NE(file.find("<DataSet name=\"Mixed\">\n"
                        "       <!-- left out: LD0/LLN0.brcb01.RptID [BR]: SCL names no data-set member of that "
                        "constraint -->\n"
                        "       <FCDA ldInst=\"0\" prefix=\"\" lnClass=\"LLN0\" doName=\"Mod\" "
                        "daName=\"stVal\" fc=\"ST\"/>\n      </DataSet>"),
              std::string::npos)
        << file;
}

TEST(LogicalNodes, ShapesOfDevicesAndNodes) {
    IcdTestServer server;
    server.AddDevice("IED1LD0", {Lln0(), Xcbr("XCBR1"), Xcbr("Q0XCBR2"), WithVendorData("ZZZZ1")});
    server.AddDevice("IED1XX", {Xcbr("XCBR1")});  // no LLN0
    const std::string file = ExportedFile(server);
    EXPECT_NE(file.find("<LDevice inst=\"LD0\">\n     <LN0 lnType=\"LLN0_0\" lnClass=\"LLN0\" inst=\"\""),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("<LN lnType=\"XCBR_"), std::string::npos);
    EXPECT_NE(file.find("\" lnClass=\"XCBR\" prefix=\"\" inst=\"1\""), std::string::npos);
    EXPECT_NE(file.find("\" lnClass=\"XCBR\" prefix=\"Q0\" inst=\"2\""), std::string::npos);
    // No type for a class the dictionary does not know, no LN0 for a device without LLN0:
    // SCL has no form for either.
    EXPECT_EQ(file.find("ZZZZ"), std::string::npos);
    EXPECT_EQ(file.find("inst=\"XX\""), std::string::npos);
    EXPECT_EQ(CountOf(file, "<LDevice "), 1u);
    // LN0 content before its GSE controls; LNs in name order.
    EXPECT_LT(file.find("lnClass=\"XCBR\" prefix=\"Q0\""), file.find("lnClass=\"XCBR\" prefix=\"\""));
}

TEST(LogicalNodes, ConfigurationAndDescriptionValuesAsInstances) {
    IcdTestServer server;
    server.AddDevice("LD0", {Lln0(), Xcbr("XCBR1"), Xcbr("XCBR2")});
    ASSERT_TRUE(server.SetValue("DC", "LD0/LLN0.NamPlt.d", "abc"));
    ASSERT_TRUE(server.SetValue("DC", "LD0/LLN0.NamPlt.vendor", "V"));
    ASSERT_TRUE(server.SetValue("CF", "LD0/XCBR1.Pos.ctlModel", "4"));
    ASSERT_TRUE(server.SetValue("DC", "LD0/XCBR1.Pos.d", "Breaker <Q0>"));
    ASSERT_TRUE(server.SetValue("CF", "LD0/XCBR2.Pos.ctlModel", "9"));  // no literal has it
    ExportedFile(server);
    auto& exporter = server.Exporter();
    const auto* device = exporter.GetTreeRoot()->FindChild("LD0");
    // Values the device never gave (Mod.ctlModel, swRev, configRev) have none in the file.
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteConfigurationValues(w, *device->FindChild("LLN0")); }),
              "<DOI name=\"NamPlt\"><DAI name=\"vendor\"><Val>V</Val></DAI><DAI name=\"d\"><Val>abc</Val></DAI></DOI>");
    // A data object merged from several constraints gives only its CF and DC members, an
    // enumerated one by its literal.
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteConfigurationValues(w, *device->FindChild("XCBR1")); }),
              "<DOI name=\"Pos\"><DAI name=\"ctlModel\"><Val>sbo-with-enhanced-security</Val></DAI>"
              "<DAI name=\"d\"><Val>Breaker &lt;Q0&gt;</Val></DAI></DOI>");
    EXPECT_EQ(Written([&](auto& w) { exporter.WriteConfigurationValues(w, *device->FindChild("XCBR2")); }), "");
}

}  // namespace
}  // namespace IcdTestModel
