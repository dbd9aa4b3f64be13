#pragma once

// Compares the two ways a read answer's results reach the containers: decoded by the
// generic coder and applied through FromData / ApplyReadResult, or applied by
// DataDecoder straight from the octets. Shared by the tests and the fuzz targets; each
// comparison answers the first disagreement found, empty when there is none.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "mms/pdu/MmsPduData.h"
#include "mms/user/AccessResults.h"
#include "mms/user/Variable.h"
#include "mms/values/Array.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/DataDecoder.h"
#include "mms/values/Structure.h"
#include "protocol/Asn1Coder.h"

namespace ReadPathAgreement {

using Element = Mms::DataDecoder::Element;

// Class, state, error status and text of the container and, in order, of its members.
// The error status is taken before the text, which may set it.
inline std::string Describe(Mms::Container* container) {
    if (container == nullptr) return "none";
    std::string out = container->GetClassName();
    out += " state " + std::to_string(container->GetState()) + " status " + std::to_string(container->ErrStatus);
    std::vector<Mms::Container*> members;
    if (auto* structure = dynamic_cast<Mms::Structure*>(container)) {
        for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) members.push_back(structure->GetComponent(i));
    } else if (auto* array = dynamic_cast<Mms::Array*>(container)) {
        for (std::size_t i = 0; i < array->GetElementCount(); ++i) members.push_back(array->GetElement(i));
    } else {
        std::string text;
        const System::ResultCode result = container->ToText(text);
        out += " text " + std::to_string(result) + " '" + text + "'";
    }
    if (!members.empty()) {
        out += " {";
        for (Mms::Container* member : members) out += " " + Describe(member) + ";";
        out += " }";
    }
    return out;
}

// The octets of a coder value's list: each element of the content, in order.
inline std::vector<Element> Split(std::span<const std::uint8_t> content) {
    std::vector<Element> elements;
    Element element;
    while (!content.empty() && Mms::DataDecoder::ReadElement(content, element)) {
        elements.push_back(element);
        content = content.subspan(element.size);
    }
    return elements;
}

// The content of a listOfAccessResult decoded by the generic coder (as a SEQUENCE OF),
// freed with the value; null when the coder refuses it.
class DecodedResults {
public:
    explicit DecodedResults(std::span<const std::uint8_t> content) {
        std::vector<std::uint8_t> octets{0x30};
        const std::size_t n = content.size();
        if (n < 0x80) {
            octets.push_back(static_cast<std::uint8_t>(n));
        } else {
            octets.insert(octets.end(), {0x83, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                                         static_cast<std::uint8_t>(n)});
        }
        octets.insert(octets.end(), content.begin(), content.end());
        void* raw = nullptr;
        const Asn1::Asn1DecodeResult result =
            Asn1::Asn1Decode(nullptr, &Mms::MmsAccessResultListType, &raw, octets.data(), octets.size());
        if (result.code == Asn1::Asn1DecodeDone && result.consumed == octets.size()) {
            list_ = static_cast<Mms::MmsAccessResultList*>(raw);
        } else {
            Asn1::Asn1FreeValue(&Mms::MmsAccessResultListType, raw);
        }
    }
    ~DecodedResults() { Asn1::Asn1FreeValue(&Mms::MmsAccessResultListType, list_); }
    DecodedResults(const DecodedResults&) = delete;
    DecodedResults& operator=(const DecodedResults&) = delete;

    const Mms::MmsAccessResultList* Get() const { return list_; }

private:
    Mms::MmsAccessResultList* list_ = nullptr;
};

// Both ways into a pair of containers that start alike: the same outcome and the same
// containers afterwards.
inline std::string CompareData(Mms::Container& generic, Mms::Container& dedicated, const Mms::MmsData& data,
                               const Element& element, const std::string& step) {
    const System::ResultCode expected = generic.FromData(data);
    const System::ResultCode got = Mms::DataDecoder::ApplyData(dedicated, element);
    if (expected != got) return step + ": result " + std::to_string(expected) + " / " + std::to_string(got);
    const std::string before = Describe(&generic);
    const std::string after = Describe(&dedicated);
    if (before != after) return step + ": " + before + " / " + after;
    return "";
}

