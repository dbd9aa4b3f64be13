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

}  // namespace

std::string GooseUtcTimeText(std::uint32_t seconds, std::uint32_t fraction) {
    // The names are fixed English ones, as ctime writes them whatever the locale.
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string text;
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) && local.tm_wday >= 0 && local.tm_wday < 7 && local.tm_mon >= 0 &&
        local.tm_mon < 12) {
        text += kDays[local.tm_wday];
        text += ' ';
        text += kMonths[local.tm_mon];
        text += ' ';
        AppendPadded(text, static_cast<unsigned>(local.tm_mday), 2);
        text += ' ';
        AppendPadded(text, static_cast<unsigned>(local.tm_hour), 2);
        text += ':';
        AppendPadded(text, static_cast<unsigned>(local.tm_min), 2);
        text += ':';
        AppendPadded(text, static_cast<unsigned>(local.tm_sec), 2);
        text += ' ';
        AppendNumber(text, static_cast<long long>(local.tm_year) + 1900);
    }
    text += '.';
    // The quality octet is part of the divided word, so 1000 can come out.
    AppendPadded(text, fraction / 4294967u, 3);
    return text;
}

void AppendGooseValueText(std::string& text, const GooseValue& value) {
    switch (value.type) {
        case kGooseBoolean: text += value.integer ? 'T' : 'F'; break;
        case kGooseBitString:
            for (std::size_t bit = 0; bit < value.bitCount; ++bit)
                text += (value.data.octets[bit / 8] & (0x80 >> (bit % 8))) ? '1' : '0';
            break;
        case kGooseInteger: AppendNumber(text, value.integer); break;
        case kGooseUnsigned: AppendNumber(text, value.unsignedValue); break;
        case kGooseFloat: AppendFixed(text, value.real); break;
        case kGooseOctetString:
            for (std::size_t i = 0; i < value.data.length; ++i) AppendHex(text, value.data.octets[i]);
            break;
        case kGooseVisibleString: text += value.data.View(); break;
        case kGooseUtcTime: text += GooseUtcTimeText(value.seconds, value.fraction); break;
        default: break;
    }
}
