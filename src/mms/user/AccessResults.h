#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/DataDecoder.h"
#include "system/ResultCode.h"

namespace Mms {

class Variable;

// The access results of a read answer, taken one after the other: either the coder's
// decoded list or the received octets of the list, which DataDecoder applies without
// decoding them first. Both give every variable the same outcome.
class AccessResults {
public:
    explicit AccessResults(const MmsAccessResultList& decoded);
    // The content octets of a listOfAccessResult that DataDecoder::CheckAccessResults
    // has passed, and the count it gave. The octets must outlive this view.
    AccessResults(std::span<const std::uint8_t> content, std::size_t count);

    std::size_t Count() const { return count_; }
    // Applies the next result to the variable (Variable::ApplyReadResult's outcome);
    // InvalidResponse when none is left.
    System::ResultCode ApplyNext(Variable& variable);

    // Applies one checked AccessResult element to the variable: the outcome of
    // variable.ApplyReadResult(the decoded result).
    static System::ResultCode Apply(Variable& variable, const DataDecoder::Element& element);

private:
    const MmsAccessResultList* decoded_ = nullptr;
    std::span<const std::uint8_t> rest_;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

}  // namespace Mms
