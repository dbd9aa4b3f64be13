#pragma once

#include "protocol/Layer.h"

// The RFC 1006 layer ("Itot", OSI level 3).
class ItotLayer : public Protocol::Layer {
public:
    ItotLayer();
    ~ItotLayer() override;

    // A new ItotConnection of this layer.
    Protocol::Connection* CreateConnection() override;
};
