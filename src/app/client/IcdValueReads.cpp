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
    // Withdrawn together when the export ends early (a disconnect, the program's end).
    const Iec61850::ClientApplication::RequestGroupScope group(client.BeginIcdReads());
    bool refusalEnded = false;
    for (const std::string& node : nodes) {
        for (std::string_view fc : IcdValueConstraints) {
            std::uint32_t id = 0;
            if (client.GetAllDataValues(id, node, std::string(fc), Iec61850::AnswerFrom::Device) == System::OkNoError) {
                continue;
            }
            client.GetPendingLock().Wait(0);
            // Answers count down too: only the step that reaches 0 ends the reads.
            const std::int32_t before = client.GetPendingValueReads();
            if (before > 0) {
                client.SetPendingValueReads(before - 1);
                // Never asked: its values are not the device's.
                QXClient::ValueReadTally tally = client.GetValueReadTally();
                ++tally.unanswered;
                client.SetValueReadTally(tally);
            }
            client.GetPendingLock().Release();
            if (before == 1) refusalEnded = true;
        }
    }
    return refusalEnded;
}

}  // namespace App
