#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mms/pdu/MmsPduBasic.h"
#include "system/ResultCode.h"

namespace Mms {

// The names of one getNameList answer, copied out of the model into one block while the
// model lock is held and lent to the answer's listOfIdentifier: the answer is encoded
// after the lock is let go, without a heap cell per name. The page must outlive the
// encoding (and any reading) of the answer it was lent to.
class NameListPage {
public:
    NameListPage() = default;
    NameListPage(const NameListPage&) = delete;
    NameListPage& operator=(const NameListPage&) = delete;

    // Room for names of about this many octets in all, before adding them.
    void Reserve(std::size_t octets);
    void Add(std::string_view name);
    std::size_t Count() const { return ends_.size(); }

    // Lets the (empty) list show the names; NoResources when memory runs out,
    // InvalidArguments when the list is not empty.
    System::ResultCode LendTo(MmsIdentifierList& list);

private:
    std::string text_;
    std::vector<std::uint32_t> ends_;
    std::vector<Asn1OctetString> identifiers_;
    std::vector<void*> elements_;
};

}  // namespace Mms
