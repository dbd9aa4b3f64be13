#pragma once

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS boolean. Its text is "True" or "False", exactly.
class Boolean : public SimpleContainer<Boolean, BooleanClassId> {
public:
    static constexpr const char* ClassName = "Boolean";

    Boolean();
    explicit Boolean(const MmsTypeDescription& type);
    explicit Boolean(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    bool GetValue() const { return value_; }

private:
    System::ResultCode AssignValue(const Boolean& source) override;

    bool value_ = false;
};

}  // namespace Mms
