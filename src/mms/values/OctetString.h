#pragma once

#include <cstdint>
#include <vector>

#include "mms/values/SimpleContainer.h"
#include "mms/values/SizedString.h"

namespace Mms {

// An MMS octet string. Its text is two upper-case hex digits per octet, without
// separators. A fixed-length string has exactly its number of octets, a
// variable-length one at most that many.
class OctetString : public SimpleContainer<OctetString, OctetStringClassId, SizedString> {
public:
    static constexpr const char* ClassName = "OctetString";

    OctetString();
    // n > 0: fixed length of n octets; n <= 0: variable length up to -n octets; a size
    // from 32768 on gives the invalid-type state with InvalidArguments.
    explicit OctetString(const MmsTypeDescription& type);
    // Fixed length of the value's octets.
    explicit OctetString(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Hex digits only, in either case; an odd last digit is the low half of the last
    // octet. The octets must fit the type (InvalidArguments otherwise). The value is
    // then typed in, not yet valid.
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    const std::vector<std::uint8_t>& GetValue() const { return octets_; }

private:
    // The other's octets must fit this type (OutOfRange otherwise).
    System::ResultCode AssignValue(const OctetString& source) override;

    std::vector<std::uint8_t> octets_;
};

}  // namespace Mms
