#pragma once

// What an ICD file says of the device beyond its model: the services its association
// negotiated and the identity it gave. Taken while that association stands, so that a file
// finished after it has gone still says what the device said, not what an association no
// longer there leaves behind (no services, no name).

#include <cstdint>
#include <string>
#include <vector>

namespace Iec61850::Acsi {
class Server;
}

namespace App {

class QXClient;

struct IcdDeviceFacts {
    // The MMS service numbers negotiated, ascending.
    std::vector<std::int32_t> services;
    // As IcdIdentityOf names them: empty when the device gave no identity (the file then names none).
    std::string vendorName;
    std::string modelName;

    bool Supports(std::int32_t service) const;
};

// The facts of the client's association and its server's identity; false, nothing taken,
// when no association stands. Takes no model lock: safe inside a callback's send.
bool TakeIcdDeviceFacts(const QXClient& client, const Iec61850::Acsi::Server& server, IcdDeviceFacts& facts);

}  // namespace App
