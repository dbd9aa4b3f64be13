#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/client/MainWindowNotifier.h"
#include "system/ResultCode.h"

namespace Iec61850::Acsi {
class ClientManager;
class Server;
class ServerManager;
class TPAppAssociation;
}  // namespace Iec61850::Acsi

namespace App {

class QXClient;

// What a session tells its owner, with no lock of the session held. The owner copies what
// it needs and hands it to its own thread; none of these may wait for the owner's thread
// or for an answer of the association. Once Shutdown has begun nothing more is told (a call
// already on its way may still end).
class ConnectionSessionListener {
public:
    virtual ~ConnectionSessionListener() = default;
    // The association stands; the model load follows. On the worker, inside the client's
    // callback.
    virtual void OnConnected() {}
    // A connect ended without an association, on the worker. `told`: the client has told its
    // window already (with `reason`, and the server of the address is discarded); otherwise
    // no one has, and `reason` is the result's text.
    virtual void OnConnectFailed(System::ResultCode /*result*/, const std::string& /*reason*/, bool /*told*/) {}
    // The model load ended with the reader's result (ModelReader's results), on the worker.
    virtual void OnModelLoaded(std::int32_t /*result*/) {}
    // An association that stood ended, released or aborted: on the library thread that
    // learnt it (the receive thread, or the one that aborted).
    virtual void OnDisconnected() {}
    // The worker's last act: the connect is over, another may start.
    virtual void OnWorkEnded() {}
};

// The program's connection to one device at a time, without a window: the servers and the
// client of the registries, the association made on a worker of its own followed by the
// model load (both inside QXClient::Associate), the release, and the ordered end (which
// aborts what the release cannot end).
//
// The client it makes tells `window` everything, as it always did; the session hears those
// messages on their way to learn where the connection stands.
//
// Threads: Connect, Disconnect and Shutdown are called from the owner's thread. Connect and
// Disconnect never make it wait on the network: every registry removal (it joins association
// threads, whose callbacks may be sending to that thread) runs on the worker. Shutdown waits
// for the session's threads. The accessors may be called from any thread.
class ConnectionSession : private MainWindowNotifier {
public:
    enum class Phase {
        Idle,        // no association, no work
        Connecting,  // the worker is at work and no association stands yet
        Loading,     // the association stands and the worker reads the model
        Connected,   // the association stands, the worker has ended
        ShutDown,
    };

    // The longest Shutdown waits for a release before it aborts: whoever closes the window
    // is not kept waiting by a slow or silent device.
    static constexpr std::chrono::milliseconds ShutdownReleaseLimit{1500};

    ConnectionSession(Iec61850::Acsi::ServerManager& servers, Iec61850::Acsi::ClientManager& clients,
                      MainWindowNotifier* window, ConnectionSessionListener* listener);
    // Shuts down.
    ~ConnectionSession() override;
    ConnectionSession(const ConnectionSession&) = delete;
    ConnectionSession& operator=(const ConnectionSession&) = delete;

    // The longest a Disconnect waits for the release before it aborts (ShutdownReleaseLimit
    // unless set), for a caller that lets a held answer go after the disconnect.
    void SetDisconnectLimit(std::chrono::milliseconds limit);

    // Profile values for the servers this session creates ("RemoteNPort", "MmsTimeout" ...).
    void SetProfileOverride(const std::string& name, const std::string& value);

    // For tests: called on the disconnect guard's thread once a Disconnect's limit has
    // passed with its association named, just before it judges whether the device was still
    // answering and aborts that association, and once that abort is over; no lock of the
    // session held (null: none).
    enum class GuardStep { Aborting, Aborted };
    using GuardHook = std::function<void(GuardStep)>;
    void SetGuardHook(GuardHook hook);
    // For tests: the time that a Disconnect and its guard's judgment read (the steady clock
    // unless set), against the library's time of the device's last answer.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    void SetClock(Clock clock);

