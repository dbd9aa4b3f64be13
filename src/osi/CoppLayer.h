#pragma once

#include "protocol/Layer.h"

// The presentation layer ("Copp", OSI level 6): the factory of CoppConnection objects.
class CoppLayer : public Protocol::Layer {
public:
    static constexpr const char* Name = "Copp";
    static constexpr std::int32_t OsiLevel = 6;

    CoppLayer();
    ~CoppLayer() override;

    Protocol::Connection* CreateConnection() override;
};
