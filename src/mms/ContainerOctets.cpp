#include "mms/ContainerOctets.h"

#include "protocol/Asn1Utilities.h"

namespace Mms {

std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1OctetString& string) {
    if (string.buf == nullptr || string.size <= 0) return {};
    return {string.buf, static_cast<std::size_t>(string.size)};
}

std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1BitString& bits) {
    if (bits.buf == nullptr || bits.size <= 0) return {};
    return {bits.buf, static_cast<std::size_t>(bits.size)};
}

System::ResultCode SetOctets(Asn1::Asn1OctetString& string, std::span<const std::uint8_t> octets) {
    return Asn1::Asn1OctetStringSetBytes(&string, octets.data(), octets.size()) == 0 ? System::OkNoError
                                                                                     : System::NoResources;
}

}  // namespace Mms
