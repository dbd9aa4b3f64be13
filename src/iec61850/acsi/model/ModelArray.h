#pragma once

#include <memory>

#include "mms/values/Array.h"

namespace Iec61850::Acsi {

// An array that the model makes itself (basic type Array) and fills element by element.
// An array typed by its device never grows: its elements are the ones the device described.
class ModelArray : public Mms::Array {
public:
    ModelArray() = default;

    // Takes the element as the last one and counts it in the number of elements.
    System::ResultCode AppendElement(std::unique_ptr<Mms::Container> element);
};

}  // namespace Iec61850::Acsi
