#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "system/NameList.h"

namespace Mms {
class NamedVariableList;
class RequestGroup;
class Variable;
}  // namespace Mms

namespace Iec61850 {
class ClientApplication;
}

namespace Iec61850::Acsi {
class GetDataSetDirectory;
class GetLogicalDeviceDirectory;
class GetLogicalNodeDirectory;
class Server;
class Service;
}  // namespace Iec61850::Acsi

namespace App {

// Before an ICD export from a model kept from an earlier connection: the device's name list
// of each logical device (one paged GetNameList each) and its list of data sets (one paged
// GetNameList of named variable lists each) compared with the names the model was built
// from; when they agree, the members of each data set the model holds, read up to a window
// at once (GetDataSetDirectory each), compared with the model's. The connect knows the device
// by its identity and logical devices only; a device restarted with another configuration
// under the same identity holds what the kept model lacks, and a file written from it would
// leave that out. A device that has not changed keeps its model as it is: no type is read
// again.
//
// A members answer is the check's: the library applies it to the model's named variable
// list, and the check puts back the members the list held (its data set is never rebuilt),
// for late answers too. A check that ends while some of its requests are out (a refusal
// ends it at once) leaves them to run their course; the next Start asks nothing until they
// are all in, so that every late answer finds the list it altered and puts it back before
// the next check notes what the lists hold, and that check compares every list afresh.
//
// The outcome is told as WM_QX_ICD_MODEL_CHECKED gives it (IcdModelUnchanged...).
//
// Threads: Start on the caller's, each next page asked from the answer's callback (Take),
// one request at a time (the members up to the window), all in the group Start was given. The outcome is told once,
// outside the check's lock, and not at all for a check the association's end or a
// withdrawal of the group cut short (whoever ended it tells). The lock is taken before the
// model lock, never under it.
class KeptModelNameCheck {
public:
    using Tell = std::function<void(std::uintptr_t outcome, const std::string& text)>;

    KeptModelNameCheck(Iec61850::ClientApplication& client, Tell tell);

    // Asks the names of the server's first logical device as a request of the group, at
    // once or once the last check's requests are all in: true, the outcome told later (or
    // the association's end). False, nothing under way, without a logical device or an
    // association.
    // `window`: how many members reads may be out at once.
    bool Start(Iec61850::Acsi::Server& server, std::shared_ptr<const Mms::RequestGroup> group, std::size_t window);
    // Takes an answer of the check's (asking the next page or device, or telling the
    // outcome): true; such an answer never reaches the model. False for any other.
    bool Take(Iec61850::Acsi::GetLogicalDeviceDirectory& service);
    bool Take(Iec61850::Acsi::GetLogicalNodeDirectory& service);
    bool Take(Iec61850::Acsi::GetDataSetDirectory& service);
    // The device was found to list what the model holds since the last Reset.
    bool Confirmed() const;
    // A new association: no check under way, none confirmed.
    void Reset();

private:
    // What to ask next; empty device when nothing (under the lock).
    struct Next {
        std::shared_ptr<const Mms::RequestGroup> group;
        std::string device;
        std::string continueAfter;
        // The device's data sets rather than its variable names.
        bool dataSets = false;
        // A data set's members (device: its reference).
        bool members = false;
    };
    // A page of either list: the next asked, or the outcome told.
    bool TakePage(Iec61850::Acsi::Service& service, bool dataSets, const System::NameList& names);
    // A data set whose members the check reads: the model's list and the members it held
    // (put back after the answer), and their names.
    struct MembersRead {
        std::string reference;
        Mms::NamedVariableList* list = nullptr;
        std::list<Mms::Variable*> members;
        std::vector<std::string> names;
    };
    // The names listed for the current device compared with the model's, under the lock.
    void CompareDeviceLocked();
    // Under the lock, with nothing changed so far: the data sets to read, the first window
    // of them into `asks`. False when there are none.
    bool BeginMembersLocked(std::vector<Next>& asks);
    // Under the lock: the first request of the check under way (counted as out).
    Next FirstAskLocked();
    // Under the lock, after an earlier check's answer: the waiting check's first request
    // into `asks` once nothing of the earlier one is out.
    void BeginWaitingLocked(std::vector<Next>& asks);
    // Under the lock: the list the answer went into gets back the members the model held;
    // true when the device named others, false when the same or unanswered, empty when the
    // model could not be held (nothing compared).
    std::optional<bool> PutBackLocked(MembersRead& read, const Iec61850::Acsi::GetDataSetDirectory& service);
    // The end, once every list is in: the outcome and its text, under the lock.
    void EndLocked(std::uintptr_t& outcome, std::string& text);
    // Asks outside the lock; a request the client cannot make ends the check untold (no
    // association: its end is told on its own): false.
    bool Ask(const Next& next);
    // Asks each in turn; those after one the client cannot make are not asked (nor out).
    void AskInTurn(const std::vector<Next>& asks);

    Iec61850::ClientApplication& client_;
    const Tell tell_;
    mutable std::mutex mutex_;
    // The check's requests; null when none is under way.
    std::shared_ptr<const Mms::RequestGroup> group_;
    Iec61850::Acsi::Server* server_ = nullptr;
    std::vector<std::string> devices_;
    std::size_t current_ = 0;
    std::vector<std::string> listed_;
    std::vector<std::string> listedDataSets_;
    std::vector<std::string> changes_;
    bool confirmed_ = false;
    // The members reads of the last check (kept after its end, for late answers), the next
    // to ask, and how many may be out at once.
    std::vector<MembersRead> membersReads_;
    std::size_t membersNext_ = 0;
    std::size_t window_ = 1;
    // The group of the requests asked last (the check under way, or one that ended while
    // some were out) and how many of them are out: name lists one at a time, members up to
    // the window.
    std::shared_ptr<const Mms::RequestGroup> askedGroup_;
    std::size_t out_ = 0;
    // Started while an earlier check's requests were out: asks once they are all in.
    bool waiting_ = false;
};

}  // namespace App
