#pragma once

#include <deque>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "iec61850/scl/BDA.h"
#include "iec61850/scl/DA.h"
#include "iec61850/scl/DAType.h"
#include "iec61850/scl/DO.h"
#include "iec61850/scl/DOType.h"
#include "iec61850/scl/DataTypeTemplate.h"
#include "iec61850/scl/EnumType.h"
#include "iec61850/scl/LNode.h"
#include "iec61850/scl/LNodeType.h"
#include "iec61850/scl/SDO.h"

namespace Iec61850::Acsi::Scl {

// The built-in dictionary of IEC 61850 enumerations, attribute types, data-object types
// and logical-node classes. It is built once, on first use (thread-safe), and then never
// changes, so any thread may read it without locking. It is never destroyed: objects that
// outlive main (registries, device models) may still hold pointers into it at exit.
class BuiltInDictionary {
public:
    static const BuiltInDictionary& Instance();

    BuiltInDictionary(const BuiltInDictionary&) = delete;
    BuiltInDictionary& operator=(const BuiltInDictionary&) = delete;

    // The logical-node classes; FindElement with a class gives its LNode.
    const DataTypeTemplate& Root() const { return *root_; }

    // Every type, each list in construction order, including types nothing references.
    std::span<const EnumType* const> EnumTypes() const { return enumTypes_; }
    std::span<const DAType* const> DATypes() const { return daTypes_; }
    std::span<const DOType* const> DOTypes() const { return doTypes_; }
    std::span<const LNodeType* const> LNodeTypes() const { return lNodeTypes_; }

    // Lookups by id, ignoring ASCII case; null when no type has that id.
    const EnumType* FindEnumType(std::string_view id) const;
    const DAType* FindDAType(std::string_view id) const;
    const DOType* FindDOType(std::string_view id) const;
    const LNodeType* FindLNodeType(std::string_view id) const;
    // The class's LNode from the root, ignoring ASCII case; null for an unknown class.
    const LNode* FindLNode(std::string_view lnClass) const;

private:
    BuiltInDictionary();

    void BuildEnumTypes();
    void BuildDATypes();
    void BuildDOTypes();
    void BuildLogicalNodeClasses();
    const Element* const* StoreMemberList(std::vector<const Element*> members);

    // Object storage; deques keep addresses stable while the dictionary grows.
    std::deque<EnumType> enumTypeStore_;
    std::deque<BDA> bdaStore_;
    std::deque<DAType> daTypeStore_;
    std::deque<DA> daStore_;
    std::deque<SDO> sdoStore_;
    std::deque<DOType> doTypeStore_;
    std::deque<DO> doStore_;
    std::deque<LNodeType> lNodeTypeStore_;
    std::deque<LNode> lNodeStore_;
    std::deque<std::vector<const Element*>> memberLists_;
    std::unique_ptr<DataTypeTemplate> root_;

    std::vector<const EnumType*> enumTypes_;
    std::vector<const DAType*> daTypes_;
    std::vector<const DOType*> doTypes_;
    std::vector<const LNodeType*> lNodeTypes_;
};

// The root of the built-in dictionary: BuiltInDictionary::Instance().Root().
const DataTypeTemplate& BuiltInDataTypeTemplate();

}  // namespace Iec61850::Acsi::Scl
