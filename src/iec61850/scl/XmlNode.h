#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Iec61850::Acsi::Scl {

struct XmlAttribute {
    std::string name;
    std::string value;
};

// One element of an XML tree: its name, its attributes in document order, its child
// elements and one text gathered from all of its character data. Names and values are
// raw text: the parser decodes references when it reads and Serialize escapes when it
// writes, so nothing is escaped twice on the way through.
//
// A node owns its children and its attributes. Names compare byte for byte.
class XmlNode {
public:
    // A node with an empty name. With `rawAttributes` set, attributes are kept only as
    // one preformatted text, for nodes that are built to be serialized.
    explicit XmlNode(XmlNode* parent = nullptr, bool rawAttributes = false);
    XmlNode(XmlNode* parent, std::string name, bool rawAttributes = false);
    // Keeps a literal name from being taken for the flag.
    XmlNode(XmlNode* parent, const char* name, bool rawAttributes = false)
        : XmlNode(parent, std::string(name), rawAttributes) {}
    virtual ~XmlNode();

    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    // Appends `child` after the last child, links it into the sibling chain and makes
    // this node its parent. Returns the child, or null for a null child.
    XmlNode* AddChild(std::unique_ptr<XmlNode> child);

    XmlNode* GetFirstChild() const;
    XmlNode* GetLastChild() const;
    XmlNode* GetParent() const { return parent_; }
    XmlNode* GetPreviousSibling() const { return previousSibling_; }
    XmlNode* GetNextSibling() const { return nextSibling_; }
    bool HasChildren() const { return !children_.empty(); }

    std::string GetName() const { return name_; }
    std::string GetText() const { return text_; }

    // The first attribute of that name (exact, case-sensitive), or null. The entry
    // stays valid as long as the node.
    const XmlAttribute* FindAttribute(std::string_view name) const;
    bool HasAttribute(std::string_view name) const { return FindAttribute(name) != nullptr; }
    // A copy of the value; throws the text "No attribute found" (a const char*) when the
    // node has no such attribute.
    std::string GetAttribute(std::string_view name) const;

    // Stores a raw value. A second attribute of the same name is kept too; lookups find
    // the first.
    void AddAttribute(std::string_view name, std::string_view value);

    // Appends raw text; with `isMarkup` set the text is character data as it stands in a
    // document, and its entity and character references are decoded first.
    void AppendText(std::string_view text, bool isMarkup = false);

    // Appends this element and its subtree as XML, escaping attribute values and text. With
    // `lineBreaks` each element ends with a line feed.
    void Serialize(std::string& output, bool lineBreaks) const;
    void SerializeChildren(std::string& output, bool lineBreaks) const;

    // Replaces this node's content with the root element of `text`. 0 on success; -1
    // when the text is rejected, leaving the node empty.
    int Parse(std::string_view text);

private:
    friend class XmlParser;

    void Clear();

    std::string name_;
    XmlNode* parent_ = nullptr;
    XmlNode* previousSibling_ = nullptr;
    XmlNode* nextSibling_ = nullptr;
    std::vector<std::unique_ptr<XmlNode>> children_;
    std::vector<std::unique_ptr<XmlAttribute>> attributes_;
    std::string text_;
    bool rawAttributes_ = false;
    std::string rawAttributeText_;
};

}  // namespace Iec61850::Acsi::Scl
