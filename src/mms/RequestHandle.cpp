#include "mms/RequestHandle.h"

#include "mms/MmsConnection.h"

namespace Mms {

RequestHandle::RequestHandle(MmsConnection& connection) : System::Message(connection.NextInvokeId()) {}

}  // namespace Mms
