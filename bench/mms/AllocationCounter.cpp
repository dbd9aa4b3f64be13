#include "AllocationCounter.h"

extern "C" {
void* malloc(std::size_t size) {
    AllocationCounter::Count(size);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    AllocationCounter::Count(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    AllocationCounter::Count(size);
    return __libc_realloc(pointer, size);
}
}
