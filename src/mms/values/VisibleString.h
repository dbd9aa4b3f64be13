#pragma once

#include <cstdint>
#include <string>

#include "mms/values/SimpleContainer.h"
#include "mms/values/SizedString.h"

namespace Mms {

// An MMS visible string. Its text is the characters as they are (escaping belongs to
// whoever writes XML). A fixed-length string has exactly its number of octets, a
// variable-length one at most that many.
class VisibleString : public SimpleContainer<VisibleString, VisibleStringClassId, SizedString> {
public:
    static constexpr const char* ClassName = "VisibleString";

    VisibleString();
    // n > 0: fixed length of n octets; n <= 0: variable length up to -n octets; a size
    // from 32768 on gives the invalid-type state with InvalidArguments.
    explicit VisibleString(const MmsTypeDescription& type);
    // Fixed length of the value's octets.
    explicit VisibleString(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // The text must fit the type (InvalidArguments otherwise); the value is then typed
    // in, not yet valid.
    System::ResultCode FromText(std::string_view text) override;
    // A value longer than the type is refused; a shorter one is taken.
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    const std::string& GetValue() const { return text_; }

private:
    // The other's text must fit this type (OutOfRange otherwise).
    System::ResultCode AssignValue(const VisibleString& source) override;

    // "NumberOfOctets" from 8 on.
    std::uint32_t GetSmallestDeclaredSize() const override;

    std::string text_;
};

}  // namespace Mms
