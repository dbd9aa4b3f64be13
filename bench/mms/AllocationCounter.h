#pragma once

// Heap allocations of the whole program (every thread), counted by wrapping the C
// library's allocator (AllocationCounter.cpp, linked into the benchmark program).
// Counts what malloc, calloc and realloc hand out, which operator new uses too.

#include <atomic>
#include <cstddef>
#include <cstdint>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
}

namespace AllocationCounter {

inline std::atomic<std::uint64_t> calls{0};
inline std::atomic<std::uint64_t> bytes{0};

inline void Count(std::size_t size) {
    calls.fetch_add(1, std::memory_order_relaxed);
    bytes.fetch_add(size, std::memory_order_relaxed);
}

struct Snapshot {
    std::uint64_t calls = AllocationCounter::calls.load();
    std::uint64_t bytes = AllocationCounter::bytes.load();
};

}  // namespace AllocationCounter
