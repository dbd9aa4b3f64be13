#pragma once

#include <string>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS object identifier. Only Assign carries its value (a text); the other value
// operations answer NotImplemented.
class ObjectId : public SimpleContainer<ObjectId, ObjectIdClassId> {
public:
    static constexpr const char* ClassName = "ObjectId";

    ObjectId();
    explicit ObjectId(const MmsTypeDescription& type);
    // The value is not taken: error status NotImplemented.
    explicit ObjectId(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    // Writes nothing (an empty text).
    System::ResultCode ToText(std::string& text) override;
    // Leaves the data empty.
    System::ResultCode ToData(MmsData& data) override;

    const std::string& GetValue() const { return text_; }

private:
    // Copies the value and answers NotImplemented.
    System::ResultCode AssignValue(const ObjectId& source) override;

    std::string text_;
};

}  // namespace Mms
