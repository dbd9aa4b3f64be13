#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "system/ResultCode.h"

namespace System {

// Case-insensitive comparison with ASCII folding, independent of the locale:
// negative when a sorts first, 0 when equal ignoring case, positive otherwise.
int CompareNoCase(std::string_view a, std::string_view b);

// Every separator splits: "a;b;" gives "a", "b" and "". An empty text has no parts.
// The parts replace the list's contents; returns their number.
std::size_t SplitString(std::string_view text, char separator, std::vector<std::string>& parts);

// Part n counted from the end of SplitString (1 = the last); an empty field when there
// are fewer parts. n below 1 gives InvalidArguments.
ResultCode GetFieldFromEnd(std::string_view text, char separator, int n, std::string& field);

// Head before and tail after the first separator; without one the head is the text.
void SplitAtFirst(std::string_view text, char separator, std::string& head, std::string& tail);
// Head before and tail after the last separator; without one the tail is the text.
void SplitAtLast(std::string_view text, char separator, std::string& head, std::string& tail);
// Head = the first position characters, tail = the rest.
void SplitAtPosition(std::string_view text, std::size_t position, std::string& head, std::string& tail);

// Copies the text and a terminating zero into a C buffer. When they do not fit, as
// much as fits is copied, still terminated (for a capacity above 0), and the result is
// OutOfRange.
ResultCode CopyTextBounded(char* destination, std::size_t capacity, std::string_view text);

}  // namespace System
