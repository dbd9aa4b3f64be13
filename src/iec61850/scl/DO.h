#pragma once

#include "iec61850/scl/SDO.h"

namespace Iec61850::Acsi::Scl {

// A data object of a logical-node class; it differs from an SDO only in its kind.
class DO : public SDO {
public:
    DO(const char* name, const ElementType* type, std::int32_t presence) : SDO(ElementKind::DO, name, type, presence) {}
};

}  // namespace Iec61850::Acsi::Scl
