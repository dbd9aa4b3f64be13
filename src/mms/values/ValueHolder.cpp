#include "mms/values/ValueHolder.h"

#include "mms/values/Container.h"

namespace Mms {

ValueHolder::~ValueHolder() {
    Container* value = value_;
    value_ = nullptr;
    if (value == nullptr) return;
    if (ownsValue_) {
        delete value;
    } else {
        value->ForgetHolder(this);
    }
}

void ValueHolder::ForgetValue(const Container* container) {
    if (value_ != nullptr && value_ == container) {
        value_ = nullptr;
        ownsValue_ = false;
    }
}

void ValueHolder::LinkValue(Container* container) {
    if (value_ == container) return;
    Container* previous = value_;
    const bool ownedPrevious = ownsValue_;
    value_ = nullptr;
    ownsValue_ = false;
    if (previous != nullptr) {
        if (ownedPrevious) {
            delete previous;
        } else {
            previous->ForgetHolder(this);
        }
    }
    value_ = container;
    ownsValue_ = container != nullptr && container->GetParent() == nullptr;
}

}  // namespace Mms
