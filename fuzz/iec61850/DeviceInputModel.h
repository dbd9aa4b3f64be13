#pragma once

// The model fuzz targets' input, as a device would send it: names separated by '\n' up to
// a 0 octet (a trailing '#' marks a data-set name), then the BER type description of the
// first node.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "mms/pdu/MmsPduData.h"
#include "mms/user/NamedVariable.h"
#include "protocol/Asn1Coder.h"

namespace FuzzSupport {

// Builds the device from the input's names, then types its first node with the input's
// type description and builds that node typeBuilds times.
inline void BuildDeviceFromInput(Iec61850::Acsi::LogicalDevice& device, std::string_view input, int typeBuilds) {
    const std::size_t end = input.find('\0');
    const std::string_view names = input.substr(0, end);
    const std::string_view type = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);

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
    device.directoryState = Iec61850::Acsi::DirectoryState::Complete;
    device.BuildFromDirectory();
    device.BuildDataSetsFromDirectory();

    if (device.GetLogicalNodes().empty() || type.empty()) return;
    Iec61850::Acsi::LogicalNode& node = *device.GetLogicalNodes().begin()->second;
    void* raw = nullptr;
    const auto decoded = Asn1::Asn1Decode(nullptr, &Mms::MmsTypeSpecificationType, &raw,
                                          reinterpret_cast<const std::uint8_t*>(type.data()), type.size());
    auto* spec = static_cast<Mms::MmsTypeSpecification*>(raw);
    auto* variable = dynamic_cast<Mms::NamedVariable*>(node.GetBoundMmsObject());
    if (decoded.code == Asn1::Asn1DecodeDone && variable != nullptr) {
        variable->SetType(*spec);
        for (int build = 0; build < typeBuilds; ++build) node.Build();
    }
    Asn1::Asn1FreeValue(&Mms::MmsTypeSpecificationType, spec);
}

}  // namespace FuzzSupport
