#include "ui/IniFile.h"

#include <fstream>

namespace Ui {
namespace {

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        unsigned char d = static_cast<unsigned char>(b[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        if (d >= 'A' && d <= 'Z') d = static_cast<unsigned char>(d + 32);
        if (c != d) return false;
    }
    return true;
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return defaultValue;
    std::string line;
    bool inSection = false;
    bool firstLine = true;
    while (std::getline(file, line)) {
        if (firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        firstLine = false;
        std::string text = Trim(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            size_t close = text.find(']');
            inSection = close != std::string::npos && SameNoCase(Trim(text.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        if (SameNoCase(Trim(text.substr(0, equals)), key)) return Unquote(Trim(text.substr(equals + 1)));
    }
    return defaultValue;
}

}  // namespace Ui
