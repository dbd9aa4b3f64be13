#include "app/client/ConnectionSession.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "app/client/QXClient.h"
#include "app/client/QXMessages.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "iec61850/acsi/registry/ServerManager.h"

namespace App {

using Iec61850::Acsi::Server;
using System::ResultCode;

namespace {

// How long a release may take before the association is aborted: the profile's MMS
// time-out.
std::chrono::milliseconds ReleaseTimeout(Server* server) {
    std::string value;
    if (server != nullptr && server->GetProfile(0) != nullptr &&
        server->GetProfile(0)->GetParameter(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, value) ==
            System::OkNoError) {
        try {
            return std::chrono::milliseconds(std::stoul(value));
        } catch (...) {}
    }
    return std::chrono::milliseconds(10000);
}

}  // namespace

struct ConnectionSession::GuardedAssociation {
    explicit GuardedAssociation(Iec61850::Acsi::TPAppAssociation& named)
        : association(named), generation(named.CurrentGeneration()), hold(named) {}
    Iec61850::Acsi::TPAppAssociation& association;
    const std::uint32_t generation;
    // It is not destroyed while named.
    const Iec61850::Acsi::TPAppAssociation::Entry hold;
};

ConnectionSession::ConnectionSession(Iec61850::Acsi::ServerManager& servers, Iec61850::Acsi::ClientManager& clients,
                                     MainWindowNotifier* window, ConnectionSessionListener* listener)
    : servers_(servers), clients_(clients), window_(window), listener_(listener) {}

ConnectionSession::~ConnectionSession() { Shutdown(); }

void ConnectionSession::SetDisconnectLimit(std::chrono::milliseconds limit) {
    std::lock_guard lock(mutex_);
    disconnectLimit_ = limit;
}

void ConnectionSession::SetProfileOverride(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    overrides_[name] = value;
}

void ConnectionSession::SetGuardHook(GuardHook hook) {
    std::lock_guard lock(mutex_);
    guardHook_ = std::move(hook);
}

void ConnectionSession::SetClock(Clock clock) {
    std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}

std::chrono::steady_clock::time_point ConnectionSession::Now() const {
    Clock clock;
    {
        std::lock_guard lock(mutex_);
        clock = clock_;
    }
    return clock ? clock() : std::chrono::steady_clock::now();
}

ConnectionSession::Phase ConnectionSession::GetPhase() const {
    std::lock_guard lock(mutex_);
    if (shutDown_) return Phase::ShutDown;
    if (busy_) return associated_ ? Phase::Loading : Phase::Connecting;
    return associated_ ? Phase::Connected : Phase::Idle;
}

QXClient* ConnectionSession::GetClient() const {
    std::lock_guard lock(mutex_);
    return client_;
}

Server* ConnectionSession::GetServer() const {
    std::lock_guard lock(mutex_);
    return server_;
}

std::int32_t ConnectionSession::GetServerId() const {
    std::lock_guard lock(mutex_);
    return serverId_;
}

// ---- what the client tells ----

bool ConnectionSession::AbortRefusedRelease(std::intptr_t text) {
    releaseRefusals_.fetch_add(1);
    {
        std::lock_guard lock(mutex_);
        if (renewing_ || shutDown_ || !releaseDeadline_ || !guarded_) return false;
        // The text lives for the call only.
        const char* words = text != 0 ? reinterpret_cast<const char*>(text) : nullptr;
        releaseRefusal_ = words != nullptr && *words != 0 ? words : "no reason given";
        releaseDeadline_ = std::chrono::steady_clock::now();
    }
    guardWake_.notify_all();
    return true;
}

std::string ConnectionSession::ReleaseRefusal() const {
    std::lock_guard lock(mutex_);
    return releaseRefusal_;
}

std::intptr_t ConnectionSession::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    // A Disconnect's release that the device refused leaves the association standing: the
    // guard aborts it at once, and the window hears that abort alone.
    if (message == WM_QX_RELEASE_RESULT && wParam != 0 && AbortRefusedRelease(lParam)) return 0;
    bool connected = false;
    bool disconnected = false;
    bool guard = false;
    if (message == WM_QX_RELEASE_RESULT || message == WM_QX_ABORTED) ForgetGuarded();
    {
        std::lock_guard lock(mutex_);
        if (renewing_ && (message == WM_QX_RELEASE_RESULT || message == WM_QX_ABORTED)) return 0;
        switch (message) {
            case WM_QX_ASSOCIATE_RESULT:
                if (wParam == 0) {
                    associated_ = true;
                    connected = true;
                    // A Disconnect asked for while this connect was under way is for it.
                    guard = releaseDeadline_.has_value() && client_ != nullptr;
                } else {
                    // The text lives for the call only.
                    failureTold_ = true;
                    failureText_ = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
                }
                break;
            case WM_QX_MODEL_READ_START:
                loadStarted_ = true;
                if (renewed_ != 0) wParam = renewed_;
                renewed_ = 0;
                break;
            case WM_QX_RELEASE_RESULT:
                // The device answered the release: a refusal leaves the association
                // standing, as the device chose.
                releaseDeadline_.reset();
                if (wParam != 0) break;
                [[fallthrough]];
            case WM_QX_ABORTED:
                // An abort of an attempt given up is no end of a connection that stood.
                disconnected = associated_;
                associated_ = false;
                releaseDeadline_.reset();
                break;
            default: break;
        }
    }
    if (guard) {
        if (QXClient* client = GetClient()) GuardStandingAssociation(*client);
    }
    // The window hears it first, as it did before the session stood between.
    const std::intptr_t answer = window_ != nullptr ? window_->Send(message, wParam, lParam) : 0;
    if (listener_ != nullptr && Telling()) {
        if (connected) listener_->OnConnected();
        if (disconnected) listener_->OnDisconnected();
    }
    return answer;
}

