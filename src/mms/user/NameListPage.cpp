#include "mms/user/NameListPage.h"

#include <new>

#include "protocol/Asn1Utilities.h"

namespace Mms {

void NameListPage::Reserve(std::size_t octets) { text_.reserve(octets); }

void NameListPage::Add(std::string_view name) {
    text_.append(name);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

System::ResultCode NameListPage::LendTo(MmsIdentifierList& list) {
    if (list.list.count != 0 || list.list.array != nullptr) return System::InvalidArguments;
    try {
        // The views are taken once the block no longer grows.
        identifiers_.assign(ends_.size(), Asn1OctetString{});
        elements_.assign(ends_.size(), nullptr);
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    auto* base = reinterpret_cast<std::uint8_t*>(text_.data());
    std::uint32_t begin = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        identifiers_[i] = Asn1OctetString{base + begin, static_cast<std::int32_t>(ends_[i] - begin), 1};
        elements_[i] = &identifiers_[i];
        begin = ends_[i];
    }
    if (Asn1::Asn1SequenceOfLend(&list, elements_.data(), static_cast<std::int32_t>(elements_.size())) != 0) {
        return System::InvalidArguments;
    }
    return System::OkNoError;
}

}  // namespace Mms
