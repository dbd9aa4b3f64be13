#include "system/StringText.h"

#include <algorithm>
#include <cstring>

namespace System {

namespace {
unsigned char FoldAscii(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}
}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = int(FoldAscii(a[i])) - int(FoldAscii(b[i]));
        if (d != 0) return d;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t SplitString(std::string_view text, char separator, std::vector<std::string>& parts) {
    parts.clear();
    if (text.empty()) return 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            break;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    return parts.size();
}

ResultCode GetFieldFromEnd(std::string_view text, char separator, int n, std::string& field) {
    if (n < 1) return InvalidArguments;
    std::vector<std::string> parts;
    const std::size_t count = SplitString(text, separator, parts);
    const auto wanted = static_cast<std::size_t>(n);
    if (wanted > count) {
        field.clear();
    } else {
        field = parts[count - wanted];
    }
    return OkNoError;
}

void SplitAtFirst(std::string_view text, char separator, std::string& head, std::string& tail) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) {
        head = text;
        tail.clear();
        return;
    }
    head = text.substr(0, at);
    tail = text.substr(at + 1);
}

void SplitAtLast(std::string_view text, char separator, std::string& head, std::string& tail) {
    const std::size_t at = text.rfind(separator);
    if (at == std::string_view::npos) {
        head.clear();
        tail = text;
        return;
    }
    head = text.substr(0, at);
    tail = text.substr(at + 1);
}

void SplitAtPosition(std::string_view text, std::size_t position, std::string& head, std::string& tail) {
    const std::size_t cut = std::min(position, text.size());
    head = text.substr(0, cut);
    tail = text.substr(cut);
}

ResultCode CopyTextBounded(char* destination, std::size_t capacity, std::string_view text) {
    if (capacity == 0 || destination == nullptr) return OutOfRange;
    const bool fits = text.size() < capacity;
    const std::size_t n = fits ? text.size() : capacity - 1;
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
    return fits ? OkNoError : OutOfRange;
}

}  // namespace System
