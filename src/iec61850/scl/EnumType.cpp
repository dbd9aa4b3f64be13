#include "iec61850/scl/EnumType.h"

namespace Iec61850::Acsi::Scl {

namespace {
std::map<std::int32_t, const char*> MakeLiterals(std::span<const EnumLiteral> literals) {
    std::map<std::int32_t, const char*> map;
    for (const EnumLiteral& entry : literals) map[entry.value] = entry.literal;
    return map;
}
}  // namespace

EnumType::EnumType(const char* id, std::span<const EnumLiteral> literals)
    : ElementType(ElementTypeKind::EnumType, id, nullptr), literals(MakeLiterals(literals)) {}

}  // namespace Iec61850::Acsi::Scl
