#pragma once

#include <map>
#include <set>
#include <string>

// The read, control and report selection trees: logical node, then data object (or
// sub-data object), then leaf attribute, each level a map ordered by its key's bytes. The
// trees hold texts only, so a copy stays valid whatever happens to the model.
namespace App {

struct SelectionAttribute {
    std::string fc;
    std::string path;
    std::string pathAgain;
    std::string reference;
    bool operator==(const SelectionAttribute&) const = default;
};

struct SelectionEntry {
    std::string key;
    std::string reference;
    std::string name;
    std::string keyAgain;
    std::map<std::string, SelectionAttribute> attributes;
    bool operator==(const SelectionEntry&) const = default;
};

struct SelectionLnEntry {
    std::string name;
    std::string nameAgain;
    std::map<std::string, SelectionEntry> entries;
    bool operator==(const SelectionLnEntry&) const = default;
};

using SelectionTree = std::map<std::string, SelectionLnEntry>;

// What one build takes. Empty sets accept everything; a maximum of 0 or less sets no limit.
struct SelectionFilter {
    std::set<std::string> logicalNodeTexts;  // each must occur in the node's name
    std::set<std::string> functionalConstraints;
    std::set<std::string> dataTexts;       // each must occur in the data object's name
    std::set<std::string> attributeNames;  // the top-level attribute's name, exactly
    int maximumDataObjects = -1;

    static SelectionFilter Read();
    static SelectionFilter Control();
    static SelectionFilter Report();
};

}  // namespace App
