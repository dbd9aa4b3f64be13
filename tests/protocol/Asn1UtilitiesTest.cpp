// Lists, string setters, INTEGER and OBJECT IDENTIFIER conversions, UTF-8.

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/Asn1TestModule.h"
#include "protocol/Asn1TestSupport.h"

using namespace Asn1;
using namespace Asn1TestSupport;

namespace {

// ---- lists ----

std::vector<int>* freedOrder = nullptr;
void RecordFree(void* element) {
    freedOrder->push_back(*static_cast<int*>(element));
    std::free(element);
}

TEST(Asn1List, GrowsFromSixteenByDoubling) {
    Asn1SequenceOf list{};
    for (int i = 0; i < 16; ++i) ASSERT_EQ(Asn1SequenceOfAppend(&list, NewOf<int>()), 0);
    EXPECT_EQ(list.capacity, 16);
    ASSERT_EQ(Asn1SequenceOfAppend(&list, NewOf<int>()), 0);  // the 17th
    EXPECT_EQ(list.capacity, 32);
    EXPECT_EQ(list.count, 17);
    list.freeElement = [](void* element) { std::free(element); };
    Asn1SequenceOfEmpty(&list);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.array, nullptr);

    errno = 0;
    EXPECT_EQ(Asn1SequenceOfAppend(nullptr, &list), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(Asn1SequenceOfAppend(&list, nullptr), -1);
}

TEST(Asn1List, EmptyFreesTheLastElementFirst) {
    std::vector<int> order;
    freedOrder = &order;
    Asn1SequenceOf list{};
    list.freeElement = &RecordFree;
    for (int i = 1; i <= 3; ++i) {
        int* element = NewOf<int>();
        *element = i;
        Asn1SequenceOfAppend(&list, element);
    }
    Asn1SequenceOfEmpty(&list);
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
    freedOrder = nullptr;
}

// A list shows elements it does not own: it encodes as the same list built from heap
// cells, and neither freeing nor emptying it touches the elements (they live on the
// stack here, so a free of one would stop the program).
TEST(Asn1List, ALentListEncodesAsAnOwnedOneAndLeavesItsElementsAlone) {
    using namespace Asn1TestModule;
    TestValue lentValues[2]{};
    void* elements[2] = {&lentValues[0], &lentValues[1]};
    Owned<TestValueList> owned(TestValueListType);
    for (int i = 0; i < 2; ++i) {
        lentValues[i].present = TestValueInteger;
        lentValues[i].choice.integer = 100 + i;
        auto* element = NewOf<TestValue>();
        *element = lentValues[i];
        ASSERT_EQ(Asn1SequenceOfAppend(&owned->list, element), 0);
    }
    Owned<TestValueList> lent(TestValueListType);
    ASSERT_EQ(Asn1SequenceOfLend(&lent->list, elements, 2), 0);
    EXPECT_TRUE(Asn1SequenceOfIsLent(&lent->list));
    EXPECT_EQ(Encode(TestValueListType, lent.value).octets, Encode(TestValueListType, owned.value).octets);

    TestValue extra{};
    errno = 0;
    EXPECT_EQ(Asn1SequenceOfAppend(&lent->list, &extra), -1) << "would grow the lender's array";
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(Asn1SequenceOfLend(&owned->list, elements, 2), -1) << "a list with elements of its own";
    EXPECT_EQ(lent->Count(), 2);

    Asn1SequenceOfEmpty(&lent->list);
    EXPECT_FALSE(Asn1SequenceOfIsLent(&lent->list));
    EXPECT_EQ(lent->Count(), 0);
    ASSERT_EQ(Asn1SequenceOfLend(&lent->list, elements, 2), 0);  // freed through the descriptor below
}

// ---- strings ----

TEST(Asn1Strings, SettersCopyOrBorrow) {
    Owned<Asn1OctetString> string(Asn1OctetStringType);
    ASSERT_EQ(Asn1OctetStringSetText(string.value, "MMS"), 0);
    EXPECT_EQ(string->size, 3);
    EXPECT_EQ(string->buf[3], 0);  // the copy keeps the NUL
    EXPECT_EQ(string->borrowed, 0);

    static const char kText[] = "borrowed";
    ASSERT_EQ(Asn1OctetStringBorrowText(string.value, kText), 0);
    EXPECT_EQ(string->buf, reinterpret_cast<const std::uint8_t*>(kText));
    EXPECT_EQ(string->borrowed, 1);

    const std::uint8_t octets[] = {0, 1, 2};
    ASSERT_EQ(Asn1OctetStringSetBytes(string.value, octets, 3), 0);  // the borrowed text is left alone
    EXPECT_EQ(std::memcmp(string->buf, octets, 3), 0);
    EXPECT_EQ(string->borrowed, 0);

    ASSERT_EQ(Asn1OctetStringBorrowBytes(string.value, octets, 3), 0);
    EXPECT_EQ(string->borrowed, 1);

    Asn1OctetString* created = Asn1OctetStringNew(&Asn1VisibleStringType, "abc", 3);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->size, 3);
    Asn1FreeValue(&Asn1VisibleStringType, created);

