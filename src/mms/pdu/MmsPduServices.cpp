#include "mms/pdu/MmsPduServices.h"

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

constexpr Asn1TypeDescriptor kBasicObjectClassType =
    Asn1NativeIntegerType.Derived("basicObjectClass", &Asn1CheckNativeIntegerRange<0, 13>);
constexpr Asn1TypeDescriptor kLogicalStatusType =
    Asn1NativeIntegerType.Derived("vmdLogicalStatus", &Asn1CheckNativeIntegerRange<0, 3>);
constexpr Asn1TypeDescriptor kPhysicalStatusType =
    Asn1NativeIntegerType.Derived("vmdPhysicalStatus", &Asn1CheckNativeIntegerRange<0, 3>);
constexpr Asn1TypeDescriptor kLocalDetailType = Asn1BitStringType.Derived("localDetail", &Asn1CheckBitCount<0, 128>);
constexpr Asn1TypeDescriptor kDomainStateType =
    Asn1NativeIntegerType.Derived("DomainState", &Asn1CheckNativeIntegerRange<0, 15>);

// ---- status ----

constexpr auto kStatusResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsStatusResponse, vmdLogicalStatus), kLogicalStatusType, "vmdLogicalStatus").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsStatusResponse, vmdPhysicalStatus), kPhysicalStatusType, "vmdPhysicalStatus")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsStatusResponse, localDetail), kLocalDetailType, "localDetail").Implicit(Ctx(2)).Optional(),
});

// ---- getNameList ----

constexpr auto kObjectClassMembers = Asn1Members({
    Asn1Field(offsetof(MmsObjectClass, choice), kBasicObjectClassType, "basicObjectClass").Implicit(Ctx(0)),
});

constexpr auto kObjectScopeMembers = Asn1Members({
    Asn1Field(offsetof(MmsObjectScope, choice), Asn1NullType, "vmdSpecific").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsObjectScope, choice), MmsIdentifierType, "domainSpecific").Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsObjectScope, choice), Asn1NullType, "aaSpecific").Implicit(Ctx(2)),
});

constexpr auto kGetNameListRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetNameListRequest, objectClass), MmsObjectClassType, Asn1NoTag, "objectClass")
        .Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetNameListRequest, objectScope), MmsObjectScopeType, Asn1NoTag, "objectScope")
        .Explicit(Ctx(1)),
    Asn1Field(offsetof(MmsGetNameListRequest, continueAfter), MmsIdentifierType, "continueAfter")
        .Implicit(Ctx(2))
        .Optional(),
});

constexpr auto kGetNameListResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetNameListResponse, listOfIdentifier), MmsIdentifierListType, Asn1SequenceTag,
              "listOfIdentifier")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetNameListResponse, moreFollows), Asn1BooleanType, "moreFollows")
        .Implicit(Ctx(1))
        .Optional(),
});

// ---- identify ----

constexpr auto kObjectIdentifierListMembers = Asn1Members({Asn1Field(0, Asn1ObjectIdentifierType, "abstractSyntax")});

constexpr auto kIdentifyResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsIdentifyResponse, vendorName), MmsStringType, "vendorName").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsIdentifyResponse, modelName), MmsStringType, "modelName").Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsIdentifyResponse, revision), MmsStringType, "revision").Implicit(Ctx(2)),
    Asn1Field(offsetof(MmsIdentifyResponse, listOfAbstractSyntaxes), MmsObjectIdentifierListType, Asn1SequenceTag,
              "listOfAbstractSyntaxes")
        .Implicit(Ctx(3))
        .Optional(),
});

// ---- read and write ----

constexpr auto kReadRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsReadRequest, specificationWithResult), Asn1BooleanType, "specificationWithResult")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsReadRequest, variableAccessSpecification), MmsVariableAccessSpecificationType, Asn1NoTag,
              "variableAccessSpecification")
        .Explicit(Ctx(1)),
});

constexpr auto kReadResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsReadResponse, variableAccessSpecification), MmsVariableAccessSpecificationType, Asn1NoTag,
              "variableAccessSpecification")
        .Explicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsReadResponse, listOfAccessResult), MmsAccessResultListType, Asn1SequenceTag,
              "listOfAccessResult")
        .Implicit(Ctx(1)),
});