// ---- connect ----

ResultCode ConnectionSession::MakeClient() {
    std::int32_t id = -1;
    {
        std::lock_guard lock(mutex_);
        id = clientId_;
    }
    if (id == -1) {
        auto* made = new QXClient(this);
        std::uint32_t handle = 0;
        if (const ResultCode result = clients_.AddClient(made, handle); result != System::OkNoError) {
            delete made;
            return result;
        }
        id = static_cast<std::int32_t>(handle);
        std::lock_guard lock(mutex_);
        clientId_ = id;
    }
    Iec61850::ClientApplication* filed = nullptr;
    if (const ResultCode result = clients_.GetClient(static_cast<std::uint32_t>(id), filed);
        result != System::OkNoError) {
        return result;
    }
    std::lock_guard lock(mutex_);
    client_ = static_cast<QXClient*>(filed);
    return System::OkNoError;
}

ResultCode ConnectionSession::TakeServer(const std::string& address) {
    Server* found = nullptr;
    servers_.FindServer(address, found);
    if (found != nullptr) {
        std::uint32_t handle = 0;
        const bool known = servers_.FindServerIdOf(handle, found) == System::OkNoError;
        std::lock_guard lock(mutex_);
        server_ = found;
        if (known) serverId_ = static_cast<std::int32_t>(handle);
        return System::OkNoError;
    }
    std::uint32_t handle = 0;
    ResultCode result = servers_.AddServer(address, handle);
    const bool added = result == System::OkNoError;
    if (added) result = servers_.GetServer(handle, found);
    std::map<std::string, std::string> overrides;
    {
        std::lock_guard lock(mutex_);
        server_ = result == System::OkNoError ? found : nullptr;
        if (added) serverId_ = static_cast<std::int32_t>(handle);
        overrides = overrides_;
    }
    if (result != System::OkNoError) return result;
    for (const auto& [name, value] : overrides) found->GetProfile(0)->SetParameter(name, value);
    return System::OkNoError;
}

