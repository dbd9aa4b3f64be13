#include "AllocationCounter.h"

#include <cerrno>

extern "C" {
void* malloc(std::size_t size) {
    AllocationCounter::Count(size);
    void* block = __libc_malloc(size);
    AllocationCounter::Hold(block);
    return block;
}
void* calloc(std::size_t count, std::size_t size) {
    AllocationCounter::Count(count * size);
    void* block = __libc_calloc(count, size);
    AllocationCounter::Hold(block);
    return block;
}
void* realloc(void* pointer, std::size_t size) {
    AllocationCounter::Count(size);
    // The old block's size is only known before it moves; it stays when realloc fails.
    const std::int64_t old = pointer != nullptr ? static_cast<std::int64_t>(malloc_usable_size(pointer)) : 0;
    void* block = __libc_realloc(pointer, size);
    if (block != nullptr || size == 0) AllocationCounter::held.fetch_sub(old, std::memory_order_relaxed);
    AllocationCounter::Hold(block);
    return block;
}
void free(void* pointer) {
    AllocationCounter::Release(pointer);
    __libc_free(pointer);
}
// Without these, a block from an aligned allocator would lower the held bytes when freed.
void* memalign(std::size_t alignment, std::size_t size) {
    AllocationCounter::Count(size);
    void* block = __libc_memalign(alignment, size);
    AllocationCounter::Hold(block);
    return block;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** pointer, std::size_t alignment, std::size_t size) {
    if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* block = memalign(alignment, size);
    if (block == nullptr) return ENOMEM;
    *pointer = block;
    return 0;
}
}
