#include "system/HexText.h"

#include <charconv>
#include <limits>

namespace System {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

void AppendHex(std::string& text, std::uint64_t value, unsigned octets) {
    for (int shift = static_cast<int>(octets) * 8 - 4; shift >= 0; shift -= 4) {
        text += HexDigits[(value >> shift) & 0xF];
    }
}

template <typename T>
void FormatElements(std::string& text, std::span<const T> elements, char separator) {
    text.clear();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0 && separator != 0) text += separator;
        AppendHex(text, elements[i], sizeof(T));
    }
}

template <typename T>
bool ReadHexElement(std::string_view piece, T& value) {
    while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
    while (!piece.empty() && IsBlank(piece.back())) piece.remove_suffix(1);
    if (piece.empty()) return false;
    T parsed{};
    const auto [end, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), parsed, 16);
    if (ec != std::errc{} || end != piece.data() + piece.size()) return false;
    value = parsed;
    return true;
}

template <typename T>
ResultCode ParseElements(std::span<T> elements, std::size_t& count, std::string_view text, char separator) {
    count = 0;
    while (!text.empty() && count < elements.size()) {
        std::string_view piece;
        if (separator == 0) {
            piece = text.substr(0, 2 * sizeof(T));
            text.remove_prefix(piece.size());
        } else {
            const std::size_t at = text.find(separator);
            piece = text.substr(0, at);
            text = at == std::string_view::npos ? std::string_view{} : text.substr(at + 1);
        }
        if (!ReadHexElement(piece, elements[count])) return InvalidArguments;
        ++count;
    }
    return OkNoError;
}

template <typename T>
ResultCode ParseOne(T& value, std::string_view text) {
    return ReadHexElement(text, value) ? OkNoError : InvalidArguments;
}

}  // namespace

void OctetsToHexText(std::string& text, std::span<const std::uint8_t> octets) { FormatElements(text, octets, 0); }

void FormatHexArray(std::string& text, std::span<const std::uint8_t> elements, char separator) {
    FormatElements(text, elements, separator);
}
void FormatHexArray(std::string& text, std::span<const std::uint16_t> elements, char separator) {
    FormatElements(text, elements, separator);
}
void FormatHexArray(std::string& text, std::span<const std::uint32_t> elements, char separator) {
    FormatElements(text, elements, separator);
}
void FormatHexArray(std::string& text, std::span<const std::uint64_t> elements, char separator) {
    FormatElements(text, elements, separator);
}

void FormatHex8(std::string& text, std::uint8_t value) {
    FormatHexArray(text, std::span<const std::uint8_t>(&value, 1), 0);
}
void FormatHex16(std::string& text, std::uint16_t value) {
    FormatHexArray(text, std::span<const std::uint16_t>(&value, 1), 0);
}
void FormatHex32(std::string& text, std::uint32_t value) {
    FormatHexArray(text, std::span<const std::uint32_t>(&value, 1), 0);
}

ResultCode ParseHexArray(std::span<std::uint8_t> elements, std::size_t& count, std::string_view text, char separator) {
    return ParseElements(elements, count, text, separator);
}
ResultCode ParseHexArray(std::span<std::uint16_t> elements, std::size_t& count, std::string_view text, char separator) {
    return ParseElements(elements, count, text, separator);
}
ResultCode ParseHexArray(std::span<std::uint32_t> elements, std::size_t& count, std::string_view text, char separator) {
    return ParseElements(elements, count, text, separator);
}
ResultCode ParseHexArray(std::span<std::uint64_t> elements, std::size_t& count, std::string_view text, char separator) {
    return ParseElements(elements, count, text, separator);
}

ResultCode ParseHex8(std::uint8_t& value, std::string_view text) { return ParseOne(value, text); }
ResultCode ParseHex16(std::uint16_t& value, std::string_view text) { return ParseOne(value, text); }
ResultCode ParseHex32(std::uint32_t& value, std::string_view text) { return ParseOne(value, text); }
ResultCode ParseHex64(std::uint64_t& value, std::string_view text) { return ParseOne(value, text); }

}  // namespace System
