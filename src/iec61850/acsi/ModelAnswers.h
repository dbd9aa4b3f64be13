#pragma once

#include <cstdint>

namespace Iec61850::Acsi {

class GetLogicalDeviceDirectory;
class GetLogicalNodeDirectory;
class GetServerDirectory;
class Server;

// Directory requests answered from the model that is held (the local flag): the names
// go into the service's list. Each takes the model lock; 0, or the failure (a lock that
// cannot be taken, an unknown device or node, a class the model cannot list).

// The logical devices in name order (class 4 only, else 1).
std::int32_t ListLogicalDevices(Server& server, GetServerDirectory& service);
// The device's logical nodes in name order; an unknown device sets service error 1.
std::int32_t ListLogicalNodes(Server& server, GetLogicalDeviceDirectory& service);
// Class 7: the node's data names in the order of its class; any other class: the names of
// the node's objects of that class; a failure to collect sets service error 12.
std::int32_t AnswerLogicalNodeDirectory(Server& server, GetLogicalNodeDirectory& service);

}  // namespace Iec61850::Acsi