    // The client once (created and filed on the first call, kept for later connections), the
    // server of the address found or made, then Associate and the model load on the worker.
    // With `reload` and a server held, that server is removed first (on the worker too), so
    // that the model is read afresh. Without, a kept model is used only when the device
    // is the one it was read from; else its association is released unseen, the server
    // removed and the device read afresh on a new one (the window learns it, and why, by the
    // model read's start, wParam ModelReadRenewed...). 0 when the worker started; InvalidState while a connect
    // is under way or after Shutdown; else the registries' failure, nothing started.
    System::ResultCode Connect(const std::string& address, bool reload);
    // Releases the association. A model load and an export's value reads under way are
    // stopped first, and what they queued is never sent (each confirmed as withdrawn): the
    // release goes as soon as the requests already out are answered. While the worker is at
    // work (a load, a connect) the release is posted by the worker as its work ends, behind
    // everything it asked for. When the association still stands ShutdownReleaseLimit after
    // the call (a stalled link, a device that holds its answers or the conclude) it is
    // aborted, an abort that waits for nothing of the device: the user who asked for the
    // disconnect is kept waiting no longer than one who closes the window. The end comes
    // through the client's release result (or that abort), then OnDisconnected. A release
    // the device refuses (ReleaseRefusal) ends the association with that abort at once: the
    // user asked for the end, and the device will not give it; the window hears the abort,
    // not the refusal.
    void Disconnect();
    // Stops the model load and an export's reads as Disconnect does, gives up a connect under
    // way, releases a standing association (aborted when the profile's MMS time-out, or at
    // most ShutdownReleaseLimit from the call, passes; that abort waits for nothing of the
    // device, so the program ends soon after the limit whatever the device does: a release
    // of the worker's own, as a re-read of a changed device makes, is bounded alike),
    // removes every server of
    // the registry and the client, and joins the session's threads. Once; the release and the removals run on a
    // thread of the session's. It waits for the worker, whose client may be telling the
    // window: the window no longer waits for the caller's thread (the program's has gone).
    void Shutdown();

    // How recent the device's last answer must be, when the release is given up, for the
    // device to count as still answering.
    static constexpr std::chrono::milliseconds AnsweringWindow{1000};
    // The last Disconnect's release was given up (its limit passed) while the device was
    // still answering what it had been asked before: requests other than the conclude were
    // still out, and it had answered one since the Disconnect, within AnsweringWindow of
    // the give-up. The device was slow, not silent. A device that fell silent, or that
    // answered everything but the conclude, did not answer the release. Set before that
    // abort is told.
    bool ReleaseGivenUpWhileAnswering() const { return givenUpWhileAnswering_.load(); }
    // The last Disconnect's release was refused by the device, in its words ("the device
    // refused, conclude (10), code 1 ..."), and the association aborted for it; empty
    // otherwise. Set before that abort is told.
    std::string ReleaseRefusal() const;

