#pragma once

#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

// A data-object type; its members are DAs and SDOs in one list.
class DOType : public ElementType {
public:
    DOType(const char* id, const char* cdc, const Element* const* elements)
        : ElementType(ElementTypeKind::DOType, id, elements), cdc(cdc) {}

    // The common data class, or the empty text for a type that is none (control blocks).
    const char* const cdc;
};

}  // namespace Iec61850::Acsi::Scl
