#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/ModelClass.h"
#include "iec61850/acsi/model/ModelLookup.h"
#include "iec61850/acsi/model/ReadingStates.h"
#include "iec61850/scl/BasicTypeCode.h"
#include "system/ResultCode.h"

namespace Mms {
class Container;
class MmsObject;
class NamedVariable;
}  // namespace Mms

namespace Iec61850::Acsi {

// Marks an object whose value is a member of its parent's value (a component of a
// structure, an element of an array): it gets its own named variable only when one is
// asked for (GetMmsObject), as a device's model has tens of thousands of them and most are
// never read, written or listed one by one.
struct ValueInParent {};

// The base of the device model: a logical device, node, functional-constraint group, data
// item, data set, control block or log. Every object has a parent (none for a logical
// device or an association's data set), a name, its ACSI reference, a reading state, the
// MMS object it is bound to (not owned: the server's MMS objects own them) and its children.
//
// Children (see docs/DESIGN-NOTES.md, "Ownership of the device model"): `GetChildren()`
// lists every child of every kind in the order it was added, and owns none of them; each
// child has exactly one owner, either this base's map (AdoptChild) or a map of a subclass
// (which then only links it, LinkChild).
//
// The model has no lock of its own: the server's model lock guards it.
class NamedObject {
public:
    // An object below `parent`, or without a parent ("@" and the name: an association's
    // data set).
    NamedObject(NamedObject* parent, std::string name, Mms::MmsObject* mmsObject);
    // An object below `parent` whose value is the parent's member of its MMS component.
    NamedObject(NamedObject* parent, std::string name, ValueInParent);
    // A root of the model (a logical device), made by its server: its reference is its name.
    NamedObject(ModelLookup* server, std::string name, Mms::MmsObject* mmsObject);
    // Deletes the children this base owns; the MMS object stays, but a variable that no
    // domain holds (BindVariable without one) is this object's and goes with it.
    virtual ~NamedObject();
    NamedObject(const NamedObject&) = delete;
    NamedObject& operator=(const NamedObject&) = delete;

    // Builds the children from the MMS type; the base has nothing to build (0).
    virtual System::ResultCode Build();
    // Bind on every owned child in name order; the last non-zero result, else 0. Binding
    // runs under the caller's lock: control blocks look up the data sets they name.
    virtual System::ResultCode Bind(const Mms::ModelHold& hold);
    // Appends every direct child of that name, in child order (an index: no walk); 0.
    virtual System::ResultCode CollectByName(std::string_view name, std::list<NamedObject*>& found);
    // Depth first in child order, this object first: the first object whose functional
    // constraint (GetFcName) and reference both equal the given texts exactly. Always 0;
    // a miss leaves `found` null.
    virtual System::ResultCode Find(std::string_view fc, std::string_view reference, NamedObject*& found);
    // Appends the objects of an ACSI object class (ObjectClass) below; the base collects
    // nothing (0).
    virtual System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found);
    // The value text of the owned child of that name: InvalidArguments when there is none,
    // NotSupported when it is not bound to a named variable.
    virtual System::ResultCode GetChild(std::string_view name, std::string& text);
    // This object's value as text or from text; NotSupported when not bound to a named
    // variable. A text that does not fit the value's type is refused, the value kept.
    virtual System::ResultCode ValueToText(std::string& text);
    virtual System::ResultCode ValueFromText(std::string_view text);
    // The value container of an owned child (InvalidArguments: none of that name;
    // NotSupported: not bound to a named variable) or of this object (NotSupported);
    // null on failure.
    virtual System::ResultCode GetChildValue(std::string_view name, Mms::Container*& value);
    virtual System::ResultCode GetValue(Mms::Container*& value);
    // Stores the state and returns it; subclasses pass it on.
    virtual ObjectState SetState(ObjectState state);
    virtual bool IsRead() const;
    // 1 when this object is of the class asked for and in the state asked for
    // (AnyObjectState: any state), else 0. Subclasses add their subtree, so callers get a
    // count.
    virtual std::uint32_t IsKindOf(ModelClass modelClass, ObjectState state) const;
    // Adds this object to the tally; subclasses that hold a subtree add it too.
    virtual void CountKinds(ModelTally& tally) const;
    // Binds the object to a new variable of the basic type, named after the parent's MMS
    // object (CreateMmsVariable). A bound object keeps its variable (0); a logical device
    // is bound to its domain when made (NotSupported).
    virtual System::ResultCode BindVariable(Scl::BasicTypeCode code);

