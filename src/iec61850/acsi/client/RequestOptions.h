#pragma once

#include <cstdint>

namespace Iec61850 {

// Where a request is answered from. From the model, the service answers from the model the
// client already holds and sends nothing to the device: the model reader lists the data and
// control blocks of a node whose type it put together itself this way. A data set is never
// created or deleted from the model (InvalidArguments), and a data definition is answered
// from the model only (from the device: NotSupported).
enum class AnswerFrom : std::uint8_t { Device = 0, Model = 1 };

// How a select is made. The library selects only by reading the object's SBO attribute;
// any other way is refused with NotSupported before anything is made.
enum class SelectBy : std::uint8_t { Unsupported = 0, ReadingSbo = 1 };

// When a control (select with value, operate, cancel) takes effect. Time activation is not
// supported: such a request is refused with NotSupported before anything is made.
enum class Activation : std::uint8_t { Immediate = 0, Timed = 1 };

}  // namespace Iec61850
