#include "mms/BitString.h"

#include <cstdlib>

#include "mms/ContainerOctets.h"
#include "mms/MmsPduData.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::int32_t MaxUnusedBits = 7;

// The bit count of a received value, or -1 when its unused-bit count is impossible
// (above 7, or any at all without octets).
std::int64_t BitCountOf(const Asn1BitString& bits) {
    const std::size_t octets = OctetsOf(bits).size();
    if (bits.unusedBits < 0 || bits.unusedBits > MaxUnusedBits) return -1;
    if (octets == 0 && bits.unusedBits != 0) return -1;
    return static_cast<std::int64_t>(8 * octets) - bits.unusedBits;
}

bool IsBitText(std::string_view text) { return text.find_first_not_of("01") == std::string_view::npos; }

}  // namespace

BitString::BitString() { ErrStatus = System::OkNoError; }

BitString::BitString(const MmsTypeDescription& type) {
    if (type.present != MmsTypeBitString) {
        RefuseType(System::InvalidArguments);
        return;
    }
    size_ = ContainerSize::FromTypeCount(type.choice.bitString);
    ErrStatus = System::OkNoError;
}

BitString::BitString(const MmsData& data) {
    if (data.present != MmsDataBitString) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const std::int64_t count = BitCountOf(data.choice.bitString);
    if (count < 0) {
        RefuseType(System::InvalidArguments);
        return;
    }
    size_ = {static_cast<std::uint32_t>(count), false};
    ErrStatus = FromData(data);
}

std::uint32_t BitString::GetClassId() const { return BitStringClassId; }

const char* BitString::GetClassName() const { return "BitString"; }

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

System::ResultCode BitString::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    const auto& source = static_cast<const BitString&>(other);
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
    const Asn1BitString& bits = data.choice.bitString;
    const std::int64_t count = BitCountOf(bits);
    if (count < 0) return Record(System::InvalidArguments);
    const auto octets = OctetsOf(bits);
    std::string text(static_cast<std::size_t>(count), '0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((octets[i / 8] >> (7 - i % 8)) & 1) text[i] = '1';
    }
    if (size_.variable) {
        if (text.size() > size_.count) return Record(System::InvalidArguments);
    } else {
        if (text.size() < size_.count) return Record(System::InvalidArguments);
        // Bits past the type's length are accepted only as padding.
        if (text.find('1', size_.count) != std::string::npos) return Record(System::InvalidArguments);
        text.resize(size_.count);
    }
    bits_ = std::move(text);
    unusedBits_ = static_cast<std::uint8_t>(bits.unusedBits);
    MarkValid();
    return System::OkNoError;
}

System::ResultCode BitString::ToText(std::string& text) {
    if (HasInvalidType()) {
        text.clear();
        return System::InvalidState;
    }
    text = bits_;
    return Record(System::OkNoError);
}

System::ResultCode BitString::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    const std::size_t octets = (bits_.size() + 7) / 8;
    auto* buffer = static_cast<std::uint8_t*>(std::calloc(octets > 0 ? octets : 1, 1));
    if (buffer == nullptr) return Record(System::NoResources);
    for (std::size_t i = 0; i < bits_.size(); ++i) {
        if (bits_[i] == '1') buffer[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
    data.present = MmsDataBitString;
    data.choice.bitString.buf = buffer;
    data.choice.bitString.size = static_cast<std::int32_t>(octets);
    data.choice.bitString.borrowed = 0;
    data.choice.bitString.unusedBits = static_cast<std::int32_t>(8 * octets - bits_.size());
    MarkValid();
    return System::OkNoError;
}

System::ResultCode BitString::GetBit(std::uint32_t index, bool& bit) const {
    if (index >= bits_.size()) return System::InvalidArguments;
    bit = bits_[index] == '1';
    return System::OkNoError;
}

}  // namespace Mms
