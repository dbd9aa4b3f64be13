#include "iec61850/scl/XmlCursor.h"

#include "iec61850/scl/XmlParser.h"

namespace Iec61850::Acsi::Scl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool Matches(const XmlNode& node, const std::string& name) { return name.empty() || node.GetName() == name; }

}  // namespace

XmlCursor::~XmlCursor() = default;

bool XmlCursor::Parse(const char* text) {
    if (text == nullptr) {
        Clear();
        return false;
    }
    return ParseText(text);
}

bool XmlCursor::ParseString(const std::string& text) { return ParseText(text); }

bool XmlCursor::ParseText(std::string_view text) {
    Clear();
    if (text.size() > kByteOrderMark.size() && text.substr(0, 3) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    document_ = XmlParser::ParseDocument(text);
    current_ = document_.get();
    return document_ != nullptr;
}

void XmlCursor::Clear() {
    pathStack_.clear();
    current_ = nullptr;
    document_.reset();
}

void XmlCursor::Rewind() {
    if (document_) current_ = document_.get();
}

void XmlCursor::PushCurrent() { pathStack_.push_back(current_); }

int XmlCursor::MoveToParent() {
    if (pathStack_.empty()) return 0;
    current_ = pathStack_.back();
    pathStack_.pop_back();
    return static_cast<int>(pathStack_.size());
}

bool XmlCursor::SearchDescendants(const std::string& name) {
    if (current_ == nullptr) return false;
    for (XmlNode* level = current_->GetFirstChild(); level != nullptr; level = level->GetFirstChild()) {
        for (XmlNode* node = level; node != nullptr; node = node->GetNextSibling()) {
            if (Matches(*node, name)) {
                current_ = node;
                return true;
            }
        }
    }
    return false;
}

bool XmlCursor::SeekSibling(const std::string& name) {
    for (XmlNode* node = current_; node != nullptr; node = node->GetNextSibling()) {
        if (Matches(*node, name)) {
            current_ = node;
            return true;
        }
    }
    return false;
}

bool XmlCursor::MoveToSibling(const std::string& name) {
    if (current_ == nullptr || current_->GetNextSibling() == nullptr) return false;
    current_ = current_->GetNextSibling();
    return SeekSibling(name);
}

bool XmlCursor::SeekSiblingWithAttribute(const std::string& name, const std::string& attributeName,
                                         const std::string& attributeValue) {
    for (XmlNode* node = current_; node != nullptr; node = node->GetNextSibling()) {
        if (!Matches(*node, name)) continue;
        const XmlAttribute* attribute = node->FindAttribute(attributeName);
        if (attribute != nullptr && attribute->value == attributeValue) {
            current_ = node;
            return true;
        }
    }
    return false;
}

bool XmlCursor::ReadAttribute(const std::string& name, std::string& value) const {
    if (!document_ || current_ == nullptr) return false;
    value.clear();
    const XmlAttribute* attribute = current_->FindAttribute(name);
    if (attribute == nullptr) return false;
    value = attribute->value;
    return true;
}

bool XmlCursor::ReadText(std::string& text) const {
    if (!document_ || current_ == nullptr) return false;
    text = current_->GetText();
    return true;
}

}  // namespace Iec61850::Acsi::Scl
