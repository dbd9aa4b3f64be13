#include "device/HarmonicsNode.h"

#include "mms/user/Domain.h"
#include "mms/user/IndexedItem.h"
#include "mms/values/Container.h"

namespace TestDevice {

namespace {

const std::string HarmonicsArray = "MHAI1$MX$HA$phsAHar";

DataNode Analogue(std::string name) { return Node(std::move(name), {Leaf("f", Mms::MmsTypeFloatingPoint, 32)}); }

DataNode ComplexMeasurement() {
    return Node("", {Node("cVal", {Analogue("mag"), Analogue("ang")}), Leaf("q", Mms::MmsTypeBitString, 13),
                     Leaf("t", Mms::MmsTypeUtcTime)});
}

// The elements are filed with the array, as a whole: their leaves start at the type's zero
// value unless set here ("(i)$q", "(i)$cVal$mag$f").
void SetElementLeaf(Mms::Domain& domain, int index, const std::string& leaf, const std::string& text) {
    const std::string item = HarmonicsArray + "(" + std::to_string(index) + ")$" + leaf;
    if (Mms::Container* part = Mms::FindIndexedValue(domain, item)) part->FromText(text);
}

}  // namespace

void AddHarmonicsNode(Mms::Domain& domain, ModelSummary& summary) {
    const DataNode harmonics = Node("HA", {ArrayOf("phsAHar", HarmonicCount, ComplexMeasurement()),
                                           Leaf("numHar", Mms::MmsTypeUnsigned, 16, "15")});
    const DataNode node = Node("MHAI1", {Node("MX", {harmonics})});
    summary.leaves += CountLeaves(node);
    ++summary.logicalNodes;
    // The time stamps are inside the array, which is filed as a whole: nothing to stamp.
    AddToDomain(domain, node, System::UtcTime{});
    for (int i = 0; i < HarmonicCount; ++i) {
        SetElementLeaf(domain, i, "cVal$mag$f", std::to_string(100 - 5 * i));
        SetElementLeaf(domain, i, "cVal$ang$f", std::to_string(10 * i));
        SetElementLeaf(domain, i, "q", "0000000000000");
    }
}

const std::vector<std::string>& HarmonicsDataSetMembers() {
    static const std::vector<std::string> members{HarmonicsArray + "(7)", HarmonicsArray + "(8)",
                                                  HarmonicsArray + "(9)$cVal", HarmonicsArray + "(10)$cVal$mag",
                                                  HarmonicsArray + "(11)$cVal$mag$f"};
    return members;
}

}  // namespace TestDevice
