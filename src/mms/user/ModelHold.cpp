#include "mms/user/ModelHold.h"

#include <utility>

#include "mms/user/VMD.h"

namespace Mms {

ModelHold::ModelHold(const VMD* vmd) : ModelHold(vmd, 0) {}

ModelHold::ModelHold(const VMD* vmd, std::uint32_t waitMs) {
    if (vmd == nullptr) return;
    result_ = vmd->LockModel(waitMs);
    if (result_ == System::OkNoError) held_ = vmd;
}

ModelHold::~ModelHold() { Release(); }

void ModelHold::Release() {
    if (held_ != nullptr) std::exchange(held_, nullptr)->UnlockModel();
}

}  // namespace Mms
