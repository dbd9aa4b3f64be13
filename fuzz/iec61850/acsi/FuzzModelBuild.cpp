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

#include "iec61850/acsi/AcsiTexts.h"
#include "iec61850/acsi/DataItem.h"
#include "iec61850/acsi/DataSet.h"
#include "iec61850/acsi/LogicalDevice.h"
#include "iec61850/acsi/LogicalNode.h"
#include "mms/Domain.h"
#include "mms/MmsPduData.h"
#include "mms/NamedVariable.h"
#include "protocol/Asn1Coder.h"

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
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t end = input.find('\0');
    const std::string_view names = input.substr(0, end);
    const std::string_view type = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);

    Mms::Domain domain(nullptr, "LD", nullptr);
    {
        LogicalDevice device(nullptr, &domain);
        std::size_t start = 0;
        while (start <= names.size()) {
            const std::size_t stop = std::min(names.find('\n', start), names.size());
            std::string name(names.substr(start, stop - start));
            if (!name.empty() && name.back() == '#') {
                name.pop_back();
                device.dataSetNames.push_back(name);
            } else if (!name.empty()) {
                device.directoryNames.push_back(name);
            }
            start = stop + 1;
        }
        device.directoryState = DirectoryComplete;
        device.BuildFromDirectory();
        device.BuildDataSetsFromDirectory();

        if (!device.GetLogicalNodes().empty() && !type.empty()) {
            LogicalNode& node = *device.GetLogicalNodes().begin()->second;
            void* raw = nullptr;
            const auto decoded = Asn1::Asn1Decode(nullptr, &Mms::MmsTypeSpecificationType, &raw,
                                                  reinterpret_cast<const std::uint8_t*>(type.data()), type.size());
            auto* spec = static_cast<Mms::MmsTypeSpecification*>(raw);
            auto* variable = dynamic_cast<Mms::NamedVariable*>(node.GetMmsObject());
            if (decoded.code == Asn1::Asn1DecodeDone && variable != nullptr) {
                variable->SetType(*spec);
                node.Build();
                node.Build();
            }
            Asn1::Asn1FreeValue(&Mms::MmsTypeSpecificationType, spec);
        }
        device.BuildFromDirectory();
        device.Bind();
        std::vector<ValueRecord> records;
        Walk(device, records);
        std::list<NamedObject*> found;
        device.CollectByClass(ObjectClassData, found);
        device.CollectByClass(21, found);
        device.IsKindOf(ModelClass::Any, 0);
        for (auto& [name, node] : device.GetLogicalNodes()) {
            node->IsTypeIncomplete();
            for (auto& [setName, dataSet] : node->GetDataSets()) dataSet->Build();
        }
    }
    return 0;
}
