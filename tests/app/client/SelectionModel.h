#pragma once

// Device models for the selection trees, made with the model's own operations on a real
// server: devices, nodes, data objects under their constraints, attributes, sub-data
// objects, array elements, data sets and report control blocks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/client/SelectionTree.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariableList.h"

namespace AppTest {

using namespace Iec61850::Acsi;
using Iec61850::Acsi::Scl::BasicTypeCode;

class SelectionModel {
public:
    LogicalDevice& Device(const std::string& name) {
        LogicalDevice* device = nullptr;
        if (server.FindLogicalDevice(name, device) != System::OkNoError) {
            EXPECT_EQ(server.AddLogicalDevice(name), System::OkNoError);
            EXPECT_EQ(server.FindLogicalDevice(name, device), System::OkNoError);
        }
        return *device;
    }
    LogicalNode& Node(const std::string& device, const std::string& name) {
        LogicalDevice& ld = Device(device);
        if (ld.FindLogicalNode(name) == nullptr) {
            EXPECT_EQ(ld.CreateLogicalNode(name), System::OkNoError);
        }
        return *ld.FindLogicalNode(name);
    }
    // "LD0/XCBR1", "ST", "Pos"
    Data& DataObject(const std::string& node, const std::string& fc, const std::string& name) {
        const std::size_t slash = node.find('/');
        Data* data = nullptr;
        const System::ResultCode made = Node(node.substr(0, slash), node.substr(slash + 1)).CreateData(fc, name, data);
        EXPECT_TRUE(made == System::OkNoError || made == System::AlreadyExist);
        return *data;
    }
    template <typename Item = Data>
    Item& Child(DataItem& parent, const std::string& name) {
        auto item = std::make_unique<Item>(&parent, name, nullptr, nullptr);
        Item* raw = item.get();
        EXPECT_EQ(parent.AdoptChild(std::move(item)), System::OkNoError);
        EXPECT_EQ(raw->BindVariable(BasicTypeCode::Struct), System::OkNoError);
        return *raw;
    }
    DataItem& Attribute(DataItem& parent, const std::string& name, BasicTypeCode code = BasicTypeCode::INT32) {
        DataItem* child = nullptr;
        EXPECT_EQ(parent.AddChild(name, code, child), System::OkNoError) << name;
        return *child;
    }
    // Leaves under the data object, each path a chain of attributes ("origin.orCat").
    Data& WithLeaves(Data& data, const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            DataItem* at = &data;
            std::size_t start = 0;
            while (true) {
                const std::size_t point = path.find('.', start);
                const std::string name = path.substr(start, point - start);
                NamedObject* existing = at->FindOwnedChild(name);
                at = existing != nullptr
                         ? static_cast<DataItem*>(existing)
                         : &Attribute(*at, name,
                                      point == std::string::npos ? BasicTypeCode::INT32 : BasicTypeCode::Struct);
                if (point == std::string::npos) break;
                start = point + 1;
            }
        }
        return data;
    }
    DataSet& Set(const std::string& node, const std::string& name, const std::vector<ValueRecord>& members) {
        const std::size_t slash = node.find('/');
        LogicalNode& ln = Node(node.substr(0, slash), node.substr(slash + 1));
        auto* domain = static_cast<LogicalDevice*>(ln.GetParent())->GetDomain();
        auto* list = new Mms::NamedVariableList(ln.GetName() + "$" + name, domain);
        domain->AddObject(list);
        DataSet* set = nullptr;
        EXPECT_EQ(ln.AddDataSet(name, list, &set), System::OkNoError);
        EXPECT_EQ(set->AddMembers(members), System::OkNoError);
        return *set;
    }
    void Brcb(const std::string& node, const std::string& name, DataSet* set) {
        const std::size_t slash = node.find('/');
        BRCB* block = nullptr;
        EXPECT_EQ(Node(node.substr(0, slash), node.substr(slash + 1)).AddBRCB(name, &block), System::OkNoError);
        if (set != nullptr) block->SetDataSet(set);
    }
    void Urcb(const std::string& node, const std::string& name, DataSet* set) {
        const std::size_t slash = node.find('/');
        URCB* block = nullptr;
        EXPECT_EQ(Node(node.substr(0, slash), node.substr(slash + 1)).AddURCB(name, &block), System::OkNoError);
        if (set != nullptr) block->SetDataSet(set);
    }

    Server server;
};

// A tree as lines "LN | key (reference) | path [fc] reference", in map order.
inline std::vector<std::string> Lines(const App::SelectionTree& tree) {
    std::vector<std::string> lines;
    for (const auto& [ln, node] : tree) {
        EXPECT_EQ(node.name, ln);
        EXPECT_EQ(node.nameAgain, ln);
        for (const auto& [key, entry] : node.entries) {
            EXPECT_EQ(entry.key, key);
            EXPECT_EQ(entry.keyAgain, key);
            for (const auto& [path, attribute] : entry.attributes) {
                EXPECT_EQ(attribute.path, path);
                EXPECT_EQ(attribute.pathAgain, path);
                lines.push_back(ln + " | " + key + " (" + entry.reference + ", " + entry.name + ") | " + path + " [" +
                                attribute.fc + "] " + attribute.reference);
            }
        }
    }
    return lines;
}

}  // namespace AppTest
