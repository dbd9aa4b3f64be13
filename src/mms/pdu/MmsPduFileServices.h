#pragma once

// The file, journal and obtainFile services. The system neither requests nor answers
// them; they are declared so that such PDUs from a peer decode whole (and can be
// rejected by service) instead of failing as malformed.

#include "mms/pdu/MmsPduBasic.h"
#include "mms/pdu/MmsPduData.h"

namespace Mms {

// ---- obtainFile ----

struct MmsObtainFileRequest {
    MmsApplicationReference* sourceFileServer;  // [0] OPTIONAL
    MmsFileName sourceFile;                     // [1]
    MmsFileName destinationFile;                // [2]
};
extern const Asn1TypeDescriptor MmsObtainFileRequestType;

// ---- journals ----

enum MmsRangeStartChoice : Asn1Presence { MmsRangeStartNone = 0, MmsRangeStartTime = 1, MmsRangeStartEntry = 2 };
struct MmsRangeStartSpecification {
    Asn1Presence present;
    union {
        Asn1OctetString startingTime;   // [0] TimeOfDay
        Asn1OctetString startingEntry;  // [1] OCTET STRING
    } choice;
};
extern const Asn1TypeDescriptor MmsRangeStartSpecificationType;

enum MmsRangeStopChoice : Asn1Presence { MmsRangeStopNone = 0, MmsRangeStopTime = 1, MmsRangeStopCount = 2 };
struct MmsRangeStopSpecification {
    Asn1Presence present;
    union {
        Asn1OctetString endingTime;         // [0] TimeOfDay
        Asn1NativeInteger numberOfEntries;  // [1] Integer32
    } choice;
};
extern const Asn1TypeDescriptor MmsRangeStopSpecificationType;

struct MmsEntryToStartAfter {
    Asn1OctetString timeSpecification;   // [0] TimeOfDay
    Asn1OctetString entrySpecification;  // [1] OCTET STRING
};
extern const Asn1TypeDescriptor MmsEntryToStartAfterType;

struct MmsReadJournalRequest {
    MmsObjectName journalName;                            // [0]
    MmsRangeStartSpecification* rangeStartSpecification;  // [1] OPTIONAL
    MmsRangeStopSpecification* rangeStopSpecification;    // [2] OPTIONAL
    MmsIdentifierList* listOfVariables;                   // [4] OPTIONAL (VisibleString)
    MmsEntryToStartAfter* entryToStartAfter;              // [5] OPTIONAL
};
extern const Asn1TypeDescriptor MmsReadJournalRequestType;

struct MmsJournalVariable {
    Asn1OctetString variableTag;  // [0] MMS255String
    MmsData valueSpecification;   // [1] Data
};
using MmsJournalVariableList = Asn1ListOf<MmsJournalVariable>;

struct MmsJournalEvent {
    MmsObjectName eventConditionName;  // [0]
    Asn1NativeInteger currentState;    // [1] EC-State
};

struct MmsJournalData {
    MmsJournalEvent* event;                   // [0] OPTIONAL
    MmsJournalVariableList* listOfVariables;  // [1] OPTIONAL
};

enum MmsEntryFormChoice : Asn1Presence { MmsEntryFormNone = 0, MmsEntryFormData = 1, MmsEntryFormAnnotation = 2 };
struct MmsEntryForm {
    Asn1Presence present;
    union {
        MmsJournalData data;         // [2]
        Asn1OctetString annotation;  // [3] MMSString
    } choice;
};

struct MmsEntryContent {
    Asn1OctetString occurrenceTime;  // [0] TimeOfDay
    // additionalDetail [1], a companion-standard element, is skipped when received.
    MmsEntryForm entryForm;
};
extern const Asn1TypeDescriptor MmsEntryContentType;
using MmsEntryContentList = Asn1ListOf<MmsEntryContent>;

struct MmsJournalEntry {
    Asn1OctetString entryIdentifier;                 // [0] OCTET STRING
    MmsApplicationReference originatingApplication;  // [1]
    MmsEntryContent entryContent;                    // [2]
};
using MmsJournalEntryList = Asn1ListOf<MmsJournalEntry>;

struct MmsReadJournalResponse {
    MmsJournalEntryList listOfJournalEntry;  // [0]
    Asn1Boolean* moreFollows;                // [1] DEFAULT FALSE
};
extern const Asn1TypeDescriptor MmsReadJournalResponseType;

struct MmsWriteJournalRequest {
    MmsObjectName journalName;               // [0]
    MmsEntryContentList listOfJournalEntry;  // [1]
};
extern const Asn1TypeDescriptor MmsWriteJournalRequestType;

struct MmsLimitSpecification {
    Asn1OctetString limitingTime;    // [0] TimeOfDay
    Asn1OctetString* limitingEntry;  // [1] OPTIONAL
};

struct MmsInitializeJournalRequest {
    MmsObjectName journalName;                  // [0]
    MmsLimitSpecification* limitSpecification;  // [1] OPTIONAL
};
extern const Asn1TypeDescriptor MmsInitializeJournalRequestType;

// ---- files ----

struct MmsFileAttributes {
    Asn1NativeInteger sizeOfFile;   // [0] Unsigned32
    Asn1OctetString* lastModified;  // [1] GeneralizedTime OPTIONAL
};

struct MmsFileOpenRequest {
    MmsFileName fileName;               // [0]
    Asn1NativeInteger initialPosition;  // [1] Unsigned32
};
extern const Asn1TypeDescriptor MmsFileOpenRequestType;

struct MmsFileOpenResponse {
    Asn1NativeInteger frsmId;          // [0] Integer32
    MmsFileAttributes fileAttributes;  // [1]
};
extern const Asn1TypeDescriptor MmsFileOpenResponseType;

struct MmsFileReadResponse {
    Asn1OctetString fileData;  // [0]
    Asn1Boolean* moreFollows;  // [1] DEFAULT TRUE
};
extern const Asn1TypeDescriptor MmsFileReadResponseType;

struct MmsFileDirectoryRequest {
    MmsFileName* fileSpecification;  // [0] OPTIONAL
    MmsFileName* continueAfter;      // [1] OPTIONAL
};
extern const Asn1TypeDescriptor MmsFileDirectoryRequestType;

struct MmsDirectoryEntry {
    MmsFileName fileName;              // [0]
    MmsFileAttributes fileAttributes;  // [1]
};
using MmsDirectoryEntryList = Asn1ListOf<MmsDirectoryEntry>;

struct MmsFileDirectoryResponse {
    MmsDirectoryEntryList listOfDirectoryEntry;  // [0]
    Asn1Boolean* moreFollows;                    // [1] DEFAULT FALSE
};
extern const Asn1TypeDescriptor MmsFileDirectoryResponseType;

}  // namespace Mms