    // The exact class of the object.
    virtual ModelClass GetModelClass() const;
    // What the object adds to its MMS name: its name (a group: its constraint).
    virtual const std::string& GetMmsComponent() const;

    const std::string& GetName() const { return name_; }
    // Put together from the names up the tree when asked: a device's model has tens of
    // thousands of objects, and each keeps only its own name.
    std::string GetReference() const;
    // Whether the reference is that text, without putting it together.
    bool ReferenceIs(std::string_view text) const;
    NamedObject* GetParent() const { return parent_; }
    // The server the object belongs to, through the lookups the model needs of it.
    ModelLookup* GetServer() const { return server_; }
    ObjectState GetState() const { return state_; }
    // The MMS object the object is bound to; an object whose value is in its parent's gets
    // its variable now (and its ancestors theirs) when it has none yet, filed with its domain:
    // a change of the model, so it takes the caller's hold.
    Mms::MmsObject* GetMmsObject(const Mms::ModelHold& hold) const;
    // The MMS object the object is bound to, or null: makes none. Devices, nodes, groups, data
    // sets and blocks are bound when made; an object without its variable reads and sets
    // its value through its parent's (GetValueContainer).
    Mms::MmsObject* GetBoundMmsObject() const { return mmsObject_; }
    // The value container without making a variable for it: the bound variable's value, or
    // the member of the parent's value; null when there is none.
    Mms::Container* GetValueContainer() const;
    // Every child, in the order added.
    const std::vector<NamedObject*>& GetChildren() const { return children_; }

    // The constraint of the nearest functional-constraint group and the names of the
    // nearest logical node and logical device, from this object up; empty when none.
    std::string GetFcName() const;
    std::string GetLogicalNodeName() const;
    std::string GetLogicalDeviceName() const;
    // From this object up, the first object of the ACSI object class: 4 logical device, 5
    // logical node (LLN0 included), 7 data, 8 data attribute. NotFound when the walk leaves
    // the tree, NotSupported for any other class.
    System::ResultCode FindAncestor(std::int32_t objectClass, NamedObject*& found) const;

    // Takes a child into this base's map and appends it to the children; AlreadyExist (the
    // child deleted) when the map holds that name.
    System::ResultCode AdoptChild(std::unique_ptr<NamedObject> child);
    // The owned child of that name, or null.
    NamedObject* FindOwnedChild(std::string_view name) const;
    // Takes an owned child out of the map and the children and hands it back; null when
    // none has that name.
    std::unique_ptr<NamedObject> ReleaseChild(std::string_view name);
    // Appends a child that a subclass map owns / takes it out of the children again.
    void LinkChild(NamedObject* child);
    void UnlinkChild(const NamedObject* child);
    // Binds the object to a variable that no domain holds, which it then owns: an unbound
    // object, or one bound to that variable already (any other drops the variable).
    void OwnVariable(std::unique_ptr<Mms::NamedVariable> variable);