void ConnectionSession::RemoveServer() {
    // Named for the guard, the association would keep its server's removal waiting.
    ForgetGuarded();
    std::lock_guard removal(removalMutex_);
    std::int32_t id = -1;
    QXClient* client = nullptr;
    {
        std::lock_guard lock(mutex_);
        id = serverId_;
        client = client_;
    }
    if (servers_.RemoveServer(static_cast<std::uint32_t>(id)) != System::OkNoError) return;
    if (client != nullptr) client->ClearAssociation();
    std::lock_guard lock(mutex_);
    server_ = nullptr;
    serverId_ = -1;
}

ResultCode ConnectionSession::Connect(const std::string& address, bool reload) {
    bool removeFirst = false;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_ || busy_) return System::InvalidState;
        removeFirst = reload && server_ != nullptr;
        busy_ = true;
        failureTold_ = false;
        failureText_.clear();
        loadStarted_ = false;
        renewed_ = 0;
        releaseAfterWork_ = false;
        releaseDeadline_.reset();
    }
    ForgetGuarded();
    // The last worker has told its end and has nothing left to do.
    if (worker_.joinable()) worker_.join();
    ResultCode result = MakeClient();
    // A server to be removed may still be sending to this thread: it is found after the
    // removal, on the worker.
    if (result == System::OkNoError && !removeFirst) result = TakeServer(address);
    if (result != System::OkNoError) {
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        workEnded_.notify_all();
        return result;
    }
    worker_ = std::thread([this, address, removeFirst] { RunConnect(address, removeFirst); });
    return System::OkNoError;
}

void ConnectionSession::RunConnect(const std::string& address, bool removeFirst) {
    ResultCode result = System::OkNoError;
    if (removeFirst) {
        RemoveServer();
        result = TakeServer(address);
    }
    QXClient* client = GetClient();
    Server* server = GetServer();
    if (result == System::OkNoError) {
        if (closing_.load()) {
            result = System::Aborted;
        } else if (client == nullptr || server == nullptr) {
            result = System::InvalidState;
        } else {
            // The model load follows inside, on this thread, once the association stands.
            result = client->Associate(*server->GetProfile(0), 0);
            if (result == System::OkNoError && client->KeptModelDiffers()) result = ReadAfresh(address, *client);
        }
    }
    bool told = false;
    bool loaded = false;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        told = failureTold_;
        text = failureText_;
        loaded = loadStarted_;
    }
    // Associate has returned: nothing of its call chain uses the server any more. A shutdown
    // removes every server itself, and gives up the association meanwhile.
    if (told && !closing_.load()) RemoveServer();
    if (listener_ != nullptr && Telling()) {
        if (result != System::OkNoError) {
            listener_->OnConnectFailed(result, told ? text : System::ResultCodeText(result), told);
        } else if (loaded) {
            listener_->OnModelLoaded(client->GetModelReadResult());
        }
    }
    bool release = false;
    {
        std::lock_guard lock(mutex_);
        release = std::exchange(releaseAfterWork_, false);
        if (!release) busy_ = false;
    }
    if (release) {
        // Asked for while this worker read the model: the release follows, in the queue,
        // everything the load asked for, which its stop has withdrawn.
        if (client != nullptr && client->IsAssociated() && !closing_.load()) client->Release();
        std::lock_guard lock(mutex_);
        busy_ = false;
    }
    workEnded_.notify_all();
    if (listener_ != nullptr && Telling()) listener_->OnWorkEnded();
}

ResultCode ConnectionSession::ReadAfresh(const std::string& address, QXClient& client) {
    // The end releases what stands.
    if (closing_.load()) return System::Aborted;
    const std::uintptr_t renewal = client.KeptModelRenewal();
    {
        std::lock_guard lock(mutex_);
        renewing_ = true;
    }
    // Once the end has begun this release is bounded as the end's own is.
    EndAssociation(client, ReleaseTimeout(GetServer()), true);
    // The removal joins the association's threads: nothing of it calls back after.
    RemoveServer();
    ResultCode result = TakeServer(address);
    Server* server = GetServer();
    {
        std::lock_guard lock(mutex_);
        renewing_ = false;
        renewed_ = result == System::OkNoError ? renewal : 0;
    }
    if (result != System::OkNoError) return result;
    if (closing_.load()) return System::Aborted;
    return server != nullptr ? client.Associate(*server->GetProfile(0), 0) : System::InvalidState;
}

