#pragma once

#include <cstdint>
#include <span>

#include "protocol/Asn1Types.h"
#include "system/ResultCode.h"

namespace Mms {

// The octets of a coder string value (none when its size is not positive).
std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1OctetString& string);
std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1BitString& bits);

// Copies octets into a coder string value; NoResources when memory runs out.
System::ResultCode SetOctets(Asn1::Asn1OctetString& string, std::span<const std::uint8_t> octets);

}  // namespace Mms
