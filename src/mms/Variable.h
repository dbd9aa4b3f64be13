#pragma once

#include <string>
#include <string_view>

#include "mms/MmsObject.h"

namespace Mms {

class Container;

// An MMS variable. Its value is a container with the value's type description. A
// variable owns a top-level container that is bound to it; a container that is a
// component of a structure stays owned by that structure and is only linked here.
class Variable : public MmsObject {
public:
    Variable() = default;
    explicit Variable(MmsObject* owner);
    Variable(MmsUserConnection* connection, MmsObject* owner);
    // Deletes an owned value; unlinks a borrowed one.
    ~Variable() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // "Deletable" takes a boolean text; other names as Object.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // Only named variables have names: empties the text, NotSupported.
    virtual System::ResultCode GetName(std::string& name) const;

    // The value with its type description; null until one is bound (Container::Bind).
    Container* GetValue() const { return value_; }
    // True when the variable deletes its value when it is destroyed.
    bool OwnsValue() const { return ownsValue_; }
    // Drops the link to the container without deleting it, when it is the value; a
    // dying container calls this, so the variable never keeps a destroyed one.
    void ForgetValue(const Container* container);

    // Forwarded to the value; NotInitialized while the variable has none.
    System::ResultCode FromText(std::string_view text);
    System::ResultCode Assign(const Container& other);
    System::ResultCode ToText(std::string& text);
    System::ResultCode ToXml(std::string& text);

    bool Deletable = false;

private:
    friend class Container;
    // Makes the container the value. A different value held before is deleted when
    // owned and unlinked otherwise.
    void LinkValue(Container* container);

    Container* value_ = nullptr;
    bool ownsValue_ = false;
};

}  // namespace Mms
