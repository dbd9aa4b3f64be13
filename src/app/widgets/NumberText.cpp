#include "app/widgets/NumberText.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace Widgets {
namespace {

enum class Kind { Integer, Floating };

constexpr int kLimit = 256;  // widths and precisions beyond this are not a display format

// Checks `format` and gives the position just after its one conversion letter, or 0.
// Length modifiers are refused except "l" before a floating conversion, which printf ignores.
size_t CheckFormat(std::string_view format, Kind kind, char& conversion) {
    size_t end = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        if (end != 0) return 0;  // a second conversion
        size_t j = i + 1;
        while (j < format.size() && std::strchr("-+ #0", format[j])) ++j;
        int width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            width = width * 10 + (format[j++] - '0');
            if (width > kLimit) return 0;
        }
        if (j < format.size() && format[j] == '.') {
            ++j;
            int precision = 0;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
                precision = precision * 10 + (format[j++] - '0');
                if (precision > kLimit) return 0;
            }
        }
        if (kind == Kind::Floating && j < format.size() && format[j] == 'l') ++j;
        if (j >= format.size()) return 0;
        const char* letters = kind == Kind::Integer ? "diouxX" : "fFeEgGaA";
        if (!std::strchr(letters, format[j]) || format[j] == '\0') return 0;
        conversion = format[j];
        end = j + 1;
        i = j;
    }
    return end;
}

// printf in the "C" locale for this thread only, so another thread's locale is untouched.
template <typename Value>
std::string PrintC(const std::string& format, Value value) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    locale_t previous = c ? uselocale(c) : static_cast<locale_t>(nullptr);
    char small[128];
    int n = std::snprintf(small, sizeof small, format.c_str(), value);
    std::string out;
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else if (n >= 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::snprintf(out.data(), out.size(), format.c_str(), value);
        out.resize(static_cast<size_t>(n));
    }
    if (c) uselocale(previous);
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

}  // namespace

std::string FormatInteger(std::string_view format, int value) {
    char conversion = 0;
    std::string checked(format);
    if (format.empty() || format.find('\0') != std::string_view::npos ||
        CheckFormat(format, Kind::Integer, conversion) == 0)
        return PrintC("%d", value);
    if (conversion == 'd' || conversion == 'i') return PrintC(checked, value);
    return PrintC(checked, static_cast<unsigned>(value));
}

std::string FormatDouble(std::string_view format, double value) {
    char conversion = 0;
    if (format.empty() || format.find('\0') != std::string_view::npos ||
        CheckFormat(format, Kind::Floating, conversion) == 0)
        return PrintC("%g", value);
    return PrintC(std::string(format), value);
}

bool ParseInteger(std::string_view text, int& value) {
    text = Trim(text);
    if (text.empty()) return false;
    int parsed = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

bool ParseDouble(std::string_view text, double& value) {
    text = Trim(text);
    if (text.empty()) return false;
    double parsed = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

}  // namespace Widgets
