#include <algorithm>
#include <chrono>
#include <optional>

#include "app/client/QXClient.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ReadingStates.h"
#include "mms/machine/MmsConnection.h"
#include "mms/user/MmsUserConnection.h"

namespace App {

using Iec61850::Acsi::DirectoryState;
using Iec61850::Acsi::Server;

namespace {

// The MMS service number of Identify.
constexpr std::int32_t IdentifyService = 3;
// The Identify goes out with the association, ahead of everything the device is asked
// next, so a device that answers it has done so by the time its other answers are in. Past
// this wait (a quarter of the association's time-out, at most LongestIdentifyWaitMs) it is
// given up, well before its own time-out would find the link stalled and end the
// association: a device that never answers it stays usable.
constexpr std::uint32_t LongestIdentifyWaitMs = 1000;

// What the device said of itself through the Identify asked with the association: its
// identity; an empty one when it was not asked (not offered) or refused it (a device that
// refuses does so every time); nothing when no answer came (given up, timed out, ended with
// the association). An identity no answer vouches for is nobody's: not even the VMD's own
// default text may stand for it.
std::optional<Mms::MmsIdentity> SaidIdentity(const Server& server, bool asked) {
    if (!asked) return Mms::MmsIdentity{};
    const System::ResultCode outcome = server.GetIdentifyOutcome();
    if (outcome == System::OkNoError) return server.GetIdentity();
    if (Mms::IsRefusal(outcome)) return Mms::MmsIdentity{};
    return std::nullopt;
}

}  // namespace

bool QXClient::HoldsModel(Server& server) {
    const Mms::ModelHold hold(&server);
    // A model the lock keeps from view is taken as one: it is then checked, not trusted.
    if (!hold.Taken()) return true;
    return server.state != DirectoryState::NotAsked || !server.GetLogicalDevices().empty();
}

bool QXClient::OffersIdentify() const {
    Iec61850::Acsi::TPAppAssociation* association = GetAssociation();
    Mms::MmsConnection* connection = association != nullptr ? association->GetMmsConnection() : nullptr;
    return connection != nullptr && connection->IsServiceSupported(IdentifyService);
}

std::int32_t QXClient::OnGetServerDirectory(Iec61850::Acsi::GetServerDirectory* service) {
    {
        std::lock_guard lock(directoryMutex_);
        // While the check asks, nothing else asks the server directory: the reader has not
        // started and the window knows of no association.
        if (askingDirectory_ && !directoryAnswered_) {
            directoryAnswered_ = true;
            directoryRead_ = service->GetResult() == System::OkNoError && service->GetServiceError() == 0;
            directoryMoreFollows_ = service->GetMoreFollows();
            directoryPage_.assign(service->names.begin(), service->names.end());
            return 0;
        }
    }
    return QXClientBase::OnGetServerDirectory(service);
}

std::int32_t QXClient::OnGetLogicalDeviceDirectory(Iec61850::Acsi::GetLogicalDeviceDirectory* service) {
    if (service != nullptr && nameCheck_.Take(*service)) return 0;
    return QXClientBase::OnGetLogicalDeviceDirectory(service);
}

std::int32_t QXClient::OnGetLogicalNodeDirectory(Iec61850::Acsi::GetLogicalNodeDirectory* service) {
    if (service != nullptr && nameCheck_.Take(*service)) return 0;
    return QXClientBase::OnGetLogicalNodeDirectory(service);
}

std::int32_t QXClient::OnGetDataSetDirectory(Iec61850::Acsi::GetDataSetDirectory* service) {
    if (service != nullptr && nameCheck_.Take(*service)) return 0;
    // Only the model's reader asks members for the model: an answer outside its read is a
    // check's that ended before it came, and never rebuilds a data set the panels stand on.
    if (!modelLoading_.load()) return 0;
    return QXClientBase::OnGetDataSetDirectory(service);
}

bool QXClient::CheckKeptModelBeforeExport() {
    Server* server = GetAssociatedServer();
    if (server == nullptr || !modelKept_.load() || nameCheck_.Confirmed()) return false;
    return nameCheck_.Start(*server, BeginIcdReads({}), ExportWindow());
}

bool QXClient::AwaitIdentity(Server& server) {
    // Settled by its answer, refusal, time-out or the end of the association, whichever
    // comes first, or given up here: a stop alone ends the wait early.
    Iec61850::Acsi::TPAppAssociation* association = GetAssociation();
    const std::uint32_t waitMs =
        association != nullptr ? std::min(association->GetTimeout() / 4, LongestIdentifyWaitMs) : 0;
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    bool givenUp = false;
    while (!server.WaitForIdentity(50)) {
        {
            std::lock_guard lock(readerMutex_);
            if (stopRequested_) return false;
        }
        if (!givenUp && std::chrono::steady_clock::now() >= giveUpAt) {
            // Settled by this (or by the answer that has just taken it): the loop ends next.
            givenUp = true;
            if (association != nullptr) association->GiveUpIdentify(&server);
        }
    }
    return true;
}

bool QXClient::AskLogicalDevices(std::vector<std::string>& names, bool& stopped) {
    names.clear();
    stopped = false;
    bool read = true;
    bool more = true;
    while (read && more) {
        {
            std::lock_guard lock(directoryMutex_);
            askingDirectory_ = true;
            directoryAnswered_ = false;
            directoryPage_.clear();
        }
        std::uint32_t id = 0;
        const System::ResultCode posted =
            names.empty()
                ? GetServerDirectory(id, Iec61850::Acsi::ObjectClassLogicalDevice, Iec61850::AnswerFrom::Device)
                : GetServerDirectoryAfter(id, Iec61850::Acsi::ObjectClassLogicalDevice, Iec61850::AnswerFrom::Device,
                                          names.back());
        // Every posted request is confirmed once: by its answer, its time-out or the end
        // of the association.
        bool answered = posted != System::OkNoError;
        while (!answered) {
            {
                std::lock_guard lock(readerMutex_);
                stopped = stopRequested_;
            }
            if (stopped) break;
            WaitForConfirmation(50);
            std::lock_guard lock(directoryMutex_);
            answered = directoryAnswered_;
        }
        std::lock_guard lock(directoryMutex_);
        // The check stays asking: a page still on its way after a stop is not taken into
        // the model (the next Associate ends the asking).
        if (stopped) return false;
        read = posted == System::OkNoError && directoryRead_;
        more = directoryMoreFollows_ && !directoryPage_.empty();
        names.insert(names.end(), directoryPage_.begin(), directoryPage_.end());
    }
    std::lock_guard lock(directoryMutex_);
    askingDirectory_ = false;
    return read;
}

QXClient::KeptModelCheck QXClient::CheckKeptModel(Server& server) {
    {
        // What the device refused while the model was read is missing from it for good.
        std::lock_guard lock(originMutex_);
        if (refusedModels_.contains(&server)) return KeptModelCheck::ReadIncomplete;
    }
    std::vector<std::string> devices;
    bool stopped = false;
    const bool read = AskLogicalDevices(devices, stopped);
    // Answers come in any order: the Identify asked with the association may still be on
    // its way when the directory is in.
    if (stopped || (read && !AwaitIdentity(server))) return KeptModelCheck::Stopped;
    // An Identify ended by the association's end is told before the association's state
    // shows the end: either says the association was lost.
    if (!IsAssociated() || server.IdentifyCutShort()) return KeptModelCheck::Lost;
    const std::optional<Mms::MmsIdentity> said = SaidIdentity(server, OffersIdentify());
    std::sort(devices.begin(), devices.end());
    std::optional<DeviceIdentity> origin;
    {
        std::lock_guard lock(originMutex_);
        // A model whose origin was never noted (its read ended before its devices or its
        // identity were known) is no one's for sure.
        if (const auto found = origins_.find(&server); found != origins_.end()) origin = found->second;
    }
    const bool gaveIdentity = said && !(said->vendorName.empty() && said->modelName.empty() && said->revision.empty());
    if (origin) {
        // Only an identity the device gave vouches for the model: two devices that give none
        // (not offered, refused, unanswered, empty) are alike to the check, not the same.
        if (read && gaveIdentity &&
            *origin == DeviceIdentity{said->vendorName, said->modelName, said->revision, devices})
            return KeptModelCheck::Own;
        // What the device told differs from what the model was read from.
        if (read && devices != origin->devices) return KeptModelCheck::AnotherDevice;
        const bool originGave = !(origin->vendor.empty() && origin->model.empty() && origin->revision.empty());
        if (gaveIdentity && originGave &&
            (said->vendorName != origin->vendor || said->modelName != origin->model ||
             said->revision != origin->revision)) {
            return KeptModelCheck::AnotherDevice;
        }
    }
    // A device that does not tell its logical devices, or does not say who it is (no answer
    // to Identify, a refusal, or not offered), cannot be told apart from another.
    if (!read || !gaveIdentity) return KeptModelCheck::Unidentified;
    return KeptModelCheck::OriginUnknown;
}

void QXClient::NoteModelOrigin(Server& server) {
    {
        std::lock_guard lock(originMutex_);
        if (origins_.count(&server) != 0) return;
    }
    DeviceIdentity origin;
    {
        const Mms::ModelHold hold(&server);
        if (!hold.Taken() || server.state != DirectoryState::Complete) return;
        origin.devices.assign(server.directoryNames.begin(), server.directoryNames.end());
    }
    std::sort(origin.devices.begin(), origin.devices.end());
    // The read may end before the Identify asked with the association has its answer: a
    // model whose origin is not known for sure is not noted (no one's, then).
    const bool asked = OffersIdentify();
    if (asked && !AwaitIdentity(server)) return;
    std::optional<Mms::MmsIdentity> said = SaidIdentity(server, asked);
    if (!said) return;
    origin.vendor = std::move(said->vendorName);
    origin.model = std::move(said->modelName);
    origin.revision = std::move(said->revision);
    std::lock_guard lock(originMutex_);
    origins_.emplace(&server, std::move(origin));
}

}  // namespace App
