#pragma once

#include "mms/user/MmsUserLayer.h"
#include "system/LateDestructions.h"

namespace Iec61850::Acsi {

// The top layer of the IEC 61850 stack ("MmsUser", OSI level 8): its connections are the
// associations (TPAppAssociation).
class TPAppAssociation;

class AcsiLayer : public Mms::MmsUserLayer {
public:
    AcsiLayer();
    // The associations go while this layer (which they reach back into) still exists.
    ~AcsiLayer() override;

    // A new TPAppAssociation of this layer; null when memory runs out.
    Protocol::Connection* CreateConnection() override;
    // Takes the association out of this layer and destroys it on a thread of its own: let go
    // of on a library thread, its destruction could wait for threads that wait for this one
    // (see TPAppAssociation::InCallback). This layer waits for it before it goes.
    void DestroyLate(TPAppAssociation* association);

private:
    System::LateDestructions lateDestructions_;
};

}  // namespace Iec61850::Acsi
