#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/client/IcdDeviceFacts.h"
#include "iec61850/icd/IcdModelSource.h"
#include "iec61850/icd/ServerModelSource.h"

namespace App {

// The exporter's view of a server with the device's facts as they were taken in place of
// the live ones; the model, its lock and the profile are the server's.
class IcdFactsSource : public Iec61850::Acsi::Scl::IcdModelSource {
public:
    IcdFactsSource(Iec61850::Acsi::Server& server, IcdDeviceFacts facts) : live_(server), facts_(std::move(facts)) {}

    Mms::ModelHold HoldModel() override { return live_.HoldModel(); }
    std::vector<Iec61850::Acsi::LogicalDevice*> GetLogicalDevices() const override { return live_.GetLogicalDevices(); }
    std::vector<std::pair<std::string, std::string>> GetProfileParameters() const override {
        return live_.GetProfileParameters();
    }
    bool IsServiceSupported(std::int32_t service) const override { return facts_.Supports(service); }
    std::string GetVendorName() const override { return facts_.vendorName; }
    std::string GetModelName() const override { return facts_.modelName; }

private:
    Iec61850::Acsi::Scl::ServerModelSource live_;
    IcdDeviceFacts facts_;
};

}  // namespace App
