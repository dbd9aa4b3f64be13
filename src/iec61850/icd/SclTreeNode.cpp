#include "iec61850/icd/SclTreeNode.h"

#include "iec61850/scl/BDA.h"
#include "iec61850/scl/BasicTypeCode.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/ElementType.h"

namespace Iec61850::Acsi::Scl {

namespace {

// Basic type names end with Unicode255: the control-block types above it have none here.
constexpr auto kLastNamedBasicType = static_cast<std::int32_t>(BasicTypeCode::Unicode255);

bool IsSettingGroupPair(const std::string& a, const std::string& b) {
    return (a == "SG" && b == "SE") || (a == "SE" && b == "SG");
}

}  // namespace

SclTreeNode::SclTreeNode(std::string name, std::string fc, const Element* element, Mms::NamedVariable* variable,
                         SclTreeNode* parent)
    : name_(std::move(name)), fc_(std::move(fc)), element_(element), variable_(variable), parent_(parent) {}

SclTreeNode* SclTreeNode::FindChild(std::string_view name) const {
    for (const auto& child : children_) {
        if (child->name_ == name) return child.get();
    }
    return nullptr;
}

SclTreeNode* SclTreeNode::MergeChild(SclTreeNode& parent, std::unique_ptr<SclTreeNode> child) {
    SclTreeNode* existing = parent.FindChild(child->name_);
    if (existing == nullptr) {
        child->parent_ = &parent;
        parent.children_.push_back(std::move(child));
        return parent.children_.back().get();
    }
    if (IsSettingGroupPair(existing->fc_, child->fc_)) {
        // Data given under both is typed SE, from which a generator makes both the active
        // group's copy (SG) and the edited one; the value it holds is the active group's.
        existing->fc_ = "SE";
        if (child->fc_ == "SG") existing->variable_ = child->variable_;
    } else if (existing->fc_ != child->fc_) {
        existing->fc_ = "XX";
    }
    for (auto& grandchild : child->children_) MergeChild(*existing, std::move(grandchild));
    return existing;
}

void SclTreeNode::SortByDictionary(SclTreeNode& node) {
    for (const auto& child : node.children_) SortByDictionary(*child);
    const ElementType* type = node.MemberType();
    if (node.children_.size() < 2 || type == nullptr) return;
    std::vector<std::unique_ptr<SclTreeNode>> front;
    for (const Element* member : type->Elements()) {
        for (auto& child : node.children_) {
            if (child != nullptr && child->name_ == member->name) {
                front.push_back(std::move(child));
                break;
            }
        }
    }
    for (auto& child : node.children_) {
        if (child != nullptr) front.push_back(std::move(child));
    }
    node.children_ = std::move(front);
}

const ElementType* SclTreeNode::MemberType() const {
    if (elementType_ != nullptr) return elementType_;
    return element_ != nullptr ? element_->type : nullptr;
}

std::string SclTreeNode::TypeName() const {
    if (elementType_ != nullptr) return std::string(elementType_->id) + "Element";
    if (element_ == nullptr) return valueBasicType_;
    if (element_->type != nullptr) return element_->type->id;
    if (const auto* basic = dynamic_cast<const BDA*>(element_)) {
        const auto code = static_cast<std::int32_t>(basic->basicType);
        if (code >= 0 && code <= kLastNamedBasicType) return BasicTypeName(basic->basicType);
    }
    return {};
}

SclTypeKind SclTreeNode::TypeKind() const {
    if (elementType_ != nullptr) return SclTypeKind::DAType;
    if (element_ == nullptr || element_->type == nullptr) return SclTypeKind::NoType;
    switch (element_->type->kind) {
        case ElementTypeKind::LNodeType: return SclTypeKind::LNodeType;
        case ElementTypeKind::DOType: return SclTypeKind::DOType;
        case ElementTypeKind::DAType: return SclTypeKind::DAType;
        case ElementTypeKind::EnumType: return SclTypeKind::EnumType;
        default: return SclTypeKind::NoType;
    }
}

}  // namespace Iec61850::Acsi::Scl
