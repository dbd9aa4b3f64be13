#pragma once

#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

// A constructed attribute type; its members are BDAs.
class DAType : public ElementType {
public:
    DAType(const char* id, const Element* const* elements) : ElementType(ElementTypeKind::DAType, id, elements) {}
};

}  // namespace Iec61850::Acsi::Scl
