#include "mms/pdu/MmsPduFileServices.h"

#include "mms/pdu/MmsPduTables.h"

namespace Mms {

using namespace Tables;

namespace {

// ---- obtainFile ----

constexpr auto kObtainFileMembers = Asn1Members({
    Asn1Field(offsetof(MmsObtainFileRequest, sourceFileServer), MmsApplicationReferenceType, Asn1SequenceTag,
              "sourceFileServer")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsObtainFileRequest, sourceFile), MmsFileNameType, Asn1SequenceTag, "sourceFile")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsObtainFileRequest, destinationFile), MmsFileNameType, Asn1SequenceTag, "destinationFile")
        .Implicit(Ctx(2)),
});

// ---- journals ----

constexpr auto kRangeStartMembers = Asn1Members({
    Asn1Field(offsetof(MmsRangeStartSpecification, choice), MmsTimeOfDayType, "startingTime").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsRangeStartSpecification, choice), Asn1OctetStringType, "startingEntry").Implicit(Ctx(1)),
});

constexpr auto kRangeStopMembers = Asn1Members({
    Asn1Field(offsetof(MmsRangeStopSpecification, choice), MmsTimeOfDayType, "endingTime").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsRangeStopSpecification, choice), MmsInteger32Type, "numberOfEntries").Implicit(Ctx(1)),
});

constexpr auto kEntryToStartAfterMembers = Asn1Members({
    Asn1Field(offsetof(MmsEntryToStartAfter, timeSpecification), MmsTimeOfDayType, "timeSpecification")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsEntryToStartAfter, entrySpecification), Asn1OctetStringType, "entrySpecification")
        .Implicit(Ctx(1)),
});

constexpr auto kReadJournalRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsReadJournalRequest, journalName), MmsObjectNameType, Asn1NoTag, "journalName")
        .Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsReadJournalRequest, rangeStartSpecification), MmsRangeStartSpecificationType, Asn1NoTag,
              "rangeStartSpecification")
        .Explicit(Ctx(1))
        .Optional(),
    Asn1Field(offsetof(MmsReadJournalRequest, rangeStopSpecification), MmsRangeStopSpecificationType, Asn1NoTag,
              "rangeStopSpecification")
        .Explicit(Ctx(2))
        .Optional(),
    Asn1Field(offsetof(MmsReadJournalRequest, listOfVariables), MmsIdentifierListType, Asn1SequenceTag,
              "listOfVariables")
        .Implicit(Ctx(4))
        .Optional(),
    Asn1Field(offsetof(MmsReadJournalRequest, entryToStartAfter), MmsEntryToStartAfterType, Asn1SequenceTag,
              "entryToStartAfter")
        .Implicit(Ctx(5))
        .Optional(),
});

extern const Asn1TypeDescriptor JournalVariableType;
extern const Asn1TypeDescriptor JournalVariableListType;
extern const Asn1TypeDescriptor JournalEventType;
extern const Asn1TypeDescriptor JournalDataType;
extern const Asn1TypeDescriptor EntryFormType;
extern const Asn1TypeDescriptor EntryContentListType;
extern const Asn1TypeDescriptor JournalEntryType;
extern const Asn1TypeDescriptor JournalEntryListType;
extern const Asn1TypeDescriptor LimitSpecificationType;
extern const Asn1TypeDescriptor FileAttributesType;
extern const Asn1TypeDescriptor DirectoryEntryType;
extern const Asn1TypeDescriptor DirectoryEntryListType;

constexpr auto kJournalVariableMembers = Asn1Members({
    Asn1Field(offsetof(MmsJournalVariable, variableTag), Mms255StringType, "variableTag").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsJournalVariable, valueSpecification), MmsDataType, Asn1NoTag, "valueSpecification")
        .Explicit(Ctx(1)),
});
constexpr auto kJournalVariableListMembers =
    Asn1Members({Asn1Field(0, JournalVariableType, Asn1SequenceTag, "Journal-Variable")});

constexpr auto kJournalEventMembers = Asn1Members({
    Asn1Field(offsetof(MmsJournalEvent, eventConditionName), MmsObjectNameType, Asn1NoTag, "eventConditionName")
        .Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsJournalEvent, currentState), Asn1NativeIntegerType, "currentState").Implicit(Ctx(1)),
});

constexpr auto kJournalDataMembers = Asn1Members({
    Asn1Field(offsetof(MmsJournalData, event), JournalEventType, Asn1SequenceTag, "event").Implicit(Ctx(0)).Optional(),
    Asn1Field(offsetof(MmsJournalData, listOfVariables), JournalVariableListType, Asn1SequenceTag, "listOfVariables")
        .Implicit(Ctx(1))
        .Optional(),
});

constexpr auto kEntryFormMembers = Asn1Members({
    Asn1Field(offsetof(MmsEntryForm, choice), JournalDataType, Asn1SequenceTag, "data").Implicit(Ctx(2)),
    Asn1Field(offsetof(MmsEntryForm, choice), MmsStringType, "annotation").Implicit(Ctx(3)),
});

