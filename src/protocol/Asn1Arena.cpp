#include "protocol/Asn1Arena.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define IEC_ARENA_POISONING 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(IEC_ARENA_POISONING)
#define IEC_ARENA_POISONING 1
#endif

#ifdef IEC_ARENA_POISONING
#include <sanitizer/asan_interface.h>
#endif

namespace Asn1 {

namespace {

#ifdef IEC_ARENA_POISONING
constexpr std::size_t kGap = 16;  // poisoned after every piece, as a heap cell's red zone
void Poison(void* at, std::size_t size) { ASAN_POISON_MEMORY_REGION(at, size); }
void Unpoison(void* at, std::size_t size) { ASAN_UNPOISON_MEMORY_REGION(at, size); }
#else
constexpr std::size_t kGap = 0;
void Poison(void*, std::size_t) {}
void Unpoison(void*, std::size_t) {}
#endif

constexpr std::size_t kValueAlignment = alignof(std::max_align_t);
constexpr std::size_t kSmallestBlock = 1024;
constexpr std::size_t kLargestFirstBlock = std::size_t{1} << 20;
// A decoded tree takes several times the octets of its encoding (pointers, element
// arrays, structures wider than their few octets of content).
constexpr std::size_t kExpansion = 8;

std::size_t RoundUp(std::size_t value, std::size_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

// Every block of every live arena, by start address, so that a free operation given any
// value can tell arena storage from a heap cell.
class BlockRegistry {
public:
    // Never destroyed: trees may still be freed by threads or statics that end after it.
    static BlockRegistry& Instance() {
        static BlockRegistry* const registry = new BlockRegistry;
        return *registry;
    }

    void Add(const void* start, std::size_t size, Asn1Arena* arena) {
        const std::lock_guard<std::mutex> hold(mutex_);
        const auto begin = reinterpret_cast<std::uintptr_t>(start);
        blocks_.emplace(begin, Entry{begin + size, arena});
        count_.store(blocks_.size(), std::memory_order_release);
    }

    void Remove(const void* start) {
        const std::lock_guard<std::mutex> hold(mutex_);
        blocks_.erase(reinterpret_cast<std::uintptr_t>(start));
        count_.store(blocks_.size(), std::memory_order_release);
    }

    Asn1Arena* Find(const void* address) {
        // A process that has no decoded tree alive takes no lock for its frees.
        if (count_.load(std::memory_order_acquire) == 0) return nullptr;
        const auto at = reinterpret_cast<std::uintptr_t>(address);
        const std::lock_guard<std::mutex> hold(mutex_);
        auto after = blocks_.upper_bound(at);
        if (after == blocks_.begin()) return nullptr;
        --after;
        return at < after->second.end ? after->second.arena : nullptr;
    }

private:
    struct Entry {
        std::uintptr_t end;
        Asn1Arena* arena;
    };
    std::mutex mutex_;
    std::map<std::uintptr_t, Entry> blocks_;
    std::atomic<std::size_t> count_{0};
};

}  // namespace

struct Asn1Arena::Block {
    Block* next;
    std::uint8_t* cursor;
    std::uint8_t* end;
    std::size_t size;  // of the whole block, header included
};

Asn1Arena* Asn1Arena::Create(std::size_t encodedSize) {
    std::size_t first = kSmallestBlock;
    if (encodedSize < kLargestFirstBlock / kExpansion) {
        first = RoundUp(encodedSize * kExpansion + kSmallestBlock, kValueAlignment);
    } else {
        first = kLargestFirstBlock;
    }
    const std::size_t header = RoundUp(sizeof(Block), kValueAlignment) + RoundUp(sizeof(Asn1Arena), kValueAlignment);
    auto* raw = static_cast<std::uint8_t*>(std::malloc(first));
    if (raw == nullptr) return nullptr;
    auto* block = new (raw) Block{nullptr, raw + header, raw + first, first};
    auto* arena = new (raw + RoundUp(sizeof(Block), kValueAlignment)) Asn1Arena();
    arena->blocks_ = block;
    arena->nextBlockSize_ = first * 2;
    Poison(block->cursor, static_cast<std::size_t>(block->end - block->cursor));
    BlockRegistry::Instance().Add(raw, first, arena);
    return arena;
}

void Asn1Arena::Destroy(Asn1Arena* arena) {
    if (arena == nullptr) return;
    Block* block = arena->blocks_;
    arena->~Asn1Arena();
    while (block != nullptr) {
        Block* next = block->next;
        BlockRegistry::Instance().Remove(block);
        Unpoison(block, block->size);
        std::free(block);
        block = next;
    }
}

Asn1Arena* Asn1Arena::Find(const void* address) {
    if (address == nullptr) return nullptr;
    return BlockRegistry::Instance().Find(address);
}

bool Asn1Arena::Holds(const void* address) const {
    // Compared as numbers: the address may belong to no block at all.
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (Block* block = blocks_; block != nullptr; block = block->next) {
        if (at >= reinterpret_cast<std::uintptr_t>(block) && at < reinterpret_cast<std::uintptr_t>(block->end)) {
            return true;
        }
    }
    return false;
}

bool Asn1Arena::Grow(std::size_t atLeast) {
    const std::size_t header = RoundUp(sizeof(Block), kValueAlignment);
    std::size_t size = nextBlockSize_;
    if (size < header + atLeast + kValueAlignment) size = RoundUp(header + atLeast + kValueAlignment, kValueAlignment);
    auto* raw = static_cast<std::uint8_t*>(std::malloc(size));
    if (raw == nullptr) return false;
    auto* block = new (raw) Block{blocks_, raw + header, raw + size, size};
    Poison(block->cursor, static_cast<std::size_t>(block->end - block->cursor));
    BlockRegistry::Instance().Add(raw, size, this);
    blocks_ = block;
    if (nextBlockSize_ < (std::size_t{1} << 26)) nextBlockSize_ *= 2;
    return true;
}

void* Asn1Arena::Take(std::size_t size, std::size_t alignment) {
    const std::size_t need = size + kGap;
    if (need < size) return nullptr;
    auto fits = [&](Block* block) {
        const auto at = reinterpret_cast<std::uintptr_t>(block->cursor);
        const std::uintptr_t aligned = RoundUp(at, alignment);
        return aligned >= at &&
               static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(block->end) - at) >= need + (aligned - at);
    };
    if (!fits(blocks_) && !Grow(need + alignment)) return nullptr;
    Block* block = blocks_;
    const auto at = reinterpret_cast<std::uintptr_t>(block->cursor);
    auto* piece = reinterpret_cast<std::uint8_t*>(RoundUp(at, alignment));
    block->cursor = piece + need;
    Unpoison(piece, size);
    return piece;
}

void* Asn1Arena::AllocateValue(std::size_t size) {
    void* piece = Take(size > 0 ? size : 1, kValueAlignment);
    if (piece != nullptr) std::memset(piece, 0, size);
    return piece;
}

std::uint8_t* Asn1Arena::AllocateOctets(std::size_t size) {
    return static_cast<std::uint8_t*>(Take(size > 0 ? size : 1, 1));
}

void Asn1Arena::PoisonFreed(void* storage, std::size_t size) { Poison(storage, size); }

}  // namespace Asn1