    // The variable of the basic type that backs a model object below the parent MMS
    // object (a domain, a named variable, or none):
    // - under a domain: named by the component, filed with the domain;
    // - under a variable: named by the variable's name, "$" and the component, filed
    //   with the variable's domain, its value a component of the variable's structure (or
    //   an element appended to an array that the model made itself);
    // - under none: named by the component, filed nowhere: the caller owns it.
    // A name that the domain already holds gives that variable (a variable still without
    // a value is given one), so every variable has one owner. Errors: InvalidState when the
    // parent variable has no value or one that cannot take members (nothing made),
    // InvalidContext for a parent of another class, AlreadyExist when the parent's
    // structure has that component bound to another variable, and the factory's failures.
    static System::ResultCode CreateMmsVariable(Scl::BasicTypeCode code, Mms::MmsObject* parent,
                                                std::string_view component, Mms::NamedVariable*& variable);
    // A new, empty value container of the basic type; Error for ObjectName and for codes
    // outside 0..31, NoResources when memory runs out. Only objects the model makes itself
    // are typed this way; a device's variables take the type the device describes.
    static System::ResultCode BasicTypeFactory(Scl::BasicTypeCode code, std::unique_ptr<Mms::Container>& container);

protected:
    // Children a walk of `children_` finds quickly enough; more are indexed.
    static constexpr std::size_t kIndexedFrom = 24;

    // Adds this object alone to the tally.
    void CountSelf(ModelTally& tally) const;
    // An object was added below this one or taken away: tells the logical node above, which
    // keeps counts of its subtree.
    virtual void SubtreeChanged();
    // A group hides in references: it takes its node's reference and no name.
    void BecomeInvisible();
    void SetMmsObject(Mms::MmsObject* object) { mmsObject_ = object; }
    // The value of an object whose variable has not been made yet (its member of the
    // parent's value), so that reading or setting it as text makes none; null otherwise.
    Mms::Container* ValueWithoutVariable() const;
    // For an object without parent that still belongs to a server (an association's data set).
    void SetServer(ModelLookup* server) { server_ = server; }
    // For a subclass's destructor, before its maps delete their children: the whole list
    // and index go at once, where unlinking each child would cost a walk of the list apiece
    // (a device of thousands of nodes would take seconds to go). Owned children stay owned.
    void ForgetChildren();

private:
    // The variable of an object whose value is in its parent's (and its ancestors'), made
    // when it has none yet; the bound object otherwise. Under the model lock.
    Mms::MmsObject* MakeMmsObject() const;
    // A domain's lookup of a "$" name it has not filed makes the variable through its device
    // (LogicalDevice::MakeNamedVariable): the MMS layer's lookups run under the lock their
    // callers hold and carry no hold of their own.
    friend class LogicalDevice;

    // Appends to the children and their index (made here once they are many).
    void Append(NamedObject* child);
    void AppendReference(std::string& text) const;

    NamedObject* parent_ = nullptr;
    ModelLookup* server_ = nullptr;
    std::string name_;
    ObjectState state_ = ObjectState::NotAsked;
    // Whether the parent's base owns this object (AdoptChild).
    bool ownedByParent_ = false;
    // A root made by its server: its reference is its name (otherwise "@" and the name).
    bool serverRoot_ = false;
    // A group: its reference is its node's.
    bool invisible_ = false;
    // The value is a member of the parent's; the variable is made when asked for.
    bool valueInParent_ = false;
    // Made on demand for an object whose value is in its parent's (GetMmsObject).
    mutable Mms::MmsObject* mmsObject_ = nullptr;
    // Parents are many and mostly small: a child costs a pointer here, and its name is held
    // only by the child itself. The children this base owns are chained through the
    // children (`nextOwned_`), newest first, and deleted with this object.
    std::vector<NamedObject*> children_;
    NamedObject* firstOwned_ = nullptr;
    NamedObject* nextOwned_ = nullptr;
    // Every child by name, whoever owns it, made once the children outnumber what a walk
    // finds quickly: a group holds tens of thousands of data objects on some devices, and
    // listings look children up per data name under the model lock on the receive thread.
    // Keys view the children's names, which do not change once an object has a parent (a
    // group hides its name in its constructor).
    using ChildIndex = std::multimap<std::string_view, NamedObject*>;
    std::unique_ptr<ChildIndex> childrenIndex_;
    // A variable that no domain holds (made without one); null otherwise.
    mutable std::unique_ptr<Mms::NamedVariable> unfiledVariable_;
};

}  // namespace Iec61850::Acsi