constexpr auto kWriteRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsWriteRequest, variableAccessSpecification), MmsVariableAccessSpecificationType, Asn1NoTag,
              "variableAccessSpecification"),
    Asn1Field(offsetof(MmsWriteRequest, listOfData), MmsDataListType, Asn1SequenceTag, "listOfData").Implicit(Ctx(0)),
});

constexpr auto kWriteResultMembers = Asn1Members({
    Asn1Field(offsetof(MmsWriteResult, choice), MmsDataAccessErrorType, "failure").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsWriteResult, choice), Asn1NullType, "success").Implicit(Ctx(1)),
});
constexpr auto kWriteResponseMembers = Asn1Members({Asn1Field(0, MmsWriteResultType, Asn1NoTag, "result")});

// ---- getVariableAccessAttributes ----

constexpr auto kGetVariableAccessAttributesRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetVariableAccessAttributesRequest, choice), MmsObjectNameType, Asn1NoTag, "name")
        .Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetVariableAccessAttributesRequest, choice), MmsAddressType, Asn1NoTag, "address")
        .Explicit(Ctx(1)),
});

constexpr auto kGetVariableAccessAttributesResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetVariableAccessAttributesResponse, mmsDeletable), Asn1BooleanType, "mmsDeletable")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetVariableAccessAttributesResponse, address), MmsAddressType, Asn1NoTag, "address")
        .Explicit(Ctx(1))
        .Optional(),
    Asn1Field(offsetof(MmsGetVariableAccessAttributesResponse, typeSpecification), MmsTypeSpecificationType, Asn1NoTag,
              "typeDescription")
        .Explicit(Ctx(2)),
});

// ---- named variable lists ----

constexpr auto kDefineNamedVariableListRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsDefineNamedVariableListRequest, variableListName), MmsObjectNameType, Asn1NoTag,
              "variableListName"),
    Asn1Field(offsetof(MmsDefineNamedVariableListRequest, listOfVariable), MmsVariableListType, Asn1SequenceTag,
              "listOfVariable")
        .Implicit(Ctx(0)),
});

constexpr auto kGetNamedVariableListAttributesResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetNamedVariableListAttributesResponse, mmsDeletable), Asn1BooleanType, "mmsDeletable")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetNamedVariableListAttributesResponse, listOfVariable), MmsVariableListType, Asn1SequenceTag,
              "listOfVariable")
        .Implicit(Ctx(1)),
});

constexpr auto kDeleteNamedVariableListRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsDeleteNamedVariableListRequest, scopeOfDelete), Asn1NativeIntegerType, "scopeOfDelete")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsDeleteNamedVariableListRequest, listOfVariableListName), MmsObjectNameListType,
              Asn1SequenceTag, "listOfVariableListName")
        .Implicit(Ctx(1))
        .Optional(),
    Asn1Field(offsetof(MmsDeleteNamedVariableListRequest, domainName), MmsIdentifierType, "domainName")
        .Implicit(Ctx(2))
        .Optional(),
});

constexpr auto kDeleteNamedVariableListResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsDeleteNamedVariableListResponse, numberMatched), MmsUnsigned32Type, "numberMatched")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsDeleteNamedVariableListResponse, numberDeleted), MmsUnsigned32Type, "numberDeleted")
        .Implicit(Ctx(1)),
});

// ---- getDomainAttributes and getCapabilityList ----

constexpr auto kGetDomainAttributesResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetDomainAttributesResponse, listOfCapabilities), MmsCapabilityListType, Asn1SequenceTag,
              "listOfCapabilities")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetDomainAttributesResponse, state), kDomainStateType, "state").Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsGetDomainAttributesResponse, mmsDeletable), Asn1BooleanType, "mmsDeletable").Implicit(Ctx(2)),
    Asn1Field(offsetof(MmsGetDomainAttributesResponse, sharable), Asn1BooleanType, "sharable").Implicit(Ctx(3)),
    Asn1Field(offsetof(MmsGetDomainAttributesResponse, listOfProgramInvocations), MmsIdentifierListType,
              Asn1SequenceTag, "listOfProgramInvocations")
        .Implicit(Ctx(4)),
    Asn1Field(offsetof(MmsGetDomainAttributesResponse, uploadInProgress), MmsInteger8Type, "uploadInProgress")
        .Implicit(Ctx(5)),
});

