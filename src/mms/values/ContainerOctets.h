#pragma once

#include <cstdint>
#include <span>

#include "protocol/Asn1Types.h"

namespace Mms {

// The octets of a coder string value, read in place (none when its size is not positive).
std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1OctetString& string);

}  // namespace Mms
