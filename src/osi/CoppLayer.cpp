#include "osi/CoppLayer.h"

#include <new>

#include "osi/CoppConnection.h"

CoppLayer::CoppLayer() : Layer(Name, OsiLevel) {}

CoppLayer::~CoppLayer() {
    // The connections refer to this layer while they are destroyed.
    DeleteConnections();
}

Protocol::Connection* CoppLayer::CreateConnection() { return new (std::nothrow) CoppConnection(this); }
