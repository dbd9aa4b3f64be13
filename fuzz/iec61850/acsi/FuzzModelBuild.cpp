// Builds a device model from what a device sends: flat name lists (directory and data-set
// names) and a node's type description, then binds and walks it. Whatever the device
// says, nothing may crash, leak, loop or reach outside a buffer.
//
// Input: names separated by '\n' up to a 0 octet (a name with "$" ending in a data-set
// mark '#' counts as a data-set name), then the BER type description of the first node.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "../DeviceInputModel.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/user/Domain.h"
#include "mms/user/ModelHold.h"

namespace {

using namespace Iec61850::Acsi;

void Walk(NamedObject& object, std::vector<ValueRecord>& records) {
    if (auto* item = dynamic_cast<DataItem*>(&object)) {
        item->CollectValues(records);
        return;
    }
    for (NamedObject* child : object.GetChildren()) Walk(*child, records);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    Mms::Domain domain(nullptr, "LD", nullptr);
    {
        LogicalDevice device(nullptr, &domain);
        // Building the node twice must add nothing.
        FuzzSupport::BuildDeviceFromInput(device, std::string_view(reinterpret_cast<const char*>(bytes), size), 2);
        device.BuildFromDirectory();
        device.Bind(Mms::ModelHold(nullptr));  // no VMD, no other thread: nothing to hold
        std::vector<ValueRecord> records;
        Walk(device, records);
        std::list<NamedObject*> found;
        device.CollectByClass(ObjectClassData, found);
        device.CollectByClass(21, found);
        device.IsKindOf(ModelClass::Any, AnyObjectState);
        for (auto& [name, node] : device.GetLogicalNodes()) {
            node->IsTypeIncomplete();
            for (auto& [setName, dataSet] : node->GetDataSets()) dataSet->Build();
        }
    }
    return 0;
}
