#include "mms/machine/RequestHandle.h"

#include "mms/machine/MmsConnection.h"

namespace Mms {

RequestHandle::RequestHandle(MmsConnection& connection) : System::Message(connection.NextInvokeId()) {}

}  // namespace Mms
