#include "support/StackProfile.h"

namespace TestSupport {

StackProfile StackProfile::Address(std::uint16_t port) {
    StackProfile profile;
    profile.With("RemoteNAddress", "127.0.0.1").With("RemoteNPort", std::to_string(port));
    return profile;
}

StackProfile StackProfile::Association(std::uint16_t port) {
    StackProfile profile = Address(port);
    profile.With("LocalTSelector", "1")
        .With("RemoteTSelector", "1")
        .With("LocalSSelector", "1")
        .With("RemoteSSelector", "1")
        .With("LocalSTimeout", "2000")
        .With("LocalPSelector", "1")
        .With("RemotePSelector", "1")
        .With("LocalApId", "1.1.1.999")
        .With("RemoteApId", "1.1.1.999.1")
        .With("LocalAeQualifier", "12")
        .With("RemoteAeQualifier", "12");
    return profile;
}

StackProfile& StackProfile::With(std::string_view name, std::string_view value) {
    for (auto& [itemName, itemValue] : items_) {
        if (itemName == name) {
            itemValue = value;
            return *this;
        }
    }
    items_.emplace_back(name, value);
    return *this;
}

System::ResultCode StackProfile::ApplyTo(Protocol::Connection* top, Keep keep) const {
    System::ResultCode firstRefusal = System::OkNoError;
    for (Protocol::Connection* at = top; at != nullptr; at = at->GetLower()) {
        std::string taken;
        for (const auto& [name, value] : items_) {
            const System::ResultCode result = at->SetParameter(name, value);
            if (result == System::OkNoError) {
                taken += (taken.empty() ? "" : ";") + name + "=" + value;
            } else if (result != System::NotSupported && firstRefusal == System::OkNoError) {
                firstRefusal = result;
            }
        }
        if (keep == Keep::AcrossResets) at->SetParameterText(taken);
    }
    return firstRefusal;
}

}  // namespace TestSupport
