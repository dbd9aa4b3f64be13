#include "RawRequests.h"

#include <span>

#include "mms/machine/MmsFrame.h"
#include "osi/CoppConnection.h"
#include "protocol/Asn1Frame.h"

namespace DeviceTest {

System::ResultCode SendOnMmsContext(DeviceClient& client, Protocol::Frame& frame) {
    Mms::MmsConnection* mms = client.client.end.Mms();
    CoppConnection* presentation = nullptr;
    for (Protocol::Connection* at = mms; at != nullptr && presentation == nullptr; at = at->GetLower()) {
        presentation = dynamic_cast<CoppConnection*>(at);
    }
    if (mms == nullptr || presentation == nullptr) return System::NotConnected;
    return presentation->SendUserData(&frame, mms->GetContextIdentifier(), TransportLink::Handshake());
}

System::ResultCode SendRawPdu(DeviceClient& client, const std::vector<std::uint8_t>& pdu) {
    Asn1::Asn1Frame frame(nullptr);
    const auto size = static_cast<std::uint32_t>(pdu.size());
    if (System::ResultCode result = frame.Allocate(Mms::MmsFrame::HeadRoom + size); result != System::OkNoError) {
        return result;
    }
    std::copy(pdu.begin(), pdu.end(), frame.Data() + Mms::MmsFrame::HeadRoom);
    frame.SetWindow(Mms::MmsFrame::HeadRoom, size, 0);
    frame.SetState(Protocol::Frame::StateEncoded);
    return SendOnMmsContext(client, frame);
}

std::vector<std::uint8_t> AnswerOnWire(const std::vector<TestSupport::WireUnit>& packets, std::int32_t invokeId) {
    for (const TestSupport::WireUnit& packet : packets) {
        if (packet.fromClient) continue;
        for (std::size_t at = 4; at < packet.bytes.size(); ++at) {
            const std::uint8_t tag = packet.bytes[at];
            if (tag != 0xA1 && tag != 0xA2 && tag != 0xA4) continue;
            const std::span<const std::uint8_t> tail(packet.bytes.data() + at, packet.bytes.size() - at);
            Mms::MmsFrame answer(nullptr, tail);
            const Mms::MmsPdu* pdu = answer.GetPdu();
            if (!answer.IsDecoded()) continue;
            const bool answers =
                (pdu->present == Mms::MmsPduConfirmedResponse && pdu->choice.confirmedResponse.invokeId == invokeId) ||
                (pdu->present == Mms::MmsPduConfirmedError && pdu->choice.confirmedError.invokeId == invokeId) ||
                (pdu->present == Mms::MmsPduReject && pdu->choice.reject.originalInvokeId != nullptr &&
                 *pdu->choice.reject.originalInvokeId == invokeId);
            if (answers) return {tail.begin(), tail.end()};
        }
    }
    return {};
}

}  // namespace DeviceTest
