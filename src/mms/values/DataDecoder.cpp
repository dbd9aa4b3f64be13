#include "mms/values/DataDecoder.h"

#include <typeinfo>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/Array.h"
#include "mms/values/Structure.h"
#include "protocol/Asn1Coder.h"

namespace Mms {

namespace {

// Tag octets of the Data alternatives in the form taken here.
enum DataTag : std::uint8_t {
    TagFailure = DataDecoder::FailureTag,
    TagArray = 0xA1,
    TagStructure = 0xA2,
    TagBoolean = 0x83,
    TagBitString = 0x84,
    TagInteger = 0x85,
    TagUnsigned = 0x86,
    TagFloatingPoint = 0x87,
    TagOctetString = 0x89,
    TagVisibleString = 0x8A,
    TagGeneralizedTime = 0x8B,
    TagBinaryTime = 0x8C,
    TagBcd = 0x8D,
    TagBooleanArray = 0x8E,
    TagObjId = 0x8F,
    TagMmsString = 0x90,
    TagUtcTime = 0x91,
};

// A context-specific tag number that names a Data alternative (in any form).
bool NamesDataAlternative(std::uint8_t tag) {
    if ((tag & 0xC0) != 0x80) return false;
    const unsigned number = tag & 0x1Fu;
    return number >= 1 && number <= 17 && number != 8;
}

// The content octets of a bit string in the form the coder takes: the unused-bit count
// (0..7, and 0 when no octet follows), then the octets.
bool IsBitStringContent(const DataDecoder::Element& element) {
    return element.length > 0 && element.content[0] <= 7 && (element.length > 1 || element.content[0] == 0);
}

// DataAccessError as the coder reads a native integer: octets that only repeat the sign
// do not count, at most four that do.
bool ReadNativeInteger(const DataDecoder::Element& element, std::int32_t& value) {
    const std::uint8_t* octets = element.content;
    std::size_t count = element.length;
    while (count > 1 &&
           ((octets[0] == 0x00 && (octets[1] & 0x80) == 0) || (octets[0] == 0xFF && (octets[1] & 0x80) != 0))) {
        ++octets;
        --count;
    }
    if (count > 4) return false;
    std::uint32_t number = (count > 0 && (octets[0] & 0x80) != 0) ? 0xFFFFFFFFu : 0;
    for (std::size_t i = 0; i < count; ++i) number = number << 8 | octets[i];
    value = static_cast<std::int32_t>(number);
    return true;
}

// The elements inside a constructed element, one after the other.
class Members {
public:
    explicit Members(const DataDecoder::Element& element) : rest_(element.content, element.length) {}
    bool Next(DataDecoder::Element& member) {
        if (rest_.empty() || !DataDecoder::ReadElement(rest_, member)) return false;
        rest_ = rest_.subspan(member.size);
        return true;
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::span<const std::uint8_t> rest_;
};

std::size_t CountMembers(const DataDecoder::Element& element) {
    Members members(element);
    DataDecoder::Element member;
    std::size_t count = 0;
    while (members.Next(member)) ++count;
    return count;
}

// The views below are written in place: the leaf's Data is built once on the stack and
// read by FromData at once.
void ViewOctets(Asn1OctetString& string, const DataDecoder::Element& element) {
    string.buf = const_cast<std::uint8_t*>(element.content);
    string.size = static_cast<std::int32_t>(element.length);
    string.borrowed = 1;
}

void ViewBits(Asn1BitString& bits, const DataDecoder::Element& element) {
    bits.buf = const_cast<std::uint8_t*>(element.content + 1);
    bits.size = static_cast<std::int32_t>(element.length - 1);
    bits.borrowed = 1;
    bits.unusedBits = element.content[0];
}

void ViewInteger(Asn1Integer& integer, const DataDecoder::Element& element) {
    integer.size = static_cast<std::uint32_t>(element.length);
    if (element.length > sizeof integer.inlineOctets) {
        integer.octets = const_cast<std::uint8_t*>(element.content);
        return;
    }
    // Octet by octet: a library copy of so few octets costs more than the rest of the leaf.
    for (std::size_t i = 0; i < element.length; ++i) integer.inlineOctets[i] = element.content[i];
}

// Fills the zeroed Data with a leaf (or an unknown alternative, choice 0) as the coder
// would decode it, its octets left in the received ones: nothing to release, and no
// container keeps them.
void ViewLeaf(MmsData& data, const DataDecoder::Element& element) {
    switch (element.tag) {
        case TagBoolean: {
            data.present = MmsDataBoolean;
            for (std::size_t i = 0; i < element.length; ++i) {
                if (element.content[i] != 0) {
                    data.choice.boolean = element.content[i];
                    break;
                }
            }
            break;
        }
        case TagBitString:
            data.present = MmsDataBitString;
            ViewBits(data.choice.bitString, element);
            break;
        case TagBooleanArray:
            data.present = MmsDataBooleanArray;
            ViewBits(data.choice.booleanArray, element);
            break;
        case TagInteger:
            data.present = MmsDataInteger;
            ViewInteger(data.choice.integer, element);
            break;
        case TagUnsigned:
            data.present = MmsDataUnsigned;
            ViewInteger(data.choice.unsignedInteger, element);
            break;
        case TagBcd:
            data.present = MmsDataBcd;
            ViewInteger(data.choice.bcd, element);
            break;
        case TagFloatingPoint:
            data.present = MmsDataFloatingPoint;
            ViewOctets(data.choice.floatingPoint, element);
            break;
        case TagOctetString:
            data.present = MmsDataOctetString;
            ViewOctets(data.choice.octetString, element);
            break;
        case TagVisibleString:
            data.present = MmsDataVisibleString;
            ViewOctets(data.choice.visibleString, element);
            break;
        case TagGeneralizedTime:
            data.present = MmsDataGeneralizedTime;
            ViewOctets(data.choice.generalizedTime, element);
            break;
        case TagBinaryTime:
            data.present = MmsDataBinaryTime;
            ViewOctets(data.choice.binaryTime, element);
            break;
        case TagObjId:
            data.present = MmsDataObjId;
            ViewOctets(data.choice.objId, element);
            break;
        case TagMmsString:
            data.present = MmsDataMmsString;
            ViewOctets(data.choice.mmsString, element);
            break;
        case TagUtcTime:
            data.present = MmsDataUtcTime;
            ViewOctets(data.choice.utcTime, element);
            break;
        default: break;  // an alternative not known here: choice 0, as the coder skips it
    }
}

}  // namespace

bool DataDecoder::CheckAccessResults(std::span<const std::uint8_t> content, std::size_t& count) {
    count = 0;
    Element whole;
    whole.content = content.data();
    whole.length = content.size();
    Members results(whole);
    Element result;
    while (results.Next(result)) {
        std::int32_t failure = 0;
        if (result.tag == TagFailure) {
            if (!ReadNativeInteger(result, failure)) return false;
        } else if ((result.tag & 0xDF) == TagFailure) {
            return false;  // a constructed failure, which the coder refuses
        } else if (!CheckData(result, 1)) {
            return false;
        }
        ++count;
    }
    return results.AtEnd();
}

bool DataDecoder::CheckData(const Element& element, int level) {
    if (level > MmsMaxDataNesting) return false;
    switch (element.tag) {
        case TagArray:
        case TagStructure: {
            Members members(element);
            Element member;
            while (members.Next(member)) {
                if (!CheckData(member, level + 1)) return false;
            }
            return members.AtEnd();
        }
        case TagBitString:
        case TagBooleanArray: return IsBitStringContent(element);
        case TagBoolean:
        case TagInteger:
        case TagUnsigned:
        case TagBcd:
        case TagFloatingPoint:
        case TagOctetString:
        case TagVisibleString:
        case TagGeneralizedTime:
        case TagBinaryTime:
        case TagObjId:
        case TagMmsString:
        case TagUtcTime: return true;
        default:
            // A known alternative in another form (constructed strings, primitive lists)
            // is left to the generic coder; an unknown one is skipped whole, as it does.
            return !NamesDataAlternative(element.tag);
    }
}

System::ResultCode DataDecoder::ApplyData(Container& container, const Element& element) {
    if (element.tag == TagStructure && typeid(container) == typeid(Structure)) {
        return ApplyStructure(container, element);
    }
    if (element.tag == TagArray && typeid(container) == typeid(Array)) return ApplyArray(container, element);
    if (element.tag == TagStructure || element.tag == TagArray) return ApplyDecoded(container, element);
    MmsData data{};
    ViewLeaf(data, element);
    return container.FromData(data);
}

bool DataDecoder::ReadFailure(const Element& element, std::int32_t& code) { return ReadNativeInteger(element, code); }

System::ResultCode DataDecoder::ApplyStructure(Container& container, const Element& element) {
    const auto& components = static_cast<const Structure&>(container).members_;
    if (container.HasInvalidType()) return System::InvalidState;
    if (CountMembers(element) != components.size()) return container.Record(System::InvalidArguments);
    // A component that refuses its value keeps its old one; the others still take theirs.
    Members members(element);
    Element member;
    for (std::size_t i = 0; members.Next(member); ++i) ApplyData(*components[i], member);
    container.MarkValid();
    return System::OkNoError;
}

System::ResultCode DataDecoder::ApplyArray(Container& container, const Element& element) {
    const auto& elements = static_cast<const Array&>(container).members_;
    if (container.HasInvalidType()) return System::InvalidState;
    if (CountMembers(element) != elements.size()) return container.Record(System::InvalidArguments);
    // The first refusal ends the walk: the elements after it keep their old values.
    Members members(element);
    Element member;
    for (std::size_t i = 0; members.Next(member); ++i) {
        const System::ResultCode result = ApplyData(*elements[i], member);
        if (result != System::OkNoError) return container.Record(result);
    }
    container.MarkValid();
    return System::OkNoError;
}

System::ResultCode DataDecoder::ApplyDecoded(Container& container, const Element& element) {
    void* decoded = nullptr;
    const Asn1::Asn1DecodeResult outcome =
        Asn1::Asn1Decode(nullptr, &MmsDataType, &decoded, element.Octets().data(), element.size);
    System::ResultCode result = System::NoResources;
    if (outcome.code == Asn1::Asn1DecodeDone && outcome.consumed == element.size && decoded != nullptr) {
        result = container.FromData(*static_cast<const MmsData*>(decoded));
    }
    Asn1::Asn1FreeValue(&MmsDataType, decoded);
    return result;
}

}  // namespace Mms