constexpr auto kGetCapabilityListRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetCapabilityListRequest, continueAfter), MmsStringType, "continueAfter").Optional(),
});

constexpr auto kGetCapabilityListResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsGetCapabilityListResponse, listOfCapabilities), MmsCapabilityListType, Asn1SequenceTag,
              "listOfCapabilities")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsGetCapabilityListResponse, moreFollows), Asn1BooleanType, "moreFollows")
        .Implicit(Ctx(1))
        .Optional(),
});

// ---- the service CHOICEs ----

constexpr std::size_t kRequestAt = offsetof(MmsConfirmedServiceRequest, choice);

constexpr auto kConfirmedServiceRequestMembers = Asn1Members({
    Asn1Field(kRequestAt, Asn1BooleanType, "status").Implicit(Ctx(0)),
    Asn1Field(kRequestAt, MmsGetNameListRequestType, Asn1SequenceTag, "getNameList").Implicit(Ctx(1)),
    Asn1Field(kRequestAt, Asn1NullType, "identify").Implicit(Ctx(2)),
    Asn1Field(kRequestAt, MmsReadRequestType, Asn1SequenceTag, "read").Implicit(Ctx(4)),
    Asn1Field(kRequestAt, MmsWriteRequestType, Asn1SequenceTag, "write").Implicit(Ctx(5)),
    Asn1Field(kRequestAt, MmsGetVariableAccessAttributesRequestType, Asn1NoTag, "getVariableAccessAttributes")
        .Explicit(Ctx(6)),
    Asn1Field(kRequestAt, MmsDefineNamedVariableListRequestType, Asn1SequenceTag, "defineNamedVariableList")
        .Implicit(Ctx(11)),
    Asn1Field(kRequestAt, MmsObjectNameType, Asn1NoTag, "getNamedVariableListAttributes").Explicit(Ctx(12)),
    Asn1Field(kRequestAt, MmsDeleteNamedVariableListRequestType, Asn1SequenceTag, "deleteNamedVariableList")
        .Implicit(Ctx(13)),
    Asn1Field(kRequestAt, MmsIdentifierType, "getDomainAttributes").Implicit(Ctx(37)),
    Asn1Field(kRequestAt, MmsObtainFileRequestType, Asn1SequenceTag, "obtainFile").Implicit(Ctx(46)),
    Asn1Field(kRequestAt, MmsReadJournalRequestType, Asn1SequenceTag, "readJournal").Implicit(Ctx(65)),
    Asn1Field(kRequestAt, MmsWriteJournalRequestType, Asn1SequenceTag, "writeJournal").Implicit(Ctx(66)),
    Asn1Field(kRequestAt, MmsInitializeJournalRequestType, Asn1SequenceTag, "initializeJournal").Implicit(Ctx(67)),
    Asn1Field(kRequestAt, MmsGetCapabilityListRequestType, Asn1SequenceTag, "getCapabilityList").Implicit(Ctx(71)),
    Asn1Field(kRequestAt, MmsFileOpenRequestType, Asn1SequenceTag, "fileOpen").Implicit(Ctx(72)),
    Asn1Field(kRequestAt, MmsInteger32Type, "fileRead").Implicit(Ctx(73)),
    Asn1Field(kRequestAt, MmsInteger32Type, "fileClose").Implicit(Ctx(74)),
    Asn1Field(kRequestAt, MmsFileNameType, Asn1SequenceTag, "fileDelete").Implicit(Ctx(76)),
    Asn1Field(kRequestAt, MmsFileDirectoryRequestType, Asn1SequenceTag, "fileDirectory").Implicit(Ctx(77)),
});

constexpr std::size_t kResponseAt = offsetof(MmsConfirmedServiceResponse, choice);

