#pragma once

#include <atomic>
#include <cstdint>

namespace Mms {

// Hands out invoke ids for one association: 1, 2, 3, ... after a reset. Requests are
// made on several threads, so taking the next id is one atomic step. MMS carries
// invoke ids as Unsigned32 (0..2147483647): after the largest the count goes on at 1.
//
// Every reset starts a new generation, and an id is handed out together with the
// generation it belongs to, in the same step: ids repeat only across generations, so a
// request is known to belong to an earlier association by its generation alone, however
// its making and its sending interleave with a reset.
class InvokeCounter {
public:
    static constexpr std::int32_t Largest = 2147483647;

    struct Ticket {
        std::uint32_t generation = 0;
        std::uint32_t id = 0;
    };

    Ticket Take() {
        std::uint64_t current = state_.load();
        std::uint64_t next;
        do {
            const std::uint32_t last = IdOf(current);
            const std::uint32_t id = last >= static_cast<std::uint32_t>(Largest) ? 1 : last + 1;
            next = Pack(GenerationOf(current), id);
        } while (!state_.compare_exchange_weak(current, next));
        return Ticket{GenerationOf(next), IdOf(next)};
    }
    std::uint32_t Next() { return Take().id; }
    // The id handed out last (0 after a reset).
    std::uint32_t Last() const { return IdOf(state_.load()); }
    std::uint32_t Generation() const { return GenerationOf(state_.load()); }
    // A new generation whose ids follow last.
    void Reset(std::int32_t last = 0) {
        const std::uint32_t id = last < 0 || last > Largest ? 0 : static_cast<std::uint32_t>(last);
        std::uint64_t current = state_.load();
        while (!state_.compare_exchange_weak(current, Pack(GenerationOf(current) + 1, id))) {}
    }

private:
    static std::uint64_t Pack(std::uint32_t generation, std::uint32_t id) {
        return std::uint64_t{generation} << 32 | id;
    }
    static std::uint32_t GenerationOf(std::uint64_t state) { return static_cast<std::uint32_t>(state >> 32); }
    static std::uint32_t IdOf(std::uint64_t state) { return static_cast<std::uint32_t>(state); }

    std::atomic<std::uint64_t> state_{0};
};

}  // namespace Mms