inline std::string CompareVariables(Mms::Variable& generic, Mms::Variable& dedicated,
                                    const Mms::MmsAccessResult& result, const Element& element,
                                    const std::string& step) {
    const System::ResultCode expected = generic.ApplyReadResult(result);
    const System::ResultCode got = Mms::AccessResults::Apply(dedicated, element);
    if (expected != got) return step + ": result " + std::to_string(expected) + " / " + std::to_string(got);
    const std::string before = Describe(generic.GetValue());
    const std::string after = Describe(dedicated.GetValue());
    if (before != after) return step + ": " + before + " / " + after;
    return "";
}

// Two containers of the type the value's own container has, as a variable whose type
// was asked for holds; false when that type cannot be written or built.
inline bool TypedPair(Mms::Container& model, std::unique_ptr<Mms::Container>& first,
                      std::unique_ptr<Mms::Container>& second) {
    auto* type = static_cast<Mms::MmsTypeDescription*>(Asn1::Asn1NewValue(&Mms::MmsTypeDescriptionType));
    bool built = type != nullptr && model.ToTypeSpec(*type) == System::OkNoError;
    Mms::Container* one = nullptr;
    Mms::Container* two = nullptr;
    built = built && Mms::NewContainerFromType(*type, one) == System::OkNoError &&
            Mms::NewContainerFromType(*type, two) == System::OkNoError;
    first.reset(one);
    second.reset(two);
    Asn1::Asn1FreeValue(&Mms::MmsTypeDescriptionType, type);
    return built;
}

// Every check over the content of a listOfAccessResult: octets DataDecoder takes must
// decode by the coder too, into as many results; then, for each result and the one
// after it (a value of another type), the results applied one after the other to
// variables without a value, then again to the value that the first made, and to two
// containers of that value's type.
inline std::string CompareResults(std::span<const std::uint8_t> content) {
    std::size_t count = 0;
    if (!Mms::DataDecoder::CheckAccessResults(content, count)) return "";
    const DecodedResults decoded(content);
    const Mms::MmsAccessResultList* list = decoded.Get();
    if (list == nullptr) return "taken here but refused by the coder";
    if (static_cast<std::size_t>(list->Count()) != count) return "result count";
    const std::vector<Element> elements = Split(content);
    if (elements.size() != count) return "element count";
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t j = (i + 1) % count;
        const Mms::MmsAccessResult& result = *(*list)[static_cast<std::int32_t>(i)];
        const Mms::MmsAccessResult& other = *(*list)[static_cast<std::int32_t>(j)];
        const std::string at = "result " + std::to_string(i);
        Mms::Variable generic;
        Mms::Variable dedicated;
        for (const auto& [applied, element, step] :
             {std::tuple{&result, &elements[i], "first read"}, std::tuple{&result, &elements[i], "read again"},
              std::tuple{&other, &elements[j], "another value"}}) {
            const std::string difference = CompareVariables(generic, dedicated, *applied, *element, at + " " + step);
            if (!difference.empty()) return difference;
        }

        if (result.present != Mms::MmsAccessResultSuccess) continue;
        std::unique_ptr<Mms::Container> model;
        if (Mms::NewContainerFromData(result.choice.success, model) != System::OkNoError) continue;
        std::unique_ptr<Mms::Container> first;
        std::unique_ptr<Mms::Container> second;
        if (!TypedPair(*model, first, second)) continue;
        std::string difference = CompareData(*first, *second, result.choice.success, elements[i], at + " typed");
        if (difference.empty() && other.present == Mms::MmsAccessResultSuccess) {
            difference = CompareData(*first, *second, other.choice.success, elements[j], at + " typed, another value");
        }
        if (!difference.empty()) return difference;
    }
    return "";
}

}  // namespace ReadPathAgreement
