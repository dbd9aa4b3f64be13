#pragma once

#include <atomic>
#include <cstdint>

namespace Mms {

// Hands out invoke ids for one association: 1, 2, 3, ... after a reset. Requests are
// made on several threads, so taking the next id is one atomic step. MMS carries
// invoke ids as Unsigned32 (0..2147483647): after the largest the count goes on at 1.
class InvokeCounter {
public:
    static constexpr std::int32_t Largest = 2147483647;

    std::uint32_t Next() {
        std::int32_t current = last_.load();
        std::int32_t next;
        do {
            next = current >= Largest || current < 0 ? 1 : current + 1;
        } while (!last_.compare_exchange_weak(current, next));
        return static_cast<std::uint32_t>(next);
    }
    // The id handed out last (0 after a reset).
    std::uint32_t Last() const { return static_cast<std::uint32_t>(last_.load()); }
    void Reset(std::int32_t last = 0) { last_.store(last); }

private:
    std::atomic<std::int32_t> last_{0};
};

}  // namespace Mms
