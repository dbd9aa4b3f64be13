#pragma once

// The confirmed services (requests and responses) and the unconfirmed service that
// this system uses, with the ConfirmedServiceRequest / ConfirmedServiceResponse and
// UnconfirmedService CHOICEs. The CHOICEs are extensible: a service that is not in
// the table decodes to choice 0 and the PDU around it still decodes.

#include "mms/pdu/MmsPduAccess.h"
#include "mms/pdu/MmsPduBasic.h"
#include "mms/pdu/MmsPduData.h"
#include "mms/pdu/MmsPduFileServices.h"

namespace Mms {

// The library's service numbers: the choice numbers of both service CHOICEs.
enum MmsService : Asn1Presence {
    MmsServiceNone = 0,
    MmsServiceStatus = 1,                          // [0]
    MmsServiceGetNameList = 2,                     // [1]
    MmsServiceIdentify = 3,                        // [2]
    MmsServiceRead = 4,                            // [4]
    MmsServiceWrite = 5,                           // [5]
    MmsServiceGetVariableAccessAttributes = 6,     // [6]
    MmsServiceDefineNamedVariableList = 7,         // [11]
    MmsServiceGetNamedVariableListAttributes = 8,  // [12]
    MmsServiceDeleteNamedVariableList = 9,         // [13]
    MmsServiceGetDomainAttributes = 10,            // [37]
    MmsServiceObtainFile = 11,                     // [46]
    MmsServiceReadJournal = 12,                    // [65]
    MmsServiceWriteJournal = 13,                   // [66]
    MmsServiceInitializeJournal = 14,              // [67]
    MmsServiceGetCapabilityList = 15,              // [71]
    MmsServiceFileOpen = 16,                       // [72]
    MmsServiceFileRead = 17,                       // [73]
    MmsServiceFileClose = 18,                      // [74]
    MmsServiceFileDelete = 19,                     // [76]
    MmsServiceFileDirectory = 20,                  // [77]
};
inline constexpr int MmsServiceCount = 20;

// ---- status ----

struct MmsStatusResponse {
    Asn1NativeInteger vmdLogicalStatus;   // [0]
    Asn1NativeInteger vmdPhysicalStatus;  // [1]
    Asn1BitString* localDetail;           // [2] OPTIONAL, at most 128 bits
};
extern const Asn1TypeDescriptor MmsStatusResponseType;

// ---- getNameList ----

enum MmsObjectClassChoice : Asn1Presence { MmsObjectClassNone = 0, MmsObjectClassBasic = 1 };
// basicObjectClass values.
enum MmsBasicObjectClass : std::int32_t {
    MmsClassNamedVariable = 0,
    MmsClassScatteredAccess = 1,
    MmsClassNamedVariableList = 2,
    MmsClassNamedType = 3,
    MmsClassSemaphore = 4,
    MmsClassEventCondition = 5,
    MmsClassEventAction = 6,
    MmsClassEventEnrollment = 7,
    MmsClassJournal = 8,
    MmsClassDomain = 9,
    MmsClassProgramInvocation = 10,
    MmsClassOperatorStation = 11,
    MmsClassDataExchange = 12,
    MmsClassAccessControlList = 13,
};
struct MmsObjectClass {
    Asn1Presence present;  // MmsObjectClassChoice; 0 for a class form not known here
    union {
        Asn1NativeInteger basicObjectClass;  // [0]
    } choice;
};

enum MmsObjectScopeChoice : Asn1Presence {
    MmsObjectScopeNone = 0,
    MmsObjectScopeVmd = 1,     // [0] NULL
    MmsObjectScopeDomain = 2,  // [1] Identifier
    MmsObjectScopeAa = 3,      // [2] NULL
};
struct MmsObjectScope {
    Asn1Presence present;  // MmsObjectScopeChoice
    union {
        Asn1Null vmdSpecific;
        Asn1OctetString domainSpecific;
        Asn1Null aaSpecific;
    } choice;
};

struct MmsGetNameListRequest {
    MmsObjectClass objectClass;      // [0]
    MmsObjectScope objectScope;      // [1]
    Asn1OctetString* continueAfter;  // [2] Identifier OPTIONAL
};
extern const Asn1TypeDescriptor MmsGetNameListRequestType;

struct MmsGetNameListResponse {
    MmsIdentifierList listOfIdentifier;  // [0]
    Asn1Boolean* moreFollows;            // [1] DEFAULT TRUE
};
extern const Asn1TypeDescriptor MmsGetNameListResponseType;

// ---- identify ----

using MmsObjectIdentifierList = Asn1ListOf<Asn1OctetString>;

struct MmsIdentifyResponse {
    Asn1OctetString vendorName;                       // [0] MMSString
    Asn1OctetString modelName;                        // [1] MMSString
    Asn1OctetString revision;                         // [2] MMSString
    MmsObjectIdentifierList* listOfAbstractSyntaxes;  // [3] OPTIONAL
};
extern const Asn1TypeDescriptor MmsIdentifyResponseType;

// ---- read ----

struct MmsReadRequest {
    // [0] DEFAULT FALSE. This system always leaves it out.
    Asn1Boolean* specificationWithResult;
    MmsVariableAccessSpecification variableAccessSpecification;  // [1]
};
extern const Asn1TypeDescriptor MmsReadRequestType;

struct MmsReadResponse {
    MmsVariableAccessSpecification* variableAccessSpecification;  // [0] OPTIONAL
    MmsAccessResultList listOfAccessResult;                       // [1]
};
extern const Asn1TypeDescriptor MmsReadResponseType;

// ---- write ----

struct MmsWriteRequest {
    MmsVariableAccessSpecification variableAccessSpecification;
    MmsDataList listOfData;  // [0]
};
extern const Asn1TypeDescriptor MmsWriteRequestType;

enum MmsWriteResultChoice : Asn1Presence {
    MmsWriteResultNone = 0,
    MmsWriteResultFailure = 1,
    MmsWriteResultSuccess = 2
};
struct MmsWriteResult {
    Asn1Presence present;  // MmsWriteResultChoice
    union {
        Asn1NativeInteger failure;  // [0] DataAccessError
        Asn1Null success;           // [1] NULL
    } choice;
};
using MmsWriteResponse = Asn1ListOf<MmsWriteResult>;
extern const Asn1TypeDescriptor MmsWriteResponseType;

// ---- getVariableAccessAttributes ----

enum MmsGetVariableAccessAttributesChoice : Asn1Presence {
    MmsAttributesByNone = 0,
    MmsAttributesByName = 1,     // [0] ObjectName
    MmsAttributesByAddress = 2,  // [1] Address
};
struct MmsGetVariableAccessAttributesRequest {
    Asn1Presence present;
    union {
        MmsObjectName name;
        MmsAddress address;
    } choice;
};
extern const Asn1TypeDescriptor MmsGetVariableAccessAttributesRequestType;

struct MmsGetVariableAccessAttributesResponse {
    Asn1Boolean mmsDeletable;                // [0]
    MmsAddress* address;                     // [1] OPTIONAL
    MmsTypeSpecification typeSpecification;  // [2] (typeDescription)
};
extern const Asn1TypeDescriptor MmsGetVariableAccessAttributesResponseType;

// ---- named variable lists ----

struct MmsDefineNamedVariableListRequest {
    MmsObjectName variableListName;
    MmsVariableList listOfVariable;  // [0]
};
extern const Asn1TypeDescriptor MmsDefineNamedVariableListRequestType;

struct MmsGetNamedVariableListAttributesResponse {
    Asn1Boolean mmsDeletable;        // [0]
    MmsVariableList listOfVariable;  // [1]
};
extern const Asn1TypeDescriptor MmsGetNamedVariableListAttributesResponseType;

enum MmsScopeOfDelete : std::int32_t {
    MmsDeleteSpecific = 0,
    MmsDeleteAaSpecific = 1,
    MmsDeleteDomain = 2,
    MmsDeleteVmd = 3,
};
struct MmsDeleteNamedVariableListRequest {
    Asn1NativeInteger* scopeOfDelete;           // [0] DEFAULT specific
    MmsObjectNameList* listOfVariableListName;  // [1] OPTIONAL
    Asn1OctetString* domainName;                // [2] Identifier OPTIONAL
};
extern const Asn1TypeDescriptor MmsDeleteNamedVariableListRequestType;

struct MmsDeleteNamedVariableListResponse {
    Asn1NativeInteger numberMatched;  // [0] Unsigned32
    Asn1NativeInteger numberDeleted;  // [1] Unsigned32
};
extern const Asn1TypeDescriptor MmsDeleteNamedVariableListResponseType;

// ---- getDomainAttributes ----

struct MmsGetDomainAttributesResponse {
    MmsIdentifierList listOfCapabilities;        // [0] SEQUENCE OF MMSString
    Asn1NativeInteger state;                     // [1] DomainState 0..15
    Asn1Boolean mmsDeletable;                    // [2]
    Asn1Boolean sharable;                        // [3]
    MmsIdentifierList listOfProgramInvocations;  // [4] SEQUENCE OF Identifier
    Asn1NativeInteger uploadInProgress;          // [5] Integer8
};
extern const Asn1TypeDescriptor MmsGetDomainAttributesResponseType;

// ---- getCapabilityList ----

struct MmsGetCapabilityListRequest {
    Asn1OctetString* continueAfter;  // MMSString OPTIONAL
};
extern const Asn1TypeDescriptor MmsGetCapabilityListRequestType;

struct MmsGetCapabilityListResponse {
    MmsIdentifierList listOfCapabilities;  // [0] SEQUENCE OF MMSString
    Asn1Boolean* moreFollows;              // [1] DEFAULT TRUE
};
extern const Asn1TypeDescriptor MmsGetCapabilityListResponseType;

// ---- the confirmed service CHOICEs ----

struct MmsConfirmedServiceRequest {
    Asn1Presence present;  // MmsService
    union {
        Asn1Boolean status;  // extendedDerivation
        MmsGetNameListRequest getNameList;
        Asn1Null identify;
        MmsReadRequest read;
        MmsWriteRequest write;
        MmsGetVariableAccessAttributesRequest getVariableAccessAttributes;
        MmsDefineNamedVariableListRequest defineNamedVariableList;
        MmsObjectName getNamedVariableListAttributes;
        MmsDeleteNamedVariableListRequest deleteNamedVariableList;
        Asn1OctetString getDomainAttributes;  // the domain's Identifier
        MmsObtainFileRequest obtainFile;
        MmsReadJournalRequest readJournal;
        MmsWriteJournalRequest writeJournal;
        MmsInitializeJournalRequest initializeJournal;
        MmsGetCapabilityListRequest getCapabilityList;
        MmsFileOpenRequest fileOpen;
        Asn1NativeInteger fileRead;   // frsmID
        Asn1NativeInteger fileClose;  // frsmID
        MmsFileName fileDelete;
        MmsFileDirectoryRequest fileDirectory;
    } choice;
};
extern const Asn1TypeDescriptor MmsConfirmedServiceRequestType;  // untagged CHOICE

struct MmsConfirmedServiceResponse {
    Asn1Presence present;  // MmsService
    union {
        MmsStatusResponse status;
        MmsGetNameListResponse getNameList;
        MmsIdentifyResponse identify;
        MmsReadResponse read;
        MmsWriteResponse write;
        MmsGetVariableAccessAttributesResponse getVariableAccessAttributes;
        Asn1Null defineNamedVariableList;
        MmsGetNamedVariableListAttributesResponse getNamedVariableListAttributes;
        MmsDeleteNamedVariableListResponse deleteNamedVariableList;
        MmsGetDomainAttributesResponse getDomainAttributes;
        Asn1Null obtainFile;
        MmsReadJournalResponse readJournal;
        Asn1Null writeJournal;
        Asn1NativeInteger initializeJournal;  // Unsigned32: entries deleted
        MmsGetCapabilityListResponse getCapabilityList;
        MmsFileOpenResponse fileOpen;
        MmsFileReadResponse fileRead;
        Asn1Null fileClose;
        Asn1Null fileDelete;
        MmsFileDirectoryResponse fileDirectory;
    } choice;
};
extern const Asn1TypeDescriptor MmsConfirmedServiceResponseType;  // untagged CHOICE

// ---- unconfirmed ----

struct MmsInformationReport {
    MmsVariableAccessSpecification variableAccessSpecification;
    MmsAccessResultList listOfAccessResult;  // [0]
};
extern const Asn1TypeDescriptor MmsInformationReportType;

enum MmsUnconfirmedServiceChoice : Asn1Presence {
    MmsUnconfirmedNone = 0,
    MmsUnconfirmedInformationReport = 1,  // [0]
};
struct MmsUnconfirmedService {
    Asn1Presence present;  // MmsUnconfirmedServiceChoice
    union {
        MmsInformationReport informationReport;
    } choice;
};
extern const Asn1TypeDescriptor MmsUnconfirmedServiceType;  // untagged CHOICE

// Element and part types, for building values.
extern const Asn1TypeDescriptor MmsObjectClassType;
extern const Asn1TypeDescriptor MmsObjectScopeType;
extern const Asn1TypeDescriptor MmsObjectIdentifierListType;  // SEQUENCE OF OBJECT IDENTIFIER
extern const Asn1TypeDescriptor MmsWriteResultType;

}  // namespace Mms
