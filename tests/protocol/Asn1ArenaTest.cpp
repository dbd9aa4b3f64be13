// Whole PDUs decoded into an arena: the same values as the heap decode, every piece in
// the arena, and subtrees freed, changed or grown on their own before the root goes.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "protocol/Asn1Arena.h"
#include "protocol/Asn1TestModule.h"
#include "protocol/Asn1TestSupport.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ARENA_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(ARENA_TEST_ASAN)
#define ARENA_TEST_ASAN 1
#endif
#ifdef ARENA_TEST_ASAN
#include <sanitizer/asan_interface.h>
#endif

using namespace Asn1;
using namespace Asn1TestModule;
using namespace Asn1TestSupport;

namespace {

// record {5, "ab", flag, note "N", level 300, bits '1'B}
const char* const kRecord = "A0 17 02 01 05 1A 02 61 62 80 01 01 81 01 4E A2 04 02 02 01 2C 03 02 07 80";
// values {integer 7, list {integer 1, text "A"}, text "hi"}
const char* const kValues = "A2 0F 80 01 07 A1 06 80 01 01 82 01 41 82 02 68 69";
// request {7, number 0x0102030405060708}: an INTEGER too long to be held inline
const char* const kLongNumber = "A6 0D 02 01 07 80 08 01 02 03 04 05 06 07 08";
// external {direct-reference, single-ASN1-type INTEGER 5}
const char* const kExternal = "A3 0C 28 0A 06 03 28 CA 22 A0 03 02 01 05";

struct ArenaPdu {
    Asn1DecodeResult result{};
    TestPdu* pdu = nullptr;

    explicit ArenaPdu(const Bytes& octets) {
        void* raw = nullptr;
        result = Asn1DecodeInArena(nullptr, &TestPduType, &raw, octets.data(), octets.size());
        pdu = static_cast<TestPdu*>(raw);
    }
    ~ArenaPdu() { Asn1FreeValue(&TestPduType, pdu); }
    ArenaPdu(const ArenaPdu&) = delete;
    ArenaPdu& operator=(const ArenaPdu&) = delete;
};

bool Poisoned(const void* address) {
#ifdef ARENA_TEST_ASAN
    return __asan_address_is_poisoned(address) != 0;
#else
    (void)address;
    return true;
#endif
}

TEST(Asn1Arena, DecodesWhatTheHeapDecodeDoes) {
    struct Case {
        const char* image;
        Asn1DecodeCode code;
    };
    const Case cases[] = {
        {kRecord, Asn1DecodeDone},
        {kValues, Asn1DecodeDone},
        {kLongNumber, Asn1DecodeDone},
        {kExternal, Asn1DecodeDone},
        {"A7 06 02 01 01 02 01 FF", Asn1DecodeDone},                        // integers {1, -1}
        {"A2 00", Asn1DecodeDone},                                          // an empty list
        {"A2 05 80 01 07 A1 00", Asn1DecodeDone},                           // a nested empty list
        {"A2 06 80 01 07 A1 01 80", Asn1DecodeFailure},                     // a nested element cut short
        {"A2 0F 80 01 07 A1 06 80 01 01 82 01 41 82", Asn1DecodeMoreData},  // the outer length runs past the data
        {"A0 05 02 01 05 1A 05", Asn1DecodeFailure},                        // a string longer than its record
        {"A2 02 80 01", Asn1DecodeFailure},                                 // an element cut short
    };
    for (const Case& c : cases) {
        const char* const image = c.image;
        const Bytes octets = Hex(image);
        auto heap = Decode<TestPdu>(TestPduType, octets);
        const ArenaPdu arena(octets);
        EXPECT_EQ(heap.result.code, c.code) << image;
        EXPECT_EQ(arena.result.code, heap.result.code) << image;
        EXPECT_EQ(arena.result.consumed, heap.result.consumed) << image;
        if (heap.result.code != Asn1DecodeDone) continue;
        EXPECT_EQ(Encode(TestPduType, arena.pdu).octets, octets) << image;
        EXPECT_EQ(Encode(TestPduType, arena.pdu).octets, Encode(TestPduType, heap.value.get()).octets) << image;
    }
}

TEST(Asn1Arena, EveryPieceOfTheTreeLiesInItsArena) {
    const ArenaPdu values(Hex(kValues));
    ASSERT_EQ(values.result.code, Asn1DecodeDone);
    Asn1Arena* arena = Asn1Arena::Find(values.pdu);
    ASSERT_NE(arena, nullptr);
    EXPECT_EQ(arena->GetRoot(), values.pdu);
    const auto& list = values.pdu->choice.values;
    ASSERT_EQ(list.Count(), 3);
    const TestValue* nested = list[1];
    ASSERT_EQ(nested->present, TestValueListed);
    ASSERT_EQ(nested->choice.list->Count(), 2);
    const TestValue* text = list[2];
    const void* pieces[] = {list.list.array,
                            list[0],
                            nested,
                            nested->choice.list,
                            nested->choice.list->list.array,
                            (*nested->choice.list)[1]->choice.text.buf,
                            text->choice.text.buf};
    for (const void* piece : pieces) EXPECT_EQ(Asn1Arena::Find(piece), arena);
    // Arena octets are borrowed, so no setter ever hands them to free.
    EXPECT_EQ(text->choice.text.borrowed, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text->choice.text.buf)), "hi");

    const ArenaPdu number(Hex(kLongNumber));
    ASSERT_EQ(number.result.code, Asn1DecodeDone);
    const Asn1Integer& integer = number.pdu->choice.request.service.choice.number;
    ASSERT_EQ(integer.size, 8u);
    EXPECT_EQ(Asn1Arena::Find(integer.octets), Asn1Arena::Find(number.pdu));
    EXPECT_NE(Asn1Arena::Find(number.pdu), arena);
}

