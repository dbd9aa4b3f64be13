#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace Iec61850::Acsi {

// The owned entries of a registry by handle. Handles count up from 1 and are not given out
// again until the count wraps; 0 and NoHandle are never given out. The table takes no lock:
// its registry holds its own around every use.
template <typename Entry>
class HandleTable {
public:
    static constexpr std::uint32_t NoHandle = 0xFFFFFFFFu;

    // The next free handle after the last one given out; false when none is left.
    bool NextHandle(std::uint32_t& handle) {
        for (std::uint64_t step = 0; step < 0xFFFFFFFFull; ++step) {
            ++lastId_;
            if (lastId_ == 0 || lastId_ == NoHandle) continue;
            if (!entries_.contains(lastId_)) {
                handle = lastId_;
                return true;
            }
        }
        return false;
    }

    Entry* Find(std::uint32_t handle) const {
        const auto found = entries_.find(handle);
        return found != entries_.end() ? found->second.get() : nullptr;
    }

    // Takes the entry out of the table (nothing for an unknown handle); the caller destroys
    // it once it has let go of the registry's lock.
    std::unique_ptr<Entry> Take(std::uint32_t handle) {
        const auto found = entries_.find(handle);
        if (found == entries_.end()) return nullptr;
        std::unique_ptr<Entry> taken = std::move(found->second);
        entries_.erase(found);
        return taken;
    }

    std::map<std::uint32_t, std::unique_ptr<Entry>> TakeAll() {
        std::map<std::uint32_t, std::unique_ptr<Entry>> taken;
        taken.swap(entries_);
        return taken;
    }

    void SetLastId(std::uint32_t last) { lastId_ = last; }

    std::map<std::uint32_t, std::unique_ptr<Entry>>& Entries() { return entries_; }
    const std::map<std::uint32_t, std::unique_ptr<Entry>>& Entries() const { return entries_; }

private:
    std::uint32_t lastId_ = 0;
    std::map<std::uint32_t, std::unique_ptr<Entry>> entries_;
};

}  // namespace Iec61850::Acsi
