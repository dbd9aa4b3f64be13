#include "iec61850/scl/XmlText.h"

#include <cstdint>

namespace Iec61850::Acsi::Scl {

namespace {

bool IsXmlCodePoint(std::uint32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c < 0xD800) return true;
    if (c < 0xE000) return false;  // surrogates
    if (c < 0xFFFE) return true;
    return c >= 0x10000 && c <= 0x10FFFF;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Looks at the character starting at text[i]. Sets `length` to the bytes it takes:
// the whole sequence for well-formed UTF-8, one byte for anything malformed, so that
// reading resumes at the next byte. Returns whether XML may carry the character.
bool ReadCharacter(std::string_view text, std::size_t i, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[i]);
    length = 1;
    if (lead < 0x80) return IsXmlCodePoint(lead);

    std::size_t need = 0;
    std::uint32_t code = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return false;
    }
    if (text.size() - i <= need) return false;
    for (std::size_t k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(b)) return false;
        if (k == 1 && (b < low || b > high)) return false;
        code = (code << 6) | (b & 0x3F);
    }
    length = need + 1;
    return IsXmlCodePoint(code);
}

const char* ReplacementFor(char c, bool attribute) {
    switch (c) {
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '&': return "&amp;";
        case '\'': return "&apos;";
        case '"': return "&quot;";
        case '\r': return "&#13;";
        case '\n': return attribute ? "&#10;" : nullptr;
        case '\t': return attribute ? "&#9;" : nullptr;
        default: return nullptr;
    }
}

bool Escape(std::string& output, std::string_view input, bool attribute) {
    // Find the first byte that needs work; most texts need none.
    std::size_t first = 0;
    std::size_t length = 0;
    for (; first < input.size(); first += length) {
        if (ReplacementFor(input[first], attribute) != nullptr) break;
        if (!ReadCharacter(input, first, length)) break;
    }
    if (first == input.size()) return false;

    output.reserve(output.size() + 2 * input.size());
    output.append(input.substr(0, first));
    for (std::size_t i = first; i < input.size(); i += length) {
        length = 1;
        if (const char* entity = ReplacementFor(input[i], attribute)) {
            output += entity;
        } else if (ReadCharacter(input, i, length)) {
            output.append(input.substr(i, length));
        } else {
            output += '?';
        }
    }
    return true;
}

void AppendUtf8(std::string& output, std::uint32_t c) {
    if (c < 0x80) {
        output += static_cast<char>(c);
    } else if (c < 0x800) {
        output += static_cast<char>(0xC0 | (c >> 6));
        output += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        output += static_cast<char>(0xE0 | (c >> 12));
        output += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        output += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        output += static_cast<char>(0xF0 | (c >> 18));
        output += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        output += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        output += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Reads "#123;" or "#x1F;" (the text after the ampersand). Returns the bytes taken,
// or 0 when this is no reference to a character that XML can carry.
std::size_t ReadNumericReference(std::string_view rest, std::uint32_t& code) {
    if (rest.size() < 3 || rest[0] != '#') return 0;
    int base = 10;
    std::size_t i = 1;
    if (rest[1] == 'x') {
        base = 16;
        i = 2;
    }
    const std::size_t digitsStart = i;
    code = 0;
    for (; i < rest.size(); ++i) {
        const int d = DigitValue(rest[i], base);
        if (d < 0) break;
        code = code * base + static_cast<std::uint32_t>(d);
        if (code > 0x10FFFF) return 0;  // also keeps the sum from overflowing
    }
    if (i == digitsStart || i >= rest.size() || rest[i] != ';') return 0;
    return IsXmlCodePoint(code) ? i + 1 : 0;
}

}  // namespace

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool EscapeXmlText(std::string& output, std::string_view input) { return Escape(output, input, false); }

bool EscapeXmlAttribute(std::string& output, std::string_view input) { return Escape(output, input, true); }

void DecodeXmlReferences(std::string& output, std::string_view input) {
    static constexpr struct {
        std::string_view name;
        char character;
    } kEntities[] = {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"apos;", '\''}, {"quot;", '"'}};

    std::size_t i = 0;
    while (i < input.size()) {
        const std::size_t amp = input.find('&', i);
        if (amp == std::string_view::npos) {
            output.append(input.substr(i));
            return;
        }
        output.append(input.substr(i, amp - i));
        const std::string_view rest = input.substr(amp + 1);
        std::size_t taken = 0;
        for (const auto& entity : kEntities) {
            if (rest.substr(0, entity.name.size()) == entity.name) {
                output += entity.character;
                taken = entity.name.size();
                break;
            }
        }
        if (taken == 0) {
            std::uint32_t code = 0;
            taken = ReadNumericReference(rest, code);
            if (taken != 0) AppendUtf8(output, code);
        }
        if (taken == 0) output += '&';
        i = amp + 1 + taken;
    }
}

}  // namespace Iec61850::Acsi::Scl
