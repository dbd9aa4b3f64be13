#include "ui/Text.h"

namespace Ui {

std::string ToDisplayLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n' && i + 1 < text.size() && text[i + 1] == '\r') {
            out += '\n';
            ++i;
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace Ui
