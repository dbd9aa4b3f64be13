#include "device/HugeFcNode.h"

#include <cstdio>
#include <string>
#include <vector>

#include "mms/user/Domain.h"
#include "mms/user/VMD.h"

namespace TestDevice {

namespace {

std::string ParameterName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "Par%05d", number);
    return name;
}

}  // namespace

DataNode HugeFcNodeType(int components) {
    std::vector<DataNode> settings;
    const int dataObjects = components / 2;
    settings.reserve(static_cast<std::size_t>(dataObjects));
    for (int number = 1; number <= dataObjects; ++number) {
        settings.push_back(Node(ParameterName(number), {Leaf("ctlModel", Mms::MmsTypeInteger, 8, "0")}));
    }
    const DataNode mode = Node("Mod", {Leaf("stVal", Mms::MmsTypeInteger, 8, "1")});
    return Node("GGIO99", {Node("ST", {mode}), Node("CF", std::move(settings))});
}

void AddHugeFcNode(Mms::VMD& vmd, int components, ModelSummary& summary) {
    Mms::Domain* domain = nullptr;
    if (vmd.FindDomain("LD0", domain) != System::OkNoError && vmd.FindDomain("LD01", domain) != System::OkNoError) {
        return;
    }
    const DataNode node = HugeFcNodeType(components);
    summary.leaves += CountLeaves(node);
    ++summary.logicalNodes;
    // Its data objects carry no time stamp: the start time stamps nothing.
    AddToDomain(*domain, node, System::UtcTime{});
}

}  // namespace TestDevice
