#include "mms/values/BitString.h"

#include <cstddef>
#include <span>
#include <vector>

#include "mms/pdu/MmsPduData.h"
#include "protocol/Asn1StringValues.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::int32_t MaxUnusedBits = 7;

bool IsBitText(std::string_view text) { return text.find_first_not_of("01") == std::string_view::npos; }

// The number of bits a received value holds; false for one the coder's text conversion
// refuses (an unused-bit count above 7, unused bits without octets).
bool ReceivedBitCount(const Asn1BitString& bits, std::size_t& count) {
    if (bits.size < 0 || bits.unusedBits < 0 || bits.unusedBits > MaxUnusedBits) return false;
    if (bits.size == 0) {
        count = 0;
        return bits.unusedBits == 0;
    }
    if (bits.buf == nullptr) return false;
    count = static_cast<std::size_t>(bits.size) * 8 - static_cast<std::size_t>(bits.unusedBits);
    return true;
}

bool AnyBitSet(const Asn1BitString& bits, std::size_t from, std::size_t to) {
    for (std::size_t bit = from; bit < to; ++bit) {
        if (((bits.buf[bit / 8] >> (7 - bit % 8)) & 1u) != 0) return true;
    }
    return false;
}

}  // namespace

BitString::BitString() { ErrStatus = System::OkNoError; }

BitString::BitString(const MmsTypeDescription& type) {
    if (!AcceptTypeChoice(type, MmsTypeBitString)) return;
    size_ = ContainerSize::FromTypeCount(type.choice.bitString);
}

BitString::BitString(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataBitString)) return;
    // An unused-bit count above 7, or unused bits without octets, is no bit string.
    std::string bits;
    if (Asn1::Asn1BitStringToBitText(bits, &data.choice.bitString, 0) != System::OkNoError) {
        RefuseType(System::InvalidArguments);
        return;
    }
    size_ = {static_cast<std::uint32_t>(bits.size()), false};
    ErrStatus = FromData(data);
}

System::ResultCode BitString::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "NumberOfBits") return System::ParseUnsignedText(size_.count, value);
    if (name == "VariableLength") {
        std::uint8_t flag = 0;
        const System::ResultCode result = System::ParseUInt8Text(flag, value);
        if (result == System::OkNoError) size_.variable = flag != 0;
        return result;
    }
    if (name == "NumberOfBitsNotUsed") return System::ParseUInt8Text(unusedBits_, value);
    return Container::SetAttribute(name, value);
}

System::ResultCode BitString::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    std::int32_t count = 0;
    const System::ResultCode result = size_.ToTypeCount(count);
    if (result != System::OkNoError) return result;
    type.present = MmsTypeBitString;
    type.choice.bitString = count;
    return System::OkNoError;
}

System::ResultCode BitString::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    if (text.empty() || !IsBitText(text) || !size_.Fits(text.size())) return Record(System::InvalidArguments);
    bits_ = text;
    return Record(System::OkNoError);
}

System::ResultCode BitString::AssignValue(const BitString& source) {
    if (!size_.Fits(source.bits_.size())) return Record(System::OutOfRange);
    if (source.unusedBits_ > MaxUnusedBits) return Record(System::InvalidArguments);
    bits_ = source.bits_;
    unusedBits_ = source.unusedBits_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode BitString::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataBitString) != System::OkNoError) return Record(System::InvalidArguments);
    // Checked on the received octets first, so that a value that fits (every read of a
    // quality) is written straight over the held text and a refused one leaves it whole.
    const Asn1BitString& received = data.choice.bitString;
    std::size_t count = 0;
    if (!ReceivedBitCount(received, count)) return Record(System::InvalidArguments);
    std::size_t kept = count;
    if (size_.variable) {
        if (count > size_.count) return Record(System::InvalidArguments);
    } else {
        // Bits past the type's length are accepted only as padding.
        if (count < size_.count || AnyBitSet(received, size_.count, count)) return Record(System::InvalidArguments);
        kept = size_.count;
    }
    const std::span<const std::uint8_t> octets(received.buf, static_cast<std::size_t>(received.size));
    if (Asn1::BitStringToBitText(bits_, octets, static_cast<std::uint32_t>(kept)) != System::OkNoError) {
        return Record(System::InvalidArguments);
    }
    unusedBits_ = static_cast<std::uint8_t>(received.unusedBits);
    MarkValid();
    return System::OkNoError;
}

System::ResultCode BitString::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    text = bits_;
    return Record(System::OkNoError);
}

System::ResultCode BitString::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    std::vector<std::uint8_t> bits(bits_.size());
    for (std::size_t i = 0; i < bits_.size(); ++i) bits[i] = bits_[i] == '1' ? 1 : 0;
    data.present = MmsDataBitString;
    return FinishData(data, Asn1::BoolsToAsn1BitString(&data.choice.bitString, bits));
}

System::ResultCode BitString::GetBit(std::uint32_t index, bool& bit) const {
    if (index >= bits_.size()) return System::InvalidArguments;
    bit = bits_[index] == '1';
    return System::OkNoError;
}

}  // namespace Mms
