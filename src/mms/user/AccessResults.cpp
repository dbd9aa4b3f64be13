#include "mms/user/AccessResults.h"

#include "mms/user/Variable.h"
#include "protocol/Asn1Coder.h"

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
    return Apply(variable, element);
}

System::ResultCode AccessResults::Apply(Variable& variable, const DataDecoder::Element& element) {
    if (element.tag == DataDecoder::FailureTag) {
        MmsAccessResult result{};
        result.present = MmsAccessResultFailure;
        if (!DataDecoder::ReadFailure(element, result.choice.failure)) return System::ProtocolError;
        return variable.ApplyReadResult(result);
    }
    if (Container* value = variable.GetValue(); value != nullptr) return DataDecoder::ApplyData(*value, element);
    // The first read of a variable: the value takes the type the data brings.
    void* decoded = nullptr;
    const Asn1::Asn1DecodeResult outcome =
        Asn1::Asn1Decode(nullptr, &MmsAccessResultType, &decoded, element.Octets().data(), element.size);
    System::ResultCode result = System::NoResources;
    if (outcome.code == Asn1::Asn1DecodeDone && outcome.consumed == element.size && decoded != nullptr) {
        result = variable.ApplyReadResult(*static_cast<const MmsAccessResult*>(decoded));
    }
    Asn1::Asn1FreeValue(&MmsAccessResultType, decoded);
    return result;
}

}  // namespace Mms
