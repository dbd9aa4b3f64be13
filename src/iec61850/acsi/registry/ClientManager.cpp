#include "iec61850/acsi/registry/ClientManager.h"

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/registry/RegistryLock.h"

namespace Iec61850::Acsi {

using System::ResultCode;

ClientManager::ClientManager() = default;

ClientManager::~ClientManager() {
    std::map<std::uint32_t, std::unique_ptr<ClientApplication>> taken;
    {
        RegistryLock hold(lock_);
        taken = entries_.TakeAll();
    }
    for (auto& [handle, client] : taken) Dispose(std::move(client));
    lateDestructions_.JoinAll();
}

void ClientManager::Dispose(std::unique_ptr<ClientApplication> client) {
    if (client == nullptr) return;
    // An associated client's association must not call back into it once it is gone.
    if (TPAppAssociation* association = client->GetAssociation(); association != nullptr && client->IsAssociated()) {
        association->Abort();
    }
    client->ClearAssociation();
    // Inside a callback the let-go waits for nothing: calls into the client may still be
    // under way (that very callback among them), and its destruction, which waits for
    // them, goes to a thread of its own.
    if (TPAppAssociation::InCallback()) {
        lateDestructions_.Destroy(std::move(client));
        return;
    }
    client.reset();
}

ResultCode ClientManager::AddClient(ClientApplication* client, std::uint32_t& handle) {
    handle = NoHandle;
    if (client == nullptr) return System::InvalidArguments;
    RegistryLock hold(lock_);
    std::uint32_t next = 0;
    if (!entries_.NextHandle(next)) return System::NoResources;
    entries_.Entries().emplace(next, std::unique_ptr<ClientApplication>(client));
    client->SetClientId(next);
    handle = next;
    return System::OkNoError;
}

ResultCode ClientManager::GetClient(std::uint32_t handle, ClientApplication*& client) {
    RegistryLock hold(lock_);
    client = entries_.Find(handle);
    return client != nullptr ? System::OkNoError : System::InvalidArguments;
}

ResultCode ClientManager::RemoveClient(ClientApplication* client) {
    std::unique_ptr<ClientApplication> taken;
    {
        RegistryLock hold(lock_);
        auto& entries = entries_.Entries();
        auto found = entries.begin();
        while (found != entries.end() && found->second.get() != client) ++found;
        if (found == entries.end() || client == nullptr) return System::InvalidArguments;
        if (client->IsAssociated()) return System::InvalidState;
        taken = std::move(found->second);
        entries.erase(found);
    }
    Dispose(std::move(taken));
    return System::OkNoError;
}

ResultCode ClientManager::RemoveClientById(std::uint32_t handle) {
    std::unique_ptr<ClientApplication> taken;
    {
        RegistryLock hold(lock_);
        taken = entries_.Take(handle);
        if (taken == nullptr) return System::InvalidArguments;
    }
    Dispose(std::move(taken));
    return System::OkNoError;
}

void ClientManager::SetLastId(std::uint32_t last) {
    RegistryLock hold(lock_);
    entries_.SetLastId(last);
}

}  // namespace Iec61850::Acsi
