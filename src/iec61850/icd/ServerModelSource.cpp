#include "iec61850/icd/ServerModelSource.h"

#include <optional>

#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/icd/ICDClasses.h"
#include "mms/machine/MmsConnection.h"
#include "mms/user/MmsUserConnection.h"

namespace Iec61850::Acsi::Scl {

std::vector<LogicalDevice*> ServerModelSource::GetLogicalDevices() const {
    std::vector<LogicalDevice*> devices;
    for (const auto& [name, device] : server_.GetLogicalDevices()) devices.push_back(device.get());
    return devices;
}

std::vector<std::pair<std::string, std::string>> ServerModelSource::GetProfileParameters() const {
    std::vector<std::pair<std::string, std::string>> parameters;
    if (const AssociationProfile* profile = server_.GetProfile(0)) {
        const auto held = profile->HoldParameters();
        for (const auto& [name, parameter] : profile->GetParameters(held))
            parameters.emplace_back(name, parameter->value);
    }
    return parameters;
}

bool ServerModelSource::IsServiceSupported(std::int32_t service) const {
    // The server's link to its association is set and cleared under the model lock (the
    // association goes only after it): read under it too, the caller's hold where it has one.
    std::optional<Mms::ModelHold> hold;
    if (!server_.IsModelLockedByThisThread()) hold.emplace(&server_);
    // No association, no negotiated services.
    Mms::MmsUserConnection* user = server_.GetConnection();
    Mms::MmsConnection* mms = user != nullptr ? user->GetMmsConnection() : nullptr;
    return mms != nullptr && mms->IsServiceSupported(service);
}

namespace {

std::unique_ptr<IcdExport> MakeForServer(Server* server) {
    if (server == nullptr) return nullptr;
    return MakeIcdExporter(std::make_unique<ServerModelSource>(*server));
}

}  // namespace

void RegisterIcdExporter() { SetIcdExportMaker(&MakeForServer); }

}  // namespace Iec61850::Acsi::Scl
