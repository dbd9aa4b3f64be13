#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "system/ResultCode.h"

namespace Mms {

class Container;

// Reads received Data and AccessResult octets straight into containers that already
// exist, without building the coder's tree: the answer to a variable read again, whose
// type is known, costs no allocation per element.
//
// It takes only a plain form of BER (one-octet tags, definite lengths, primitive
// strings, no nesting beyond MmsMaxDataNesting), all of which the generic coder takes
// too. CheckAccessResults says whether received octets keep to it; the Apply functions
// require octets it has passed. Whatever they apply ends exactly as the generic decode
// followed by the containers' own FromData (or, through AccessResults, the variable's
// ApplyReadResult) would:
// each leaf is handed to its container's FromData as a Data that points into the
// received octets, structures and arrays are walked here the way their FromData walks
// them, and a value with no container yet, or of a kind its container does not hold, is
// decoded by the generic coder and handed over whole.
class DataDecoder {
public:
    // The coder refuses longer elements.
    static constexpr std::size_t LargestElementLength = 0xFFFFFF;
    // The tag of an AccessResult that is a failure: [0] IMPLICIT DataAccessError.
    static constexpr std::uint8_t FailureTag = 0x80;

    // One element: its tag octet, its content, and its whole length.
    struct Element {
        std::uint8_t tag = 0;
        const std::uint8_t* content = nullptr;
        std::size_t length = 0;
        std::size_t size = 0;  // tag, length and content octets

        // The whole element: tag, length and content.
        std::span<const std::uint8_t> Octets() const { return {content - (size - length), size}; }
    };

    // Reads the element at the front of the octets in the plain form (a one-octet tag
    // and a definite length whose content lies within them); false otherwise. Inline:
    // it runs once for every element.
    static bool ReadElement(std::span<const std::uint8_t> octets, Element& element);

    // True when the content of a listOfAccessResult keeps to the plain form (and so
    // decodes by the generic coder as well); count receives the number of results.
    static bool CheckAccessResults(std::span<const std::uint8_t> content, std::size_t& count);
    // The same for one Data element at the nesting level (1 at the top).
    static bool CheckData(const Element& element, int level);

    // Applies a checked Data element to the container: the outcome of
    // container.FromData(the decoded value).
    static System::ResultCode ApplyData(Container& container, const Element& element);
    // The DataAccessError of a checked failure element; false when it does not fit.
    static bool ReadFailure(const Element& element, std::int32_t& code);

private:
    static System::ResultCode ApplyStructure(Container& structure, const Element& element);
    static System::ResultCode ApplyArray(Container& array, const Element& element);
    // Decodes the element by the generic coder and hands it to the container's FromData.
    static System::ResultCode ApplyDecoded(Container& container, const Element& element);
};

inline bool DataDecoder::ReadElement(std::span<const std::uint8_t> octets, Element& element) {
    if (octets.size() < 2) return false;
    const std::uint8_t tag = octets[0];
    if ((tag & 0x1F) == 0x1F) return false;  // a tag number in further octets
    const std::uint8_t first = octets[1];
    std::size_t header = 2;
    std::size_t length = first;
    if (first >= 0x80) {
        const std::size_t count = first & 0x7Fu;
        if (count == 0 || count + 2 > octets.size()) return false;  // indefinite, or cut short
        length = 0;
        for (std::size_t i = 0; i < count; ++i) {
            length = length << 8 | octets[2 + i];
            if (length > LargestElementLength) return false;
        }
        header += count;
    }
    if (length > octets.size() - header) return false;
    element.tag = tag;
    element.content = octets.data() + header;
    element.length = length;
    element.size = header + length;
    return true;
}

}  // namespace Mms
