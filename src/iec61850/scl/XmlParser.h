#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "iec61850/scl/XmlNode.h"

namespace Iec61850::Acsi::Scl {

// Reads a whole XML text into an XmlNode tree in one pass, or rejects it as a whole.
//
// The subset read: an optional declaration (or processing instruction) at the very
// start, comments, elements, attributes in double quotation marks and character data.
// Entity and character references in attribute values and text are decoded; an
// ampersand that starts no reference is kept as it stands. White space may follow the
// "<" of a start tag and surround "=" in an attribute. CDATA sections, document type
// declarations and processing instructions inside elements are refused, and so is
// nesting deeper than kMaxDepth elements. Whatever follows the root element's end tag
// is not examined.
class XmlParser {
public:
    static constexpr int kMaxDepth = 256;

    // The root element, or null when the text is rejected.
    static std::unique_ptr<XmlNode> ParseDocument(std::string_view text);

private:
    friend class XmlNode;

    explicit XmlParser(std::string_view text) : text_(text) {}

    // Each step below consumes what it reads and returns false (or -1) when the text
    // leaves the subset or ends too early.
    bool ParseRoot(XmlNode& root);
    bool SkipDeclaration();
    bool SkipComment();
    bool ParseElement(XmlNode& node, int depth);
    // 1 for a start tag closed by ">", 0 for an empty-element tag, -1 on error.
    int ParseStartTag(XmlNode& node);
    bool ParseAttribute(XmlNode& node);
    bool ReadAttributeName(std::string& name);
    bool ReadAttributeValue(std::string& value);
    bool MatchEndTag(const XmlNode& node);

    bool AtEnd() const { return position_ >= text_.size(); }
    // Consumes `c` when it is the next character.
    bool Accept(char c);
    // Skips white space; true when there was some.
    bool SkipSpace();

    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace Iec61850::Acsi::Scl
