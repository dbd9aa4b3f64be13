#pragma once

#include <string>
#include <string_view>

// Numbers as the property grid shows and reads them, in the "C" form whatever the
// user's locale. A display format is literal text around exactly one conversion of the
// value's kind, with flags, a width and a precision and nothing that reads further
// arguments; any other format gives the default ("%d", "%g"), so a format never makes
// printf read or write what it was not given.
namespace Widgets {

std::string FormatInteger(std::string_view format, int value);
std::string FormatDouble(std::string_view format, double value);

// The whole text must be the number (spaces around it allowed, and a leading "+"); text
// with anything else in it, or a number that the type cannot hold, is refused.
bool ParseInteger(std::string_view text, int& value);
bool ParseDouble(std::string_view text, double& value);

}  // namespace Widgets
