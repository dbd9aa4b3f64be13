#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Iec61850::Acsi::Scl {

class Element;

enum class ElementTypeKind : std::int32_t {
    LNodeType = 0,
    DOType = 1,
    DAType = 2,
    EnumType = 3,
    DataTypeTemplate = 4,
};

// A type of the SCL data type templates with its members in declaration order. Types
// are immutable and do not own their members; the dictionary owns both.
class ElementType {
public:
    virtual ~ElementType() = default;
    ElementType(const ElementType&) = delete;
    ElementType& operator=(const ElementType&) = delete;

    // The first member whose name equals `name` ignoring ASCII case, or null.
    virtual const Element* FindElement(std::string_view name) const;

    // Fills `sorted` with the distinct `names`: first those the type declares, in
    // declaration order, then the others in ascending byte order. Matching is exact, so a
    // name that differs from a member only in case goes among the others. A type without
    // a member list gives an empty result.
    void SortNamesByElementOrder(std::vector<std::string>& sorted, const std::vector<std::string>& names) const;

    // The members in declaration order; empty without a member list.
    std::span<const Element* const> Elements() const { return {elements, elementCount_}; }

    // Null-terminated member list, or null for a type without members (an enumeration).
    const Element* const* const elements;
    const ElementTypeKind kind;
    const char* const id;

protected:
    ElementType(ElementTypeKind kind, const char* id, const Element* const* elements);

private:
    const std::size_t elementCount_;
};

}  // namespace Iec61850::Acsi::Scl