// A step on a decoded tree before its root is freed; the check runs after the step.
struct SubtreeCase {
    const char* name;
    const char* image;
    std::function<void(TestPdu&)> step;
    std::function<void(const TestPdu&)> check;
};

TEST(Asn1Arena, SubtreesFreedChangedOrGrownBeforeTheRoot) {
    const SubtreeCase cases[] = {
        {"optional member freed and its slot cleared", kRecord,
         [](TestPdu& pdu) {
             Asn1OctetString* note = pdu.choice.record.note;
             Asn1FreeValue(&Asn1OctetStringType, note);
             EXPECT_TRUE(Poisoned(note));
             pdu.choice.record.note = nullptr;
         },
         [](const TestPdu& pdu) {
             EXPECT_EQ(Encode(TestPduType, &pdu).octets,
                       Hex("A0 14 02 01 05 1A 02 61 62 80 01 01 A2 04 02 02 01 2C 03 02 07 80"));
         }},
        {"embedded member released in place", kRecord,
         [](TestPdu& pdu) { Asn1VisibleStringType.free(&Asn1VisibleStringType, &pdu.choice.record.name, 1); },
         [](const TestPdu& pdu) {
             EXPECT_EQ(pdu.choice.record.name.buf, nullptr);
             EXPECT_EQ(pdu.choice.record.name.size, 0);
         }},
        {"text set from the heap, then its member released", kRecord,
         [](TestPdu& pdu) {
             ASSERT_EQ(Asn1OctetStringSetText(&pdu.choice.record.name, "longer"), 0);
             EXPECT_EQ(pdu.choice.record.name.borrowed, 0);
             EXPECT_EQ(Asn1Arena::Find(pdu.choice.record.name.buf), nullptr);
             Asn1VisibleStringType.free(&Asn1VisibleStringType, &pdu.choice.record.name, 1);
         },
         [](const TestPdu& pdu) { EXPECT_EQ(pdu.choice.record.name.buf, nullptr); }},
        {"element freed and its entry cleared", kValues,
         [](TestPdu& pdu) {
             TestValue* nested = pdu.choice.values[1];
             Asn1FreeValue(&TestValueType, nested);
             EXPECT_TRUE(Poisoned(nested));
             pdu.choice.values.list.array[1] = nullptr;
         },
         [](const TestPdu& pdu) { EXPECT_EQ(pdu.choice.values.Count(), 3); }},
        {"list grown from the heap, then released in place", kValues,
         [](TestPdu& pdu) {
             auto* added = static_cast<TestValue*>(Asn1NewValue(&TestValueType));
             added->present = TestValueInteger;
             added->choice.integer = 9;
             ASSERT_EQ(Asn1SequenceOfAppend(&pdu.choice.values, added), 0);
             EXPECT_EQ(Asn1Arena::Find(pdu.choice.values.list.array), nullptr);
             EXPECT_EQ(pdu.choice.values[0]->choice.integer, 7);
             TestValueListType.free(&TestValueListType, &pdu.choice.values, 1);
         },
         [](const TestPdu& pdu) { EXPECT_EQ(pdu.choice.values.Count(), 0); }},
        {"long INTEGER set anew, then released in place", kLongNumber,
         [](TestPdu& pdu) {
             Asn1Integer& number = pdu.choice.request.service.choice.number;
             ASSERT_EQ(Asn1IntegerSetInt64(&number, 1LL << 40), 0);
             EXPECT_EQ(Asn1Arena::Find(number.octets), nullptr);
             std::int64_t value = 0;
             ASSERT_EQ(Asn1IntegerGetInt64(&number, &value), 0);
             EXPECT_EQ(value, 1LL << 40);
             Asn1IntegerType.free(&Asn1IntegerType, &number, 1);
         },
         [](const TestPdu& pdu) { EXPECT_EQ(pdu.choice.request.service.choice.number.size, 0u); }},
        {"whole alternative released in place", kExternal,
         [](TestPdu& pdu) { TestPduType.free(&TestPduType, &pdu, 1); },
         [](const TestPdu& pdu) { EXPECT_EQ(pdu.present, 0); }},
    };
    for (const SubtreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ArenaPdu decoded(Hex(c.image));
        ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
        c.step(*decoded.pdu);
        c.check(*decoded.pdu);
    }
}

