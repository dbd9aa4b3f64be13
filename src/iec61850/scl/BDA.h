#pragma once

#include "iec61850/scl/BasicTypeCode.h"
#include "iec61850/scl/Element.h"

namespace Iec61850::Acsi::Scl {

// A member of a constructed attribute type. `type` is the DAType of a Struct member,
// the EnumType of an Enum member and null otherwise.
class BDA : public Element {
public:
    BDA(const char* name, const ElementType* type, BasicTypeCode basicType, std::int32_t presence, std::int32_t count)
        : BDA(ElementKind::BDA, name, type, basicType, presence, count) {}

    // The basic type's name; the empty text when the code is out of range.
    const char* GetTypeName() const override;

    const BasicTypeCode basicType;
    // 0 mandatory; any other value not mandatory.
    const std::int32_t presence;
    // Number of array elements; 0 when the member is not an array.
    const std::int32_t count;

protected:
    BDA(ElementKind kind, const char* name, const ElementType* type, BasicTypeCode basicType, std::int32_t presence,
        std::int32_t count)
        : Element(kind, name, type), basicType(basicType), presence(presence), count(count) {}
};

}  // namespace Iec61850::Acsi::Scl
