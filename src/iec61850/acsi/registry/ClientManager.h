#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "iec61850/acsi/registry/HandleTable.h"
#include "system/LateDestructions.h"
#include "system/ResultCode.h"
#include "system/Semaphore.h"

namespace Iec61850 {
class ClientApplication;
}

namespace Iec61850::Acsi {

// The program's clients by handle (counted as the server registry counts them). The
// registry owns its clients; its owner builds and tears it down explicitly. A client removed
// inside a callback of the library is let go of there and destroyed on a thread of the
// registry's, once the calls into it under way are over; the registry's destructor waits for
// those threads (except for one that waits for its own thread to leave a callback).
class ClientManager {
public:
    static constexpr std::uint32_t NoHandle = 0xFFFFFFFFu;

    ClientManager();
    // Removes every client (an associated one is aborted first).
    virtual ~ClientManager();
    ClientManager(const ClientManager&) = delete;
    ClientManager& operator=(const ClientManager&) = delete;

    // Files the client and gives it its handle: 0; InvalidArguments (handle NoHandle) for
    // none; NoResources when no handle is left.
    System::ResultCode AddClient(ClientApplication* client, std::uint32_t& handle);
    System::ResultCode GetClient(std::uint32_t handle, ClientApplication*& client);
    // InvalidArguments when it is not filed; InvalidState (kept) while it is associated;
    // else removed and deleted: 0.
    System::ResultCode RemoveClient(ClientApplication* client);
    // InvalidArguments for an unknown handle; else an associated client is aborted and
    // let go of its association, then removed and deleted: 0.
    System::ResultCode RemoveClientById(std::uint32_t handle);

    void SetLastId(std::uint32_t last);

private:
    void Dispose(std::unique_ptr<ClientApplication> client);

    HandleTable<ClientApplication> entries_;
    System::Semaphore lock_{1, 1};
    System::LateDestructions lateDestructions_;
};

}  // namespace Iec61850::Acsi
