#include "iec61850/scl/DA.h"

namespace Iec61850::Acsi::Scl {

const char* GetFcName(const Element& element) {
    if (element.kind != ElementKind::DA) return nullptr;
    return static_cast<const DA&>(element).GetFcName();
}

}  // namespace Iec61850::Acsi::Scl
