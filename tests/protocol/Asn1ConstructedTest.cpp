// SEQUENCE, SET, CHOICE and SEQUENCE OF, on the test module's types.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "protocol/Asn1TestModule.h"
#include "protocol/Asn1TestSupport.h"

using namespace Asn1;
using namespace Asn1TestModule;
using namespace Asn1TestSupport;

namespace {

Asn1DecodeCode DecodeCode(const Asn1TypeDescriptor& type, const char* image) {
    return Decode<void>(type, Hex(image)).result.code;
}

void FillRecord(TestRecord& record, std::int32_t id, const char* name) {
    ASSERT_EQ(Asn1IntegerSetInt32(&record.id, id), 0);
    ASSERT_EQ(Asn1OctetStringSetText(&record.name, name), 0);
}

// ---- SEQUENCE ----

TEST(Asn1Sequence, AbsentOptionalMembersWriteNothing) {
    Owned<TestRecord> record(TestRecordType);
    FillRecord(*record, 5, "ab");
    EXPECT_EQ(Encode(TestRecordType, record.value).octets, Hex("30 07 02 01 05 1A 02 61 62"));

    auto decoded = Decode<TestRecord>(TestRecordType, Hex("30 07 02 01 05 1A 02 61 62"));
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    EXPECT_EQ(decoded.result.consumed, 9u);
    EXPECT_EQ(decoded.value->flag, nullptr);
    EXPECT_EQ(decoded.value->note, nullptr);
    EXPECT_EQ(decoded.value->level, nullptr);
    EXPECT_EQ(decoded.value->bits, nullptr);
}

TEST(Asn1Sequence, EveryMemberPresentRoundTrips) {
    const Bytes image = Hex("30 17 02 01 05 1A 02 61 62 80 01 01 81 01 4E A2 04 02 02 01 2C 03 02 07 80");
    Owned<TestRecord> record(TestRecordType);
    FillRecord(*record, 5, "ab");
    record->flag = NewOf<Asn1Boolean>();
    *record->flag = 1;
    record->note = Asn1OctetStringNew(&Asn1OctetStringType, "N", 1);
    record->level = NewOf<Asn1NativeInteger>();
    *record->level = 300;
    record->bits = NewOf<Asn1BitString>();
    record->bits->buf = static_cast<std::uint8_t*>(std::malloc(1));
    record->bits->buf[0] = 0x80;
    record->bits->size = 1;
    record->bits->unusedBits = 7;
    EXPECT_EQ(Encode(TestRecordType, record.value).octets, image);

    auto decoded = Decode<TestRecord>(TestRecordType, image);
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    ASSERT_NE(decoded.value->level, nullptr);
    EXPECT_EQ(*decoded.value->level, 300);
    EXPECT_EQ(decoded.value->bits->unusedBits, 7);
    EXPECT_EQ(Encode(TestRecordType, decoded.value.get()).octets, image);
}

TEST(Asn1Sequence, MalformedMemberSequences) {
    struct Case {
        const char* image;
        Asn1DecodeCode code;
        const char* why;
    };
    const Case cases[] = {
        {"30 0A 02 01 05 1A 02 61 62 85 01 00", Asn1DecodeDone, "unknown element in the extension is skipped"},
        {"30 0A 02 01 05 89 01 00 1A 02 61 62", Asn1DecodeFailure, "unknown element before the marker"},
        {"30 03 02 01 05", Asn1DecodeFailure, "mandatory member missing"},
        {"30 0D 02 01 05 1A 02 61 62 81 01 4E 80 01 01", Asn1DecodeFailure, "optional members out of order"},
        {"30 0A 02 01 05 1A 02 61 62 A2 01 02", Asn1DecodeFailure, "explicit tag around a cut element"},
        {"30 0B 02 01 05 1A 02 61 62 A2 02 05 00", Asn1DecodeFailure, "explicit tag around the wrong type"},
        {"30 07 02 01 05 1A 03 61 62", Asn1DecodeFailure, "member runs past its container"},
        {"30 0D 02 01 05 1A 02 61 62 85 01 00 80 01 01", Asn1DecodeFailure, "root member after an extension"},
        {"10 07 02 01 05 1A 02 61 62", Asn1DecodeFailure, "SEQUENCE in primitive form"},
        {"30 09 02 01 05 1A 02 61 62", Asn1DecodeMoreData, "outer length past the data"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeCode(TestRecordType, c.image), c.code) << c.why;
}

TEST(Asn1Sequence, ManyOptionalCandidatesAreFoundThroughTheTagMap) {
    // TestWide: ten optional members before a mandatory [40].
    const Bytes image = Hex("A9 0A 83 01 03 87 01 07 9F 28 01 01");
    auto decoded = Decode<TestPdu>(TestPduType, image);
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    ASSERT_EQ(decoded.value->present, TestPduWide);
    const TestWide& wide = decoded.value->choice.wide;
    ASSERT_NE(wide.f[3], nullptr);
    ASSERT_NE(wide.f[7], nullptr);
    EXPECT_EQ(*wide.f[7], 7);
    EXPECT_EQ(wide.f[4], nullptr);
    EXPECT_EQ(wide.last, 1);
    EXPECT_EQ(Encode(TestPduType, decoded.value.get()).octets, image);

    EXPECT_EQ(DecodeCode(TestPduType, "A9 0A 87 01 07 83 01 03 9F 28 01 01"), Asn1DecodeFailure);
    EXPECT_EQ(DecodeCode(TestPduType, "A9 06 83 01 03 87 01 07"), Asn1DecodeFailure);
}

TEST(Asn1Sequence, UntaggedExtensibleChoiceTakesAnUnknownAlternative) {
    // TestRequest: invokeId, then an untagged extensible CHOICE (like a service request).
    auto known = Decode<TestPdu>(TestPduType, Hex("A6 06 02 01 03 80 01 07"));
    ASSERT_EQ(known.result.code, Asn1DecodeDone);
    EXPECT_EQ(known.value->choice.request.service.present, TestChoiceNumber);

    auto unknown = Decode<TestPdu>(TestPduType, Hex("A6 06 02 01 03 87 01 00"));
    ASSERT_EQ(unknown.result.code, Asn1DecodeDone);
    std::int32_t invokeId = 0;
    EXPECT_EQ(Asn1IntegerGetInt32(&unknown.value->choice.request.invokeId, &invokeId), 0);
    EXPECT_EQ(invokeId, 3);
    EXPECT_EQ(unknown.value->choice.request.service.present, 0);

    // A trailing unknown element after the service lies in the extension.
    EXPECT_EQ(DecodeCode(TestPduType, "A6 09 02 01 03 80 01 07 89 01 00"), Asn1DecodeDone);
}

TEST(Asn1Sequence, TypesWithTheirOwnTags) {
    EXPECT_EQ(DecodeCode(TestPduType, "65 07 02 01 05 1A 02 61 62"), Asn1DecodeDone);  // [APPLICATION 5] IMPLICIT
    auto number = Decode<TestPdu>(TestPduType, Hex("66 03 02 01 07"));                 // [APPLICATION 6] EXPLICIT
    ASSERT_EQ(number.result.code, Asn1DecodeDone);
    EXPECT_EQ(number.value->present, TestPduNumber);
    EXPECT_EQ(number.value->choice.number, 7);
    EXPECT_EQ(Encode(TestPduType, number.value.get()).octets, Hex("66 03 02 01 07"));
    // The inner element must fill the explicit tag exactly.
    EXPECT_EQ(DecodeCode(TestPduType, "66 04 02 01 07 00"), Asn1DecodeFailure);
    EXPECT_EQ(DecodeCode(TestPduType, "46 03 02 01 07"), Asn1DecodeFailure);  // explicit tag must be constructed
}

// ---- SET ----

TEST(Asn1Set, MembersComeInAnyOrderOnce) {
    struct Case {
        const char* image;
        Asn1DecodeCode code;
        const char* why;
    };
    const Case cases[] = {
        {"A4 06 80 01 01 82 01 7A", Asn1DecodeDone, "in order"},
        {"A4 06 82 01 7A 80 01 01", Asn1DecodeDone, "reversed"},
        {"A4 09 80 01 01 87 01 00 82 01 7A", Asn1DecodeDone, "unknown member skipped (extensible)"},
        {"A4 09 80 01 01 80 01 02 82 01 7A", Asn1DecodeFailure, "member twice"},
        {"A4 03 80 01 01", Asn1DecodeFailure, "mandatory member missing"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeCode(TestPduType, c.image), c.code) << c.why;

    auto reversed = Decode<TestPdu>(TestPduType, Hex("A4 09 82 01 7A 81 01 FF 80 01 01"));
    ASSERT_EQ(reversed.result.code, Asn1DecodeDone);
    EXPECT_EQ(*reversed.value->choice.set.b, 0xFF);
    // Encoding writes members in declaration order.
    EXPECT_EQ(Encode(TestPduType, reversed.value.get()).octets, Hex("A4 09 80 01 01 81 01 01 82 01 7A"));
}

// ---- CHOICE ----

TEST(Asn1Choice, ExtensibleAndStrictChoicesMeetAnUnknownAlternative) {
    auto known = Decode<TestPdu>(TestPduType, Hex("A1 03 80 01 07"));
    ASSERT_EQ(known.result.code, Asn1DecodeDone);
    EXPECT_EQ(known.value->present, TestPduChoice);
    EXPECT_EQ(known.value->choice.choice.present, TestChoiceNumber);

    auto unknown = Decode<TestPdu>(TestPduType, Hex("A1 05 89 03 01 02 03"));
    ASSERT_EQ(unknown.result.code, Asn1DecodeDone);
    EXPECT_EQ(unknown.result.consumed, 7u);
    EXPECT_EQ(unknown.value->choice.choice.present, 0);

    auto strict = Decode<TestPdu>(TestPduType, Hex("A5 03 80 01 FF"));
    ASSERT_EQ(strict.result.code, Asn1DecodeDone);
    EXPECT_EQ(strict.value->choice.strict.choice.flag, 0xFF);
    EXPECT_EQ(DecodeCode(TestPduType, "A5 03 82 01 00"), Asn1DecodeFailure);
    EXPECT_EQ(DecodeCode(TestPduType, "8A 00"), Asn1DecodeFailure);  // unknown at the top
}

TEST(Asn1Choice, EncodingWithoutAValidAlternativeFails) {
    for (Asn1Presence presence : {0, TestPduIndex + 1, -1}) {
        Owned<TestPdu> pdu(TestPduType);
        pdu->present = presence;
        const Encoded encoded = Encode(TestPduType, pdu.value);
        EXPECT_EQ(encoded.result, -1) << presence;
        EXPECT_EQ(encoded.error, EINVAL) << presence;
        pdu->present = 0;
    }
    // A CHOICE left at presence 0 inside a SEQUENCE fails the whole encoding.
    Owned<TestPdu> request(TestPduType);
    request->present = TestPduRequest;
    EXPECT_EQ(Encode(TestPduType, request.value).error, EINVAL);
}

TEST(Asn1Choice, AlternativeHeldByANullPointerWritesNothing) {
    Owned<TestValue> value(TestValueType);
    value->present = TestValueListed;
    EXPECT_EQ(Encode(TestValueType, value.value).result, 0);
}

// ---- SEQUENCE OF ----

TEST(Asn1SequenceOf, ElementsKeepTheirOrder) {
    Owned<TestPdu> pdu(TestPduType);
    pdu->present = TestPduIntegers;
    for (std::int32_t number : {1, 2, 3}) {
        auto* element = NewOf<Asn1NativeInteger>();
        *element = number;
        ASSERT_EQ(Asn1SequenceOfAppend(&pdu->choice.integers, element), 0);
    }
    const Bytes image = Hex("A7 09 02 01 01 02 01 02 02 01 03");
    EXPECT_EQ(Encode(TestPduType, pdu.value).octets, image);

    auto decoded = Decode<TestPdu>(TestPduType, image);
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    const TestIntegers& integers = decoded.value->choice.integers;
    ASSERT_EQ(integers.Count(), 3);
    std::int32_t expected = 1;
    for (const Asn1NativeInteger* number : integers) EXPECT_EQ(*number, expected++);
    EXPECT_NE(integers.list.freeElement, nullptr);
    EXPECT_EQ(DecodeCode(TestPduType, "A7 06 02 01 01 04 01 02"), Asn1DecodeFailure);  // wrong element tag
}

TEST(Asn1SequenceOf, RecursiveValuesAndUnknownAlternativesInside) {
    // values: integer 1, list { text "x" }, an unknown alternative [8].
    const Bytes image = Hex("A2 0A 80 01 01 A1 03 82 01 78 88 00");
    auto decoded = Decode<TestPdu>(TestPduType, image);
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    const Asn1ListOf<TestValue>& values = decoded.value->choice.values;
    ASSERT_EQ(values.Count(), 3);
    EXPECT_EQ(values[0]->choice.integer, 1);
    ASSERT_EQ(values[1]->present, TestValueListed);
    ASSERT_EQ(values[1]->choice.list->Count(), 1);
    EXPECT_STREQ(reinterpret_cast<char*>((*values[1]->choice.list)[0]->choice.text.buf), "x");
    EXPECT_EQ(values[2]->present, 0);
}

// Builds list { list { ... integer 0 } } nested `depth` lists deep.
TestValue* NestedValue(int depth) {
    auto* value = NewOf<TestValue>();
    if (depth == 0) {
        value->present = TestValueInteger;
        return value;
    }
    value->present = TestValueListed;
    value->choice.list = NewOf<TestValueList>();
    Asn1SequenceOfAppend(value->choice.list, NestedValue(depth - 1));
    return value;
}

TEST(Asn1SequenceOf, NestingIsBoundedByTheStackDepth) {
    TestValue* shallow = NestedValue(20);
    const Encoded twenty = Encode(TestValueType, shallow);
    Asn1FreeValue(&TestValueType, shallow);
    ASSERT_GT(twenty.result, 0);
    EXPECT_EQ(Decode<TestValue>(TestValueType, twenty.octets).result.code, Asn1DecodeDone);
    Asn1DecodeContext tight;
    tight.maxStackDepth = 10;
    EXPECT_EQ(Decode<TestValue>(TestValueType, twenty.octets, &tight).result.code, Asn1DecodeFailure);

    TestValue* deep = NestedValue(40);  // two levels per list: beyond 64
    const Encoded forty = Encode(TestValueType, deep);
    Asn1FreeValue(&TestValueType, deep);
    ASSERT_GT(forty.result, 0);
    EXPECT_EQ(Decode<TestValue>(TestValueType, forty.octets).result.code, Asn1DecodeFailure);

    // A hostile image nesting far deeper fails too, without exhausting the stack.
    Bytes hostile = Hex("80 01 00");
    for (int i = 0; i < 5000; ++i) {
        const auto length = static_cast<std::uint32_t>(hostile.size());
        const Bytes header = {0xA1,
                              0x84,
                              static_cast<std::uint8_t>(length >> 24),
                              static_cast<std::uint8_t>(length >> 16),
                              static_cast<std::uint8_t>(length >> 8),
                              static_cast<std::uint8_t>(length)};
        hostile.insert(hostile.begin(), header.begin(), header.end());
    }
    EXPECT_EQ(Decode<TestValue>(TestValueType, hostile).result.code, Asn1DecodeFailure);
}

// An element type that claims success without consuming anything.
Asn1DecodeResult ConsumeNothing(Asn1DecodeContext*, const Asn1TypeDescriptor*, void** value, const std::uint8_t*,
                                std::size_t, int) {
    *value = std::calloc(1, sizeof(Asn1Null));
    return {Asn1DecodeDone, 0};
}
constexpr Asn1TypeDescriptor kNothingType = [] {
    Asn1TypeDescriptor type = Asn1NullType;
    type.decode = &ConsumeNothing;
    type.tags = nullptr;
    type.tagCount = 0;
    return type;
}();
constexpr auto kNothingListMembers = Asn1Members({Asn1Field(0, kNothingType, Asn1NoTag, "nothing")});
constinit const Asn1TypeDescriptor kNothingListType = Asn1SequenceOfType<kNothingListMembers>("NothingList");

TEST(Asn1SequenceOf, AnElementThatConsumesNothingEndsTheLoopWithAFailure) {
    EXPECT_EQ(Decode<Asn1SequenceOf>(kNothingListType, Hex("30 02 05 00")).result.code, Asn1DecodeFailure);
}

// ---- EXTERNAL-like SEQUENCE with an open type ----

const char* const kExternalImage = "A3 14 28 12 06 02 51 01 02 01 03 A0 09 30 07 02 01 05 1A 02 61 62";

void FillExternalReferences(TestExternal& external) {
    const std::uint32_t arcs[] = {2, 1, 1};
    external.directReference = NewOf<Asn1ObjectIdentifier>();
    ASSERT_EQ(Asn1OidSetArcs(external.directReference, arcs, 4, 3), 0);
    external.indirectReference = NewOf<Asn1Integer>();
    ASSERT_EQ(Asn1IntegerSetInt32(external.indirectReference, 3), 0);
    external.encoding.present = 1;
}

TEST(Asn1External, InnerPduTravelsAsSingleAsn1Type) {
    Owned<TestRecord> inner(TestRecordType);
    FillRecord(*inner, 5, "ab");
    std::uint8_t scratch[64];
    Asn1OutputBuffer innerBuffer{scratch, sizeof scratch};

    Owned<TestPdu> pdu(TestPduType);
    pdu->present = TestPduExternal;
    FillExternalReferences(pdu->choice.external);
    Asn1Any& any = pdu->choice.external.encoding.choice.singleAsn1Type;
    ASSERT_EQ(Asn1EncodeToAny(&any, &TestRecordType, inner.value, &innerBuffer), 0);
    EXPECT_EQ(any.borrowed, 1);
    EXPECT_EQ(any.size, 9);
    EXPECT_EQ(any.buf, scratch + innerBuffer.position);
    EXPECT_EQ(Encode(TestPduType, pdu.value).octets, Hex(kExternalImage));

    auto decoded = Decode<TestPdu>(TestPduType, Hex(kExternalImage));
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    void* record = nullptr;
    ASSERT_EQ(
        Asn1DecodeFromAny(&decoded.value->choice.external.encoding.choice.singleAsn1Type, &TestRecordType, &record), 0);
    ASSERT_NE(record, nullptr);
    std::int32_t id = 0;
    EXPECT_EQ(Asn1IntegerGetInt32(&static_cast<TestRecord*>(record)->id, &id), 0);
    EXPECT_EQ(id, 5);
    Asn1FreeValue(&TestRecordType, record);
}

TEST(Asn1External, InnerPduEncodedInPlace) {
    // The inner PDU is written first; the outer encoding then starts at its end, so
    // the ANY's octets are already where they belong and are not copied.
    std::uint8_t storage[64];
    Asn1OutputBuffer buffer{storage, sizeof storage};
    Owned<TestRecord> inner(TestRecordType);
    FillRecord(*inner, 5, "ab");
    Owned<TestPdu> pdu(TestPduType);
    pdu->present = TestPduExternal;
    FillExternalReferences(pdu->choice.external);
    Asn1Any& any = pdu->choice.external.encoding.choice.singleAsn1Type;
    ASSERT_EQ(Asn1EncodeToAny(&any, &TestRecordType, inner.value, &buffer), 0);
    buffer.position += static_cast<std::size_t>(any.size);
    const std::ptrdiff_t written = Asn1Encode(&TestPduType, pdu.value, nullptr, &buffer);
    ASSERT_EQ(written, static_cast<std::ptrdiff_t>(Hex(kExternalImage).size()));
    EXPECT_EQ(Bytes(storage + buffer.position, storage + sizeof storage), Hex(kExternalImage));
}

TEST(Asn1External, DecodeFromAnyRefusesWhatIsNotOneValue) {
    void* value = reinterpret_cast<void*>(1);
    Asn1Any empty{nullptr, 0, 0};
    EXPECT_EQ(Asn1DecodeFromAny(&empty, &TestRecordType, &value), 0);
    EXPECT_EQ(value, nullptr);

    for (const char* image : {"30 03 02 01 05", "30 07 02 01 05 1A 02 61 62 00", "04 01 41"}) {
        Bytes octets = Hex(image);
        Asn1Any any{octets.data(), static_cast<std::int32_t>(octets.size()), 1};
        errno = 0;
        EXPECT_EQ(Asn1DecodeFromAny(&any, &TestRecordType, &value), -1) << image;
        EXPECT_EQ(errno, EINVAL);
        EXPECT_EQ(value, nullptr);
    }
    EXPECT_EQ(Asn1DecodeFromAny(nullptr, &TestRecordType, &value), -1);

    // Encoding "no value" releases the ANY's octets.
    Asn1Any owned{static_cast<std::uint8_t*>(std::malloc(4)), 4, 0};
    EXPECT_EQ(Asn1EncodeToAny(&owned, &TestRecordType, nullptr, nullptr), 0);
    EXPECT_EQ(owned.size, 0);
    EXPECT_EQ(owned.buf, nullptr);
}

TEST(Asn1External, ExplicitOpenTypeMustHoldExactlyOneElement) {
    EXPECT_EQ(DecodeCode(TestPduType, "A3 0C 28 0A 06 02 51 01 A0 04 02 01 03 00"), Asn1DecodeFailure);
    EXPECT_EQ(DecodeCode(TestPduType, "A3 0A 28 08 06 02 51 01 A0 02 05 00"), Asn1DecodeDone);
    EXPECT_EQ(DecodeCode(TestPduType, "A3 0A 28 08 06 02 51 01 81 02 41 42"), Asn1DecodeDone);
}

// ---- constraint checks ----

TEST(Asn1Constraints, DeclaredRangesAreCheckedOnlyOnRequest) {
    Owned<TestRequest> request(TestRequestType);
    request->service.present = TestChoiceEmpty;
    char messages[128];
    std::size_t size = sizeof messages;

    ASSERT_EQ(Asn1IntegerSetInt32(&request->invokeId, 127), 0);
    EXPECT_EQ(Asn1CheckConstraints(&TestRequestType, request.value, messages, &size), 0);
    EXPECT_EQ(size, 0u);

    ASSERT_EQ(Asn1IntegerSetInt32(&request->invokeId, 128), 0);
    size = sizeof messages;
    EXPECT_EQ(Asn1CheckConstraints(&TestRequestType, request.value, messages, &size), -1);
    EXPECT_STREQ(messages, "Unsigned8: value out of range");
    EXPECT_EQ(size, std::strlen(messages));
    // Encoding does not apply the range.
    EXPECT_GT(Encode(TestRequestType, request.value).result, 0);

    // Messages are truncated and stay terminated.
    char tiny[8];
    size = sizeof tiny;
    EXPECT_EQ(Asn1CheckConstraints(&TestRequestType, request.value, tiny, &size), -1);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(tiny[7], '\0');
}

TEST(Asn1Constraints, StringsChoicesAndMissingMembers) {
    Owned<TestRecord> record(TestRecordType);
    FillRecord(*record, 1, "bad\ttext");
    char messages[256];
    std::size_t size = sizeof messages;
    EXPECT_EQ(Asn1CheckConstraints(&TestRecordType, record.value, messages, &size), -1);
    EXPECT_STREQ(messages, "VisibleString: character outside 32..126");

    Owned<TestChoice> choice(TestChoiceType);
    size = sizeof messages;
    EXPECT_EQ(Asn1CheckConstraints(&TestChoiceType, choice.value, messages, &size), -1);
    EXPECT_STREQ(messages, "TestChoice: no alternative chosen");

    Owned<TestValue> value(TestValueType);
    value->present = TestValueListed;
    size = sizeof messages;
    EXPECT_EQ(Asn1CheckConstraints(&TestValueType, value.value, messages, &size), -1);
    EXPECT_STREQ(messages, "TestValue: alternative missing");

    Owned<TestChoice> text(TestChoiceType);
    text->present = TestChoiceText;
    ASSERT_EQ(Asn1OctetStringSetBytes(&text->choice.text, "\xC3\xA9t\xC3\xA9", 5), 0);
    size = sizeof messages;
    EXPECT_EQ(Asn1CheckConstraints(&TestChoiceType, text.value, messages, &size), 0);
    ASSERT_EQ(Asn1OctetStringSetBytes(&text->choice.text, "\xC0\xAF", 2), 0);
    size = sizeof messages;
    EXPECT_EQ(Asn1CheckConstraints(&TestChoiceType, text.value, messages, &size), -1);
    EXPECT_STREQ(messages, "UTF8String: invalid UTF-8");
}

}  // namespace
