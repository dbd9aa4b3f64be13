#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mms/ContainerTestSupport.h"
#include "mms/pdu/MmsPduData.h"
#include "system/UtcTime.h"

namespace Mms {
class Domain;
class NamedVariable;
}  // namespace Mms

namespace TestDevice {

// One node of a logical node's MMS type: a leaf of a basic MMS type, a structure of
// named components, or an array of one element type. Leaves carry the text of their
// first value (empty: the type's zero value).
struct DataNode {
    std::string name;
    Mms::MmsTypeDescriptionChoice type = Mms::MmsTypeStructure;
    // Bit count, integer width, string or octet length (negative: variable length).
    std::int32_t size = 0;
    std::string initial;
    // Structure components, or the one element type of an array.
    std::vector<DataNode> children;
    std::int32_t elements = 0;

    bool IsLeaf() const { return type != Mms::MmsTypeStructure && type != Mms::MmsTypeArray; }
    // The component of that name, null when there is none.
    DataNode* Find(const std::string& component);
    const DataNode* Find(const std::string& component) const;
};

DataNode Leaf(std::string name, Mms::MmsTypeDescriptionChoice type, std::int32_t size = 0, std::string initial = {});
DataNode Node(std::string name, std::vector<DataNode> children);
DataNode ArrayOf(std::string name, std::int32_t elements, DataNode element);

// The MMS type description of the node.
ContainerTestSupport::Type ToType(const DataNode& node);

// Number of leaves below the node (an array counts as one).
std::size_t CountLeaves(const DataNode& node);

// Files the node in the domain as IEC 61850-8-1 maps a logical node: one typed named
// variable for the node and one named variable per component path ("LLN0$ST$Mod$stVal"),
// each bound to its part of the one value. Arrays are addressed as a whole. The leaves
// take their first values, and the data objects' time stamps "t" the device's start.
// Returns the node's variable, null when filing failed.
Mms::NamedVariable* AddToDomain(Mms::Domain& domain, const DataNode& node, const System::UtcTime& start);

}  // namespace TestDevice
