#pragma once

#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace System {

// MMS floating-point values come in two formats only: (format width 32, exponent
// width 8), a 32-bit float, and (64, 11), a 64-bit double. Any other pair gives
// NotSupported. Text is the same under every locale.

// A 32-bit value is read as a float and handed back widened (exactly) to double.
// Blanks around the number and a sign are taken; "nan", "inf" and "infinity" in any
// letter case too. A text that is no number gives InvalidArguments, a number beyond the
// format's range OutOfRange; the value is then unchanged.
ResultCode ParseFloatingPoint(double& value, unsigned formatWidth, unsigned exponentWidth, std::string_view text);

// General format with 9 (32-bit) or 17 (64-bit) significant digits, trailing zeros and
// a trailing point dropped, large and small values in exponent form ("1e+20").
// NaN is written "nan", the infinities "inf" and "-inf" (all read back by the parser).
// A finite value beyond the 32-bit range gives OutOfRange.
ResultCode FormatFloatingPoint(std::string& text, double value, unsigned formatWidth, unsigned exponentWidth);

}  // namespace System