    EXPECT_EQ(Asn1OctetStringSetText(nullptr, "x"), -1);
    EXPECT_EQ(Asn1OctetStringSetBytes(string.value, nullptr, 2), -1);
}

// ---- INTEGER ----

TEST(Asn1IntegerConversion, SignedValuesRoundTripThroughMinimalOctets) {
    const std::int64_t values[] = {0, 1, -1, 127, 128, -128, -129, INT32_MAX, INT32_MIN, INT64_MAX, INT64_MIN};
    const std::size_t sizes[] = {1, 1, 1, 1, 2, 1, 2, 4, 4, 8, 8};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        Asn1Integer integer{};
        ASSERT_EQ(Asn1IntegerSetInt64(&integer, values[i]), 0);
        EXPECT_EQ(integer.size, sizes[i]) << values[i];
        std::int64_t back = 0;
        EXPECT_EQ(Asn1IntegerGetInt64(&integer, &back), 0);
        EXPECT_EQ(back, values[i]);
        Asn1IntegerFree(&Asn1IntegerType, &integer, 1);
    }
    Asn1Integer minus129{};
    ASSERT_EQ(Asn1IntegerSetInt32(&minus129, -129), 0);
    EXPECT_EQ(minus129.inlineOctets[0], 0xFF);
    EXPECT_EQ(minus129.inlineOctets[1], 0x7F);
    EXPECT_EQ(Asn1IntegerSetInt32(nullptr, 1), -1);
}

TEST(Asn1IntegerConversion, NumbersThatDoNotFitGiveErange) {
    Asn1Integer integer{};
    ASSERT_EQ(Asn1IntegerSetInt64(&integer, std::int64_t{INT32_MAX} + 1), 0);
    std::int32_t narrow = 0;
    errno = 0;
    EXPECT_EQ(Asn1IntegerGetInt32(&integer, &narrow), -1);
    EXPECT_EQ(errno, ERANGE);
    std::uint32_t unsignedNarrow = 0;
    EXPECT_EQ(Asn1IntegerGetUInt32(&integer, &unsignedNarrow), 0);
    EXPECT_EQ(unsignedNarrow, 0x80000000u);

    ASSERT_EQ(Asn1IntegerSetUInt64(&integer, UINT64_MAX), 0);
    EXPECT_EQ(integer.size, 9u);  // leading 0 keeps it positive
    std::uint64_t wide = 0;
    EXPECT_EQ(Asn1IntegerGetUInt64(&integer, &wide), 0);
    EXPECT_EQ(wide, UINT64_MAX);
    std::int64_t signedWide = 0;
    EXPECT_EQ(Asn1IntegerGetInt64(&integer, &signedWide), -1);
    EXPECT_EQ(Asn1IntegerGetUInt32(&integer, &unsignedNarrow), -1);
    EXPECT_EQ(errno, ERANGE);
    Asn1IntegerFree(&Asn1IntegerType, &integer, 1);

    // Unsigned reading takes the octets as they are.
    Asn1Integer allOnes{};
    allOnes.size = 4;
    std::memset(allOnes.inlineOctets, 0xFF, 4);
    EXPECT_EQ(Asn1IntegerGetUInt32(&allOnes, &unsignedNarrow), 0);
    EXPECT_EQ(unsignedNarrow, UINT32_MAX);
}

// ---- OBJECT IDENTIFIER ----

TEST(Asn1Oid, ArcsEncodeBase128WithTheFirstTwoCombined) {
    struct Case {
        std::vector<std::uint32_t> arcs;
        const char* content;
    };
    const Case cases[] = {
        {{1, 0, 9506, 2, 1}, "28 CA 22 02 01"},
        {{2, 1, 1}, "51 01"},
        {{2, 2, 1, 0, 1}, "52 01 00 01"},
        {{0, 39}, "27"},  // the second arc may be 39 under 0 and 1
        {{1, 39}, "4F"},
        {{2, 100, 3}, "81 34 03"},
    };
    for (const Case& c : cases) {
        Asn1ObjectIdentifier oid{};
        ASSERT_EQ(Asn1OidSetArcs(&oid, c.arcs.data(), 4, static_cast<unsigned>(c.arcs.size())), 0);
        EXPECT_EQ(Bytes(oid.buf, oid.buf + oid.size), Hex(c.content));
        std::uint32_t back[8] = {};
        ASSERT_EQ(Asn1OidGetArcs(&oid, back, 4, 8), static_cast<std::ptrdiff_t>(c.arcs.size()));
        EXPECT_EQ(std::vector<std::uint32_t>(back, back + c.arcs.size()), c.arcs);
        Asn1ObjectIdentifierFree(&Asn1ObjectIdentifierType, &oid, 1);
    }
}

