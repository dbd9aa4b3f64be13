#pragma once

// The storage of one decoded PDU: a few large blocks from which every value, list and
// octet string of the tree is cut, released at once when the tree's root is freed.
//
// Trees decoded into an arena are freed through their descriptors like any other value;
// the free operations ask `Asn1Arena::Find` whether a value lies in an arena. The root
// releases the whole arena; a subtree is only walked for what was put into it from the
// heap afterwards (a string set by text, a grown list), and left for the arena to take.
// Octet strings of an arena carry borrowed = 1, so no setter ever frees them.
//
// In sanitizer builds each piece is followed by a poisoned gap, unused room and freed
// subtrees are poisoned, so a read past a value or of a freed subtree is reported as it
// would be for a heap cell.

#include <cstddef>
#include <cstdint>

namespace Asn1 {

class Asn1Arena {
public:
    // A new arena sized for a PDU of the given length; null when memory runs out.
    static Asn1Arena* Create(std::size_t encodedSize);
    // Releases every block (the arena object lives in the first one).
    static void Destroy(Asn1Arena* arena);
    // The live arena whose blocks hold the address, or null (heap memory, or none).
    static Asn1Arena* Find(const void* address);

    // Zeroed storage aligned for any value; null when memory runs out.
    void* AllocateValue(std::size_t size);
    // Storage for octets (not zeroed, no alignment); null when memory runs out.
    std::uint8_t* AllocateOctets(std::size_t size);

    bool Holds(const void* address) const;

    void SetRoot(void* root) { root_ = root; }
    void* GetRoot() const { return root_; }

    // Marks storage of a freed subtree as not to be touched again (sanitizer builds).
    static void PoisonFreed(void* storage, std::size_t size);

    Asn1Arena(const Asn1Arena&) = delete;
    Asn1Arena& operator=(const Asn1Arena&) = delete;

private:
    struct Block;
    Asn1Arena() = default;
    ~Asn1Arena() = default;

    void* Take(std::size_t size, std::size_t alignment);
    bool Grow(std::size_t atLeast);

    Block* blocks_ = nullptr;  // newest first
    std::size_t nextBlockSize_ = 0;
    void* root_ = nullptr;
};

}  // namespace Asn1
