#include "app/goose/GooseValueText.h"

#include <charconv>
#include <ctime>

namespace {

template <typename Number>
void AppendNumber(std::string& text, Number number) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    text.append(buffer, result.ptr);
}

// As "%f": fixed notation with six decimals. The largest double needs 309 digits.
void AppendFixed(std::string& text, double number) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 6);
    text.append(buffer, result.ptr);
}

// At least `width` digits, zero-filled.
void AppendPadded(std::string& text, unsigned number, std::size_t width) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    const std::size_t digits = static_cast<std::size_t>(result.ptr - buffer);
    if (digits < width) text.append(width - digits, '0');
    text.append(buffer, result.ptr);
}

void AppendHex(std::string& text, std::uint8_t octet) {
    static const char kDigits[] = "0123456789ABCDEF";
    text += kDigits[octet >> 4];
    text += kDigits[octet & 15];
}

// "2026-12-07 16:54:31", the form the fraction of a second is written after.
void AppendDateTime(std::string& text, const std::tm& time) {
    AppendNumber(text, static_cast<long long>(time.tm_year) + 1900);
    text += '-';
    AppendPadded(text, static_cast<unsigned>(time.tm_mon + 1), 2);
    text += '-';
    AppendPadded(text, static_cast<unsigned>(time.tm_mday), 2);
    text += ' ';
    AppendPadded(text, static_cast<unsigned>(time.tm_hour), 2);
    text += ':';
    AppendPadded(text, static_cast<unsigned>(time.tm_min), 2);
    text += ':';
    AppendPadded(text, static_cast<unsigned>(time.tm_sec), 2);
}

}  // namespace

std::string GooseUtcTimeText(std::uint32_t seconds, std::uint32_t fraction) {
    // The quality octet is part of the divided word, so 1000 can come out: a fraction
    // within 60 ns of the next second. That is the next second's start; the carry may run
    // on into the minute, the day and the year, so it is made before the calendar.
    std::uint32_t milliseconds = fraction / 4294967u;
    std::time_t time = static_cast<std::time_t>(seconds);
    if (milliseconds >= 1000u) {
        milliseconds -= 1000u;
        time += 1;
    }
    std::string text;
    std::tm local{};
    if (localtime_r(&time, &local)) AppendDateTime(text, local);
    text += '.';
    AppendPadded(text, milliseconds, 3);
    return text;
}

std::string GooseBinaryTimeText(const std::uint8_t* octets, std::size_t length) {
    if (length != 4 && length != 6) return {};
    const std::uint32_t milliseconds = (std::uint32_t{octets[0]} << 24) | (std::uint32_t{octets[1]} << 16) |
                                       (std::uint32_t{octets[2]} << 8) | octets[3];
    std::string text;
    if (length == 6) {
        // A date: days since 1984-01-01 (441763200 s after 1970-01-01), told in UTC as sent.
        const unsigned days = (unsigned{octets[4]} << 8) | octets[5];
        const std::time_t time = static_cast<std::time_t>(441763200LL + 86400LL * days + milliseconds / 1000u);
        std::tm utc{};
        if (gmtime_r(&time, &utc)) AppendDateTime(text, utc);
    } else {
        const std::uint32_t second = milliseconds / 1000u;
        AppendPadded(text, second / 3600u, 2);
        text += ':';
        AppendPadded(text, second / 60u % 60u, 2);
        text += ':';
        AppendPadded(text, second % 60u, 2);
    }
    text += '.';
    AppendPadded(text, milliseconds % 1000u, 3);
    return text;
}

void AppendGooseValueText(std::string& text, const GooseValue& value) {
    switch (value.type) {
        case kGooseBoolean: text += value.integer ? 'T' : 'F'; break;
        case kGooseBitString:
        case kGooseBooleanArray:
            for (std::size_t bit = 0; bit < value.bitCount; ++bit)
                text += (value.data.octets[bit / 8] & (0x80 >> (bit % 8))) ? '1' : '0';
            break;
        case kGooseInteger:
        case kGooseBcd: AppendNumber(text, value.integer); break;
        case kGooseUnsigned: AppendNumber(text, value.unsignedValue); break;
        case kGooseFloat: AppendFixed(text, value.real); break;
        case kGooseOctetString:
        case kGooseObjectId:
            for (std::size_t i = 0; i < value.data.length; ++i) AppendHex(text, value.data.octets[i]);
            break;
        case kGooseVisibleString:
        case kGooseGeneralizedTime:
        case kGooseMmsString: text += value.data.View(); break;
        case kGooseBinaryTime: text += GooseBinaryTimeText(value.data.octets.data(), value.data.length); break;
        case kGooseUtcTime: text += GooseUtcTimeText(value.seconds, value.fraction); break;
        default: break;
    }
}
