#include "app/client/IcdValueReads.h"

#include "app/client/QXClient.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"

namespace App {

bool ListFirstDeviceNodes(Iec61850::Acsi::Server& server, std::vector<std::string>& nodes) {
    nodes.clear();
    Mms::VMD::ModelHold hold(&server);
    const auto& devices = server.GetLogicalDevices();
    if (devices.empty()) return false;
    for (const auto& [name, node] : devices.begin()->second->GetLogicalNodes()) nodes.push_back(node->GetReference());
    return true;
}

void RaisePendingValueReads(QXClient& client, std::int32_t count) {
    client.GetPendingLock().Wait(0);
    client.SetPendingValueReads(client.GetPendingValueReads() + count);
    client.GetPendingLock().Release();
}

void ResetPendingValueReads(QXClient& client) {
    client.StopIcdReads();
    client.GetPendingLock().Wait(0);
    client.SetPendingValueReads(0);
    client.SetValueReadTally({});
    client.GetPendingLock().Release();
}

QXClient::ValueReadTally TakeValueReadTally(QXClient& client) {
    client.GetPendingLock().Wait(0);
    const QXClient::ValueReadTally tally = client.GetValueReadTally();
    client.SetValueReadTally({});
    client.GetPendingLock().Release();
    return tally;
}

bool RequestIcdValues(QXClient& client, const std::vector<std::string>& nodes) {
    std::vector<Iec61850::FcReference> reads;
    for (const std::string& node : nodes) {
        for (std::string_view fc : IcdValueConstraints) reads.emplace_back(std::string(fc), node);
    }
    // Withdrawn together when the export ends early (a disconnect, the program's end).
    client.BeginIcdReads(std::move(reads));
    return client.AskIcdReads();
}

}  // namespace App
