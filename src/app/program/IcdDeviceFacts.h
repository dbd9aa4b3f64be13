#pragma once

// What an ICD file says of the device beyond its model: the services its association
// negotiated and the identity it gave. Taken while that association stands, so that a file
// finished after it has gone still says what the device said, not what an association no
// longer there leaves behind (no services, no name).

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "iec61850/icd/IcdModelSource.h"
#include "iec61850/icd/ServerModelSource.h"
#include "mms/pdu/MmsPduServices.h"

namespace App {

class QXClient;

struct IcdDeviceFacts {
    // By MMS service number.
    std::bitset<Mms::MmsServiceCount + 1> services;
    std::string vendorName;
    std::string modelName;
};

// The facts of the client's association and its server's identity; false, nothing taken,
// when no association stands. Takes no model lock: safe inside a callback's send.
bool TakeIcdDeviceFacts(const QXClient& client, const Iec61850::Acsi::Server& server, IcdDeviceFacts& facts);

// The exporter's view of a server with the facts taken in place of the live ones; the
// model, its lock and the profile are the server's.
class IcdFactsSource : public Iec61850::Acsi::Scl::IcdModelSource {
public:
    IcdFactsSource(Iec61850::Acsi::Server& server, IcdDeviceFacts facts) : live_(server), facts_(std::move(facts)) {}

    Mms::ModelHold HoldModel() override { return live_.HoldModel(); }
    std::vector<Iec61850::Acsi::LogicalDevice*> GetLogicalDevices() const override { return live_.GetLogicalDevices(); }
    std::vector<std::pair<std::string, std::string>> GetProfileParameters() const override {
        return live_.GetProfileParameters();
    }
    bool IsServiceSupported(std::int32_t service) const override;
    std::string GetVendorName() const override { return facts_.vendorName; }
    std::string GetModelName() const override { return facts_.modelName; }

private:
    Iec61850::Acsi::Scl::ServerModelSource live_;
    IcdDeviceFacts facts_;
};

}  // namespace App
