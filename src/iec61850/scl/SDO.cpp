#include "iec61850/scl/SDO.h"

#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

const char* SDO::GetTypeName() const { return type != nullptr ? type->id : ""; }

}  // namespace Iec61850::Acsi::Scl