// ---- disconnect and the end ----

void ConnectionSession::Disconnect() {
    QXClient* client = nullptr;
    bool standing = false;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_) return;
        client = client_;
        standing = associated_;
    }
    // Named before its deadline is set, so that the guard never finds the deadline without
    // it. One still being made is named as it stands (Send).
    if (client != nullptr && standing) GuardStandingAssociation(*client);
    // Answers that come while the limit runs show a device that answers, only slowly.
    const auto disconnectAt = Now();
    givenUpWhileAnswering_.store(false);
    bool loading = false;
    bool releaseNow = true;
    {
        std::lock_guard lock(mutex_);
        loading = busy_ && associated_;
        // While the worker reads the model, the release is its own last step: nothing the
        // load asks for can then come after it in the queue.
        if (busy_ && client != nullptr) {
            releaseAfterWork_ = true;
            releaseNow = false;
        }
        if (client != nullptr) {
            disconnectAt_ = disconnectAt;
            releaseRefusal_.clear();
            releaseDeadline_ = std::chrono::steady_clock::now() + disconnectLimit_;
            if (!releaseGuard_.joinable()) releaseGuard_ = std::thread([this] { GuardReleases(); });
        }
    }
    guardWake_.notify_all();
    if (client == nullptr) return;
    // What the client asks of its own accord (the load, an export's reads) stops, and what
    // it queued is never sent: the release goes next, as soon as the requests already out
    // are answered (the association aborts when they are not, see Acsi::Release).
    if (loading) client->StopModelLoad();
    client->StopIcdReads();
    if (releaseNow) client->Release();
}

void ConnectionSession::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        if (shutDown_) return;
        shutDown_ = true;
        endBegan_ = std::chrono::steady_clock::now();
    }
    closing_.store(true);
    // An abort of the guard's own under way is one that waits for nothing.
    guardWake_.notify_all();
    if (releaseGuard_.joinable()) releaseGuard_.join();
    ForgetGuarded();
    QXClient* client = GetClient();
    if (client != nullptr) client->StopIcdReads();
    // A connect under way is given up. Its association may not exist yet when the worker is
    // about to make it, an abandon may come just as the transport opens, and a load's stop
    // asked for before its association stood does not hold: all is asked until the worker
    // ends.
    {
        std::unique_lock lock(mutex_);
        while (busy_) {
            lock.unlock();
            if (client != nullptr) {
                client->StopModelLoad();
                // A server being removed takes its association along: there is nothing to give up.
                std::unique_lock removal(removalMutex_, std::try_to_lock);
                if (removal.owns_lock()) {
                    if (Iec61850::Acsi::TPAppAssociation* association = client->GetAssociation()) {
                        association->AbandonAssociate();
                    }
                }
            }
            lock.lock();
            workEnded_.wait_for(lock, std::chrono::milliseconds(50), [this] { return !busy_; });
        }
    }
    if (worker_.joinable()) worker_.join();
    // Releasing waits for the device and the removals join association threads: not on the
    // caller's thread.
    worker_ = std::thread([this, client] { EndConnection(client); });
    worker_.join();
    std::lock_guard lock(mutex_);
    client_ = nullptr;
    clientId_ = -1;
    server_ = nullptr;
    serverId_ = -1;
}

std::chrono::steady_clock::time_point ConnectionSession::EndBound(
    std::chrono::steady_clock::time_point deadline) const {
    std::lock_guard lock(mutex_);
    return shutDown_ ? std::min(deadline, endBegan_ + ShutdownReleaseLimit) : deadline;
}

