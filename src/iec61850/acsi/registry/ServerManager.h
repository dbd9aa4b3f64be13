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
#include "system/LateDestructions.h"
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
// after it is let go. A server removed on a thread of the library (inside any callback of
// any association, or on a thread of an association of any of the registry's servers) is
// destroyed on a thread of the registry's, once that callback has returned: destroyed there
// it would wait for its own threads, which may be waiting for that very callback (its own,
// or another server's whose callback it is removed from in turn). Removed on one of its own
// threads it is ended at once (every later post refused at once); removed elsewhere on a
// library thread, the registry's thread ends it as it destroys it. The registry's destructor treats each server the same way, and waits for those
// threads, except for one that waits for the destructor's own thread to leave a callback:
// that one finishes on its own.
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
    // Whether the calling thread runs a callback of the library or a thread of an
    // association of the taken server or of any server still listed (under the lock).
    bool OnLibraryThreadLocked(const Server& taken) const;

    // Destroys the server here, or on a thread of the registry's when the calling thread is
    // one of the library's.
    void Dispose(std::unique_ptr<Server> server, bool onLibraryThread);

    HandleTable<Server> entries_;
    System::Semaphore lock_{1, 1};
    System::LateDestructions lateDestructions_;
};

}  // namespace Iec61850::Acsi
