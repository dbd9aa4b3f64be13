#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Mms {
class NamedVariable;
}

namespace Iec61850::Acsi::Scl {

class Element;
class ElementType;

// What a tree node's dictionary type is: the kinds of the SCL type sections, and
// NoType for a node without an element or whose element has no type.
enum class SclTypeKind : int { LNodeType = 0, DOType = 1, DAType = 2, EnumType = 3, NoType = 4 };

// One node of the model tree that an ICD export builds from the device model: a logical
// device, a logical node, or a data object or attribute with what the dictionary says of
// it. Same-named objects of different functional constraints are merged into one node.
// A node owns its children.
class SclTreeNode {
public:
    SclTreeNode(std::string name, std::string fc, const Element* element, Mms::NamedVariable* variable,
                SclTreeNode* parent);
    SclTreeNode(const SclTreeNode&) = delete;
    SclTreeNode& operator=(const SclTreeNode&) = delete;

    // The first child whose name equals `name` exactly, or null.
    SclTreeNode* FindChild(std::string_view name) const;

    // Attaches `child` to `parent`. When the parent has a child of that name already, the
    // two are merged: the existing one takes the new one's children (recursively merged;
    // its constraint becomes "XX" when the two differ, except that SG and SE merge into SE
    // with the SG node's variable) and the new one is discarded. Returns the node that
    // stays in the tree; only that one may be used afterwards.
    static SclTreeNode* MergeChild(SclTreeNode& parent, std::unique_ptr<SclTreeNode> child);

    // Puts the children of every node (depth first) into the order of the members of the
    // node's dictionary type, the names the type does not declare after the declared ones,
    // in their order. Nodes without a typed element keep their order.
    static void SortByDictionary(SclTreeNode& node);

    // The id of the element's type (of an array's elements' type, see DescribeElementsAs);
    // else the basic type name of a basic attribute's code for codes 0..24; else, without
    // an element, the basic type its value has (SetValueBasicType); else the empty text.
    std::string TypeName() const;
    SclTypeKind TypeKind() const;
    // The type whose members describe the node's children: the element's, or the one
    // given to an array's elements; null for none.
    const ElementType* MemberType() const;

    // An array whose elements the dictionary describes by another type than the device
    // gives them (an array of data objects): each element is of `type`, and the node is an
    // attribute of a constructed type, since SCL writes no array of data objects.
    void DescribeElementsAs(const ElementType* type) { elementType_ = type; }
    bool HasElementTypeOfItsOwn() const { return elementType_ != nullptr; }
    // The basic type of a value the dictionary does not describe ("INT16U").
    void SetValueBasicType(std::string type) { valueBasicType_ = std::move(type); }

    const std::string& Name() const { return name_; }
    const std::string& Fc() const { return fc_; }
    const Element* GetElement() const { return element_; }
    Mms::NamedVariable* GetVariable() const { return variable_; }
    SclTreeNode* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<SclTreeNode>>& Children() const { return children_; }

private:
    std::string name_;
    std::string fc_;
    const Element* element_ = nullptr;
    Mms::NamedVariable* variable_ = nullptr;
    SclTreeNode* parent_ = nullptr;
    const ElementType* elementType_ = nullptr;
    std::string valueBasicType_;
    std::vector<std::unique_ptr<SclTreeNode>> children_;
};

}  // namespace Iec61850::Acsi::Scl
