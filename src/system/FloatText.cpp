#include "system/FloatText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace System {

namespace {

enum class FloatFormat { Single, Double, Unsupported };

FloatFormat FormatOf(unsigned formatWidth, unsigned exponentWidth) {
    if (formatWidth == 32 && exponentWidth == 8) return FloatFormat::Single;
    if (formatWidth == 64 && exponentWidth == 11) return FloatFormat::Double;
    return FloatFormat::Unsupported;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

template <typename T>
ResultCode ReadFloat(std::string_view text, double& value) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return InvalidArguments;
    }
    if (text.empty()) return InvalidArguments;
    T parsed{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (end != text.data() + text.size()) return InvalidArguments;
    if (ec == std::errc::result_out_of_range) return OutOfRange;
    if (ec != std::errc{}) return InvalidArguments;
    value = parsed;
    return OkNoError;
}

template <typename T>
void WriteFloat(std::string& text, T value, int digits) {
    if (std::isnan(value)) {
        text = "nan";
        return;
    }
    if (std::isinf(value)) {
        text = value < 0 ? "-inf" : "inf";
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    text.assign(buffer, result.ptr);
}

}  // namespace

ResultCode ParseFloatingPoint(double& value, unsigned formatWidth, unsigned exponentWidth, std::string_view text) {
    switch (FormatOf(formatWidth, exponentWidth)) {
        case FloatFormat::Single: return ReadFloat<float>(text, value);
        case FloatFormat::Double: return ReadFloat<double>(text, value);
        case FloatFormat::Unsupported: break;
    }
    return NotSupported;
}

ResultCode FormatFloatingPoint(std::string& text, double value, unsigned formatWidth, unsigned exponentWidth) {
    switch (FormatOf(formatWidth, exponentWidth)) {
        case FloatFormat::Single:
            if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
                return OutOfRange;
            }
            WriteFloat(text, static_cast<float>(value), 9);
            return OkNoError;
        case FloatFormat::Double: WriteFloat(text, value, 17); return OkNoError;
        case FloatFormat::Unsupported: break;
    }
    return NotSupported;
}

}  // namespace System
