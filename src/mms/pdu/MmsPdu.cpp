#include "mms/pdu/MmsPdu.h"

#include <cerrno>

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

constexpr Asn1TypeDescriptor kParameterSupportOptionsType =
    Asn1BitStringType.Derived("ParameterSupportOptions", &Asn1CheckBitCount<18, 18>);
constexpr Asn1TypeDescriptor kServiceSupportOptionsType =
    Asn1BitStringType.Derived("ServiceSupportOptions", &Asn1CheckBitCount<93, 93>);

extern const Asn1TypeDescriptor InitRequestDetailType;
extern const Asn1TypeDescriptor InitResponseDetailType;

constexpr auto kConfirmedRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsConfirmedRequestPdu, invokeId), MmsUnsigned32Type, "invokeID"),
    Asn1Field(offsetof(MmsConfirmedRequestPdu, service), MmsConfirmedServiceRequestType, Asn1NoTag, "service"),
});

constexpr auto kConfirmedResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsConfirmedResponsePdu, invokeId), MmsUnsigned32Type, "invokeID"),
    Asn1Field(offsetof(MmsConfirmedResponsePdu, service), MmsConfirmedServiceResponseType, Asn1NoTag, "service"),
});

constexpr auto kConfirmedErrorMembers = Asn1Members({
    Asn1Field(offsetof(MmsConfirmedErrorPdu, invokeId), MmsUnsigned32Type, "invokeID").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsConfirmedErrorPdu, modifierPosition), MmsUnsigned32Type, "modifierPosition")
        .Implicit(Ctx(1))
        .Optional(),
    Asn1Field(offsetof(MmsConfirmedErrorPdu, serviceError), MmsServiceErrorType, Asn1SequenceTag, "serviceError")
        .Implicit(Ctx(2)),
});

constexpr auto kUnconfirmedMembers = Asn1Members({
    Asn1Field(offsetof(MmsUnconfirmedPdu, service), MmsUnconfirmedServiceType, Asn1NoTag, "service"),
});

constexpr auto kRejectMembers = Asn1Members({
    Asn1Field(offsetof(MmsRejectPdu, originalInvokeId), MmsUnsigned32Type, "originalInvokeID")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsRejectPdu, rejectReason), MmsRejectReasonType, Asn1NoTag, "rejectReason"),
});

constexpr auto kCancelErrorMembers = Asn1Members({
    Asn1Field(offsetof(MmsCancelErrorPdu, originalInvokeId), MmsUnsigned32Type, "originalInvokeID").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsCancelErrorPdu, serviceError), MmsServiceErrorType, Asn1SequenceTag, "serviceError")
        .Implicit(Ctx(1)),
});

constexpr auto kInitRequestDetailMembers = Asn1Members({
    Asn1Field(offsetof(MmsInitRequestDetail, proposedVersionNumber), MmsInteger16Type, "proposedVersionNumber")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsInitRequestDetail, proposedParameterCbb), kParameterSupportOptionsType,
              "proposedParameterCBB")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsInitRequestDetail, servicesSupportedCalling), kServiceSupportOptionsType,
              "servicesSupportedCalling")
        .Implicit(Ctx(2)),
});

constexpr auto kInitiateRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsInitiateRequestPdu, localDetailCalling), MmsInteger32Type, "localDetailCalling")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsInitiateRequestPdu, proposedMaxServOutstandingCalling), MmsInteger16Type,
              "proposedMaxServOutstandingCalling")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsInitiateRequestPdu, proposedMaxServOutstandingCalled), MmsInteger16Type,
              "proposedMaxServOutstandingCalled")
        .Implicit(Ctx(2)),
    Asn1Field(offsetof(MmsInitiateRequestPdu, proposedDataStructureNestingLevel), MmsInteger8Type,
              "proposedDataStructureNestingLevel")
        .Implicit(Ctx(3))
        .Optional(),
    Asn1Field(offsetof(MmsInitiateRequestPdu, initRequestDetail), InitRequestDetailType, Asn1SequenceTag,
              "initRequestDetail")
        .Implicit(Ctx(4)),
});

