#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mms/pdu/MmsPduError.h"

namespace TestDevice {

// How the device misbehaves when told to, so that a client's fallbacks and fault paths
// can be tried. Services are the MMS confirmed service numbers (Mms::MmsService: 1
// status, 2 getNameList, 3 identify, 4 read, 5 write, 6 getVariableAccessAttributes ...).
struct Faults {
    // A refusal of a confirmed request: a reject with its reason, or a confirmed-Error
    // (error class in the high 16 bits, code in the low 16 bits).
    struct Refusal {
        bool reject = true;
        std::int32_t rejectReason = 1;  // confirmed-requestPDU: unrecognized-service
        std::uint32_t error = 0;
    };

    // The initiate answered with initiate-Error of this class (Mms::MmsErrorClass, 0:
    // not refused) and code.
    std::int32_t initiateErrorClass = 0;
    std::int32_t initiateErrorCode = 0;
    // identify left out of the services announced in the initiate answer.
    bool hideIdentify = false;
    std::map<std::int32_t, Refusal> refused;
    // Requests of these services are never answered.
    std::set<std::int32_t> dropped;
    // Answers to these services leave only after so many milliseconds.
    std::map<std::int32_t, int> delayedMs;
    // Requests of these services are held, unanswered, until the faults no longer name them
    // (or the device stops), then answered as usual: the association's receive thread waits
    // meanwhile, as a device busy with the request does, so what the client sends after it
    // stays on the wire, unread and unlogged. A test lets the answer go once what it stages
    // on its side is in place.
    std::set<std::int32_t> held;
    // The Identify answer held back until the association's next request has been
    // answered, and then so many milliseconds more (0: answered in turn; negative: the
    // association is aborted instead, after as many milliseconds).
    int identifyAnsweredLateMs = 0;
    // The transport's CC and the initiate answer: never sent, or sent late.
    bool dropConnectConfirm = false;
    int connectConfirmDelayMs = 0;
    bool dropInitiateAnswer = false;
    int initiateAnswerDelayMs = 0;
    // The initiate answer held until the faults no longer ask for it (or the device
    // stops): the association's receive thread waits meanwhile (Device::WaitForHeldInitiates).
    bool holdInitiateAnswer = false;
    // The first so many conclude-Requests of each association answered with conclude-Error,
    // code 1 of this error class (Mms::MmsErrorClass; the conclude class's 1 is
    // further-communication-required: AD 05 A0 03 89 01 01; some devices name the file
    // class: AD 05 A0 03 8B 01 01): the association stands.
    int concludeErrors = 0;
    std::int32_t concludeErrorClass = Mms::MmsErrorClassConclude;
    // A conclude-Request is never answered: the association stays.
    bool concludeUnanswered = false;
    // The conclude answer held until the faults no longer ask for it (or the device stops):
    // the association's receive thread waits meanwhile, so what the client sends after the
    // conclude stays unread (Device::WaitForHeldConcludes).
    bool holdConcludeAnswer = false;
    // The association is aborted instead of answering its Nth confirmed request (0: never).
    int abortAtRequest = 0;

    // Faults aimed at one kind of request rather than a whole service, as other devices
    // have them.
    // Requests of a service whose first name (as RequestRecord has it) is this one:
    // (service, name) refused so.
    std::map<std::pair<std::int32_t, std::string>, Refusal> refusedNames;
    // (service, name) held as `held` holds a whole service's, and answered (or refused) as
    // the faults of its arrival say once let go.
    std::set<std::pair<std::int32_t, std::string>> heldNames;
    // getNameList of an object class in a scope (Mms::MmsBasicObjectClass,
    // Mms::MmsObjectScopeChoice): (class, scope) refused so.
    std::map<std::pair<std::int32_t, std::int32_t>, Refusal> refusedNameLists;
    // getVariableAccessAttributes of a whole logical node ("LD0/XCBR1", no "$"): refused
    // so when set; else the first so many of each node's, per association, never answered.
    bool refuseNodeTypes = false;
    Refusal nodeTypeRefusal;
    int droppedNodeTypes = 0;
    // A read of a whole logical node ("LD0/PTOC1", no "$") refused with
    // object-access-unsupported, as devices do whose nodes are read only by functional
    // constraint or below, which stay answered.
    bool refuseWholeNodeReads = false;
    // Services (Mms::MmsService numbers) left out of those announced in the initiate answer.
    std::set<std::int32_t> unannounced;

    // ---- controls ----
    // Every selection ends after so many milliseconds instead of its object's sboTimeout
    // (0: at once, so that the next operate finds the object no longer selected;
    // negative: the sboTimeout holds).
    int sboTimeoutMs = -1;

    // ---- buffered report control blocks ----
    // Their buffers, so that a client's overflow paths are reached quickly.
    struct ReportBuffering {
        // Entries each buffered block keeps (0: ReportBuffer::DefaultCapacity).
        int entries = 0;
        // Every enable of a buffered block shows BufOvfl TRUE in the first report it
        // sends after, as if entries had been lost.
        bool overflowBufferNow = false;
    };
    ReportBuffering reportBuffering;
    // Faults of the link itself.
    // From the association's Nth confirmed request on (0: never) the device stops reading
    // and answering without closing anything, as behind a pulled cable: no FIN, no RST,
    // until the faults change or the device stops.
    int stallAfterRequest = 0;
    // Every so many milliseconds (0: never) each association gets a report no block of the
    // client names, as from a device that reports on its own: a quiet link still shows that
    // it lives, so requests the device leaves unanswered time out one by one.
    int reportEveryMs = 0;
};

// One confirmed request as the device received it.
struct RequestRecord {
    int association = 0;  // the number of the association (1, 2, ... in the order they were made)
    std::int32_t service = 0;
    // The names the request addresses: variables and lists ("LD0/XCBR1$ST$Pos"), the
    // domain of a domain-scope name list.
    std::vector<std::string> names;
};

}  // namespace TestDevice
