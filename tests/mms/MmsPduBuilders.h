#pragma once

// Builders of sample PDUs for the encode tests: each returns a new PDU (the caller
// frees it) built through the library's fillers, as the protocol machine would.

#include <cstdint>
#include <string>
#include <vector>

#include "mms/pdu/MmsPdu.h"

namespace MmsTest {

Mms::MmsPdu* NewConfirmedRequest(std::int32_t invokeId);
Mms::MmsPdu* NewConfirmedResponse(std::int32_t invokeId);
// A Data value appended to the list.
Mms::MmsData* AppendData(Mms::MmsDataList& list, Mms::MmsDataChoice choice);
void SetOctets(Asn1::Asn1OctetString& string, const std::vector<std::uint8_t>& octets);

}  // namespace MmsTest
