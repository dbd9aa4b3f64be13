#include "osi/AcseLayer.h"

#include <new>

#include "osi/AcseConnection.h"

AcseLayer::AcseLayer() : Layer(Name, OsiLevel) {}

AcseLayer::~AcseLayer() {
    // The connections refer to this layer while they are destroyed.
    DeleteConnections();
}

Protocol::Connection* AcseLayer::CreateConnection() { return new (std::nothrow) AcseConnection(this); }
