#include "iec61850/scl/XmlParser.h"

#include "iec61850/scl/XmlText.h"

namespace Iec61850::Acsi::Scl {

std::unique_ptr<XmlNode> XmlParser::ParseDocument(std::string_view text) {
    auto root = std::make_unique<XmlNode>();
    if (root->Parse(text) != 0) return nullptr;
    return root;
}

bool XmlParser::Accept(char c) {
    if (AtEnd() || text_[position_] != c) return false;
    ++position_;
    return true;
}

bool XmlParser::SkipSpace() {
    const std::size_t start = position_;
    while (!AtEnd() && IsXmlSpace(text_[position_])) ++position_;
    return position_ != start;
}

bool XmlParser::ParseRoot(XmlNode& root) {
    // The declaration and the comments are optional: where one is not, reading goes
    // on from where it would have begun.
    std::size_t start = position_;
    if (!SkipDeclaration()) position_ = start;
    for (;;) {
        start = position_;
        if (!SkipComment()) {
            position_ = start;
            break;
        }
    }
    return ParseElement(root, 1);
}

bool XmlParser::SkipDeclaration() {
    SkipSpace();
    if (!Accept('<') || !Accept('?')) return false;
    // The first "?" ends it, so a "?" inside the declaration is refused.
    const std::size_t question = text_.find('?', position_);
    if (question == std::string_view::npos) return false;
    position_ = question + 1;
    return Accept('>');
}

bool XmlParser::SkipComment() {
    SkipSpace();
    if (!Accept('<') || !Accept('!') || !Accept('-') || !Accept('-')) return false;
    // The first "--" must end the comment.
    const std::size_t dashes = text_.find("--", position_);
    if (dashes == std::string_view::npos) return false;
    position_ = dashes + 2;
    return Accept('>');
}

bool XmlParser::ParseElement(XmlNode& node, int depth) {
    if (depth > kMaxDepth) return false;
    const int startTag = ParseStartTag(node);
    if (startTag < 0) return false;
    if (startTag == 0) return true;

    for (;;) {
        const std::size_t markup = text_.find('<', position_);
        if (markup == std::string_view::npos || markup + 1 >= text_.size()) return false;
        // References cannot span markup, so each run of character data decodes alone.
        DecodeXmlReferences(node.text_, text_.substr(position_, markup - position_));
        position_ = markup;
        switch (text_[markup + 1]) {
            case '/': return MatchEndTag(node);
            case '!':  // only a comment; CDATA and declarations are refused
                if (!SkipComment()) return false;
                break;
            case '?':  // no processing instructions inside elements
                return false;
            default: {
                auto child = std::make_unique<XmlNode>(&node);
                if (!ParseElement(*child, depth + 1)) return false;
                node.AddChild(std::move(child));
                break;
            }
        }
    }
}

int XmlParser::ParseStartTag(XmlNode& node) {
    SkipSpace();
    if (!Accept('<')) return -1;
    SkipSpace();
    const std::size_t nameStart = position_;
    while (!AtEnd()) {
        const char c = text_[position_];
        if (IsXmlSpace(c) || c == '>' || c == '/') break;
        ++position_;
    }
    if (AtEnd() || position_ == nameStart) return -1;
    // A name that begins like a declaration or a comment would not read back as an
    // element.
    if (text_[nameStart] == '?' || text_[nameStart] == '!') return -1;
    node.name_.assign(text_.substr(nameStart, position_ - nameStart));

    for (;;) {
        const bool afterSpace = SkipSpace();
        if (AtEnd()) return -1;
        if (Accept('>')) return 1;
        if (Accept('/')) return Accept('>') ? 0 : -1;
        if (!afterSpace || !ParseAttribute(node)) return -1;
    }
}

bool XmlParser::ParseAttribute(XmlNode& node) {
    std::string name;
    std::string value;
    if (!ReadAttributeName(name)) return false;
    SkipSpace();
    if (!Accept('=')) return false;
    SkipSpace();
    if (!Accept('"')) return false;
    if (!ReadAttributeValue(value)) return false;
    node.AddAttribute(name, value);
    return true;
}

bool XmlParser::ReadAttributeName(std::string& name) {
    const std::size_t start = position_;
    while (!AtEnd()) {
        const char c = text_[position_];
        if (IsXmlSpace(c) || c == '=' || c == '<' || c == '>' || c == '/' || c == '"' || c == '\'') {
            break;
        }
        ++position_;
    }
    if (AtEnd() || position_ == start) return false;
    name.assign(text_.substr(start, position_ - start));
    return true;
}

bool XmlParser::ReadAttributeValue(std::string& value) {
    const std::size_t quote = text_.find('"', position_);
    if (quote == std::string_view::npos) return false;
    value.clear();
    DecodeXmlReferences(value, text_.substr(position_, quote - position_));
    position_ = quote + 1;
    return true;
}

bool XmlParser::MatchEndTag(const XmlNode& node) {
    if (node.name_.empty()) return false;
    SkipSpace();
    if (!Accept('<') || !Accept('/')) return false;
    SkipSpace();
    if (text_.substr(position_, node.name_.size()) != node.name_) return false;
    position_ += node.name_.size();
    SkipSpace();
    return Accept('>');
}

}  // namespace Iec61850::Acsi::Scl
