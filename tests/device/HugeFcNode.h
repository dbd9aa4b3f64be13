#pragma once

#include "device/DeviceModel.h"

namespace Mms {
class VMD;
}

namespace TestDevice {

// The node that ModelOptions::hugeFcComponents asks for: GGIO99 in the first logical device
// ("LD0", or "LD01" of the large model), with Mod under ST and that many components in all
// under CF: data objects "Par00001".."ParNNNNN" of one INT8 attribute ctlModel each, so half
// as many data objects (a client types at most 100,000 values of one variable). Nothing
// when the VMD has no such device.
void AddHugeFcNode(Mms::VMD& vmd, int components, ModelSummary& summary);
// That node's type, for a model filed elsewhere (AddToDomain).
DataNode HugeFcNodeType(int components);

}  // namespace TestDevice