TEST(Asn1Oid, RefusedArcs) {
    Asn1ObjectIdentifier oid{};
    const std::uint32_t tooLargeSecond[] = {1, 40};
    const std::uint32_t tooLargeFirst[] = {3, 1};
    const std::uint32_t single[] = {1};
    errno = 0;
    EXPECT_EQ(Asn1OidSetArcs(&oid, tooLargeSecond, 4, 2), -1);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(Asn1OidSetArcs(&oid, tooLargeFirst, 4, 2), -1);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(Asn1OidSetArcs(&oid, single, 4, 1), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(Asn1OidSetArcs(&oid, single, 8, 2), -1);
    EXPECT_EQ(errno, ENOMEM);

    // 9506 does not fit one octet.
    Bytes content = Hex("28 CA 22 02 01");
    const Asn1ObjectIdentifier mms{content.data(), 5, 1};
    std::uint8_t narrow[8] = {};
    EXPECT_EQ(Asn1OidGetArcs(&mms, narrow, 1, 8), -1);
    EXPECT_EQ(errno, ERANGE);
    std::uint16_t arc = 0;
    EXPECT_EQ(Asn1OidGetSingleArc(content.data() + 1, 4, &arc, 2), 2);
    EXPECT_EQ(arc, 9506);
    // A last octet that still announces a continuation.
    Bytes cut = Hex("28 CA");
    const Asn1ObjectIdentifier truncated{cut.data(), 2, 1};
    std::uint32_t arcs[4];
    EXPECT_EQ(Asn1OidGetArcs(&truncated, arcs, 4, 4), -1);
    EXPECT_EQ(errno, EINVAL);
}

TEST(Asn1Oid, ParsesDottedText) {
    std::uint32_t arcs[8] = {};
    const char* text = "1.0.9506.2.3";
    ASSERT_EQ(Asn1OidParseText(text, std::strlen(text), arcs, 8), 5);
    EXPECT_EQ(arcs[2], 9506u);
    EXPECT_EQ(arcs[4], 3u);
    EXPECT_EQ(Asn1OidParseText("2.1.1", 5, arcs, 2), 3);  // counts beyond the slots
    for (const char* bad : {"", "1..2", "1.2.", ".1", "1.a", "1 .2"}) {
        EXPECT_EQ(Asn1OidParseText(bad, std::strlen(bad), arcs, 8), -1) << bad;
    }
    EXPECT_EQ(Asn1OidParseText("1.4294967296", 12, arcs, 8), -1);
    EXPECT_EQ(errno, ERANGE);
}

// ---- UTF-8 ----

TEST(Asn1Utf8, DecodeCountsCharactersAndNamesTheFault) {
    struct Case {
        const char* octets;
        std::ptrdiff_t result;
    };
    const Case cases[] = {
        {"", 0},
        {"61 62", 2},
        {"C3 A9 E2 82 AC F0 9F 98 80", 3},
        {"E2 82", -1},           // runs past the end
        {"80", -2},              // continuation as lead
        {"F8 88 80 80 80", -2},  // five-octet forms are not UTF-8
        {"C3 41", -3},           // continuation outside 0x80..0xBF
        {"ED A0 80", -3},        // a surrogate
        {"C0 AF", -4},           // overlong
        {"E0 80 AF", -4},
    };
    for (const Case& c : cases) {
        const Bytes octets = Hex(c.octets);
        EXPECT_EQ(Utf8StringDecode(octets.data(), octets.size(), nullptr), c.result) << c.octets;
    }
    const Bytes text = Hex("41 C3 A9");
    std::uint32_t codePoints[3] = {9, 9, 9};
    ASSERT_EQ(Utf8StringDecode(text.data(), text.size(), codePoints), 2);
    EXPECT_EQ(codePoints[0], 0x41u);
    EXPECT_EQ(codePoints[1], 0xE9u);
    EXPECT_EQ(codePoints[2], 0u);

    EXPECT_EQ(Utf8StringLength(nullptr), -5);
    const Asn1Utf8String missing{nullptr, 3, 0};
    EXPECT_EQ(Utf8StringLength(&missing), -5);
}

}  // namespace
