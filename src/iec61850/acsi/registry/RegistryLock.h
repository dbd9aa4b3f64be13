#pragma once

#include "system/Semaphore.h"

namespace Iec61850::Acsi {

// Holds a registry's lock (a semaphore of count 1) for a scope.
class RegistryLock {
public:
    explicit RegistryLock(System::Semaphore& lock) : lock_(lock) { lock_.Wait(0); }
    ~RegistryLock() { lock_.Release(); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

private:
    System::Semaphore& lock_;
};

}  // namespace Iec61850::Acsi
