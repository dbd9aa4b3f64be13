#include "mms/machine/RequestHandle.h"

#include "mms/machine/MmsConnection.h"

namespace Mms {

RequestHandle::RequestHandle(MmsConnection& connection, Collector collector)
    : RequestHandle(connection.TakeInvokeId(), collector) {}

RequestHandle::RequestHandle(InvokeCounter::Ticket ticket, Collector collector)
    : System::Message(ticket.id), generation_(ticket.generation), collector_(collector) {}

}  // namespace Mms
