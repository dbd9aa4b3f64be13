#pragma once

// The small model of the golden file: one logical device with LLN0 (two data sets, two
// instances of a buffered report block, an unbuffered one, GOOSE, GSSE, both kinds of
// sampled-value block, a log block and its log), two circuit breakers, a switch
// controller, a measurement unit and a generic I/O node. `reversed` creates the devices,
// nodes, data sets and block values in the opposite order; the file must not change.

#include <algorithm>
#include <string>
#include <vector>

#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {

inline const char* kSmallModelAnswers =
    "<Answers><DynDataSet><max Value=\"5\"/><maxAttributes Value=\"50\"/></DynDataSet>"
    "<ReportSettings><cbName Value=\"2\"/><index Value=\"0\"/><datSet Value=\"1\"/><rptID Value=\"0\"/>"
    "<optFields Value=\"1\"/><bufTime Value=\"1\"/><trgOps Value=\"2\"/><intgPd Value=\"1\"/></ReportSettings>"
    "<LogSettings><cbName Value=\"2\"/><datSet Value=\"2\"/><logEna Value=\"1\"/><trgOps Value=\"2\"/>"
    "<intgPd Value=\"2\"/></LogSettings>"
    "<SMVSettings><cbName Value=\"2\"/><datSet Value=\"2\"/><svID Value=\"0\"/><optFields Value=\"2\"/>"
    "<smpRate Value=\"2\"/></SMVSettings>"
    "<ConfLNs><fixPrefix Value=\"1\"/><fixLnInst Value=\"1\"/></ConfLNs></Answers>";

template <typename T>
std::vector<T> InOrder(std::vector<T> items, bool reversed) {
    if (reversed) std::reverse(items.begin(), items.end());
    return items;
}

inline void BuildSmallModel(IcdTestServer& server, bool reversed = false) {
    server.SetIdentity({"Test Vendor", "Small IED", "1.00", {}});
    server.negotiatedServices = {2, 4, 5, 6, 7, 8, 9, 12, 14};
    Lln0Parts parts;
    parts.buffered = 2;
    parts.unbuffered = parts.logs = parts.goose = parts.gsse = parts.multicastSv = parts.unicastSv = 1;
    const std::string ld = "IED1LD0";
    server.AddDevice(ld, InOrder<NodeShape>({Lln0(parts), Xcbr("XCBR1"), Xcbr("XCBR2", true), Cswi("CSWI1"),
                                             Mmxu("MMXU1", true), Ggio("GGIO1")},
                                            reversed));
    using DataSetSpec = std::pair<std::string, std::vector<std::string>>;
    for (const auto& [name, members] :
         InOrder<DataSetSpec>({{"Events", {"LLN0$ST$Mod$stVal", "XCBR1$ST$Pos$stVal", "XCBR2$ST$Pos", "GGIO1$ST$Ind1"}},
                               {"Measures", {"MMXU1$MX$TotW$mag$f", "MMXU1$MX$A$phsA$cVal$mag$f", "LLN0$ST$Beh"}}},
                              reversed)) {
        server.AddDataSet(ld, "LLN0", name, members);
    }
    using Value = std::array<std::string, 3>;
    const std::string at = ld + "/LLN0.";
    std::vector<Value> values = {
        {"DC", at + "NamPlt.vendor", "Test Vendor"},
        {"DC", at + "NamPlt.swRev", "1.0"},
        {"DC", at + "NamPlt.d", "Small model"},
        {"DC", at + "NamPlt.configRev", "R1"},
        {"CF", at + "Mod.ctlModel", "1"},
        {"CF", ld + "/XCBR1.Pos.ctlModel", "2"},
        {"CF", ld + "/XCBR2.Pos.ctlModel", "4"},
        {"DC", ld + "/XCBR1.Pos.d", "Breaker 1"},
        {"CF", ld + "/CSWI1.Pos.ctlModel", "1"},
        {"CF", ld + "/MMXU1.TotW.units.SIUnit", "38"},
        {"CF", ld + "/MMXU1.TotW.units.multiplier", "3"},
        {"CF", ld + "/MMXU1.A.angRef", "0"},
        {"GO", at + "gocb01.GoID", "SMALL_GOOSE"},
        {"GO", at + "gocb01.DatSet", ld + "/LLN0$Events"},
        {"GO", at + "gocb01.ConfRev", "2"},
        {"GO", at + "gocb01.DstAddress.Addr", "010CCD010001"},
        {"GO", at + "gocb01.DstAddress.APPID", "4097"},
        {"GO", at + "gocb01.DstAddress.PRIORITY", "4"},
        {"GO", at + "gocb01.DstAddress.VID", "0"},
        {"GS", at + "gscb01.DatSet", ld + "/LLN0$Events"},
        {"GS", at + "gscb01.DstAddress.Addr", "010CCD020001"},
        {"MS", at + "msvcb01.DatSet", ld + "/LLN0$Measures"},
        {"MS", at + "msvcb01.MsvID", "SMALL_SV"},
        {"MS", at + "msvcb01.SmpRate", "4000"},
        {"MS", at + "msvcb01.DstAddress.Addr", "010CCD040001"},
        {"MS", at + "msvcb01.DstAddress.APPID", "16385"},
        {"US", at + "usvcb01.DatSet", ld + "/LLN0$Measures"},
        {"US", at + "usvcb01.UsvID", "SMALL_USV"},
        {"US", at + "usvcb01.SmpRate", "80"},
        {"LG", at + "lcb01.DatSet", ld + "/LLN0$Events"},
        {"LG", at + "lcb01.LogEna", "True"},
        {"LG", at + "lcb01.TrgOps", "011000"},
        {"LG", at + "lcb01.IntgPd", "60000"},
        {"LG", at + "lcb01.LogRef", ld + "/LLN0$Log1"},
    };
    for (const char* block : {"brcb01", "brcb02", "urcb01"}) {
        const std::string fc = block[0] == 'b' ? "BR" : "RP";
        const std::string path = at + block;
        values.push_back({fc, path + ".DatSet", ld + "/LLN0$" + (block[0] == 'b' ? "Events" : "Measures")});
        values.push_back({fc, path + ".RptID", ld + "/LLN0$" + fc + "$" + block});
        values.push_back({fc, path + ".IntgPd", "1000"});
        values.push_back({fc, path + ".ConfRev", "1"});
        values.push_back({fc, path + ".BufTm", "100"});
        values.push_back({fc, path + ".TrgOps", "011011"});
        values.push_back({fc, path + ".OptFlds", "0111100010"});
    }
    for (const Value& value : InOrder(values, reversed)) {
        EXPECT_TRUE(server.SetValue(value[0], value[1], value[2])) << value[1];
    }
    auto& lln0 = static_cast<Iec61850::Acsi::LLN0&>(*server.devices.at(ld)->FindLogicalNode("LLN0"));
    lln0.AddLog("Log1");
    server.BindAll();
}

}  // namespace IcdTestModel
