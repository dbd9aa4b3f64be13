#pragma once

#include "mms/Container.h"

namespace Mms {

// An MMS boolean. Its text is "True" or "False", exactly.
class Boolean : public Container {
public:
    Boolean();
    explicit Boolean(const MmsTypeDescription& type);
    explicit Boolean(const MmsData& data);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode Assign(const Container& other) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    bool GetValue() const { return value_; }

private:
    bool value_ = false;
};

}  // namespace Mms