TEST(Asn1Arena, HeapTreesFreeAsBeforeWhileArenasLive) {
    const ArenaPdu alive(Hex(kValues));
    ASSERT_EQ(alive.result.code, Asn1DecodeDone);
    const Bytes copied = Encode(TestPduType, alive.pdu).octets;

    // A copy (heap decode of the encoding) outlives nothing of the arena tree.
    auto copy = Decode<TestPdu>(TestPduType, copied);
    ASSERT_EQ(copy.result.code, Asn1DecodeDone);
    for (const TestValue* value : copy.value->choice.values) EXPECT_EQ(Asn1Arena::Find(value), nullptr);

    // A hand-built tree that takes over a heap subtree, freed through its type.
    Owned<TestPdu> built(TestPduType);
    built->present = TestPduValues;
    std::memcpy(static_cast<void*>(&built->choice.values), &copy.value->choice.values, sizeof(TestValueList));
    std::memset(static_cast<void*>(&copy.value->choice.values), 0, sizeof(TestValueList));
    auto* added = static_cast<TestValue*>(Asn1NewValue(&TestValueType));
    added->present = TestValueText;
    ASSERT_EQ(Asn1OctetStringSetText(&added->choice.text, "x"), 0);
    ASSERT_EQ(Asn1SequenceOfAppend(&built->choice.values, added), 0);
    EXPECT_EQ(built->choice.values.Count(), 4);
    EXPECT_EQ(Encode(TestPduType, built.value).octets,
              Hex("A2 12 80 01 07 A1 06 80 01 01 82 01 41 82 02 68 69 82 01 78"));
}

}  // namespace
