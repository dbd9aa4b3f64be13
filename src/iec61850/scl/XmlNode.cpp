#include "iec61850/scl/XmlNode.h"

#include "iec61850/scl/XmlParser.h"
#include "iec61850/scl/XmlText.h"

namespace Iec61850::Acsi::Scl {

XmlNode::XmlNode(XmlNode* parent, bool rawAttributes) : XmlNode(parent, std::string(), rawAttributes) {}

XmlNode::XmlNode(XmlNode* parent, std::string name, bool rawAttributes)
    : name_(std::move(name)), parent_(parent), rawAttributes_(rawAttributes) {
    if (rawAttributes_) {
        rawAttributeText_.reserve(30);
    } else {
        attributes_.reserve(10);
    }
}

XmlNode::~XmlNode() = default;

XmlNode* XmlNode::AddChild(std::unique_ptr<XmlNode> child) {
    if (!child) return nullptr;
    XmlNode* added = child.get();
    added->parent_ = this;
    added->nextSibling_ = nullptr;
    added->previousSibling_ = GetLastChild();
    if (added->previousSibling_ != nullptr) added->previousSibling_->nextSibling_ = added;
    children_.push_back(std::move(child));
    return added;
}

XmlNode* XmlNode::GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }

XmlNode* XmlNode::GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }

const XmlAttribute* XmlNode::FindAttribute(std::string_view name) const {
    for (const auto& attribute : attributes_) {
        if (attribute->name == name) return attribute.get();
    }
    return nullptr;
}

std::string XmlNode::GetAttribute(std::string_view name) const {
    const XmlAttribute* attribute = FindAttribute(name);
    if (attribute == nullptr) throw "No attribute found";
    return attribute->value;
}

void XmlNode::AddAttribute(std::string_view name, std::string_view value) {
    if (rawAttributes_) {
        rawAttributeText_ += ' ';
        rawAttributeText_.append(name);
        rawAttributeText_ += "=\"";
        if (!EscapeXmlAttribute(rawAttributeText_, value)) rawAttributeText_.append(value);
        rawAttributeText_ += '"';
        return;
    }
    attributes_.push_back(std::make_unique<XmlAttribute>(XmlAttribute{std::string(name), std::string(value)}));
}

void XmlNode::AppendText(std::string_view text, bool isMarkup) {
    if (isMarkup) {
        DecodeXmlReferences(text_, text);
    } else {
        text_.append(text);
    }
}

void XmlNode::Serialize(std::string& output, bool lineBreaks) const {
    output += '<';
    output += name_;
    if (rawAttributes_) {
        output += rawAttributeText_;
    } else {
        for (const auto& attribute : attributes_) {
            output += ' ';
            output += attribute->name;
            output += "=\"";
            if (!EscapeXmlAttribute(output, attribute->value)) output += attribute->value;
            output += '"';
        }
    }
    if (children_.empty() && text_.empty()) {
        if (!attributes_.empty()) output += ' ';
        output += "/>";
        if (lineBreaks) output += '\n';
        return;
    }
    output += '>';
    if (lineBreaks && !children_.empty()) output += '\n';
    SerializeChildren(output, lineBreaks);
    if (!EscapeXmlText(output, text_)) output += text_;
    output += "</";
    output += name_;
    output += '>';
    if (lineBreaks) output += '\n';
}

void XmlNode::SerializeChildren(std::string& output, bool lineBreaks) const {
    for (const auto& child : children_) child->Serialize(output, lineBreaks);
}

void XmlNode::Clear() {
    name_.clear();
    children_.clear();
    attributes_.clear();
    text_.clear();
    rawAttributeText_.clear();
}

int XmlNode::Parse(std::string_view text) {
    Clear();
    if (XmlParser(text).ParseRoot(*this)) return 0;
    Clear();
    return -1;
}

}  // namespace Iec61850::Acsi::Scl
