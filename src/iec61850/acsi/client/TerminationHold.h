#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Mms {
class InformationReport;
}

namespace Iec61850::Acsi {

// Keeps a control's outcomes in their order for the client: an Operate's confirmation is
// told before the command termination of its object, whichever thread each comes on. The
// device sends the termination after its answer to the Operate, but the answer may be
// confirmed on the association's thread (it came while the request was still being sent)
// while the receive thread already holds the termination.
//
// An Operate is under way from before its request is sent until its confirmation has been
// told. A command termination (a report of a list of variables naming an Oper structure)
// that arrives while an Operate of that structure is under way is kept, whole, until every
// Operate of it that was under way then has been told; it is then delivered on the thread
// that told the last of them, after that confirmation and outside every lock, as the
// receive thread would have delivered it. Nothing is dropped: an Operate that ends with its
// association is still confirmed (with 8, or with its answer), and what it kept follows.
// Terminations of one structure leave in the order they came. A LastApplError alone (the
// device's reason for a refused control, sent ahead of the refusal) is never kept.
class TerminationHold {
public:
    using Report = std::unique_ptr<Mms::InformationReport>;

    TerminationHold();
    ~TerminationHold();
    TerminationHold(const TerminationHold&) = delete;
    TerminationHold& operator=(const TerminationHold&) = delete;

    // The Operate (any token unique while it is under way) of the Oper structure of that
    // MMS name ("LD0/CSWI1$CO$Pos$Oper") is about to be sent.
    void Begin(const void* operate, std::string operName);
    // A received report: null when kept, else given back to be delivered now.
    Report KeepIfAwaited(Report report);
    // The Operate's confirmation has been told (or it never began): the reports that waited
    // for it alone, in the order they came, for the caller to deliver.
    std::vector<Report> Told(const void* operate);
    // Reports kept now.
    std::size_t KeptCount() const;

    // The Oper structure a command termination names (empty for any other report).
    static std::string TerminatedOper(const Mms::InformationReport& report);

private:
    struct Kept {
        Report report;
        // The Operates under way when it came that have not been told yet.
        std::vector<const void*> awaiting;
    };

    mutable std::mutex mutex_;
    std::vector<std::pair<const void*, std::string>> underWay_;
    std::deque<Kept> kept_;
};

}  // namespace Iec61850::Acsi
