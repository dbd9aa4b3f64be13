#include "mms/values/ContainerXml.h"

#include <cstddef>
#include <cstdint>

#include "system/XmlText.h"

namespace Mms {

namespace {

// Length of the well-formed UTF-8 sequence at the start of the text, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<std::uint8_t>(text[0]);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    if (codePoint == 0xFFFE || codePoint == 0xFFFF) return 0;
    return length;
}

bool IsAllowedControl(char c) { return c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void AppendXmlEscaped(std::string& xml, std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            clean += '?';
            text.remove_prefix(1);
            continue;
        }
        if (length == 1 && static_cast<std::uint8_t>(text[0]) < 0x20 && !IsAllowedControl(text[0])) {
            clean += '?';
        } else {
            clean.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    System::EscapeXmlText(clean);
    xml += clean;
}

}  // namespace Mms
