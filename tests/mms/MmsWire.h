#pragma once

// Test helpers: MMS byte images as text, and their check by Wireshark. A lone MMS PDU
// is wrapped the way the stack carries it after the connect (TPKT, COTP DT, session
// give-tokens + data, presentation P-DATA on context 3) so that tshark decodes it as
// MMS without having seen the association.

#include <cstdint>
#include <string>
#include <vector>

#include "mms/pdu/MmsPdu.h"
#include "support/WireCheck.h"

namespace MmsTest {

// Upper-case hex octets separated by single blanks.
std::string Hex(const std::vector<std::uint8_t>& bytes);

// The PDU's encoding (the PDU is freed); an empty vector when encoding failed.
std::vector<std::uint8_t> EncodeAndFree(Mms::MmsPdu* pdu);

// The whole TCP payload that carries the MMS bytes.
std::vector<std::uint8_t> WrapForWire(const std::vector<std::uint8_t>& mms);

// One wire unit per image (alternating directions, as a client and a server would).
std::vector<TestSupport::WireUnit> WireUnits(const std::vector<std::vector<std::uint8_t>>& images);

// Decoded fields of each image, one line per image.
std::vector<std::string> MmsFields(const std::vector<std::vector<std::uint8_t>>& images,
                                   const std::vector<std::string>& fields);

// Malformed packets or expert warnings among the images; empty when all are clean.
std::string MmsProblems(const std::vector<std::vector<std::uint8_t>>& images);

}  // namespace MmsTest
