#include "iec61850/acsi/registry/ServerManager.h"

#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
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
    for (auto& [handle, server] : taken) {
        // As RemoveServer: destroyed here it would wait for this very thread.
        if (server->RunsOnThisThread()) {
            server->EndAssociations();
            DestroyElsewhere(std::move(server));
        }
    }
    taken.clear();
    std::vector<Destroyer> destroyers;
    {
        std::lock_guard lock(destroyersMutex_);
        destroyers.swap(destroyers_);
    }
    for (Destroyer& destroyer : destroyers) {
        // It holds the server and nothing of the registry: it may outlive it.
        if (destroyer.deferredBy == std::this_thread::get_id() && !destroyer.done->load()) destroyer.thread.detach();
        else destroyer.thread.join();
    }
}

void ServerManager::DestroyElsewhere(std::unique_ptr<Server> server) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(destroyersMutex_);
    // Those that have finished are joined as the next comes.
    std::erase_if(destroyers_, [](Destroyer& destroyer) {
        if (!destroyer.done->load()) return false;
        destroyer.thread.join();
        return true;
    });
    destroyers_.push_back({std::thread([server = std::move(server), done]() mutable {
                               server.reset();
                               done->store(true);
                           }),
                           done, std::this_thread::get_id()});
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

ResultCode ServerManager::RemoveServer(std::uint32_t handle) {
    std::unique_ptr<Server> taken;
    {
        RegistryLock hold(lock_);
        taken = entries_.Take(handle);
        if (taken == nullptr) return System::InvalidArguments;
    }
    // Outside the lock: the associations' last callbacks may use the registry. On a thread
    // that the server's associations still run in, their ending would wait for itself.
    if (taken->RunsOnThisThread()) {
        // Ended here (nothing of that waits), so that whatever is posted from now on is
        // refused at once; the rest waits for this thread to leave.
        taken->EndAssociations();
        DestroyElsewhere(std::move(taken));
    } else {
        taken.reset();
    }
    return System::OkNoError;
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
