#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <span>

#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

struct EnumLiteral {
    std::int32_t value;
    const char* literal;
};

// An enumeration: literals by value. It has no members, so FindElement finds nothing.
class EnumType : public ElementType {
public:
    // Literals are stored in the given order; a value given twice keeps the later literal.
    // The texts are not copied.
    EnumType(const char* id, std::span<const EnumLiteral> literals);
    EnumType(const char* id, std::initializer_list<EnumLiteral> literals)
        : EnumType(id, std::span<const EnumLiteral>(literals.begin(), literals.size())) {}

    const Element* FindElement(std::string_view name) const override { return nullptr; }

    const std::map<std::int32_t, const char*> literals;
};

}  // namespace Iec61850::Acsi::Scl
