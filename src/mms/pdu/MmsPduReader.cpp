#include "mms/pdu/MmsPduReader.h"

#include <cstring>
#include <vector>

namespace Mms {

using System::ResultCode;

std::string MmsText(const Asn1OctetString& string) {
    if (string.buf == nullptr || string.size <= 0) return {};
    return std::string(reinterpret_cast<const char*>(string.buf), static_cast<std::size_t>(string.size));
}

std::string MmsText(const Asn1OctetString* string) { return string == nullptr ? std::string() : MmsText(*string); }

std::string MmsObjectIdentifierText(const Asn1OctetString& oid) {
    std::uint32_t arcs[64];
    const std::ptrdiff_t count = Asn1::Asn1OidGetArcs(&oid, arcs, sizeof arcs[0], 64);
    if (count < 2 || count > 64) return {};
    std::string text;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(arcs[i]);
    }
    return text;
}

ResultCode MmsObjectNameText(const MmsObjectName& name, std::string& text) {
    switch (name.present) {
        case MmsObjectNameVmdSpecific: text = MmsText(name.choice.vmdSpecific); return System::OkNoError;
        case MmsObjectNameDomainSpecific:
            text = MmsText(name.choice.domainSpecific.domainId) + "/" + MmsText(name.choice.domainSpecific.itemId);
            return System::OkNoError;
        default: return System::NotSupported;
    }
}

std::int64_t MmsBitCount(const Asn1BitString& bits) {
    if (bits.size <= 0) return 0;
    return static_cast<std::int64_t>(bits.size) * 8 - bits.unusedBits;
}

ResultCode MmsReadFlagBits(const Asn1BitString& bits, std::uint8_t* flags, std::size_t count) {
    if (bits.size < 0 || bits.unusedBits < 0 || bits.unusedBits > 7 || (bits.size > 0 && bits.buf == nullptr)) {
        return System::Error;
    }
    const std::int64_t bitCount = MmsBitCount(bits);
    if (bitCount < 0 || bitCount > static_cast<std::int64_t>(count)) return System::Error;
    std::memset(flags, 0, count);
    for (std::int64_t i = 0; i < bitCount; ++i) {
        flags[i] = (bits.buf[i / 8] & (0x80u >> (i % 8))) != 0 ? 1 : 0;
    }
    return System::OkNoError;
}

ResultCode MmsReadServiceError(const MmsServiceError& error, ServiceErrorRecord& record) {
    record.errorClass = error.errorClass.present;
    if (error.errorClass.present == MmsErrorClassOthers) {
        if (Asn1::Asn1IntegerGetInt32(&error.errorClass.choice.others, &record.errorCode) != 0) {
            return System::OutOfRange;
        }
    } else if (error.errorClass.present != MmsErrorClassNone) {
        std::int8_t code = 0;
        if (ResultCode result = MmsReadNumber(&error.errorClass.choice.code, code); result != System::OkNoError) {
            return result;
        }
        record.errorCode = code;
    }
    record.hasAdditionalCode = false;
    if (error.additionalCode != nullptr) {
        if (Asn1::Asn1IntegerGetInt32(error.additionalCode, &record.additionalCode) != 0) return System::OutOfRange;
        record.hasAdditionalCode = true;
    }
    record.additionalDescription = MmsText(error.additionalDescription);
    if (error.serviceSpecificInformation != nullptr &&
        error.serviceSpecificInformation->present == MmsServiceSpecificDeleteNamedVariableList) {
        return System::NotSupported;
    }
    return System::OkNoError;
}

namespace {

void AppendTexts(const MmsIdentifierList& list, std::list<std::string>& texts) {
    for (const Asn1OctetString* item : list) texts.push_back(MmsText(item));
}

std::string_view TextView(const Asn1OctetString* item) {
    if (item == nullptr || item->buf == nullptr || item->size <= 0) return {};
    return {reinterpret_cast<const char*>(item->buf), static_cast<std::size_t>(item->size)};
}

// Sized once for the whole page: the characters of every name land in one block.
void AppendTexts(const MmsIdentifierList& list, System::NameList& texts) {
    std::size_t characters = 0;
    for (const Asn1OctetString* item : list) characters += TextView(item).size();
    texts.reserve(static_cast<std::size_t>(list.Count()), characters);
    for (const Asn1OctetString* item : list) texts.push_back(TextView(item));
}

}  // namespace

ResultCode MmsReadIdentifyResponse(const MmsIdentifyResponse& response, MmsIdentity& identity) {
    identity.vendorName = MmsText(response.vendorName);
    identity.modelName = MmsText(response.modelName);
    identity.revision = MmsText(response.revision);
    if (response.listOfAbstractSyntaxes != nullptr) {
        for (const Asn1OctetString* oid : *response.listOfAbstractSyntaxes) {
            identity.abstractSyntaxes.push_back(oid == nullptr ? std::string() : MmsObjectIdentifierText(*oid));
        }
    }
    return System::OkNoError;
}

ResultCode MmsReadGetNameListResponse(const MmsGetNameListResponse& response, std::list<std::string>& names,
                                      bool& moreFollows) {
    AppendTexts(response.listOfIdentifier, names);
    moreFollows = MmsReadBoolean(response.moreFollows, true);
    return System::OkNoError;
}

ResultCode MmsReadGetNameListResponse(const MmsGetNameListResponse& response, System::NameList& names,
                                      bool& moreFollows) {
    AppendTexts(response.listOfIdentifier, names);
    moreFollows = MmsReadBoolean(response.moreFollows, true);
    return System::OkNoError;
}

ResultCode MmsReadGetCapabilityListResponse(const MmsGetCapabilityListResponse& response,
                                            System::NameList& capabilities, bool& moreFollows) {
    AppendTexts(response.listOfCapabilities, capabilities);
    moreFollows = MmsReadBoolean(response.moreFollows, true);
    return System::OkNoError;
}

ResultCode MmsReadGetCapabilityListResponse(const MmsGetCapabilityListResponse& response,
                                            std::list<std::string>& capabilities, bool& moreFollows) {
    AppendTexts(response.listOfCapabilities, capabilities);
    moreFollows = MmsReadBoolean(response.moreFollows, true);
    return System::OkNoError;
}

ResultCode MmsReadGetDomainAttributesResponse(const MmsGetDomainAttributesResponse& response,
                                              MmsDomainAttributes& attributes) {
    if (ResultCode result = MmsReadNumber(&response.state, attributes.state); result != System::OkNoError) {
        return result;
    }
    if (ResultCode result = MmsReadNumber(&response.uploadInProgress, attributes.uploadInProgress);
        result != System::OkNoError) {
        return result;
    }
    AppendTexts(response.listOfCapabilities, attributes.capabilities);
    attributes.deletable = response.mmsDeletable != 0;
    attributes.sharable = response.sharable != 0;
    AppendTexts(response.listOfProgramInvocations, attributes.programInvocations);
    return System::OkNoError;
}

}  // namespace Mms
