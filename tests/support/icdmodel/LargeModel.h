#pragma once

// A deterministic large model for the ICD export's tests and benchmark: logical devices
// with a common name prefix, LLN0 in each with every kind of control block, data sets,
// and logical nodes of several classes. The same options always give the same model.

#include <string>

#include "support/icdmodel/IcdTestServer.h"

namespace IcdTestModel {

struct LargeModelOptions {
    int logicalDevices = 10;
    // In all, LLN0 included; spread evenly over the devices.
    int logicalNodes = 500;
    std::string devicePrefix = "LARGELD";
    // Log blocks and sampled-value blocks in each LLN0.
    bool logs = true;
    bool sampledValues = true;
    // Makes the devices, nodes, data sets and block values in the opposite order (the
    // model, and so its file, stays the same).
    bool reversed = false;
};

struct LargeModelSummary {
    int logicalNodes = 0;
    int dataSets = 0;
    int dataSetMembers = 0;
    int reportControlBlocks = 0;
    // Report blocks whose names differ once their instance number is cut off.
    int reportControlNames = 0;
    int logControlBlocks = 0;
    int gooseControlBlocks = 0;
    int gsseControlBlocks = 0;
    int sampledValueControlBlocks = 0;
};

// Fills the (empty) server. LLN0 holds two instances of one buffered report block. Every control block names a data set of its own node and has
// its attributes set: DatSet, and for GOOSE, GSSE and sampled values a DstAddress with a
// twelve-digit MAC address, APPID, PRIORITY and VID.
LargeModelSummary BuildLargeModel(IcdTestServer& server, const LargeModelOptions& options = {});

}  // namespace IcdTestModel
