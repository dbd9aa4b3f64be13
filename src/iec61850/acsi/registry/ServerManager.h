#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "iec61850/acsi/registry/HandleTable.h"
#include "system/ResultCode.h"
#include "system/Semaphore.h"

namespace Iec61850::Acsi {

class Server;

// The servers of the program, one per device address ("RemoteNAddress" of profile 0), by
// handle. Handles count up from 1 and are not given out again until the count wraps (0
// and 0xFFFFFFFF, which stands for "none", are never given out). The registry owns its
// servers.
//
// Its owner builds it and tears it down explicitly (no static object): removing a server
// ends its associations and their threads, so it is not done while the registry's lock
// would be needed by a callback: the server is taken out under the lock and destroyed
// after it is let go. A server removed from one of its own threads or from inside a
// callback of its associations (whose stack still runs there) is taken out at once and
// destroyed on a thread of the registry's, once that callback has returned. The registry's
// destructor treats each server the same way, and waits for those threads, except for one
// that waits for the destructor's own thread to leave a callback: that one finishes on its
// own.
class ServerManager {
public:
    static constexpr std::uint32_t NoHandle = 0xFFFFFFFFu;

    ServerManager();
    // Removes every server.
    virtual ~ServerManager();
    ServerManager(const ServerManager&) = delete;
    ServerManager& operator=(const ServerManager&) = delete;

    // A new server for the address: 0; AlreadyExist (handle NoHandle) when one has it
    // already (letter case counts); NoResources when no handle is left.
    System::ResultCode AddServer(const std::string& address, std::uint32_t& handle);
    System::ResultCode FindServer(std::string_view address, Server*& server);
    System::ResultCode FindServerId(std::string_view address, std::uint32_t& handle);
    System::ResultCode FindServerIdOf(std::uint32_t& handle, const Server* server);
    System::ResultCode GetServer(std::uint32_t handle, Server*& server);
    // Ends the server's associations (their clients let go of them) and deletes it:
    // 0, or InvalidArguments for an unknown handle. From any thread (see above).
    System::ResultCode RemoveServer(std::uint32_t handle);
    System::ResultCode ListServerIds(std::vector<std::uint32_t>& handles);

    // For tests: the last handle given out.
    void SetLastId(std::uint32_t last);

private:
    Server* FindByAddress(std::string_view address) const;

    // Destroys the server on a thread of its own.
    void DestroyElsewhere(std::unique_ptr<Server> server);

    struct Destroyer {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
        // The thread whose callback the destruction waits for.
        std::thread::id deferredBy;
    };

    HandleTable<Server> entries_;
    System::Semaphore lock_{1, 1};
    std::mutex destroyersMutex_;
    std::vector<Destroyer> destroyers_;
};

}  // namespace Iec61850::Acsi
