#pragma once

#include <cstring>

#include "protocol/Asn1Coder.h"

namespace Mms {

// A coder value structure on the stack: zeroed at the start, and what it owns is
// released through its descriptor at the end of the scope. Fillers that take the value
// over leave it zeroed, so the release is then a no-op.
template <typename Value>
class CoderValue {
public:
    explicit CoderValue(const Asn1::Asn1TypeDescriptor& type) : type_(type) {
        std::memset(static_cast<void*>(&value_), 0, sizeof(Value));
    }
    ~CoderValue() { type_.free(&type_, &value_, 1); }
    CoderValue(const CoderValue&) = delete;
    CoderValue& operator=(const CoderValue&) = delete;

    Value& operator*() { return value_; }
    Value* operator->() { return &value_; }
    Value& get() { return value_; }

private:
    const Asn1::Asn1TypeDescriptor& type_;
    Value value_;
};

}  // namespace Mms
