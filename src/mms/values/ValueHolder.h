#pragma once

#include <string>

namespace Mms {

class Container;

// What a container is bound to: the holder of one value (an MMS variable). Containers
// bind through this, so the values know nothing of the MMS objects that hold them. A
// holder owns a top-level container bound to it; a member of a structure or an array
// stays owned there and is only linked.
class ValueHolder {
public:
    ValueHolder(const ValueHolder&) = delete;
    ValueHolder& operator=(const ValueHolder&) = delete;

    // The value with its type description; null until one is bound (Container::Bind).
    Container* GetValue() const { return value_; }
    // True when the holder deletes its value when it is destroyed.
    bool OwnsValue() const { return ownsValue_; }
    // Drops the link to the container without deleting it, when it is the value; a
    // dying container calls this, so the holder never keeps a destroyed one.
    void ForgetValue(const Container* container);

    // The item name under which its owner files a named variable, which a structure
    // bound to it prefixes to its components' names ("<item>$<component>"); null for a
    // holder without one.
    virtual const std::string* ItemName() const { return nullptr; }

protected:
    ValueHolder() = default;
    // Deletes an owned value; unlinks a borrowed one.
    ~ValueHolder();

private:
    friend class Container;
    // Makes the container the value. A different value held before is deleted when
    // owned and unlinked otherwise.
    void LinkValue(Container* container);

    Container* value_ = nullptr;
    bool ownsValue_ = false;
};

}  // namespace Mms
