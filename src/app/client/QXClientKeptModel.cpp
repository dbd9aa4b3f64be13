#include <algorithm>

#include "app/client/QXClient.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ReadingStates.h"
#include "mms/machine/MmsConnection.h"

namespace App {

using Iec61850::Acsi::DirectoryState;
using Iec61850::Acsi::Server;

namespace {

// The MMS service number of Identify.
constexpr std::int32_t IdentifyService = 3;

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

bool QXClient::AwaitIdentity(Server& server) {
    // Settled by its answer, refusal, time-out or the end of the association, whichever
    // comes first: a stop alone ends the wait early.
    while (!server.WaitForIdentity(50)) {
        std::lock_guard lock(readerMutex_);
        if (stopRequested_) return false;
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
    std::vector<std::string> devices;
    bool stopped = false;
    const bool read = AskLogicalDevices(devices, stopped);
    // Answers come in any order: the Identify asked with the association may still be on
    // its way when the directory is in.
    if (stopped || (read && !AwaitIdentity(server))) return KeptModelCheck::Stopped;
    // An Identify ended by the association's end is told before the association's state
    // shows the end: either says the association was lost.
    if (!IsAssociated() || server.IdentifyCutShort()) return KeptModelCheck::Lost;
    // A device that does not tell its logical devices cannot be told apart from another.
    if (!read) return KeptModelCheck::Differs;
    std::sort(devices.begin(), devices.end());
    Mms::MmsIdentity said = server.GetIdentity();
    DeviceIdentity device{std::move(said.vendorName), std::move(said.modelName), std::move(said.revision),
                          std::move(devices)};
    std::lock_guard lock(originMutex_);
    const auto origin = origins_.find(&server);
    // A model whose origin was never noted (its read ended before its devices were known)
    // is no one's for sure.
    return origin != origins_.end() && origin->second == device ? KeptModelCheck::Own : KeptModelCheck::Differs;
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
    if (OffersIdentify()) {
        // The read may end before the Identify asked with the association has its answer:
        // a model whose origin is not known for sure is not noted (no one's, then).
        if (!AwaitIdentity(server)) return;
        Mms::MmsIdentity said = server.GetIdentity();
        origin.vendor = std::move(said.vendorName);
        origin.model = std::move(said.modelName);
        origin.revision = std::move(said.revision);
    }
    std::lock_guard lock(originMutex_);
    origins_.emplace(&server, std::move(origin));
}

}  // namespace App
