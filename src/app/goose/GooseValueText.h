#pragma once

// The text by which the GOOSE monitor shows one element of allData. Numbers never depend
// on the locale, which the desktop toolkit sets from the user's settings.

#include "app/goose/GooseRecords.h"

#include <cstdint>
#include <string>

// Appends the element's text; structures and arrays append nothing (their members are
// not listed), every other type the decoder reads has a text.
void AppendGooseValueText(std::string& text, const GooseValue& value);

// A utc-time as the local calendar time, "2026-12-07 16:54:31", then "." and the
// milliseconds of the fraction word, three digits; a fraction word that comes to 1000
// milliseconds is the next second, ".000". When the seconds have no local time, only "."
// and the milliseconds.
std::string GooseUtcTimeText(std::uint32_t seconds, std::uint32_t fraction);

// A binary time: four octets, the time of day "16:54:31.580"; six, with the date, told in
// UTC as it is sent, "2026-12-07 16:54:31.580". Other lengths have no text.
std::string GooseBinaryTimeText(const std::uint8_t* octets, std::size_t length);
