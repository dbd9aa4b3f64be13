#pragma once

// The text by which the GOOSE monitor shows one element of allData. Numbers never depend
// on the locale, which the desktop toolkit sets from the user's settings.

#include "app/goose/GooseRecords.h"

#include <cstdint>
#include <string>

// Appends the element's text; types that are not shown append nothing.
void AppendGooseValueText(std::string& text, const GooseValue& value);

// A utc-time as the local calendar time in the C library's ctime form, day of the month
// with two digits ("Thu Jan 01 00:00:00 1970"), without ctime's line feed; then "." and
// the milliseconds of the fraction word with at least three digits. When the seconds
// have no local time, only "." and the milliseconds.
std::string GooseUtcTimeText(std::uint32_t seconds, std::uint32_t fraction);