void ConnectionSession::EndAssociation(QXClient& client, std::chrono::milliseconds limit, bool abortWaitsForDevice) {
    if (!client.IsAssociated()) return;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const std::uint64_t refusals = releaseRefusals_.load();
    client.Release();
    // The end may begin during the wait: its bound holds from then on. A device that refuses
    // the release will not end the association: nothing more is waited for.
    while (client.IsAssociated() && std::chrono::steady_clock::now() < EndBound(deadline) &&
           releaseRefusals_.load() == refusals)
        client.WaitForConfirmation(50);
    if (!client.IsAssociated()) return;
    Iec61850::Acsi::TPAppAssociation* association = client.GetAssociation();
    if (association == nullptr) return;
    // A device that left the release unanswered may leave its close unsent too: once the end
    // has begun, nothing more of it is waited for.
    association->Abort(abortWaitsForDevice && !closing_.load() ? AbortWait::ForPeer : AbortWait::None);
}

void ConnectionSession::GuardReleases() {
    std::unique_lock lock(mutex_);
    while (!shutDown_) {
        if (!releaseDeadline_) {
            guardWake_.wait(lock);
            continue;
        }
        const auto deadline = *releaseDeadline_;
        if (std::chrono::steady_clock::now() < deadline) {
            guardWake_.wait_until(lock, deadline);
            continue;
        }
        releaseDeadline_.reset();
        // Only the association the Disconnect was for: however late this comes, what stands
        // by then may be a newer one, which the abort of that generation leaves alone.
        std::shared_ptr<const GuardedAssociation> guarded = std::exchange(guarded_, nullptr);
        if (!guarded) continue;
        const GuardHook hook = guardHook_;
        const auto disconnectAt = disconnectAt_;
        const bool refused = !releaseRefusal_.empty();
        lock.unlock();
        if (hook) hook(GuardStep::Aborting);
        givenUpWhileAnswering_.store(!refused && StillAnswering(guarded->association, disconnectAt));
        guarded->association.AbortGeneration(guarded->generation, AbortWait::None);
        guarded.reset();
        if (hook) hook(GuardStep::Aborted);
        lock.lock();
    }
}

bool ConnectionSession::StillAnswering(const Iec61850::Acsi::TPAppAssociation& association,
                                       std::chrono::steady_clock::time_point disconnectAt) const {
    // With the conclude out, the device has answered every request before it: what it left
    // unanswered is the release itself, however lately it answered the others.
    if (association.GetPendingCount() == 0 || association.IsConcludePending()) return false;
    // Requests out say nothing of a device that has stopped answering them: the time of its
    // last answer does.
    std::chrono::steady_clock::time_point answered;
    if (!association.LastAnswered(answered) || answered < disconnectAt) return false;
    return Now() - answered <= AnsweringWindow;
}

void ConnectionSession::GuardStandingAssociation(QXClient& client) {
    std::shared_ptr<const GuardedAssociation> named;
    {
        // A server being removed takes its association along: there is nothing to name.
        std::unique_lock removal(removalMutex_, std::try_to_lock);
        if (!removal.owns_lock()) return;
        Iec61850::Acsi::TPAppAssociation* association = client.GetAssociation();
        if (association == nullptr || !association->IsAssociated()) return;
        named = std::make_shared<const GuardedAssociation>(*association);
    }
    std::lock_guard lock(mutex_);
    // The one named before goes with `named`'s scope, after the lock.
    guarded_.swap(named);
}

void ConnectionSession::ForgetGuarded() {
    std::shared_ptr<const GuardedAssociation> forgotten;
    std::lock_guard lock(mutex_);
    forgotten.swap(guarded_);
}

void ConnectionSession::EndConnection(QXClient* client) {
    // The program is ending: once the limit has passed nothing more of the device is waited
    // for, whatever the profile's session time-out says.
    if (client != nullptr) EndAssociation(*client, std::min(ReleaseTimeout(GetServer()), ShutdownReleaseLimit), false);
    std::vector<std::uint32_t> ids;
    servers_.ListServerIds(ids);
    for (std::uint32_t id : ids) servers_.RemoveServer(id);
    std::int32_t clientId = -1;
    {
        std::lock_guard lock(mutex_);
        clientId = clientId_;
    }
    if (clientId != -1) clients_.RemoveClientById(static_cast<std::uint32_t>(clientId));
}

}  // namespace App
