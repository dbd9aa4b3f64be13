#pragma once

// Requests sent raw on a client's association, beside the client's own MMS machine, and
// the device's answers to them found in the relay's recording: for the forms our own
// client never sends.

#include <cstdint>
#include <vector>

#include "DeviceClient.h"
#include "protocol/Frame.h"
#include "support/WireCheck.h"

namespace DeviceTest {

// Far from the ids our client counts from, so that its own requests never meet them.
constexpr std::int32_t FirstRawInvokeId = 70000;

// Sends the frame on the client's association as the client's MMS machine sends a request.
System::ResultCode SendOnMmsContext(DeviceClient& client, Protocol::Frame& frame);
// The same for the octets of one MMS PDU, as they stand.
System::ResultCode SendRawPdu(DeviceClient& client, const std::vector<std::uint8_t>& pdu);

// The MMS PDU of the device's packet that answers the invoke id (a P-DATA carries its PDU
// last): a confirmed response or error, or a reject that names it; empty when none does.
std::vector<std::uint8_t> AnswerOnWire(const std::vector<TestSupport::WireUnit>& packets, std::int32_t invokeId);

}  // namespace DeviceTest
