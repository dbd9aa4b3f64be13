#pragma once

#include <list>
#include <string_view>

#include "system/ResultCode.h"

namespace Mms {
class ModelHold;
}

namespace Iec61850::Acsi {

class DataSet;
class NamedObject;

// The lookups across the whole model that objects inside it need: the server provides
// them (the model's root objects are made with it), tests a stand-in. Both run under the
// model lock, which the caller holds: its hold comes first.
class ModelLookup {
public:
    virtual ~ModelLookup() = default;

    // Appends the data objects and attributes that the reference names under the
    // functional constraint; 0, or InvalidArguments when the device or node does not exist.
    virtual System::ResultCode ResolveReference(const Mms::ModelHold& hold, std::string_view reference,
                                                std::string_view fc, std::list<NamedObject*>& found) = 0;
    // The data set an "LD/LN.name" (or "LD/LN$name") reference names; InvalidArguments
    // when there is none.
    virtual System::ResultCode FindDataSet(const Mms::ModelHold& hold, std::string_view reference, DataSet*& found) = 0;
};

}  // namespace Iec61850::Acsi