    Phase GetPhase() const;
    // The client, from the first Connect until Shutdown; null otherwise.
    QXClient* GetClient() const;
    Iec61850::Acsi::Server* GetServer() const;
    // The handle of the server held in the registry, -1 for none.
    std::int32_t GetServerId() const;

private:
    // The client's messages on their way to the window.
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    System::ResultCode MakeClient();
    // Finds or makes the server of the address; on the owner's thread or the worker.
    System::ResultCode TakeServer(const std::string& address);
    // Removes the server held and lets the client make a new association next time.
    void RemoveServer();
    void RunConnect(const std::string& address, bool removeFirst);
    // The association over another device's kept model is released and its server
    // removed, unseen by the window; then a new server for the address and Associate.
    System::ResultCode ReadAfresh(const std::string& address, QXClient& client);
    // Releases a standing association, aborting it when the release takes longer than the
    // limit, or than ShutdownReleaseLimit from the start of the end once it has begun; that
    // abort waits for the device's close only when asked to and the end has not begun.
    void EndAssociation(QXClient& client, std::chrono::milliseconds limit, bool abortWaitsForDevice);
    // The earlier of `deadline` and the end's own, once the end has begun.
    std::chrono::steady_clock::time_point EndBound(std::chrono::steady_clock::time_point deadline) const;
    void EndConnection(QXClient* client);
    // The disconnect's bound, on a thread of its own: the association the last Disconnect
    // was for is aborted when it still stands as its deadline passes.
    void GuardReleases();
    // Names the association that stands as the one the pending Disconnect's guard aborts.
    void GuardStandingAssociation(QXClient& client);
    // Lets go of the association named for the guard (its hold on it goes outside the lock).
    void ForgetGuarded();
    // A release result that refuses: when it is a Disconnect's, whose association the guard
    // holds named, the guard aborts that association at once, and true (the window hears
    // the abort only). Counts every refusal for EndAssociation.
    bool AbortRefusedRelease(std::intptr_t text);
    // Whether the device was still answering earlier requests as the release waited behind
    // them (ReleaseGivenUpWhileAnswering).
    bool StillAnswering(const Iec61850::Acsi::TPAppAssociation& association,
                        std::chrono::steady_clock::time_point disconnectAt) const;
    std::chrono::steady_clock::time_point Now() const;
    bool Telling() const { return !closing_.load(); }

    Iec61850::Acsi::ServerManager& servers_;
    Iec61850::Acsi::ClientManager& clients_;
    MainWindowNotifier* const window_;
    ConnectionSessionListener* const listener_;

    mutable std::mutex mutex_;
    std::condition_variable workEnded_;
    std::map<std::string, std::string> overrides_;
    QXClient* client_ = nullptr;
    std::int32_t clientId_ = -1;
    Iec61850::Acsi::Server* server_ = nullptr;
    std::int32_t serverId_ = -1;
    bool busy_ = false;
    // A disconnect came while the worker was at work: it releases when its work ends.
    bool releaseAfterWork_ = false;
    bool associated_ = false;
    bool shutDown_ = false;
    // Of the connect under way: what the client told the window.
    bool failureTold_ = false;
    std::string failureText_;
    bool loadStarted_ = false;
    // The end of an association the window never heard of is not told; the read that
    // follows is marked as one made afresh.
    bool renewing_ = false;
    // Why the read that follows is made afresh (ModelReadRenewed...), 0 when it is not.
    std::uintptr_t renewed_ = 0;

    // The start of the end, once Shutdown has begun.
    std::chrono::steady_clock::time_point endBegan_;
    // The last Disconnect's release is aborted when the association still stands then; none
    // once it has ended, or a connect has started.
    std::optional<std::chrono::steady_clock::time_point> releaseDeadline_;
    std::chrono::milliseconds disconnectLimit_ = ShutdownReleaseLimit;
    // When the last Disconnect came, and whether its guard found the device still answering.
    std::chrono::steady_clock::time_point disconnectAt_;
    std::atomic<bool> givenUpWhileAnswering_{false};
    Clock clock_;
    // The device's refusal of the last Disconnect's release; releases refused so far.
    std::string releaseRefusal_;
    std::atomic<std::uint64_t> releaseRefusals_{0};
    // The association the pending Disconnect is for, with its generation (an abort of it
    // that comes late ends nothing newer), held so that it stays while it is named; none
    // once it has ended or a connect has started.
    struct GuardedAssociation;
    std::shared_ptr<const GuardedAssociation> guarded_;
    GuardHook guardHook_;
    std::condition_variable guardWake_;
    std::thread releaseGuard_;

    // Held while a server is removed and while a connect under way is given up, so that the
    // association given up is not one being destroyed.
    std::mutex removalMutex_;
    std::atomic<bool> closing_{false};
    std::thread worker_;
};

}  // namespace App
