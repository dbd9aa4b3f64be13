// Decodes arbitrary bytes as a TestPdu (every family of the coder is reachable from
// it), runs the constraint checks, and re-encodes what decodes: the re-encoding must
// decode again to a value that encodes to the same octets, and encoding into a buffer
// one octet too small must fail without writing in front of it. The same bytes decoded
// into an arena give the same outcome and, when they decode, the same encoding.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "protocol/Asn1TestModule.h"

using namespace Asn1;
using Asn1TestModule::TestPduType;

namespace {

struct Encoding {
    std::unique_ptr<std::uint8_t[]> storage;
    std::size_t room = 0;
    std::ptrdiff_t length = -1;
    const std::uint8_t* Octets() const { return storage.get() + room - static_cast<std::size_t>(length); }
};

Encoding EncodeInto(const void* value, std::size_t room) {
    Encoding encoding;
    encoding.storage.reset(new std::uint8_t[room > 0 ? room : 1]);
    encoding.room = room;
    Asn1OutputBuffer buffer{encoding.storage.get(), room};
    encoding.length = Asn1Encode(&TestPduType, value, nullptr, &buffer);
    if (encoding.length >= 0 && buffer.position + static_cast<std::size_t>(encoding.length) != room) std::abort();
    return encoding;
}

void CompareWithArena(const std::uint8_t* data, std::size_t size, const Asn1DecodeResult& heap, const void* heapValue) {
    void* value = nullptr;
    const Asn1DecodeResult result = Asn1DecodeInArena(nullptr, &TestPduType, &value, data, size);
    if (result.code != heap.code || result.consumed != heap.consumed) std::abort();
    if (result.code == Asn1DecodeDone) {
        const Encoding fromHeap = EncodeInto(heapValue, 2 * size + 64);
        const Encoding fromArena = EncodeInto(value, 2 * size + 64);
        if (fromHeap.length != fromArena.length) std::abort();
        if (fromHeap.length > 0 &&
            std::memcmp(fromHeap.Octets(), fromArena.Octets(), static_cast<std::size_t>(fromHeap.length)) != 0) {
            std::abort();
        }
    }
    Asn1FreeValue(&TestPduType, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    void* value = nullptr;
    const Asn1DecodeResult result = Asn1Decode(nullptr, &TestPduType, &value, data, size);
    CompareWithArena(data, size, result, value);
    if (result.code == Asn1DecodeDone) {
        if (result.consumed == 0 || result.consumed > size) std::abort();
        char messages[64];
        std::size_t messageSize = sizeof messages;
        Asn1CheckConstraints(&TestPduType, value, messages, &messageSize);
        if (messageSize >= sizeof messages || messages[messageSize] != '\0') std::abort();

        const Encoding first = EncodeInto(value, 2 * size + 64);
        if (first.length >= 0) {
            void* again = nullptr;
            const Asn1DecodeResult second =
                Asn1Decode(nullptr, &TestPduType, &again, first.Octets(), static_cast<std::size_t>(first.length));
            if (second.code != Asn1DecodeDone || second.consumed != static_cast<std::size_t>(first.length))
                std::abort();
            const Encoding repeated = EncodeInto(again, static_cast<std::size_t>(first.length));
            if (repeated.length != first.length ||
                std::memcmp(repeated.Octets(), first.Octets(), static_cast<std::size_t>(first.length)) != 0) {
                std::abort();
            }
            if (first.length > 0 && EncodeInto(again, static_cast<std::size_t>(first.length) - 1).length != -1) {
                std::abort();
            }
            Asn1FreeValue(&TestPduType, again);
        }
    }
    // A failed decode leaves a partly built value: it is freed the same way.
    Asn1FreeValue(&TestPduType, value);
    return 0;
}
