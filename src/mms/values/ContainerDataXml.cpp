#include "mms/values/ContainerDataXml.h"

#include <algorithm>
#include <cstdint>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "mms/values/ContainerXml.h"
#include "protocol/Asn1NumberValues.h"
#include "protocol/Asn1OidValues.h"
#include "protocol/Asn1StringValues.h"
#include "system/ByteOrder.h"
#include "system/Clock.h"
#include "system/FloatText.h"
#include "system/HexText.h"
#include "system/NumberText.h"
#include "system/TimeText.h"
#include "system/UtcTime.h"

namespace Mms {

namespace {

constexpr std::uint32_t DaysBefore1984 = 5113;

const char* TypeNameOf(std::int32_t choice) {
    switch (choice) {
        case MmsDataArray: return "Array";
        case MmsDataStructure: return "Structure";
        case MmsDataBoolean: return "Boolean";
        case MmsDataBitString: return "BitString";
        case MmsDataInteger: return "Integer";
        case MmsDataUnsigned: return "Unsigned";
        case MmsDataFloatingPoint: return "FloatingPoint";
        case MmsDataOctetString: return "OctetString";
        case MmsDataVisibleString: return "VisibleString";
        case MmsDataGeneralizedTime: return "GeneralizedTime";
        case MmsDataBinaryTime: return "BinaryTime";
        case MmsDataBcd: return "BCD";
        case MmsDataObjId: return "ObjectId";
        case MmsDataMmsString: return "MMSString";
        case MmsDataUtcTime: return "UtcTime";
        default: return nullptr;
    }
}

std::string TextOf(std::span<const std::uint8_t> octets) {
    return {reinterpret_cast<const char*>(octets.data()), octets.size()};
}

std::string BitsText(const Asn1BitString& bits) {
    std::string text;
    if (Asn1::Asn1BitStringToBitText(text, &bits, 0) != System::OkNoError) text.clear();
    return text;
}

std::string SignedText(const Asn1Integer& integer) {
    std::string text;
    if (Asn1::Asn1IntegerToText(text, &integer) != System::OkNoError) text.clear();
    return text;
}

std::string UnsignedText(const Asn1Integer& integer) {
    std::uint64_t value = 0;
    std::string text;
    if (Asn1::Asn1IntegerToUInt64(value, &integer) == System::OkNoError) System::FormatUInt64(text, value);
    return text;
}

std::string FloatingPointText(const Asn1OctetString& value) {
    double number = 0;
    std::string text;
    const std::size_t octets = OctetsOf(value).size();
    if ((octets != 5 && octets != 9) || MmsFloatingPointToDouble(value, number) != System::OkNoError) return text;
    if (octets == 5) {
        System::FormatFloatingPoint(text, number, 32, 8);
    } else {
        System::FormatFloatingPoint(text, number, 64, 11);
    }
    return text;
}

std::string BinaryTimeText(const Asn1OctetString& value) {
    const auto octets = OctetsOf(value);
    std::string text;
    if (octets.size() != 4 && octets.size() != 6) return text;
    const std::uint32_t milliseconds = System::ReadBigEndian32(octets.data());
    const std::uint32_t days = octets.size() == 6 ? System::ReadBigEndian16(octets.data() + 4) + DaysBefore1984
                                                  : System::CurrentDaysSince1970();
    System::FormatTimeText(text, days, milliseconds);
    return text;
}

std::string UtcTimeText(const Asn1OctetString& value) {
    const auto octets = OctetsOf(value);
    std::string text;
    System::UtcTime time{};
    if (octets.size() != time.size()) return text;
    std::copy(octets.begin(), octets.end(), time.begin());
    System::FormatUtcTimeOctets(text, time);
    return text;
}

std::string ObjectIdText(const Asn1OctetString& value) {
    std::string text;
    if (Asn1::Asn1OidToText(text, &value) != System::OkNoError) text.clear();
    return text;
}

std::string ValueText(const MmsData& data) {
    switch (data.present) {
        case MmsDataBoolean: {
            std::string text;
            Asn1::Asn1BooleanToText(text, &data.choice.boolean);
            return text;
        }
        case MmsDataBitString: return BitsText(data.choice.bitString);
        case MmsDataInteger: return SignedText(data.choice.integer);
        case MmsDataUnsigned: return UnsignedText(data.choice.unsignedInteger);
        case MmsDataBcd: return SignedText(data.choice.bcd);
        case MmsDataFloatingPoint: return FloatingPointText(data.choice.floatingPoint);
        case MmsDataOctetString: {
            std::string text;
            System::FormatHexArray(text, OctetsOf(data.choice.octetString), ' ');
            return text;
        }
        case MmsDataVisibleString: return TextOf(OctetsOf(data.choice.visibleString));
        case MmsDataMmsString: return TextOf(OctetsOf(data.choice.mmsString));
        case MmsDataBinaryTime: return BinaryTimeText(data.choice.binaryTime);
        case MmsDataUtcTime: return UtcTimeText(data.choice.utcTime);
        case MmsDataObjId: return ObjectIdText(data.choice.objId);
        default: return {};  // generalized time
    }
}

}  // namespace

System::ResultCode WriteDataXml(std::string& text, const MmsData& data) {
    const char* typeName = TypeNameOf(data.present);
    if (typeName == nullptr) return System::InvalidArguments;
    text += "<c type=\"";
    text += typeName;
    if (data.present != MmsDataArray && data.present != MmsDataStructure) {
        text += "\" value=\"";
        AppendXmlEscaped(text, ValueText(data));
        text += "\" />";
        return System::OkNoError;
    }
    text += "\">\n";
    const MmsDataList& members = data.present == MmsDataArray ? data.choice.array : data.choice.structure;
    System::ResultCode result = System::OkNoError;
    for (const MmsData* member : members) {
        if (member == nullptr || TypeNameOf(member->present) == nullptr) {
            result = System::InvalidArguments;
            break;
        }
        const System::ResultCode memberResult = WriteDataXml(text, *member);
        if (result == System::OkNoError) result = memberResult;
        text += '\n';
    }
    text += "</c>";
    return result;
}

}  // namespace Mms
