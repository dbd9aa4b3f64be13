#include "iec61850/scl/DA.h"

namespace Iec61850::Acsi::Scl {

const char* GetFcName(const Element& element) {
    if (element.kind != ElementKind::DA) return nullptr;
    return static_cast<const DA&>(element).GetFcName();
}

bool DescribesUnderFc(const Element& element, std::string_view fc) {
    const char* own = GetFcName(element);
    if (own == nullptr) return false;
    if (fc == own) return true;
    return std::string_view(own) == "SP" && (fc == "SG" || fc == "SE");
}

}  // namespace Iec61850::Acsi::Scl