constexpr auto kInitResponseDetailMembers = Asn1Members({
    Asn1Field(offsetof(MmsInitResponseDetail, negotiatedVersionNumber), MmsInteger16Type, "negotiatedVersionNumber")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsInitResponseDetail, negotiatedParameterCbb), kParameterSupportOptionsType,
              "negotiatedParameterCBB")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsInitResponseDetail, servicesSupportedCalled), kServiceSupportOptionsType,
              "servicesSupportedCalled")
        .Implicit(Ctx(2)),
});

constexpr auto kInitiateResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsInitiateResponsePdu, localDetailCalled), MmsInteger32Type, "localDetailCalled")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsInitiateResponsePdu, negotiatedMaxServOutstandingCalling), MmsInteger16Type,
              "negotiatedMaxServOutstandingCalling")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsInitiateResponsePdu, negotiatedMaxServOutstandingCalled), MmsInteger16Type,
              "negotiatedMaxServOutstandingCalled")
        .Implicit(Ctx(2)),
    Asn1Field(offsetof(MmsInitiateResponsePdu, negotiatedDataStructureNestingLevel), MmsInteger8Type,
              "negotiatedDataStructureNestingLevel")
        .Implicit(Ctx(3))
        .Optional(),
    Asn1Field(offsetof(MmsInitiateResponsePdu, initResponseDetail), InitResponseDetailType, Asn1SequenceTag,
              "initResponseDetail")
        .Implicit(Ctx(4)),
});

constexpr std::size_t kPduAt = offsetof(MmsPdu, choice);

constexpr auto kPduMembers = Asn1Members({
    Asn1Field(kPduAt, MmsConfirmedRequestPduType, Asn1SequenceTag, "confirmed-RequestPDU").Implicit(Ctx(0)),
    Asn1Field(kPduAt, MmsConfirmedResponsePduType, Asn1SequenceTag, "confirmed-ResponsePDU").Implicit(Ctx(1)),
    Asn1Field(kPduAt, MmsConfirmedErrorPduType, Asn1SequenceTag, "confirmed-ErrorPDU").Implicit(Ctx(2)),
    Asn1Field(kPduAt, MmsUnconfirmedPduType, Asn1SequenceTag, "unconfirmed-PDU").Implicit(Ctx(3)),
    Asn1Field(kPduAt, MmsRejectPduType, Asn1SequenceTag, "rejectPDU").Implicit(Ctx(4)),
    Asn1Field(kPduAt, MmsUnsigned32Type, "cancel-RequestPDU").Implicit(Ctx(5)),
    Asn1Field(kPduAt, MmsUnsigned32Type, "cancel-ResponsePDU").Implicit(Ctx(6)),
    Asn1Field(kPduAt, MmsCancelErrorPduType, Asn1SequenceTag, "cancel-ErrorPDU").Implicit(Ctx(7)),
    Asn1Field(kPduAt, MmsInitiateRequestPduType, Asn1SequenceTag, "initiate-RequestPDU").Implicit(Ctx(8)),
    Asn1Field(kPduAt, MmsInitiateResponsePduType, Asn1SequenceTag, "initiate-ResponsePDU").Implicit(Ctx(9)),
    Asn1Field(kPduAt, MmsServiceErrorType, Asn1SequenceTag, "initiate-ErrorPDU").Implicit(Ctx(10)),
    Asn1Field(kPduAt, Asn1NullType, "conclude-RequestPDU").Implicit(Ctx(11)),
    Asn1Field(kPduAt, Asn1NullType, "conclude-ResponsePDU").Implicit(Ctx(12)),
    Asn1Field(kPduAt, MmsServiceErrorType, Asn1SequenceTag, "conclude-ErrorPDU").Implicit(Ctx(13)),
});

// Later editions add elements after the service bit strings: skipped.
constinit const Asn1TypeDescriptor InitRequestDetailType =
    Asn1SequenceType<MmsInitRequestDetail, kInitRequestDetailMembers, 2>("initRequestDetail");
