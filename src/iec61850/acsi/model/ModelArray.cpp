#include "iec61850/acsi/model/ModelArray.h"

#include <string>

#include "system/NumberText.h"

namespace Iec61850::Acsi {

System::ResultCode ModelArray::AppendElement(std::unique_ptr<Mms::Container> element) {
    if (element == nullptr) return System::InvalidArguments;
    AppendMember(std::move(element));
    std::string count;
    System::FormatUInt32(count, static_cast<std::uint32_t>(GetElementCount()));
    return SetAttribute("NumberOfElements", count);
}

}  // namespace Iec61850::Acsi