constexpr auto kEntryContentMembers = Asn1Members({
    Asn1Field(offsetof(MmsEntryContent, occurrenceTime), MmsTimeOfDayType, "occurrenceTime").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsEntryContent, entryForm), EntryFormType, Asn1NoTag, "entryForm"),
});
constexpr auto kEntryContentListMembers =
    Asn1Members({Asn1Field(0, MmsEntryContentType, Asn1SequenceTag, "EntryContent")});

constexpr auto kJournalEntryMembers = Asn1Members({
    Asn1Field(offsetof(MmsJournalEntry, entryIdentifier), Asn1OctetStringType, "entryIdentifier").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsJournalEntry, originatingApplication), MmsApplicationReferenceType, Asn1SequenceTag,
              "originatingApplication")
        .Implicit(Ctx(1)),
    Asn1Field(offsetof(MmsJournalEntry, entryContent), MmsEntryContentType, Asn1SequenceTag, "entryContent")
        .Implicit(Ctx(2)),
});
constexpr auto kJournalEntryListMembers =
    Asn1Members({Asn1Field(0, JournalEntryType, Asn1SequenceTag, "JournalEntry")});

constexpr auto kReadJournalResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsReadJournalResponse, listOfJournalEntry), JournalEntryListType, Asn1SequenceTag,
              "listOfJournalEntry")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsReadJournalResponse, moreFollows), Asn1BooleanType, "moreFollows")
        .Implicit(Ctx(1))
        .Optional(),
});

constexpr auto kWriteJournalRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsWriteJournalRequest, journalName), MmsObjectNameType, Asn1NoTag, "journalName")
        .Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsWriteJournalRequest, listOfJournalEntry), EntryContentListType, Asn1SequenceTag,
              "listOfJournalEntry")
        .Implicit(Ctx(1)),
});

constexpr auto kLimitSpecificationMembers = Asn1Members({
    Asn1Field(offsetof(MmsLimitSpecification, limitingTime), MmsTimeOfDayType, "limitingTime").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsLimitSpecification, limitingEntry), Asn1OctetStringType, "limitingEntry")
        .Implicit(Ctx(1))
        .Optional(),
});

constexpr auto kInitializeJournalRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsInitializeJournalRequest, journalName), MmsObjectNameType, Asn1NoTag, "journalName")
        .Explicit(Ctx(0)),
    Asn1Field(offsetof(MmsInitializeJournalRequest, limitSpecification), LimitSpecificationType, Asn1SequenceTag,
              "limitSpecification")
        .Implicit(Ctx(1))
        .Optional(),
});

// ---- files ----

constexpr auto kFileAttributesMembers = Asn1Members({
    Asn1Field(offsetof(MmsFileAttributes, sizeOfFile), MmsUnsigned32Type, "sizeOfFile").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsFileAttributes, lastModified), Asn1GeneralizedTimeType, "lastModified")
        .Implicit(Ctx(1))
        .Optional(),
});

constexpr auto kFileOpenRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsFileOpenRequest, fileName), MmsFileNameType, Asn1SequenceTag, "fileName").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsFileOpenRequest, initialPosition), MmsUnsigned32Type, "initialPosition").Implicit(Ctx(1)),
});

constexpr auto kFileOpenResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsFileOpenResponse, frsmId), MmsInteger32Type, "frsmID").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsFileOpenResponse, fileAttributes), FileAttributesType, Asn1SequenceTag, "fileAttributes")
        .Implicit(Ctx(1)),
});

constexpr auto kFileReadResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsFileReadResponse, fileData), Asn1OctetStringType, "fileData").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsFileReadResponse, moreFollows), Asn1BooleanType, "moreFollows").Implicit(Ctx(1)).Optional(),
});

constexpr auto kFileDirectoryRequestMembers = Asn1Members({
    Asn1Field(offsetof(MmsFileDirectoryRequest, fileSpecification), MmsFileNameType, Asn1SequenceTag,
              "fileSpecification")
        .Implicit(Ctx(0))
        .Optional(),
    Asn1Field(offsetof(MmsFileDirectoryRequest, continueAfter), MmsFileNameType, Asn1SequenceTag, "continueAfter")
        .Implicit(Ctx(1))
        .Optional(),
});

constexpr auto kDirectoryEntryMembers = Asn1Members({
    Asn1Field(offsetof(MmsDirectoryEntry, fileName), MmsFileNameType, Asn1SequenceTag, "fileName").Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsDirectoryEntry, fileAttributes), FileAttributesType, Asn1SequenceTag, "fileAttributes")
        .Implicit(Ctx(1)),
});
constexpr auto kDirectoryEntryListMembers =
    Asn1Members({Asn1Field(0, DirectoryEntryType, Asn1SequenceTag, "DirectoryEntry")});

constexpr auto kFileDirectoryResponseMembers = Asn1Members({
    Asn1Field(offsetof(MmsFileDirectoryResponse, listOfDirectoryEntry), DirectoryEntryListType, Asn1SequenceTag,
              "listOfDirectoryEntry")
        .Implicit(Ctx(0)),
    Asn1Field(offsetof(MmsFileDirectoryResponse, moreFollows), Asn1BooleanType, "moreFollows")
        .Implicit(Ctx(1))
        .Optional(),
});

