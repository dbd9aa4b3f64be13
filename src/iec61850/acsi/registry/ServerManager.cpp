#include "iec61850/acsi/registry/ServerManager.h"

#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/registry/RegistryLock.h"

namespace Iec61850::Acsi {

using System::ResultCode;

ServerManager::ServerManager() = default;

ServerManager::~ServerManager() {
    std::map<std::uint32_t, std::unique_ptr<Server>> taken;
    {
        RegistryLock hold(lock_);
        taken = entries_.TakeAll();
    }
    // As RemoveServer: destroyed here, a server could wait for this very thread.
    bool onLibraryThread = TPAppAssociation::InCallback();
    for (const auto& [handle, server] : taken) onLibraryThread = onLibraryThread || server->RunsOnThisThread();
    for (auto& [handle, server] : taken) Dispose(std::move(server), onLibraryThread);
    taken.clear();
    lateDestructions_.JoinAll();
}

Server* ServerManager::FindByAddress(std::string_view address) const {
    for (const auto& [handle, server] : entries_.Entries()) {
        std::string value;
        AssociationProfile* profile = server->GetProfile(0);
        if (profile != nullptr && profile->GetParameter("RemoteNAddress", value) == System::OkNoError &&
            value == address) {
            return server.get();
        }
    }
    return nullptr;
}

ResultCode ServerManager::AddServer(const std::string& address, std::uint32_t& handle) {
    RegistryLock hold(lock_);
    handle = NoHandle;
    if (FindByAddress(address) != nullptr) return System::AlreadyExist;
    std::uint32_t next = 0;
    if (!entries_.NextHandle(next)) return System::NoResources;
    auto server = std::make_unique<Server>();
    server->GetProfile(0)->SetParameter("RemoteNAddress", address);
    entries_.Entries().emplace(next, std::move(server));
    handle = next;
    return System::OkNoError;
}

ResultCode ServerManager::FindServer(std::string_view address, Server*& server) {
    RegistryLock hold(lock_);
    server = FindByAddress(address);
    return server != nullptr ? System::OkNoError : System::InvalidArguments;
}

ResultCode ServerManager::FindServerId(std::string_view address, std::uint32_t& handle) {
    RegistryLock hold(lock_);
    handle = NoHandle;
    Server* server = FindByAddress(address);
    for (const auto& [id, entry] : entries_.Entries()) {
        if (entry.get() == server && server != nullptr) handle = id;
    }
    return handle != NoHandle ? System::OkNoError : System::InvalidArguments;
}

ResultCode ServerManager::FindServerIdOf(std::uint32_t& handle, const Server* server) {
    RegistryLock hold(lock_);
    for (const auto& [id, entry] : entries_.Entries()) {
        if (entry.get() == server) {
            handle = id;
            return System::OkNoError;
        }
    }
    return System::InvalidArguments;
}

ResultCode ServerManager::GetServer(std::uint32_t handle, Server*& server) {
    RegistryLock hold(lock_);
    server = entries_.Find(handle);
    return server != nullptr ? System::OkNoError : System::InvalidArguments;
}

bool ServerManager::OnLibraryThreadLocked(const Server& taken) const {
    if (TPAppAssociation::InCallback() || taken.RunsOnThisThread()) return true;
    for (const auto& [handle, server] : entries_.Entries()) {
        if (server->RunsOnThisThread()) return true;
    }
    return false;
}

ResultCode ServerManager::RemoveServer(std::uint32_t handle) {
    std::unique_ptr<Server> taken;
    bool onLibraryThread = false;
    {
        RegistryLock hold(lock_);
        taken = entries_.Take(handle);
        if (taken == nullptr) return System::InvalidArguments;
        onLibraryThread = OnLibraryThreadLocked(*taken);
    }
    // Outside the lock: the associations' last callbacks may use the registry.
    Dispose(std::move(taken), onLibraryThread);
    return System::OkNoError;
}

void ServerManager::Dispose(std::unique_ptr<Server> server, bool onLibraryThread) {
    if (!onLibraryThread) {
        server.reset();
        return;
    }
    // On a thread of the library (inside any callback, or a thread of any association) the
    // server's destruction could wait for this very thread: for itself on one of its own,
    // and inside another server's callback for its own threads, which may be waiting for
    // that callback (two servers each removed from the other's callback). On one of its own
    // its associations end here, since nothing of that waits for this thread, so that
    // whatever is posted from now on is refused at once. Elsewhere even their ending's
    // close could wait for a receive thread held in a callback that waits for this one:
    // the registry's thread ends them, as it destroys the server once this thread has left.
    if (server->RunsOnThisThread()) server->EndAssociations();
    lateDestructions_.Destroy(std::move(server));
}

ResultCode ServerManager::ListServerIds(std::vector<std::uint32_t>& handles) {
    RegistryLock hold(lock_);
    for (const auto& [handle, server] : entries_.Entries()) handles.push_back(handle);
    return System::OkNoError;
}

void ServerManager::SetLastId(std::uint32_t last) {
    RegistryLock hold(lock_);
    entries_.SetLastId(last);
}

}  // namespace Iec61850::Acsi
