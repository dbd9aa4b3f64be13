#include "support/icdmodel/LargeModel.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {

namespace {

std::string Hex4(int value) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", value & 0xFFFF);
    return digits;
}

void Require(bool done, const std::string& what) {
    if (!done) throw std::runtime_error("large model: " + what);
}

// The block's data set (in its own node, made by the first block that names it) and its
// attributes. True when the data set was made.
bool ConfigureBlock(IcdTestServer& server, const std::string& device, const std::string& node, const std::string& fc,
                    const std::string& block, const std::vector<std::string>& members, bool addressed, int number,
                    const std::string& dataSet) {
    const bool made = server.devices.at(device)->FindLogicalNode(node)->FindDataSet(dataSet) == nullptr;
    if (made) {
        Require(server.AddDataSet(device, node, dataSet, members) != nullptr, "data set " + device + "/" + dataSet);
    }
    const std::string reference = device + "/" + node + "." + block;
    Require(server.SetValue(fc, reference + ".DatSet", device + "/" + node + "$" + dataSet), reference + ".DatSet");
    // What SCL requires of a block, as a device gives it.
    if (fc == "BR" || fc == "RP") Require(server.SetValue(fc, reference + ".ConfRev", "1"), reference + ".ConfRev");
    if (fc == "MS" || fc == "US") Require(server.SetValue(fc, reference + ".SmpRate", "4000"), reference + ".SmpRate");
    if (!addressed) return made;
    Require(server.SetValue(fc, reference + ".DstAddress.Addr", "010CCD01" + Hex4(number)), reference + ".Addr");
    Require(server.SetValue(fc, reference + ".DstAddress.APPID", std::to_string(0x3000 + (number & 0xFFF))),
            reference + ".APPID");
    Require(server.SetValue(fc, reference + ".DstAddress.PRIORITY", "4"), reference + ".PRIORITY");
    Require(server.SetValue(fc, reference + ".DstAddress.VID", std::to_string(number % 4095)), reference + ".VID");
    return made;
}

}  // namespace

LargeModelSummary BuildLargeModel(IcdTestServer& server, const LargeModelOptions& options) {
    LargeModelSummary summary;
    const int devices = std::max(1, options.logicalDevices);
    for (int step = 0; step < devices; ++step) {
        const int d = options.reversed ? devices - 1 - step : step;
        const std::string device = Numbered(options.devicePrefix, d);
        // Nodes of this device: an even share, LLN0 included.
        const int nodes = std::max(1, options.logicalNodes / devices + (d < options.logicalNodes % devices ? 1 : 0));
        Lln0Parts lln0;
        lln0.buffered = 2;
        lln0.unbuffered = lln0.goose = lln0.gsse = 1;
        lln0.logs = options.logs ? 1 : 0;
        lln0.multicastSv = lln0.unicastSv = options.sampledValues ? 1 : 0;
        std::vector<NodeShape> shapes{Lln0(lln0)};
        std::vector<std::string> ggios;
        for (int n = 1; n < nodes; ++n) {
            switch (n % 4) {
                case 1: shapes.push_back(Xcbr("XCBR" + std::to_string(n), n % 8 == 1)); break;
                case 2: shapes.push_back(Mmxu("MMXU" + std::to_string(n))); break;
                case 3: shapes.push_back(Mhai("MHAI" + std::to_string(n))); break;
                default:
                    ggios.push_back("GGIO" + std::to_string(n));
                    shapes.push_back(Ggio(ggios.back(), 1, 1, 0));
                    break;
            }
        }
        if (options.reversed) {
            std::reverse(shapes.begin(), shapes.end());
            std::reverse(ggios.begin(), ggios.end());
        }
        server.AddDevice(device, shapes);
        summary.logicalNodes += static_cast<int>(shapes.size());

        const std::vector<std::string> lln0Members{"LLN0$ST$Mod$stVal", "LLN0$ST$Beh$stVal", "LLN0$ST$Health"};
        struct LlnBlock {
            const char* fc;
            const char* name;
            bool addressed;
            int* count;
            // The two instances of the buffered block share their data set, so they agree.
            const char* dataSet;
        };
        std::vector<LlnBlock> blocks = {{"BR", "brcb01", false, &summary.reportControlBlocks, "DS_brcb"},
                                        {"BR", "brcb02", false, &summary.reportControlBlocks, "DS_brcb"},
                                        {"RP", "urcb01", false, &summary.reportControlBlocks, "DS_urcb01"},
                                        {"LG", "lcb01", false, &summary.logControlBlocks, "DS_lcb01"},
                                        {"GO", "gocb01", true, &summary.gooseControlBlocks, "DS_gocb01"},
                                        {"GS", "gscb01", true, &summary.gsseControlBlocks, "DS_gscb01"},
                                        {"MS", "msvcb01", true, &summary.sampledValueControlBlocks, "DS_msvcb01"},
                                        {"US", "usvcb01", true, &summary.sampledValueControlBlocks, "DS_usvcb01"}};
        std::erase_if(blocks, [&options](const LlnBlock& block) {
            const std::string fc = block.fc;
            return (!options.logs && fc == "LG") || (!options.sampledValues && (fc == "MS" || fc == "US"));
        });
        // Each block's address number stays with the block whatever the order of making.
        std::vector<int> numbers(blocks.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) numbers[i] = d * 100 + static_cast<int>(i) + 1;
        if (options.reversed) {
            std::reverse(blocks.begin(), blocks.end());
            std::reverse(numbers.begin(), numbers.end());
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const LlnBlock& block = blocks[i];
            ++*block.count;
            if (ConfigureBlock(server, device, "LLN0", block.fc, block.name, lln0Members, block.addressed, numbers[i],
                               block.dataSet)) {
                ++summary.dataSets;
                summary.dataSetMembers += static_cast<int>(lln0Members.size());
            }
        }
        summary.reportControlNames += 2;  // brcb, urcb
        Require(server.SetValue("DC", device + "/LLN0.NamPlt.configRev", "R" + std::to_string(d + 1)), "configRev");
        for (const std::string& ggio : ggios) {
            const std::vector<std::string> members{ggio + "$ST$Ind1$stVal", ggio + "$ST$Ind2"};
            ConfigureBlock(server, device, ggio, "BR", "brcb01", members, false, 0, "DS_brcb01");
            ConfigureBlock(server, device, ggio, "RP", "urcb01", members, false, 0, "DS_urcb01");
            summary.reportControlBlocks += 2;
            summary.reportControlNames += 2;
            summary.dataSets += 2;
            summary.dataSetMembers += 2 * static_cast<int>(members.size());
        }
    }
    server.BindAll();
    return summary;
}

}  // namespace IcdTestModel