constexpr auto kConfirmedServiceResponseMembers = Asn1Members({
    Asn1Field(kResponseAt, MmsStatusResponseType, Asn1SequenceTag, "status").Implicit(Ctx(0)),
    Asn1Field(kResponseAt, MmsGetNameListResponseType, Asn1SequenceTag, "getNameList").Implicit(Ctx(1)),
    Asn1Field(kResponseAt, MmsIdentifyResponseType, Asn1SequenceTag, "identify").Implicit(Ctx(2)),
    Asn1Field(kResponseAt, MmsReadResponseType, Asn1SequenceTag, "read").Implicit(Ctx(4)),
    Asn1Field(kResponseAt, MmsWriteResponseType, Asn1SequenceTag, "write").Implicit(Ctx(5)),
    Asn1Field(kResponseAt, MmsGetVariableAccessAttributesResponseType, Asn1SequenceTag, "getVariableAccessAttributes")
        .Implicit(Ctx(6)),
    Asn1Field(kResponseAt, Asn1NullType, "defineNamedVariableList").Implicit(Ctx(11)),
    Asn1Field(kResponseAt, MmsGetNamedVariableListAttributesResponseType, Asn1SequenceTag,
              "getNamedVariableListAttributes")
        .Implicit(Ctx(12)),
    Asn1Field(kResponseAt, MmsDeleteNamedVariableListResponseType, Asn1SequenceTag, "deleteNamedVariableList")
        .Implicit(Ctx(13)),
    Asn1Field(kResponseAt, MmsGetDomainAttributesResponseType, Asn1SequenceTag, "getDomainAttributes")
        .Implicit(Ctx(37)),
    Asn1Field(kResponseAt, Asn1NullType, "obtainFile").Implicit(Ctx(46)),
    Asn1Field(kResponseAt, MmsReadJournalResponseType, Asn1SequenceTag, "readJournal").Implicit(Ctx(65)),
    Asn1Field(kResponseAt, Asn1NullType, "writeJournal").Implicit(Ctx(66)),
    Asn1Field(kResponseAt, MmsUnsigned32Type, "initializeJournal").Implicit(Ctx(67)),
    Asn1Field(kResponseAt, MmsGetCapabilityListResponseType, Asn1SequenceTag, "getCapabilityList").Implicit(Ctx(71)),
    Asn1Field(kResponseAt, MmsFileOpenResponseType, Asn1SequenceTag, "fileOpen").Implicit(Ctx(72)),
    Asn1Field(kResponseAt, MmsFileReadResponseType, Asn1SequenceTag, "fileRead").Implicit(Ctx(73)),
    Asn1Field(kResponseAt, Asn1NullType, "fileClose").Implicit(Ctx(74)),
    Asn1Field(kResponseAt, Asn1NullType, "fileDelete").Implicit(Ctx(76)),
    Asn1Field(kResponseAt, MmsFileDirectoryResponseType, Asn1SequenceTag, "fileDirectory").Implicit(Ctx(77)),
});

constexpr auto kInformationReportMembers = Asn1Members({
    Asn1Field(offsetof(MmsInformationReport, variableAccessSpecification), MmsVariableAccessSpecificationType,
              Asn1NoTag, "variableAccessSpecification"),
    Asn1Field(offsetof(MmsInformationReport, listOfAccessResult), MmsAccessResultListType, Asn1SequenceTag,
              "listOfAccessResult")
        .Implicit(Ctx(0)),
});

constexpr auto kUnconfirmedServiceMembers = Asn1Members({
    Asn1Field(offsetof(MmsUnconfirmedService, choice), MmsInformationReportType, Asn1SequenceTag, "informationReport")
        .Implicit(Ctx(0)),
});

}  // namespace

// Extensible: a class form other than basicObjectClass decodes to choice 0.
constinit const Asn1TypeDescriptor MmsObjectClassType =
    Asn1ChoiceType<MmsObjectClass, kObjectClassMembers, true>("ObjectClass");
constinit const Asn1TypeDescriptor MmsObjectScopeType =
    Asn1ChoiceType<MmsObjectScope, kObjectScopeMembers>("objectScope");
constinit const Asn1TypeDescriptor MmsObjectIdentifierListType =
    Asn1SequenceOfType<kObjectIdentifierListMembers>("listOfAbstractSyntaxes");
constinit const Asn1TypeDescriptor MmsWriteResultType = Asn1ChoiceType<MmsWriteResult, kWriteResultMembers>("result");
constinit const Asn1TypeDescriptor MmsStatusResponseType =
    Asn1SequenceType<MmsStatusResponse, kStatusResponseMembers>("Status-Response");
constinit const Asn1TypeDescriptor MmsGetNameListRequestType =
    Asn1SequenceType<MmsGetNameListRequest, kGetNameListRequestMembers>("GetNameList-Request");
