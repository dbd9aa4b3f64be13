#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/NamedObject.h"
#include "iec61850/acsi/model/ValueRecord.h"
#include "iec61850/scl/Element.h"

namespace Iec61850::Acsi {

// A data object or attribute of a device, or an element of a structured array: bound to
// one named variable whose value container holds its value and type, with children that
// mirror the container's members. Its description in the built-in dictionary, when it has
// one, decides which members are data objects and which are attributes.
class DataItem : public NamedObject {
public:
    DataItem(NamedObject* parent, std::string name, Mms::MmsObject* mmsObject, const Scl::Element* description);
    // An item whose value is its parent's member of that name (ValueInParent).
    DataItem(NamedObject* parent, std::string name, ValueInParent, const Scl::Element* description);

    // Makes (or finds again) a child for every member of the value: structure components
    // by name, array elements as "[i]" up to the elements the type describes. Stops at
    // the first child that fails.
    System::ResultCode Build() override;
    // The children that the description lists, in its order, then the others in child
    // order; the first non-zero answer ends the walk.
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    // Sets the state of the whole subtree.
    ObjectState SetState(ObjectState state) override;
    // This item and every item below that is of the class and state.
    void CountKinds(ModelTally& tally) const override;
    ModelClass GetModelClass() const override;

    // The value from or as text; InvalidContext when not bound to a named variable. A text
    // that does not fit the type is refused and the value kept.
    virtual System::ResultCode SetValueText(std::string_view text);
    virtual System::ResultCode GetValueText(std::string& text);
    // A new attribute child of the basic type (NotImplemented for a plain item).
    virtual System::ResultCode AddChild(std::string_view name, Scl::BasicTypeCode code, DataItem*& child);

    // The common data class of a data object, the basic type of an attribute ("" without
    // a description).
    const std::string& GetCdc() const { return *typeName_; }
    // The value container's class when the item was made (or described).
    const std::string& GetValueClassName() const { return *valueClassName_; }
    const Scl::Element* GetDescription() const { return description_; }
    // Takes the element as the description, with its type name and the present class name
    // of the value.
    void SetDescription(const Scl::Element* description);

    // One record for every item without children in the subtree, depth first.
    System::ResultCode CollectValues(std::vector<ValueRecord>& records);

protected:
    // AddChild of data objects and attributes; `existing` receives a child of that name.
    System::ResultCode AddAttribute(std::string_view name, Scl::BasicTypeCode code, DataItem*& child,
                                    DataItem*& existing);

private:
    System::ResultCode BuildStructure(Mms::Container& value);
    System::ResultCode BuildArray(Mms::Container& value);
    // The description that decides the classes of this item's children.
    const Scl::Element* ChildDescriptions() const;

    // Both from small sets that every item repeats: shared (SharedText).
    const std::string* typeName_;
    const std::string* valueClassName_;
    const Scl::Element* description_ = nullptr;
};

// A data object or sub-data object.
class Data : public DataItem {
public:
    using DataItem::DataItem;
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    ModelClass GetModelClass() const override;
    System::ResultCode AddChild(std::string_view name, Scl::BasicTypeCode code, DataItem*& child) override;
};

// A data attribute.
class DataAttribute : public DataItem {
public:
    using DataItem::DataItem;
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    ModelClass GetModelClass() const override;
    // A child of that name comes back with AlreadyExist.
    System::ResultCode AddChild(std::string_view name, Scl::BasicTypeCode code, DataItem*& child) override;
};

}  // namespace Iec61850::Acsi
