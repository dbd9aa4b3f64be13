#include "iec61850/acsi/client/AssociationProfile.h"

#include <utility>

#include "iec61850/acsi/client/AcsiStack.h"

namespace Iec61850::Acsi {

AssociationProfile::AssociationProfile(Server* server) : stack_(std::make_unique<AcsiStack>()), server_(server) {
    static constexpr std::pair<const char*, const char*> defaults[] = {
        {"RemoteAeQualifier", "12"},
        {"RemoteApId", "1.1.1.999.1"},
        {"RemotePSelector", "1"},
        {"RemoteSSelector", "1"},
        {"RemoteTSelector", "1"},
        {"RemoteNPort", "102"},
        {"RemoteNAddress", LoopbackAddress},
        {"LocalAeQualifier", "12"},
        {"LocalApId", "1.1.1.999"},
        {"LocalPSelector", "1"},
        {"LocalSSelector", "1"},
        {"LocalSTimeout", "2000"},
        {"LocalTSelector", "1"},
        {"LocalNAddress", LoopbackAddress},
    };
    for (const auto& [name, value] : defaults) SetParameter(name, value);
}

// The stack goes first: its chains' threads may still read the parameters while they end.
AssociationProfile::~AssociationProfile() { stack_.reset(); }

void AssociationProfile::SetParameter(std::string_view name, std::string_view value) {
    const std::lock_guard held(parametersMutex_);
    auto found = parameters_.find(name);
    if (found == parameters_.end()) {
        found = parameters_.emplace(std::string(name), std::make_unique<ProfileParameter>()).first;
    }
    found->second->value = value;
}

System::ResultCode AssociationProfile::GetParameter(std::string_view name, std::string& value) const {
    const std::lock_guard held(parametersMutex_);
    const auto found = parameters_.find(name);
    if (found == parameters_.end()) return System::InvalidArguments;
    value = found->second->value;
    return System::OkNoError;
}

System::ResultCode AssociationProfile::GetStatus(std::string_view name) const {
    const std::lock_guard held(parametersMutex_);
    const auto found = parameters_.find(name);
    return found == parameters_.end() ? System::InvalidArguments : found->second->status;
}

ProfileParameter* AssociationProfile::FindParameter(std::string_view name) {
    const auto found = parameters_.find(name);
    return found == parameters_.end() ? nullptr : found->second.get();
}

}  // namespace Iec61850::Acsi
