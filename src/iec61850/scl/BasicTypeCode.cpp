#include "iec61850/scl/BasicTypeCode.h"

#include "system/StringText.h"

namespace Iec61850::Acsi::Scl {

const char* BasicTypeName(BasicTypeCode code) {
    const auto index = static_cast<std::uint32_t>(code);
    return index < BasicTypeCount ? BasicTypeNames[index] : "";
}

std::optional<BasicTypeCode> FindBasicTypeCode(std::string_view name) {
    for (std::size_t i = 0; i < BasicTypeCount; ++i) {
        if (System::CompareNoCase(name, BasicTypeNames[i]) == 0) {
            return static_cast<BasicTypeCode>(i);
        }
    }
    return std::nullopt;
}

bool BasicTypeCodeFromName(const char* name, BasicTypeCode& code) {
    if (name == nullptr) return true;
    const auto found = FindBasicTypeCode(name);
    if (!found) return true;
    code = *found;
    return false;
}

}  // namespace Iec61850::Acsi::Scl
