#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace Iec61850::Acsi {

// The report control blocks that one association enabled: RptEna written TRUE by it and
// confirmed, and not written FALSE since. A record counts only in the association's epoch
// in which it was made, so an abort, a release or a new association forgets every block
// without being told. Blocks are kept by reference, never by pointer: the model may be
// read again meanwhile. Any thread.
class EnabledReportBlocks {
public:
    void Enabled(std::string reference, std::uint64_t epoch);
    void Disabled(std::string_view reference);
    bool IsEnabled(std::string_view reference, std::uint64_t epoch) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::uint64_t, std::less<>> enabled_;
};

}  // namespace Iec61850::Acsi
