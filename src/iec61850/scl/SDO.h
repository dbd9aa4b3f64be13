#pragma once

#include "iec61850/scl/Element.h"

namespace Iec61850::Acsi::Scl {

// A data object nested in a data-object type; `type` is its DOType.
class SDO : public Element {
public:
    SDO(const char* name, const ElementType* type, std::int32_t presence)
        : SDO(ElementKind::SDO, name, type, presence) {}

    // The id of the referenced data-object type (the empty text without one).
    const char* GetTypeName() const override;

    // 0 mandatory; any other value not mandatory.
    const std::int32_t presence;

protected:
    SDO(ElementKind kind, const char* name, const ElementType* type, std::int32_t presence)
        : Element(kind, name, type), presence(presence) {}
};

}  // namespace Iec61850::Acsi::Scl
