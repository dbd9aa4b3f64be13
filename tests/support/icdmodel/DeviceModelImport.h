#pragma once

// The client's image of a model that a VMD serves (the test device's small or large
// model), built in the stand-in server as the model reading would build it: the device's
// identity, the devices' flat name lists, each node's type, the data sets with their
// members, and the values, all without a network.

#include "support/icdmodel/IcdTestServer.h"

namespace IcdTestModel {

void ImportDeviceModel(IcdTestServer& server, Mms::VMD& device);

}  // namespace IcdTestModel
