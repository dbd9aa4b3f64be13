#include "protocol/Asn1OidValues.h"

#include <cstdlib>
#include <cstring>

#include "protocol/Asn1Coder.h"
#include "protocol/Asn1ValueSupport.h"

namespace Asn1 {

using System::ResultCode;
using ValueSupport::FromCoder;
using ValueSupport::Present;

namespace {

constexpr unsigned MaximumArcs = 10;

// The arcs of a dotted text: their count (up to MaximumArcs stored), or -1.
std::ptrdiff_t ParseArcs(std::string_view text, std::uint32_t (&arcs)[MaximumArcs]) {
    if (text.empty()) return -1;
    return Asn1OidParseText(text.data(), text.size(), arcs, MaximumArcs);
}

std::ptrdiff_t ReadArcs(const Asn1ObjectIdentifier* oid, std::uint32_t (&arcs)[MaximumArcs]) {
    if (oid == nullptr || oid->size <= 0 || oid->buf == nullptr) return -1;
    errno = 0;
    return Asn1OidGetArcs(oid, arcs, sizeof(std::uint32_t), MaximumArcs);
}

}  // namespace

ResultCode TextToAsn1Oid(Asn1ObjectIdentifier* oid, std::string_view text) {
    if (oid == nullptr) return System::InvalidArguments;
    std::uint32_t arcs[MaximumArcs];
    const std::ptrdiff_t count = ParseArcs(text, arcs);
    if (count < 0) return System::Error;
    if (count > static_cast<std::ptrdiff_t>(MaximumArcs)) return System::OutOfRange;
    // The coder replaces the octets only when the arcs are acceptable.
    Asn1ObjectIdentifier built{};
    errno = 0;
    const ResultCode result =
        FromCoder(Asn1OidSetArcs(&built, arcs, sizeof(std::uint32_t), static_cast<unsigned>(count)));
    if (result != System::OkNoError) {
        Asn1ObjectIdentifierType.free(&Asn1ObjectIdentifierType, &built, 1);
        return result;
    }
    Asn1ObjectIdentifierType.free(&Asn1ObjectIdentifierType, oid, 1);
    *oid = built;
    return System::OkNoError;
}

ResultCode NewOptionalAsn1OidFromText(Asn1ObjectIdentifier*& oid, bool present, std::string_view text) {
    oid = nullptr;
    if (!present) return System::OkNoError;
    auto* created = static_cast<Asn1ObjectIdentifier*>(std::calloc(1, sizeof(Asn1ObjectIdentifier)));
    if (created == nullptr) return System::NoResources;
    const ResultCode result = TextToAsn1Oid(created, text);
    if (result != System::OkNoError) {
        Asn1FreeValue(&Asn1ObjectIdentifierType, created);
        return result;
    }
    oid = created;
    return System::OkNoError;
}

ResultCode Asn1OidToText(std::string& text, const Asn1ObjectIdentifier* oid, bool* present) {
    ResultCode result;
    if (!Present(oid, present, result)) return result;
    std::uint32_t arcs[MaximumArcs];
    const std::ptrdiff_t count = ReadArcs(oid, arcs);
    if (count < 0) return oid->size <= 0 ? System::Error : FromCoder(count);
    if (count > static_cast<std::ptrdiff_t>(MaximumArcs)) return System::OutOfRange;
    std::string dotted;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (i > 0) dotted += '.';
        dotted += std::to_string(arcs[i]);
    }
    text = std::move(dotted);
    return System::OkNoError;
}

int CompareAsn1OidWithText(const Asn1ObjectIdentifier* oid, std::string_view text) {
    std::uint32_t own[MaximumArcs];
    std::uint32_t other[MaximumArcs];
    const std::ptrdiff_t ownCount = ReadArcs(oid, own);
    const std::ptrdiff_t otherCount = ParseArcs(text, other);
    const auto limit = static_cast<std::ptrdiff_t>(MaximumArcs);
    if (ownCount < 0 || otherCount < 0 || ownCount > limit || otherCount > limit || ownCount != otherCount) {
        return -1;
    }
    for (std::ptrdiff_t i = 0; i < ownCount; ++i) {
        if (own[i] != other[i]) return static_cast<int>(i + 1);
    }
    return 0;
}

}  // namespace Asn1
