#pragma once

// Helpers of the container tests: owned coder values (type descriptions and Data),
// builders for type descriptions, and the BER round trip of a Data value.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/Container.h"
#include "protocol/Asn1Coder.h"

namespace ContainerTestSupport {

using Bytes = std::vector<std::uint8_t>;

// "85 01 80" -> octets.
inline Bytes Hex(const std::string& text) {
    Bytes octets;
    std::string digits;
    for (char c : text) {
        if (c == ' ') continue;
        digits += c;
        if (digits.size() == 2) {
            octets.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
            digits.clear();
        }
    }
    return octets;
}

inline std::string HexOf(const Bytes& octets) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (i > 0) text += ' ';
        text += digits[octets[i] >> 4];
        text += digits[octets[i] & 0xF];
    }
    return text;
}

// A coder value allocated zeroed and freed through its descriptor.
template <typename Value>
class Owned {
public:
    explicit Owned(const Asn1::Asn1TypeDescriptor& type)
        : type_(&type), value_(static_cast<Value*>(std::calloc(1, sizeof(Value)))) {}
    Owned(const Asn1::Asn1TypeDescriptor& type, Value* value) : type_(&type), value_(value) {}
    ~Owned() { Asn1::Asn1FreeValue(type_, value_); }
    Owned(Owned&& other) noexcept : type_(other.type_), value_(std::exchange(other.value_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        std::swap(type_, other.type_);
        std::swap(value_, other.value_);
        return *this;
    }
    Value* get() const { return value_; }
    Value* operator->() const { return value_; }
    Value& operator*() const { return *value_; }
    Value* release() { return std::exchange(value_, nullptr); }

private:
    const Asn1::Asn1TypeDescriptor* type_;
    Value* value_;
};

using Type = Owned<Mms::MmsTypeDescription>;
using Data = Owned<Mms::MmsData>;

inline Type NewType() { return Type(Mms::MmsTypeDescriptionType); }
inline Data NewData() { return Data(Mms::MmsDataType); }

inline Type SimpleType(Mms::MmsTypeDescriptionChoice choice, std::int32_t parameter = 0) {
    Type type = NewType();
    type->present = choice;
    switch (choice) {
        case Mms::MmsTypeBitString: type->choice.bitString = parameter; break;
        case Mms::MmsTypeInteger: type->choice.integer = parameter; break;
        case Mms::MmsTypeUnsigned: type->choice.unsignedInteger = parameter; break;
        case Mms::MmsTypeOctetString: type->choice.octetString = parameter; break;
        case Mms::MmsTypeVisibleString: type->choice.visibleString = parameter; break;
        case Mms::MmsTypeBinaryTime: type->choice.binaryTime = parameter; break;
        case Mms::MmsTypeBcd: type->choice.bcd = parameter; break;
        case Mms::MmsTypeMmsString: type->choice.mmsString = parameter; break;
        default: break;
    }
    return type;
}

inline Type FloatType(std::int32_t formatWidth, std::int32_t exponentWidth) {
    Type type = NewType();
    type->present = Mms::MmsTypeFloatingPoint;
    type->choice.floatingPoint.formatWidth = formatWidth;
    type->choice.floatingPoint.exponentWidth = exponentWidth;
    return type;
}

// A type spec that carries the description (taken over).
inline Mms::MmsTypeSpecification* SpecificationOf(Type description) {
    auto* spec = static_cast<Mms::MmsTypeSpecification*>(std::calloc(1, sizeof(Mms::MmsTypeSpecification)));
    spec->present = Mms::MmsTypeSpecificationDescription;
    Mms::MmsTypeDescription* inner = description.release();
    std::memcpy(&spec->choice.typeDescription, inner, sizeof *inner);
    std::free(inner);
    return spec;
}

inline Type ArrayType(std::int32_t count, Type element) {
    Type type = NewType();
    type->present = Mms::MmsTypeArray;
    type->choice.array.numberOfElements = count;
    type->choice.array.elementType = SpecificationOf(std::move(element));
    return type;
}

inline Type StructureType(std::vector<std::pair<std::string, Type>> components) {
    Type type = NewType();
    type->present = Mms::MmsTypeStructure;
    for (auto& [name, componentType] : components) {
        auto* entry = static_cast<Mms::MmsStructureComponent*>(std::calloc(1, sizeof(Mms::MmsStructureComponent)));
        entry->componentName = Asn1::Asn1OctetStringNew(&Mms::MmsIdentifierType, name.data(), name.size());
        entry->componentType = SpecificationOf(std::move(componentType));
        Asn1::Asn1SequenceOfAppend(&type->choice.structure.components, entry);
    }
    return type;
}

// The BER image of a Data value, empty when encoding fails.
inline Bytes Encode(const Mms::MmsData& data) {
    std::vector<std::uint8_t> storage(1 << 16);
    Asn1::Asn1OutputBuffer buffer{storage.data(), storage.size()};
    if (Asn1::Asn1Encode(&Mms::MmsDataType, &data, nullptr, &buffer) < 0) return {};
    return Bytes(storage.begin() + static_cast<std::ptrdiff_t>(buffer.position), storage.end());
}

// A Data value decoded from its BER image; null when decoding fails.
inline Data Decode(const Bytes& octets) {
    void* raw = nullptr;
    const Asn1::Asn1DecodeResult result =
        Asn1::Asn1Decode(nullptr, &Mms::MmsDataType, &raw, octets.data(), octets.size());
    Data data(Mms::MmsDataType, static_cast<Mms::MmsData*>(raw));
    if (result.code != Asn1::Asn1DecodeDone || result.consumed != octets.size()) return Data(Mms::MmsDataType, nullptr);
    return data;
}

inline Data DecodeHex(const std::string& hex) { return Decode(Hex(hex)); }

// The container's value as Data, as its BER image; empty when a step fails.
inline Bytes EncodeContainer(Mms::Container& container) {
    Data data = NewData();
    if (container.ToData(*data) != System::OkNoError) return {};
    return Encode(*data);
}

inline Bytes EncodeType(const Mms::MmsTypeDescription& type) {
    std::vector<std::uint8_t> storage(1 << 16);
    Asn1::Asn1OutputBuffer buffer{storage.data(), storage.size()};
    if (Asn1::Asn1Encode(&Mms::MmsTypeDescriptionType, &type, nullptr, &buffer) < 0) return {};
    return Bytes(storage.begin() + static_cast<std::ptrdiff_t>(buffer.position), storage.end());
}

inline std::string TextOf(Mms::Container& container) {
    std::string text;
    container.ToText(text);
    return text;
}

}  // namespace ContainerTestSupport