constinit const Asn1TypeDescriptor InitResponseDetailType =
    Asn1SequenceType<MmsInitResponseDetail, kInitResponseDetailMembers, 2>("initResponseDetail");

}  // namespace

// The system sends no modifiers and no service extension; a peer's trailing elements
// after the service are skipped.
constinit const Asn1TypeDescriptor MmsConfirmedRequestPduType =
    Asn1SequenceType<MmsConfirmedRequestPdu, kConfirmedRequestMembers, 1>("Confirmed-RequestPDU");
constinit const Asn1TypeDescriptor MmsConfirmedResponsePduType =
    Asn1SequenceType<MmsConfirmedResponsePdu, kConfirmedResponseMembers, 1>("Confirmed-ResponsePDU");
constinit const Asn1TypeDescriptor MmsConfirmedErrorPduType =
    Asn1SequenceType<MmsConfirmedErrorPdu, kConfirmedErrorMembers>("Confirmed-ErrorPDU");
constinit const Asn1TypeDescriptor MmsUnconfirmedPduType =
    Asn1SequenceType<MmsUnconfirmedPdu, kUnconfirmedMembers, 0>("Unconfirmed-PDU");
constinit const Asn1TypeDescriptor MmsRejectPduType = Asn1SequenceType<MmsRejectPdu, kRejectMembers>("RejectPDU");
constinit const Asn1TypeDescriptor MmsCancelErrorPduType =
    Asn1SequenceType<MmsCancelErrorPdu, kCancelErrorMembers>("Cancel-ErrorPDU");
constinit const Asn1TypeDescriptor MmsInitiateRequestPduType =
    Asn1SequenceType<MmsInitiateRequestPdu, kInitiateRequestMembers>("Initiate-RequestPDU");
constinit const Asn1TypeDescriptor MmsInitiateResponsePduType =
    Asn1SequenceType<MmsInitiateResponsePdu, kInitiateResponseMembers>("Initiate-ResponsePDU");
constinit const Asn1TypeDescriptor MmsPduType = Asn1ChoiceType<MmsPdu, kPduMembers>("MMSpdu");

MmsPdu* MmsNewPdu() { return static_cast<MmsPdu*>(Asn1NewValue(&MmsPduType)); }

void MmsFreePdu(MmsPdu* pdu) { Asn1FreeValue(&MmsPduType, pdu); }

System::ResultCode MmsEncodePdu(const MmsPdu& pdu, std::vector<std::uint8_t>& bytes) {
    // The encoder writes backwards and cannot measure first: start with room for any
    // ordinary PDU and grow only for large ones.
    constexpr std::size_t kLargestRoom = std::size_t{1} << 24;
    for (std::size_t room = 1024; room <= kLargestRoom; room *= 4) {
        std::vector<std::uint8_t> buffer(room);
        Asn1OutputBuffer out{buffer.data(), room};
        int constructed = 0;
        errno = 0;
        const std::ptrdiff_t written = Asn1Encode(&MmsPduType, &pdu, &constructed, &out);
        if (written >= 0) {
            bytes.assign(buffer.begin() + static_cast<std::ptrdiff_t>(out.position), buffer.end());
            return System::OkNoError;
        }
        if (errno != ENOMEM) return System::ResultFromErrno(errno == 0 ? EINVAL : errno);
    }
    return System::NoResources;
}

System::ResultCode MmsDecodePdu(const std::uint8_t* bytes, std::size_t size, MmsPdu*& pdu) {
    pdu = nullptr;
    if (bytes == nullptr || size == 0) return System::ProtocolError;
    void* value = nullptr;
    const Asn1DecodeResult result = Asn1DecodeInArena(nullptr, &MmsPduType, &value, bytes, size);
    if (result.code != Asn1DecodeDone || result.consumed != size) {
        Asn1FreeValue(&MmsPduType, value);
        return System::ProtocolError;
    }
    pdu = static_cast<MmsPdu*>(value);
    return System::OkNoError;
}

}  // namespace Mms
