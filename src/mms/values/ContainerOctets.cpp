#include "mms/values/ContainerOctets.h"

namespace Mms {

std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1OctetString& string) {
    if (string.buf == nullptr || string.size <= 0) return {};
    return {string.buf, static_cast<std::size_t>(string.size)};
}

}  // namespace Mms
