#pragma once

#include <string>
#include <utility>

#include "app/client/SelectionTree.h"

namespace Iec61850::Acsi {
class LogicalDevice;
class NamedObject;
class Server;
}  // namespace Iec61850::Acsi

namespace App {

// Builds one selection tree from a server's device model for one logical device (an empty
// or unknown name: the first device in byte order). Each collection holds the model lock
// for its walk, so it must not be called by a thread that holds it.
class SelectionCollector {
public:
    explicit SelectionCollector(SelectionFilter filter) : filter_(std::move(filter)) {}

    void CollectReadTree(Iec61850::Acsi::Server& server, SelectionTree& tree, const std::string& device) const;
    void CollectControlTree(Iec61850::Acsi::Server& server, SelectionTree& tree, const std::string& device) const;
    void CollectReportTree(Iec61850::Acsi::Server& server, SelectionTree& tree, const std::string& device) const;

    // "LD/LN.Pos.sub" gives "Pos.sub": the reference after its first point (all of it without one).
    static std::string DataKey(const std::string& reference);

private:
    void CollectNodes(Iec61850::Acsi::Server& server, SelectionTree& tree, const std::string& device,
                      bool control) const;
    void AddDataObject(const Iec61850::Acsi::NamedObject& data, SelectionLnEntry& node, bool control) const;
    void AddReportDataObject(const Iec61850::Acsi::NamedObject& data, SelectionTree& tree) const;
    // A member that names an attribute, or an element of an array attribute or a part of
    // one: its data object's record, holding that member alone.
    void AddReportAttribute(const Iec61850::Acsi::NamedObject& attribute, SelectionTree& tree) const;
    bool PassesData(const Iec61850::Acsi::NamedObject& data) const;
    bool PassesAttribute(const Iec61850::Acsi::NamedObject& attribute) const;
    bool PassesFc(const std::string& fc) const;

    SelectionFilter filter_;
};

// The logical device a tree is built for: the named one, else the first; null without any.
const Iec61850::Acsi::LogicalDevice* ChooseLogicalDevice(const Iec61850::Acsi::Server& server,
                                                         const std::string& device);

}  // namespace App
