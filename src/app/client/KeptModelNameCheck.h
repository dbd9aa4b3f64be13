#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "system/NameList.h"

namespace Mms {
class RequestGroup;
}

namespace Iec61850 {
class ClientApplication;
}

namespace Iec61850::Acsi {
class GetLogicalDeviceDirectory;
class GetLogicalNodeDirectory;
class Server;
class Service;
}  // namespace Iec61850::Acsi

namespace App {

// Before an ICD export from a model kept from an earlier connection: the device's name list
// of each logical device (one paged GetNameList each) and its list of data sets (one paged
// GetNameList of named variable lists each) compared with the names the model was built
// from. The connect knows the device by its identity and logical devices only; a
// device restarted with another configuration under the same identity holds what the kept
// model lacks, and a file written from it would leave that out. A device that has not
// changed keeps its model as it is: no type is read again.
//
// The outcome is told as WM_QX_ICD_MODEL_CHECKED gives it (IcdModelUnchanged...).
//
// Threads: Start on the caller's, each next page asked from the answer's callback (Take),
// one request at a time, all in the group Start was given. The outcome is told once,
// outside the check's lock, and not at all for a check the association's end or a
// withdrawal of the group cut short (whoever ended it tells). The lock is taken before the
// model lock, never under it.
class KeptModelNameCheck {
public:
    using Tell = std::function<void(std::uintptr_t outcome, const std::string& text)>;

    KeptModelNameCheck(Iec61850::ClientApplication& client, Tell tell);

    // Asks the names of the server's first logical device as a request of the group: true,
    // the outcome told later (or the association's end). False, nothing under way, without a
    // logical device or an association.
    bool Start(Iec61850::Acsi::Server& server, std::shared_ptr<const Mms::RequestGroup> group);
    // Takes an answer of the check's (asking the next page or device, or telling the
    // outcome): true; such an answer never reaches the model. False for any other.
    bool Take(Iec61850::Acsi::GetLogicalDeviceDirectory& service);
    bool Take(Iec61850::Acsi::GetLogicalNodeDirectory& service);
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
    };
    // A page of either list: the next asked, or the outcome told.
    bool TakePage(Iec61850::Acsi::Service& service, bool dataSets, const System::NameList& names);
    // The names listed for the current device compared with the model's, under the lock.
    void CompareDeviceLocked();
    // Asks outside the lock; a request the client cannot make ends the check untold (no
    // association: its end is told on its own): false.
    bool Ask(const Next& next);

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
};

}  // namespace App
