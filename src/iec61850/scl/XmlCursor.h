#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "iec61850/scl/XmlNode.h"

namespace Iec61850::Acsi::Scl {

// Parses an XML text and walks the tree by element name, one current element at a
// time, reading attribute values (raw text) by exact name. An empty name in a search
// matches any element. Searches that fail leave the cursor where it was; nothing here
// throws for a missing element or attribute.
class XmlCursor {
public:
    XmlCursor() = default;
    explicit XmlCursor(const char* text) { Parse(text); }
    explicit XmlCursor(const std::string& text) { ParseString(text); }
    virtual ~XmlCursor();

    XmlCursor(const XmlCursor&) = delete;
    XmlCursor& operator=(const XmlCursor&) = delete;

    // Replaces any loaded document. A leading UTF-8 byte-order mark is skipped when more
    // follows it. True when the text parsed; otherwise the cursor is left empty.
    virtual bool Parse(const char* text);
    virtual bool ParseString(const std::string& text);

    void Clear();
    bool HasDocument() const { return document_ != nullptr; }

    // Makes the root current (the path stack stays as it is).
    void Rewind();
    void PushCurrent();
    // Pops the path stack into the current element; returns the entries left (0, and no
    // change, on an empty stack).
    int MoveToParent();

    // Searches level by level along first children: the children of the current element,
    // then the children of its first child, then of that one's first child, and so on.
    // No other subtree is entered.
    bool SearchDescendants(const std::string& name);
    bool FindElement(std::string name) { return SearchDescendants(name); }

    // The current element itself or a later sibling, the first that matches.
    bool SeekSibling(const std::string& name);
    // Steps to the next sibling, then seeks from there. With no next sibling nothing
    // changes; when the seek fails the cursor stays on that next sibling.
    bool MoveToSibling(const std::string& name);
    // As SeekSibling, for an element that also has the attribute with exactly that value.
    bool SeekSiblingWithAttribute(const std::string& name, const std::string& attributeName,
                                  const std::string& attributeValue);

    // False with `value` untouched when no element is current; false with `value` empty
    // when the current element lacks the attribute.
    bool ReadAttribute(const std::string& name, std::string& value) const;
    bool GetAttribute(std::string name, std::string& value) const { return ReadAttribute(name, value); }
    bool ReadText(std::string& text) const;

private:
    bool ParseText(std::string_view text);

    std::unique_ptr<XmlNode> document_;
    XmlNode* current_ = nullptr;
    std::deque<XmlNode*> pathStack_;
};

}  // namespace Iec61850::Acsi::Scl
