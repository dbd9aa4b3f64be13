#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "iec61850/acsi/model/ReadingStates.h"

namespace Iec61850::Acsi {

// The C++ class of a model object, as IsKindOf and the counting callers ask for it. This is
// a numbering of its own, apart from the ACSI object classes (ObjectClass): those name what
// a device offers, these name how the model holds it.
enum class ModelClass : std::int32_t {
    // Questions only: every object, or every object of the data-item family (DataItem,
    // Data, DataAttribute).
    Any,
    DataItemFamily,
    // Exact classes.
    NamedObject,
    LogicalDevice,
    LogicalNode,
    LLN0,
    FunctionalConstraint,
    DataItem,
    Data,
    DataAttribute,
    DataSet,
    ControlBlock,
    BRCB,
    URCB,
    LCB,
    SGCB,
    GoCB,
    GsCB,
    MSVCB,
    USVCB,
    Log,
};

inline constexpr std::size_t ModelClassCount = static_cast<std::size_t>(ModelClass::Log) + 1;

// Whether an object of the exact class `exact` answers to the question `asked`.
constexpr bool ModelClassMatches(ModelClass asked, ModelClass exact) {
    if (asked == ModelClass::Any) return true;
    if (asked == ModelClass::DataItemFamily) {
        return exact == ModelClass::DataItem || exact == ModelClass::Data || exact == ModelClass::DataAttribute;
    }
    return asked == exact;
}

// Counts of several classes at once, made in one walk of the model (IsKindOf asks for one):
// counts[i] grows by the objects that answer to classes[i] in the state (AnyObjectState: any).
struct ModelTally {
    std::span<const ModelClass> classes;
    ObjectState state = AnyObjectState;
    std::span<std::uint32_t> counts;
    // A logical node may answer from the counts it kept of its subtree when nothing in it was
    // added or removed since (any state only). For a count that runs again and again while a
    // model is read; a plain count walks every object.
    bool reuseNodeCounts = false;
};

}  // namespace Iec61850::Acsi