constinit const Asn1TypeDescriptor JournalVariableType =
    Asn1SequenceType<MmsJournalVariable, kJournalVariableMembers>("Journal-Variable");
constinit const Asn1TypeDescriptor JournalVariableListType =
    Asn1SequenceOfType<kJournalVariableListMembers>("listOfVariables");
constinit const Asn1TypeDescriptor JournalEventType = Asn1SequenceType<MmsJournalEvent, kJournalEventMembers>("event");
constinit const Asn1TypeDescriptor JournalDataType = Asn1SequenceType<MmsJournalData, kJournalDataMembers>("data");
constinit const Asn1TypeDescriptor EntryFormType = Asn1ChoiceType<MmsEntryForm, kEntryFormMembers>("entryForm");
constinit const Asn1TypeDescriptor EntryContentListType =
    Asn1SequenceOfType<kEntryContentListMembers>("SEQUENCE OF EntryContent");
constinit const Asn1TypeDescriptor JournalEntryType =
    Asn1SequenceType<MmsJournalEntry, kJournalEntryMembers>("JournalEntry");
constinit const Asn1TypeDescriptor JournalEntryListType =
    Asn1SequenceOfType<kJournalEntryListMembers>("SEQUENCE OF JournalEntry");
constinit const Asn1TypeDescriptor LimitSpecificationType =
    Asn1SequenceType<MmsLimitSpecification, kLimitSpecificationMembers>("limitSpecification");
constinit const Asn1TypeDescriptor FileAttributesType =
    Asn1SequenceType<MmsFileAttributes, kFileAttributesMembers>("FileAttributes");
constinit const Asn1TypeDescriptor DirectoryEntryType =
    Asn1SequenceType<MmsDirectoryEntry, kDirectoryEntryMembers>("DirectoryEntry");
constinit const Asn1TypeDescriptor DirectoryEntryListType =
    Asn1SequenceOfType<kDirectoryEntryListMembers>("SEQUENCE OF DirectoryEntry");

}  // namespace

constinit const Asn1TypeDescriptor MmsObtainFileRequestType =
    Asn1SequenceType<MmsObtainFileRequest, kObtainFileMembers>("ObtainFile-Request");
constinit const Asn1TypeDescriptor MmsRangeStartSpecificationType =
    Asn1ChoiceType<MmsRangeStartSpecification, kRangeStartMembers>("rangeStartSpecification");
constinit const Asn1TypeDescriptor MmsRangeStopSpecificationType =
    Asn1ChoiceType<MmsRangeStopSpecification, kRangeStopMembers>("rangeStopSpecification");
constinit const Asn1TypeDescriptor MmsEntryToStartAfterType =
    Asn1SequenceType<MmsEntryToStartAfter, kEntryToStartAfterMembers>("entryToStartAfter");
constinit const Asn1TypeDescriptor MmsReadJournalRequestType =
    Asn1SequenceType<MmsReadJournalRequest, kReadJournalRequestMembers>("ReadJournal-Request");
// A companion standard may put additionalDetail [1] between the time and the form:
// it is skipped.
constinit const Asn1TypeDescriptor MmsEntryContentType =
    Asn1SequenceType<MmsEntryContent, kEntryContentMembers, 0, 1>("EntryContent");
constinit const Asn1TypeDescriptor MmsReadJournalResponseType =
    Asn1SequenceType<MmsReadJournalResponse, kReadJournalResponseMembers>("ReadJournal-Response");
constinit const Asn1TypeDescriptor MmsWriteJournalRequestType =
    Asn1SequenceType<MmsWriteJournalRequest, kWriteJournalRequestMembers>("WriteJournal-Request");
constinit const Asn1TypeDescriptor MmsInitializeJournalRequestType =
    Asn1SequenceType<MmsInitializeJournalRequest, kInitializeJournalRequestMembers>("InitializeJournal-Request");
constinit const Asn1TypeDescriptor MmsFileOpenRequestType =
    Asn1SequenceType<MmsFileOpenRequest, kFileOpenRequestMembers>("FileOpen-Request");
constinit const Asn1TypeDescriptor MmsFileOpenResponseType =
    Asn1SequenceType<MmsFileOpenResponse, kFileOpenResponseMembers>("FileOpen-Response");
constinit const Asn1TypeDescriptor MmsFileReadResponseType =
    Asn1SequenceType<MmsFileReadResponse, kFileReadResponseMembers>("FileRead-Response");
constinit const Asn1TypeDescriptor MmsFileDirectoryRequestType =
    Asn1SequenceType<MmsFileDirectoryRequest, kFileDirectoryRequestMembers>("FileDirectory-Request");
constinit const Asn1TypeDescriptor MmsFileDirectoryResponseType =
    Asn1SequenceType<MmsFileDirectoryResponse, kFileDirectoryResponseMembers>("FileDirectory-Response");

}  // namespace Mms
