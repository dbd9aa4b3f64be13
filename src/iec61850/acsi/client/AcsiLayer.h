#pragma once

#include "mms/user/MmsUserLayer.h"

namespace Iec61850::Acsi {

// The top layer of the IEC 61850 stack ("MmsUser", OSI level 8): its connections are the
// associations (TPAppAssociation).
class AcsiLayer : public Mms::MmsUserLayer {
public:
    AcsiLayer();
    // The associations go while this layer (which they reach back into) still exists.
    ~AcsiLayer() override;

    // A new TPAppAssociation of this layer; null when memory runs out.
    Protocol::Connection* CreateConnection() override;
};

}  // namespace Iec61850::Acsi
