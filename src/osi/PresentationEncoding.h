#pragma once

// Helpers shared by the presentation and association control frames: building coder
// values and encoding a PDU around the upper layer's PDU without copying it.
//
// Embedding in place: the upper PDU sits in the window of its frame, with head room in
// front. The lower PDU refers to those octets through an ANY that borrows them, and is
// encoded backwards starting at the window's end. The ANY must be the first thing the
// backward encoder writes (the last element of the PDU in encoding order), so that it
// lands exactly on its own octets; everything else goes into the head room.

#include <cstdint>
#include <cstdlib>
#include <new>

#include "protocol/Asn1Coder.h"
#include "protocol/Frame.h"
#include "system/ResultCode.h"

namespace Presentation {

// A zeroed value structure from the C allocator, as the coder frees it; null when
// memory runs out.
template <typename T>
T* NewValue() {
    return static_cast<T*>(std::calloc(1, sizeof(T)));
}

// Appends a zeroed element to a coder list; null (nothing appended) when memory runs out.
template <typename T>
T* AppendNewElement(Asn1::Asn1ListOf<T>& list) {
    T* element = NewValue<T>();
    if (element == nullptr) return nullptr;
    if (Asn1::Asn1SequenceOfAppend(&list.list, element) != 0) {
        std::free(element);
        return nullptr;
    }
    return element;
}

// Points the ANY at the frame's window octets, borrowed. A frame that still holds its
// value (not yet StateEncoded) is encoded first; its failure is the result.
System::ResultCode BorrowWindow(Asn1::Asn1Any& any, Protocol::Frame& frame);

// Encodes the value so that its encoding ends where the frame's window ends and takes
// the head room in front; the window then covers the whole encoding (StateEncoded). NoResources when
// the head room is too small, InvalidArguments for a frame without window storage,
// Error when the encoding did not come out in place.
System::ResultCode EncodeAroundWindow(const Asn1::Asn1TypeDescriptor* type, const void* value, Protocol::Frame& frame);

// The coder's failure as a result code (NoResources for lack of room or memory).
System::ResultCode ResultFromCoderErrno(int errnoValue);

}  // namespace Presentation
