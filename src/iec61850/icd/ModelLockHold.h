#pragma once

#include "iec61850/icd/IcdModelSource.h"

namespace Iec61850::Acsi::Scl {

// Holds the server's model lock for a scope once Take has succeeded.
class ModelLockHold {
public:
    explicit ModelLockHold(IcdModelSource& source) : source_(source) {}
    ~ModelLockHold() {
        if (held_) source_.UnlockModel();
    }
    ModelLockHold(const ModelLockHold&) = delete;
    ModelLockHold& operator=(const ModelLockHold&) = delete;

    System::ResultCode Take() {
        const System::ResultCode result = source_.LockModel();
        held_ = result == System::OkNoError;
        return result;
    }

private:
    IcdModelSource& source_;
    bool held_ = false;
};

}  // namespace Iec61850::Acsi::Scl
