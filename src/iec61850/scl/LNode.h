#pragma once

#include "iec61850/scl/Element.h"

namespace Iec61850::Acsi::Scl {

// A logical-node class: `name` is the class, `type` its LNodeType.
class LNode : public Element {
public:
    LNode(const char* name, const ElementType* type) : Element(ElementKind::LNode, name, type) {}

    // Always the empty text; the class's type is reached through `type`.
    const char* GetTypeName() const override { return ""; }
};

}  // namespace Iec61850::Acsi::Scl
