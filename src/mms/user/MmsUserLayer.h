#pragma once

#include "protocol/Layer.h"

namespace Mms {

// The layer of the MMS service user ("MmsUser", OSI level 8): one MmsUserConnection per
// association. The IEC 61850 layer derives from it.
class MmsUserLayer : public Protocol::Layer {
public:
    MmsUserLayer();
    ~MmsUserLayer() override;

    // A new MmsUserConnection, or null when memory runs out.
    Protocol::Connection* CreateConnection() override;

protected:
    MmsUserLayer(const char* name, std::int32_t osiLevel);
};

}  // namespace Mms
