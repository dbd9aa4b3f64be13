#include "mms/machine/MmsLayer.h"

#include <new>

#include "mms/machine/MmsConnection.h"

namespace Mms {

MmsLayer::MmsLayer() : Protocol::Layer("Mms", 8) {}

MmsLayer::~MmsLayer() { DeleteConnections(); }

Protocol::Connection* MmsLayer::CreateConnection() { return new (std::nothrow) MmsConnection(this); }

}  // namespace Mms
