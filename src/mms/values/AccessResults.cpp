#include "mms/values/AccessResults.h"

#include "mms/user/Variable.h"
#include "mms/values/DataDecoder.h"

namespace Mms {

AccessResults::AccessResults(const MmsAccessResultList& decoded)
    : decoded_(&decoded), count_(static_cast<std::size_t>(decoded.Count())) {}

AccessResults::AccessResults(std::span<const std::uint8_t> content, std::size_t count)
    : rest_(content), count_(count) {}

System::ResultCode AccessResults::ApplyNext(Variable& variable) {
    if (next_ >= count_) return System::InvalidResponse;
    const std::size_t index = next_++;
    if (decoded_ != nullptr) {
        const MmsAccessResult* result = (*decoded_)[static_cast<std::int32_t>(index)];
        return result != nullptr ? variable.ApplyReadResult(*result) : System::InvalidResponse;
    }
    DataDecoder::Element element;
    if (!DataDecoder::ReadElement(rest_, element)) return System::InvalidResponse;
    rest_ = rest_.subspan(element.size);
    return DataDecoder::ApplyAccessResult(variable, element);
}

}  // namespace Mms
