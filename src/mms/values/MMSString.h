#pragma once

#include <cstdint>
#include <string>

#include "mms/values/SimpleContainer.h"
#include "mms/values/SizedString.h"

namespace Mms {

// An MMS string: UTF-8 text, kept as it is (escaping belongs to whoever writes XML).
// Its size counts characters: a fixed-length string has exactly that many, a
// variable-length one at most that many.
class MMSString : public SimpleContainer<MMSString, MmsStringClassId, SizedString> {
public:
    static constexpr const char* ClassName = "MMSString";

    MMSString();
    // n > 0: fixed length of n characters; n <= 0: variable length up to -n; a size
    // from 32768 on gives the invalid-type state with InvalidArguments.
    explicit MMSString(const MmsTypeDescription& type);
    // Fixed length of the value's characters.
    explicit MMSString(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Valid UTF-8 that fits the type (InvalidArguments otherwise); the value is then
    // typed in, not yet valid.
    System::ResultCode FromText(std::string_view text) override;
    // A received value is taken whatever its length.
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    const std::string& GetValue() const { return text_; }

private:
    // The other's text must fit this type (OutOfRange otherwise).
    System::ResultCode AssignValue(const MMSString& source) override;

    std::string text_;
};

}  // namespace Mms