constinit const Asn1TypeDescriptor MmsGetNameListResponseType =
    Asn1SequenceType<MmsGetNameListResponse, kGetNameListResponseMembers>("GetNameList-Response");
constinit const Asn1TypeDescriptor MmsIdentifyResponseType =
    Asn1SequenceType<MmsIdentifyResponse, kIdentifyResponseMembers>("Identify-Response");
constinit const Asn1TypeDescriptor MmsReadRequestType =
    Asn1SequenceType<MmsReadRequest, kReadRequestMembers>("Read-Request");
constinit const Asn1TypeDescriptor MmsReadResponseType =
    Asn1SequenceType<MmsReadResponse, kReadResponseMembers>("Read-Response");
constinit const Asn1TypeDescriptor MmsWriteRequestType =
    Asn1SequenceType<MmsWriteRequest, kWriteRequestMembers>("Write-Request");
constinit const Asn1TypeDescriptor MmsWriteResponseType = Asn1SequenceOfType<kWriteResponseMembers>("Write-Response");
constinit const Asn1TypeDescriptor MmsGetVariableAccessAttributesRequestType =
    Asn1ChoiceType<MmsGetVariableAccessAttributesRequest, kGetVariableAccessAttributesRequestMembers>(
        "GetVariableAccessAttributes-Request");
constinit const Asn1TypeDescriptor MmsGetVariableAccessAttributesResponseType =
    Asn1SequenceType<MmsGetVariableAccessAttributesResponse, kGetVariableAccessAttributesResponseMembers>(
        "GetVariableAccessAttributes-Response");
constinit const Asn1TypeDescriptor MmsDefineNamedVariableListRequestType =
    Asn1SequenceType<MmsDefineNamedVariableListRequest, kDefineNamedVariableListRequestMembers>(
        "DefineNamedVariableList-Request");
// Later editions add an access control list after listOfVariable: skipped.
constinit const Asn1TypeDescriptor MmsGetNamedVariableListAttributesResponseType =
    Asn1SequenceType<MmsGetNamedVariableListAttributesResponse, kGetNamedVariableListAttributesResponseMembers, 1>(
        "GetNamedVariableListAttributes-Response");
constinit const Asn1TypeDescriptor MmsDeleteNamedVariableListRequestType =
    Asn1SequenceType<MmsDeleteNamedVariableListRequest, kDeleteNamedVariableListRequestMembers>(
        "DeleteNamedVariableList-Request");
constinit const Asn1TypeDescriptor MmsDeleteNamedVariableListResponseType =
    Asn1SequenceType<MmsDeleteNamedVariableListResponse, kDeleteNamedVariableListResponseMembers>(
        "DeleteNamedVariableList-Response");
// Later editions add an access control list after uploadInProgress: skipped.
constinit const Asn1TypeDescriptor MmsGetDomainAttributesResponseType =
    Asn1SequenceType<MmsGetDomainAttributesResponse, kGetDomainAttributesResponseMembers, 5>(
        "GetDomainAttributes-Response");
constinit const Asn1TypeDescriptor MmsGetCapabilityListRequestType =
    Asn1SequenceType<MmsGetCapabilityListRequest, kGetCapabilityListRequestMembers>("GetCapabilityList-Request");
constinit const Asn1TypeDescriptor MmsGetCapabilityListResponseType =
    Asn1SequenceType<MmsGetCapabilityListResponse, kGetCapabilityListResponseMembers>("GetCapabilityList-Response");
// The service CHOICEs are extensible: a service that is not listed decodes to choice 0.
constinit const Asn1TypeDescriptor MmsConfirmedServiceRequestType =
    Asn1ChoiceType<MmsConfirmedServiceRequest, kConfirmedServiceRequestMembers, true>("ConfirmedServiceRequest");
constinit const Asn1TypeDescriptor MmsConfirmedServiceResponseType =
    Asn1ChoiceType<MmsConfirmedServiceResponse, kConfirmedServiceResponseMembers, true>("ConfirmedServiceResponse");
constinit const Asn1TypeDescriptor MmsInformationReportType =
    Asn1SequenceType<MmsInformationReport, kInformationReportMembers>("InformationReport");
constinit const Asn1TypeDescriptor MmsUnconfirmedServiceType =
    Asn1ChoiceType<MmsUnconfirmedService, kUnconfirmedServiceMembers, true>("UnconfirmedService");

}  // namespace Mms
