#pragma once

#include "protocol/Layer.h"

// The session layer ("Cosp", OSI level 5).
class CospLayer : public Protocol::Layer {
public:
    CospLayer();
    ~CospLayer() override;

    // A new CospConnection of this layer.
    Protocol::Connection* CreateConnection() override;
};
