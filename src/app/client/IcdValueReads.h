#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "app/client/QXClient.h"
#include "iec61850/scl/SclFunctionalConstraints.h"

namespace Iec61850::Acsi {
class Server;
}

namespace App {

// The value reads that come before an ICD export: the configuration ("CF"), description
// ("DC") and setting values (the active group's "SG", and "SE" where the device answers it)
// of the logical nodes of the model's first logical device, counted down by the client as
// its answers come in. Many devices refuse SE while no group is being edited: that refusal
// is counted down as any answer and leaves the export to what the model holds. Any other
// refusal is tallied: the file would give the model's values for that node, not the device's.

// The reads asked of each node, in the order asked: the constraints whose values the file
// gives, as the exporter has them.
inline constexpr auto& IcdValueConstraints = Iec61850::Acsi::Scl::SclValueConstraints;
inline constexpr std::int32_t IcdValueReadsPerNode = std::size(IcdValueConstraints);

// How many of the export's reads may be out at once: a device that serves them in turn
// still times each from the answer before it, and one far away answers them in about the
// round trips of asking them all at once.
inline constexpr std::size_t IcdReadWindow = 8;

// The references of the nodes of the first logical device by name (byte order), in name
// order. False when the model has no logical device. Takes the model lock.
bool ListFirstDeviceNodes(Iec61850::Acsi::Server& server, std::vector<std::string>& nodes);

// Under the client's pending lock: the count of outstanding reads raised by `count`. Or
// the export's reads stopped (QXClient::StopIcdReads: what is not sent never is), the count
// set to 0 and the tally of how they went cleared.
void RaisePendingValueReads(QXClient& client, std::int32_t count);
void ResetPendingValueReads(QXClient& client);
// Under the pending lock: how the reads ended so far, the tally cleared.
QXClient::ValueReadTally TakeValueReadTally(QXClient& client);

// Asks for the CF, DC, SG, then SE values of each node in turn, up to IcdReadWindow reads
// out at once, the next asked as each is confirmed (the read of a group the node lacks is
// answered by the client itself, unsent), as the reads of one export that
// QXClient::StopIcdReads withdraws. The time-out of each counts from the later of its send
// and the answer before it, when the device could start on it. A read left unanswered ends
// the reads, none asked after it. A request the client refuses at once is taken off the
// count under the lock and tallied as unanswered; true when such a refusal took the count
// to 0, since then no answer will end the reads.
bool RequestIcdValues(QXClient& client, const std::vector<std::string>& nodes);

}  // namespace App
