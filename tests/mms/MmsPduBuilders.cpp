#include "mms/MmsPduBuilders.h"

#include "mms/pdu/MmsPduWriter.h"

namespace MmsTest {

using namespace Mms;

MmsPdu* NewConfirmedRequest(std::int32_t invokeId) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduConfirmedRequest;
    pdu->choice.confirmedRequest.invokeId = invokeId;
    return pdu;
}

MmsPdu* NewConfirmedResponse(std::int32_t invokeId) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduConfirmedResponse;
    pdu->choice.confirmedResponse.invokeId = invokeId;
    return pdu;
}

MmsData* AppendData(MmsDataList& list, MmsDataChoice choice) {
    MmsData* data = MmsAppendNew(list, MmsDataType);
    data->present = choice;
    return data;
}

void SetOctets(Asn1::Asn1OctetString& string, const std::vector<std::uint8_t>& octets) {
    Asn1::Asn1OctetStringSetBytes(&string, octets.data(), octets.size());
}

}  // namespace MmsTest
