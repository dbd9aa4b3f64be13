#include "iec61850/acsi/client/AcsiLayer.h"

#include <memory>
#include <new>

#include "iec61850/acsi/client/TPAppAssociation.h"

namespace Iec61850::Acsi {

AcsiLayer::AcsiLayer() : Mms::MmsUserLayer("MmsUser", 8) {}

AcsiLayer::~AcsiLayer() {
    // Those destroyed late still reach into the layers below, which go after this one.
    lateDestructions_.JoinAll();
    DeleteConnections();
}

Protocol::Connection* AcsiLayer::CreateConnection() { return new (std::nothrow) TPAppAssociation(this); }

void AcsiLayer::DestroyLate(TPAppAssociation* association) {
    if (association != nullptr && TakeConnection(association))
        lateDestructions_.Destroy(std::unique_ptr<Protocol::Connection>(association));
}

}  // namespace Iec61850::Acsi
