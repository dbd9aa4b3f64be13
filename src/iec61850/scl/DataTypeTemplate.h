#pragma once

#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

// A set of logical-node classes (LNodes); its id is the empty text.
class DataTypeTemplate : public ElementType {
public:
    explicit DataTypeTemplate(const Element* const* elements)
        : ElementType(ElementTypeKind::DataTypeTemplate, "", elements) {}
};

}  // namespace Iec61850::Acsi::Scl
