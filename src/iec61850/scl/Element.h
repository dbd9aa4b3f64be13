#pragma once

#include <cstdint>

namespace Iec61850::Acsi::Scl {

class ElementType;

// What a member of a type is. The device model treats DO and SDO as data objects and DA
// and BDA as data attributes.
enum class ElementKind : std::int32_t {
    DO = 0,
    SDO = 1,
    DA = 2,
    BDA = 3,
    LNode = 4,
};

// One member of a type of the SCL data type templates. Members are immutable: the
// dictionary is shared by every thread once built, and callers keep pointers to them.
class Element {
public:
    virtual ~Element() = default;
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    // The name of the member's type: the basic type name of an attribute, the id of a
    // data object's type, the empty text for a logical-node class.
    virtual const char* GetTypeName() const = 0;

    const ElementKind kind;
    const char* const name;
    // The type that describes the member's own members, or null for a basic attribute.
    const ElementType* const type;

protected:
    Element(ElementKind kind, const char* name, const ElementType* type) : kind(kind), name(name), type(type) {}
};

}  // namespace Iec61850::Acsi::Scl
