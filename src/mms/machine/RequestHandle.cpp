#include "mms/machine/RequestHandle.h"

#include "mms/machine/MmsConnection.h"

namespace Mms {

RequestHandle::RequestHandle(MmsConnection& connection) : RequestHandle(connection.TakeInvokeId()) {}

RequestHandle::RequestHandle(InvokeCounter::Ticket ticket)
    : System::Message(ticket.id), generation_(ticket.generation) {}

}  // namespace Mms
