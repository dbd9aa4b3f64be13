#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "mms/pdu/MmsPduData.h"

namespace Mms {
class Variable;
}

namespace TestDevice {

// A member's value as it was when its entry was made: reports sent later carry it, not
// the value the member has by then.
class ValueSnapshot {
public:
    static ValueSnapshot Of(const Mms::Variable& variable);
    // Appends the value (a failure when it could not be taken) to the results.
    void AppendTo(Mms::MmsAccessResultList& results) const;

private:
    std::shared_ptr<Mms::MmsData> data_;
};

// What one report carries: the reason each data-set member is included for (0: not
// included) and the included members' values, with the entry's id and time.
struct ReportEntry {
    std::uint64_t id = 0;
    std::string time;
    std::vector<int> reasons;
    std::vector<ValueSnapshot> values;  // one per member; only the included ones are taken

    bool Includes(std::size_t member) const { return member < reasons.size() && reasons[member] != 0; }
};

// The entries of a buffered report control block, oldest first, with increasing ids from
// 1. A full buffer drops its oldest entry for a new one.
class ReportBuffer {
public:
    static constexpr std::size_t DefaultCapacity = 256;

    // Takes the entry with the next id; drops the oldest beyond the capacity. Whether an
    // entry after `sentUpTo` was dropped (one no client received).
    bool Add(ReportEntry entry, std::size_t capacity, std::uint64_t sentUpTo);
    const ReportEntry& Newest() const { return entries_.back(); }
    bool Holds(std::uint64_t id) const;
    // The entries after the one with the id (0: every entry), oldest first.
    std::vector<const ReportEntry*> After(std::uint64_t id) const;
    void Purge() { entries_.clear(); }
    std::size_t Size() const { return entries_.size(); }

private:
    std::deque<ReportEntry> entries_;
    std::uint64_t lastId_ = 0;
};

}  // namespace TestDevice
