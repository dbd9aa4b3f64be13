#include "mms/user/MmsUserLayer.h"

#include <new>

#include "mms/user/MmsUserConnection.h"

namespace Mms {

MmsUserLayer::MmsUserLayer() : Layer("MmsUser", 8) {}

MmsUserLayer::MmsUserLayer(const char* name, std::int32_t osiLevel) : Layer(name, osiLevel) {}

MmsUserLayer::~MmsUserLayer() {
    // The connections reach back into the layer while they are destroyed.
    DeleteConnections();
}

Protocol::Connection* MmsUserLayer::CreateConnection() { return new (std::nothrow) MmsUserConnection(this); }

}  // namespace Mms
