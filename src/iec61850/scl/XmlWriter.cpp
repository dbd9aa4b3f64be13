#include "iec61850/scl/XmlWriter.h"

#include <charconv>

#include "iec61850/scl/XmlText.h"

namespace Iec61850::Acsi::Scl {

void XmlWriter::CloseOpenStartTag() {
    if (!startTagOpen_) return;
    text_ += '>';
    elementStack_.push_back(pendingName_);
    startTagOpen_ = false;
}

void XmlWriter::WriteIndentation() {
    if (!indent_) return;
    text_ += '\n';
    text_.append(depth_ + elementStack_.size(), ' ');
}

void XmlWriter::AppendEscapedAttribute(std::string_view value) {
    if (!EscapeXmlAttribute(text_, value)) text_.append(value);
}

bool XmlWriter::StartElement(std::string_view name) {
    CloseOpenStartTag();
    textLast_ = false;
    pendingName_.assign(name);
    WriteIndentation();
    text_ += '<';
    text_.append(name);
    startTagOpen_ = true;
    return true;
}

bool XmlWriter::WriteAttribute(std::string_view name, std::string_view value) {
    if (!startTagOpen_) return false;
    text_ += ' ';
    text_.append(name);
    text_ += "=\"";
    AppendEscapedAttribute(value);
    text_ += '"';
    return true;
}

bool XmlWriter::AddAttribute(std::string_view name, std::uint32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return WriteAttribute(name, std::string_view(digits, result.ptr - digits));
}

bool XmlWriter::EndElement() {
    if (startTagOpen_) {
        text_ += "/>";
        startTagOpen_ = false;
    } else if (!elementStack_.empty()) {
        std::string name = std::move(elementStack_.back());
        elementStack_.pop_back();
        if (!textLast_) WriteIndentation();
        text_ += "</";
        text_ += name;
        text_ += '>';
    }
    textLast_ = false;
    return true;
}

bool XmlWriter::EndAllElements() {
    do {
        EndElement();
    } while (!elementStack_.empty());
    return true;
}

bool XmlWriter::WriteValueElement(std::string_view name, std::string_view value) {
    CloseOpenStartTag();
    textLast_ = false;
    const bool firstElement = text_.empty();
    WriteIndentation();
    text_ += '<';
    text_.append(name);
    text_ += " Value=\"";
    AppendEscapedAttribute(value);
    text_ += '"';
    if (firstElement) {
        pendingName_.assign(name);
        startTagOpen_ = true;
    } else {
        text_ += "/>";
    }
    return true;
}

bool XmlWriter::WriteText(std::string_view text) {
    CloseOpenStartTag();
    textLast_ = true;
    if (!EscapeXmlText(text_, text)) text_.append(text);
    return true;
}

bool XmlWriter::WriteComment(std::string_view text) {
    CloseOpenStartTag();
    textLast_ = false;
    WriteIndentation();
    // The text as element text would carry it, then unescaped again: a comment holds no
    // references, only the characters XML can carry (line ends become blanks).
    std::string carried;
    if (!EscapeXmlText(carried, text)) carried.assign(text);
    std::string plain;
    for (std::size_t i = 0; i < carried.size(); ++i) {
        if (carried[i] == '&') {
            const std::size_t end = carried.find(';', i);
            const std::string_view entity = std::string_view(carried).substr(i, end - i + 1);
            plain += entity == "&lt;"     ? '<'
                     : entity == "&gt;"   ? '>'
                     : entity == "&amp;"  ? '&'
                     : entity == "&quot;" ? '"'
                     : entity == "&apos;" ? '\''
                                          : ' ';  // a character reference: a line end
            i = end;
        } else if (carried[i] == '\n' || carried[i] == '\r' || carried[i] == '\t') {
            plain += ' ';
        } else if (carried[i] == '-' && !plain.empty() && plain.back() == '-') {
            plain += '?';
        } else {
            plain += carried[i];
        }
    }
    text_ += "<!-- ";
    text_ += plain;
    text_ += " -->";
    return true;
}

bool XmlWriter::WriteRaw(std::string_view text) {
    CloseOpenStartTag();
    textLast_ = false;
    text_.append(text);
    return true;
}

bool XmlWriter::Escape(std::string& output, std::string_view input) { return EscapeXmlText(output, input); }

bool XmlWriter::GetXml(std::string& output) {
    output.clear();
    output.reserve(4096);
    EndAllElements();
    output += text_;
    text_.clear();
    pendingName_.clear();
    textLast_ = false;
    return true;
}

}  // namespace Iec61850::Acsi::Scl
