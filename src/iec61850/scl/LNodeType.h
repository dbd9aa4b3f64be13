#pragma once

#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

// The data objects (DOs) of a logical-node class.
class LNodeType : public ElementType {
public:
    LNodeType(const char* id, const char* lnClass, const Element* const* elements)
        : ElementType(ElementTypeKind::LNodeType, id, elements), lnClass(lnClass) {}

    const char* const lnClass;
};

}  // namespace Iec61850::Acsi::Scl
