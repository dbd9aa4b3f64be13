#include "mms/MmsWire.h"

#include <cstdio>

namespace MmsTest {

namespace {

void AppendLength(std::vector<std::uint8_t>& out, std::size_t length) {
    if (length < 128) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    std::vector<std::uint8_t> octets;
    for (std::size_t rest = length; rest != 0; rest >>= 8)
        octets.insert(octets.begin(), static_cast<std::uint8_t>(rest));
    out.push_back(static_cast<std::uint8_t>(0x80 | octets.size()));
    out.insert(out.end(), octets.begin(), octets.end());
}

std::vector<std::uint8_t> Tlv(std::uint8_t tag, const std::vector<std::uint8_t>& content) {
    std::vector<std::uint8_t> out{tag};
    AppendLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

}  // namespace

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char cell[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += cell;
    }
    return text;
}

std::vector<std::uint8_t> EncodeAndFree(Mms::MmsPdu* pdu) {
    std::vector<std::uint8_t> bytes;
    if (pdu == nullptr) return bytes;
    if (Mms::MmsEncodePdu(*pdu, bytes) != System::OkNoError) bytes.clear();
    Mms::MmsFreePdu(pdu);
    return bytes;
}

std::vector<std::uint8_t> WrapForWire(const std::vector<std::uint8_t>& mms) {
    // PDV-list { presentation-context-identifier 3, single-ASN1-type [0] mms }
    std::vector<std::uint8_t> pdv{0x02, 0x01, 0x03};
    const auto single = Tlv(0xA0, mms);
    pdv.insert(pdv.end(), single.begin(), single.end());
    const auto userData = Tlv(0x61, Tlv(0x30, pdv));  // fully-encoded-data
    std::vector<std::uint8_t> unit{0x03, 0x00, 0x00, 0x00, 0x02, 0xF0, 0x80, 0x01, 0x00, 0x01, 0x00};
    unit.insert(unit.end(), userData.begin(), userData.end());
    unit[2] = static_cast<std::uint8_t>(unit.size() >> 8);
    unit[3] = static_cast<std::uint8_t>(unit.size());
    return unit;
}

std::vector<TestSupport::WireUnit> WireUnits(const std::vector<std::vector<std::uint8_t>>& images) {
    std::vector<TestSupport::WireUnit> units;
    bool fromClient = true;
    for (const auto& image : images) {
        units.push_back({fromClient, WrapForWire(image)});
        fromClient = !fromClient;
    }
    return units;
}

std::vector<std::string> MmsFields(const std::vector<std::vector<std::uint8_t>>& images,
                                   const std::vector<std::string>& fields) {
    return TestSupport::DecodeFields(WireUnits(images), fields, TestSupport::MmsContextArgs());
}

std::string MmsProblems(const std::vector<std::vector<std::uint8_t>>& images) {
    return TestSupport::FindProblems(WireUnits(images), TestSupport::MmsContextArgs());
}

}  // namespace MmsTest
