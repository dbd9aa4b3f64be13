#pragma once

// Heap allocations of the whole program (every thread), counted by wrapping the C
// library's allocator (AllocationCounter.cpp, linked into the benchmark program).
// Counts what malloc, calloc and realloc hand out, which operator new uses too, and the
// aligned allocators. Beside the calls and the bytes asked for, it keeps the usable bytes
// of the blocks alive, so that a difference of two snapshots tells what a stretch of
// work left on the heap (temporaries freed within it not included).

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace AllocationCounter {

inline std::atomic<std::uint64_t> calls{0};
inline std::atomic<std::uint64_t> bytes{0};
// Signed: blocks freed in a stretch may have been taken before it.
inline std::atomic<std::int64_t> held{0};

inline void Count(std::size_t size) {
    calls.fetch_add(1, std::memory_order_relaxed);
    bytes.fetch_add(size, std::memory_order_relaxed);
}

inline void Hold(void* block) {
    if (block != nullptr)
        held.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
}

inline void Release(void* block) {
    if (block != nullptr)
        held.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
}

struct Snapshot {
    std::uint64_t calls = AllocationCounter::calls.load();
    std::uint64_t bytes = AllocationCounter::bytes.load();
    std::int64_t held = AllocationCounter::held.load();
};

}  // namespace AllocationCounter
