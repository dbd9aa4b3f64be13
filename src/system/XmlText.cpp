#include "system/XmlText.h"

#include <string_view>

namespace System {

namespace {
struct Entity {
    char character;
    std::string_view text;
};

constexpr Entity Entities[] = {
    {'&', "&amp;"}, {'\'', "&apos;"}, {'>', "&gt;"}, {'<', "&lt;"}, {'"', "&quot;"},
};
}  // namespace

void EscapeXmlText(std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        bool replaced = false;
        for (const Entity& entity : Entities) {
            if (c == entity.character) {
                escaped += entity.text;
                replaced = true;
                break;
            }
        }
        if (!replaced) escaped += c;
    }
    text.swap(escaped);
}

void UnescapeXmlText(std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    const std::string_view source(text);
    std::size_t i = 0;
    while (i < source.size()) {
        bool replaced = false;
        if (source[i] == '&') {
            for (const Entity& entity : Entities) {
                if (source.substr(i, entity.text.size()) == entity.text) {
                    plain += entity.character;
                    i += entity.text.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) plain += source[i++];
    }
    text.swap(plain);
}

}  // namespace System
