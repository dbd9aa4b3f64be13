// Free operations of every family. With contentsOnly a value embedded in a container
// releases what it owns and is left zeroed, so a second release does nothing.
//
// A value handed to a free operation from outside is first looked up among the live
// arenas (one lookup per call, not per element): the root of an arena tree releases its
// arena at once, any other arena value only what was put into it from the heap (its own
// storage is poisoned in sanitizer builds). The walk below it tells arena storage from
// heap cells by the tree's own arena.

#include <cstdlib>
#include <cstring>

#include "protocol/Asn1Access.h"
#include "protocol/Asn1Arena.h"
#include "protocol/Asn1BuiltinTypes.h"
#include "protocol/Asn1Utilities.h"

namespace Asn1 {

namespace {

// The tree being released: its arena (null for a heap tree).
struct Release {
    Asn1Arena* arena = nullptr;

    bool InArena(const void* address) const { return arena != nullptr && arena->Holds(address); }
};

void ReleaseStorage(const Release& release, void* value, std::size_t size, int contentsOnly) {
    if (release.InArena(value)) {
        if (contentsOnly) {
            std::memset(value, 0, size);
        } else {
            Asn1Arena::PoisonFreed(value, size);
        }
        return;
    }
    if (contentsOnly) {
        std::memset(value, 0, size);
    } else {
        std::free(value);
    }
}

// SEQUENCE, SET and CHOICE storage: embedded, its members have been left zeroed.
void ReleaseContainerStorage(const Release& release, void* value, std::size_t size, int contentsOnly) {
    if (!contentsOnly) ReleaseStorage(release, value, size, 0);
}

void ReleaseValue(const Release& release, const Asn1TypeDescriptor* type, void* value, int contentsOnly);

void ReleaseMember(const Release& release, void* container, const Asn1Member& member) {
    if (Access::IsPointer(member)) {
        void** slot = Access::PointerSlot(container, member);
        if (*slot != nullptr) ReleaseValue(release, member.type, *slot, 0);
        *slot = nullptr;
    } else {
        ReleaseValue(release, member.type, static_cast<std::uint8_t*>(container) + member.offset, 1);
    }
}

void ReleaseInteger(const Release& release, void* value, int contentsOnly) {
    auto* integer = static_cast<Asn1Integer*>(value);
    if (integer->size > 4 && !release.InArena(integer->octets)) std::free(integer->octets);
    ReleaseStorage(release, value, sizeof(Asn1Integer), contentsOnly);
}

void ReleaseString(const Release& release, const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    // Arena octets are borrowed: only octets set from the heap later are freed here.
    if (Access::StringSpecifics(type)->subvariant == Asn1BitStringVariant) {
        auto* bits = static_cast<Asn1BitString*>(value);
        if (bits->borrowed == 0) std::free(bits->buf);
        ReleaseStorage(release, value, sizeof(Asn1BitString), contentsOnly);
        return;
    }
    auto* string = static_cast<Asn1OctetString*>(value);
    if (string->borrowed == 0) std::free(string->buf);
    ReleaseStorage(release, value, sizeof(Asn1OctetString), contentsOnly);
}

void ReleaseOctets(const Release& release, void* value, int contentsOnly) {
    auto* octets = static_cast<Asn1OctetString*>(value);
    if (octets->borrowed == 0) std::free(octets->buf);
    ReleaseStorage(release, value, sizeof(Asn1OctetString), contentsOnly);
}

void ReleaseSequence(const Release& release, const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    for (std::uint32_t i = 0; i < type->memberCount; ++i) ReleaseMember(release, value, type->members[i]);
    ReleaseContainerStorage(release, value, Access::ValueSize(type), contentsOnly);
}

void ReleaseChoice(const Release& release, const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    Asn1Presence* presence = Access::Presence(value, type);
    if (*presence >= 1 && static_cast<std::uint32_t>(*presence) <= type->memberCount) {
        ReleaseMember(release, value, type->members[*presence - 1]);
    }
    *presence = 0;
    ReleaseContainerStorage(release, value, Access::ValueSize(type), contentsOnly);
}

void ReleaseList(const Release& release, const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    auto* list = static_cast<Asn1SequenceOf*>(value);
    const Asn1TypeDescriptor* elementType = type->members[0].type;
    if (Asn1SequenceOfIsLent(list)) {
        // The elements and their array belong to whoever lent them.
        *list = Asn1SequenceOf{};
    } else if (list->array != nullptr) {
        for (std::int32_t i = list->count; i-- > 0;) {
            if (list->array[i] != nullptr) ReleaseValue(release, elementType, list->array[i], 0);
        }
        if (!release.InArena(list->array)) {
            std::free(list->array);
        } else {
            Asn1Arena::PoisonFreed(list->array, static_cast<std::size_t>(list->capacity) * sizeof(void*));
        }
    }
    ReleaseStorage(release, value, sizeof(Asn1SequenceOf), contentsOnly);
}

// Every family's release, chosen by the descriptor's free operation; a free operation
// of some other kind is called as it is.
void ReleaseValue(const Release& release, const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    Asn1FreeFunction* const family = type->free;
    if (family == &Asn1SequenceFree) {
        ReleaseSequence(release, type, value, contentsOnly);
    } else if (family == &Asn1ChoiceFree) {
        ReleaseChoice(release, type, value, contentsOnly);
    } else if (family == &Asn1SequenceOfFree) {
        ReleaseList(release, type, value, contentsOnly);
    } else if (family == &Asn1IntegerFree) {
        ReleaseInteger(release, value, contentsOnly);
    } else if (family == &Asn1OctetStringFree) {
        ReleaseString(release, type, value, contentsOnly);
    } else if (family == &Asn1ObjectIdentifierFree || family == &Asn1AnyFree) {
        ReleaseOctets(release, value, contentsOnly);
    } else if (family == &Asn1NativeIntegerFree || family == &Asn1BooleanFree || family == &Asn1NullFree) {
        ReleaseStorage(release, value, sizeof(std::int32_t), contentsOnly);
    } else {
        family(type, value, contentsOnly);
    }
}

// A free called from outside: finds out whether the value lies in an arena.
void FreeFromOutside(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    if (value == nullptr) return;
    Asn1Arena* arena = Asn1Arena::Find(value);
    if (arena != nullptr && value == arena->GetRoot() && !contentsOnly) {
        // Everything of a decoded tree lies in its arena: the tree is only read, and
        // what leaves it is copied (a heap part put into it would be reported as a leak).
        Asn1Arena::Destroy(arena);
        return;
    }
    ReleaseValue(Release{arena}, type, value, contentsOnly);
}

}  // namespace

void Asn1IntegerFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1NativeIntegerFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1BooleanFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1NullFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1OctetStringFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1ObjectIdentifierFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1AnyFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1SequenceFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1ChoiceFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

void Asn1SequenceOfFree(const Asn1TypeDescriptor* type, void* value, int contentsOnly) {
    FreeFromOutside(type, value, contentsOnly);
}

}  // namespace Asn1
