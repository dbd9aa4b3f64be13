#include "system/NumberText.h"

#include <charconv>
#include <limits>

namespace System {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

enum class ReadOutcome { Ok, NotANumber, TooLarge };

// The whole text (blanks aside) must be one decimal number of T.
template <typename T>
ReadOutcome ReadDecimal(std::string_view text, T& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return ReadOutcome::NotANumber;
    }
    if (text.empty()) return ReadOutcome::NotANumber;
    T parsed{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (end != text.data() + text.size()) {
        return ec == std::errc::result_out_of_range ? ReadOutcome::TooLarge : ReadOutcome::NotANumber;
    }
    if (ec == std::errc::result_out_of_range) return ReadOutcome::TooLarge;
    if (ec != std::errc{}) return ReadOutcome::NotANumber;
    value = parsed;
    return ReadOutcome::Ok;
}

template <typename T>
ResultCode ParseTypedText(T& value, std::string_view text) {
    T parsed{};
    if (ReadDecimal(text, parsed) != ReadOutcome::Ok) return InvalidArguments;
    value = parsed;
    return OkNoError;
}

// Smallest and largest value of the signed store that an MMS width selects.
void StoreLimits(unsigned width, std::int64_t& minimum, std::int64_t& maximum) {
    if (width < 9) {
        minimum = std::numeric_limits<std::int8_t>::min();
        maximum = std::numeric_limits<std::int8_t>::max();
    } else if (width < 17) {
        minimum = std::numeric_limits<std::int16_t>::min();
        maximum = std::numeric_limits<std::int16_t>::max();
    } else if (width < 33) {
        minimum = std::numeric_limits<std::int32_t>::min();
        maximum = std::numeric_limits<std::int32_t>::max();
    } else {
        minimum = std::numeric_limits<std::int64_t>::min();
        maximum = std::numeric_limits<std::int64_t>::max();
    }
}

template <typename T>
void FormatPadded(std::string& text, T value, unsigned fieldWidth, char fill) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const auto length = static_cast<std::size_t>(result.ptr - buffer);
    text.clear();
    if (fieldWidth > length) text.assign(fieldWidth - length, fill == 0 ? ' ' : fill);
    text.append(buffer, length);
}

}  // namespace

ResultCode ParseIntegerByWidth(std::int64_t& value, unsigned width, std::string_view text) {
    if (width > 64) return NotSupported;
    std::int64_t parsed = 0;
    switch (ReadDecimal(text, parsed)) {
        case ReadOutcome::NotANumber: return InvalidArguments;
        case ReadOutcome::TooLarge: return OutOfRange;
        case ReadOutcome::Ok: break;
    }
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    StoreLimits(width, minimum, maximum);
    if (parsed < minimum || parsed > maximum) return OutOfRange;
    value = parsed;
    return OkNoError;
}

ResultCode ParseIntegerInRangeByWidth(std::int32_t& value, unsigned width, std::string_view text, std::int32_t minimum,
                                      std::int32_t maximum) {
    if (width > 32) return NotSupported;
    std::int64_t parsed = 0;
    const ResultCode result = ParseIntegerByWidth(parsed, width, text);
    if (result != OkNoError) return result;
    if (parsed < minimum || parsed > maximum) return OutOfRange;
    value = static_cast<std::int32_t>(parsed);
    return OkNoError;
}

ResultCode FormatIntegerByWidth(std::string& text, std::int64_t value, unsigned width) {
    if (width > 128) return NotSupported;
    if (width < 9) {
        FormatInt64(text, static_cast<std::int8_t>(value));
    } else if (width < 17) {
        FormatInt64(text, static_cast<std::int16_t>(value));
    } else if (width < 33) {
        FormatInt64(text, static_cast<std::int32_t>(value));
    } else {
        FormatInt64(text, value);
    }
    return OkNoError;
}

ResultCode ParseBoolean(bool& flag, std::string_view text) {
    if (text.empty()) return InvalidArguments;
    if (text.size() == 1) {
        if (text[0] != '0' && text[0] != '1') return InvalidArguments;
        flag = text[0] == '1';
        return OkNoError;
    }
    flag = text[0] == 'T' || text[0] == 't';
    return OkNoError;
}

void FormatBoolText(std::string& text, bool flag) { text = flag ? "true" : "false"; }

ResultCode ParseInt8Text(std::int8_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseUInt8Text(std::uint8_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseInt16Text(std::int16_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseUInt16Text(std::uint16_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseInt32Text(std::int32_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseUnsignedText(std::uint32_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseInt64Text(std::int64_t& value, std::string_view text) { return ParseTypedText(value, text); }
ResultCode ParseUInt64Text(std::uint64_t& value, std::string_view text) { return ParseTypedText(value, text); }

void FormatInt8(std::string& text, std::int8_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, static_cast<int>(value), fieldWidth, fill);
}
void FormatInt16(std::string& text, std::int16_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, value, fieldWidth, fill);
}
void FormatInt32(std::string& text, std::int32_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, value, fieldWidth, fill);
}
void FormatInt64(std::string& text, std::int64_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, value, fieldWidth, fill);
}
void FormatUInt8(std::string& text, std::uint8_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, static_cast<unsigned>(value), fieldWidth, fill);
}
void FormatUInt16(std::string& text, std::uint16_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, value, fieldWidth, fill);
}
void FormatUInt32(std::string& text, std::uint32_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, value, fieldWidth, fill);
}
void FormatUInt64(std::string& text, std::uint64_t value, unsigned fieldWidth, char fill) {
    FormatPadded(text, value, fieldWidth, fill);
}

std::uint32_t ParseNumberNotation(std::string_view text) {
    std::uint32_t value = 0;
    int base = 10;
    if (text.size() >= 2 && text.front() == '#') {
        text.remove_prefix(1);
    } else if (text.size() >= 4 && text.front() == '\'' && text.substr(text.size() - 2) == "'H") {
        text = text.substr(1, text.size() - 3);
        base = 16;
    } else {
        return 0;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) return 0;
    return value;
}

void FormatDottedQuad(std::string& text, std::uint32_t value) {
    text.clear();
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24) text += '.';
        text += std::to_string((value >> shift) & 0xFF);
    }
}

}  // namespace System
