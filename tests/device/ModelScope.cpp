#include "device/ModelScope.h"

#include "mms/user/VMD.h"

namespace TestDevice {

ModelScope::ModelScope(const Mms::VMD& vmd) {
    if (!vmd.IsModelLockedByThisThread()) hold_.emplace(&vmd);
}

}  // namespace TestDevice
