#pragma once

// The exporter's view of a server object, and the registration of the exporter's maker.

#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/IcdExport.h"
#include "iec61850/icd/IcdModelSource.h"

namespace Iec61850::Acsi::Scl {

// Reads the facts of one server for its exporter; made while the server is still in its
// constructor, so it keeps the pointer and reads nothing until asked.
class ServerModelSource : public IcdModelSource {
public:
    explicit ServerModelSource(Server& server) : server_(server) {}

    Mms::ModelHold HoldModel() override { return Mms::ModelHold(&server_); }
    std::vector<LogicalDevice*> GetLogicalDevices() const override;
    // The parameters of the default profile (number 0).
    std::vector<std::pair<std::string, std::string>> GetProfileParameters() const override;
    // Asked of the MMS connection of the association the server last initiated.
    bool IsServiceSupported(std::int32_t service) const override;
    // Only what the device answered to Identify (IcdIdentityOf).
    std::string GetVendorName() const override { return IcdIdentityOf(server_).manufacturer; }
    std::string GetModelName() const override { return IcdIdentityOf(server_).type; }

private:
    Server& server_;
};

// Registers the maker of exporters for every server made from now on (SetIcdExportMaker):
// the program calls it at start-up, before it makes a server.
void RegisterIcdExporter();

}  // namespace Iec61850::Acsi::Scl
