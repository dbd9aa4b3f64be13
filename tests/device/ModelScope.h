#pragma once

#include <optional>

#include "mms/user/ModelHold.h"

namespace Mms {
class VMD;
}

namespace TestDevice {

// Holds the VMD's model lock for a scope, unless this thread holds it already: the
// service user holds it while it answers a request, and the device's own work (reports,
// the end of an association) may run inside such an answer or outside of one.
class ModelScope {
public:
    explicit ModelScope(const Mms::VMD& vmd);
    ModelScope(const ModelScope&) = delete;
    ModelScope& operator=(const ModelScope&) = delete;

private:
    std::optional<Mms::ModelHold> hold_;
};

}  // namespace TestDevice
