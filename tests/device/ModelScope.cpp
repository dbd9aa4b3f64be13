#include "device/ModelScope.h"

#include "mms/user/VMD.h"

namespace TestDevice {

namespace {
thread_local bool held = false;
}  // namespace

ModelScope::ModelScope(const Mms::VMD& vmd) {
    if (held) return;
    if (vmd.GetModelLock().Wait(0) != System::Semaphore::Acquired) return;
    held = true;
    taken_ = &vmd;
}

ModelScope::~ModelScope() {
    if (taken_ == nullptr) return;
    held = false;
    taken_->GetModelLock().Release();
}

void ModelScope::MarkHeld(bool value) { held = value; }

}  // namespace TestDevice
