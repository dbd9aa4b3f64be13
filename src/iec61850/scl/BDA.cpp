#include "iec61850/scl/BDA.h"

namespace Iec61850::Acsi::Scl {

const char* BDA::GetTypeName() const { return BasicTypeName(basicType); }

}  // namespace Iec61850::Acsi::Scl
