#include "iec61850/scl/FunctionalConstraintCode.h"

#include "system/StringText.h"

namespace Iec61850::Acsi::Scl {

const char* FunctionalConstraintName(FunctionalConstraintCode code) {
    const auto index = static_cast<std::uint32_t>(code);
    return index < FunctionalConstraintCount ? FunctionalConstraintNames[index] : nullptr;
}

std::optional<FunctionalConstraintCode> FindFunctionalConstraintCode(std::string_view name) {
    for (std::size_t i = 0; i < FunctionalConstraintCount; ++i) {
        if (System::CompareNoCase(name, FunctionalConstraintNames[i]) == 0) {
            return static_cast<FunctionalConstraintCode>(i);
        }
    }
    return std::nullopt;
}

}  // namespace Iec61850::Acsi::Scl
