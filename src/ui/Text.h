#pragma once

#include <QString>
#include <string>
#include <string_view>

// Text crosses into Qt as UTF-8: bytes that are not UTF-8 show as replacement characters
// on screen, while the values kept by the program stay as they came.
namespace Ui {

inline QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

// Message texts join a headline and a detail with "\n\r"; shown, that is one line break.
std::string ToDisplayLines(std::string_view text);

}  // namespace Ui
