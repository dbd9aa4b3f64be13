#include "iec61850/icd/DecimalText.h"

#include <charconv>

namespace Iec61850::Acsi::Scl {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::optional<std::int64_t> ReadLeadingDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::size_t digitsStart = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == digitsStart) return std::nullopt;
    // Read the magnitude as unsigned so that the most negative value still fits.
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data() + digitsStart, text.data() + at, magnitude);
    if (error != std::errc() || end != text.data() + at) return std::nullopt;
    constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(INT64_MAX);
    if (!negative) {
        if (magnitude > kMaxPositive) return std::nullopt;
        return static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > kMaxPositive + 1) return std::nullopt;
    return magnitude == kMaxPositive + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
}

std::optional<std::int32_t> ReadWholeDecimal(std::string_view text) {
    if (text.empty() || text.front() == '+') return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace Iec61850::Acsi::Scl
