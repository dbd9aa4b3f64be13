#include "iec61850/acsi/ClientManager.h"

#include "iec61850/acsi/ClientApplication.h"
#include "iec61850/acsi/RegistryLock.h"
#include "iec61850/acsi/TPAppAssociation.h"

namespace Iec61850::Acsi {

using System::ResultCode;

ClientManager::ClientManager() = default;

ClientManager::~ClientManager() {
    std::map<std::uint32_t, std::unique_ptr<ClientApplication>> taken;
    {
        RegistryLock hold(lock_);
        taken.swap(entries_);
    }
    for (auto& [handle, client] : taken) Dispose(std::move(client));
}

bool ClientManager::NextHandle(std::uint32_t& handle) {
    for (std::uint64_t step = 0; step < 0xFFFFFFFFull; ++step) {
        ++lastId_;
        if (lastId_ == 0 || lastId_ == NoHandle) continue;
        if (!entries_.contains(lastId_)) {
            handle = lastId_;
            return true;
        }
    }
    return false;
}

void ClientManager::Dispose(std::unique_ptr<ClientApplication> client) {
    if (client == nullptr) return;
    // An associated client's association must not call back into it once it is gone.
    if (TPAppAssociation* association = client->GetAssociation(); association != nullptr && client->IsAssociated()) {
        association->Abort();
    }
    client->ClearAssociation();
    client.reset();
}

ResultCode ClientManager::AddClient(ClientApplication* client, std::uint32_t& handle) {
    handle = NoHandle;
    if (client == nullptr) return System::InvalidArguments;
    RegistryLock hold(lock_);
    std::uint32_t next = 0;
    if (!NextHandle(next)) return System::NoResources;
    entries_.emplace(next, std::unique_ptr<ClientApplication>(client));
    client->SetClientId(next);
    handle = next;
    return System::OkNoError;
}

ResultCode ClientManager::GetClient(std::uint32_t handle, ClientApplication*& client) {
    RegistryLock hold(lock_);
    const auto found = entries_.find(handle);
    client = found != entries_.end() ? found->second.get() : nullptr;
    return client != nullptr ? System::OkNoError : System::InvalidArguments;
}

ResultCode ClientManager::RemoveClient(ClientApplication* client) {
    std::unique_ptr<ClientApplication> taken;
    {
        RegistryLock hold(lock_);
        auto found = entries_.begin();
        while (found != entries_.end() && found->second.get() != client) ++found;
        if (found == entries_.end() || client == nullptr) return System::InvalidArguments;
        if (client->IsAssociated()) return System::InvalidState;
        taken = std::move(found->second);
        entries_.erase(found);
    }
    Dispose(std::move(taken));
    return System::OkNoError;
}

ResultCode ClientManager::RemoveClientById(std::uint32_t handle) {
    std::unique_ptr<ClientApplication> taken;
    {
        RegistryLock hold(lock_);
        const auto found = entries_.find(handle);
        if (found == entries_.end()) return System::InvalidArguments;
        taken = std::move(found->second);
        entries_.erase(found);
    }
    Dispose(std::move(taken));
    return System::OkNoError;
}

void ClientManager::SetLastId(std::uint32_t last) {
    RegistryLock hold(lock_);
    lastId_ = last;
}

}  // namespace Iec61850::Acsi
