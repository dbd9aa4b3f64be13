#include "protocol/Asn1TestModule.h"

#include <cstddef>

namespace Asn1TestModule {

namespace {

constexpr auto kTestRecordMembers = Asn1Members({
    Asn1Field(offsetof(TestRecord, id), Asn1IntegerType, "id"),
    Asn1Field(offsetof(TestRecord, name), Asn1VisibleStringType, "name"),
    Asn1Field(offsetof(TestRecord, flag), Asn1BooleanType, "flag").Implicit(Asn1ContextTag(0)).Optional(),
    Asn1Field(offsetof(TestRecord, note), Asn1OctetStringType, "note").Implicit(Asn1ContextTag(1)).Optional(),
    Asn1Field(offsetof(TestRecord, level), Asn1NativeIntegerType, "level").Explicit(Asn1ContextTag(2)).Optional(),
    Asn1Field(offsetof(TestRecord, bits), Asn1BitStringType, "bits").Optional(),
});

constexpr auto kTestChoiceMembers = Asn1Members({
    Asn1Field(offsetof(TestChoice, choice), Asn1IntegerType, "number").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TestChoice, choice), Asn1Utf8StringType, "text").Implicit(Asn1ContextTag(1)),
    Asn1Field(offsetof(TestChoice, choice), Asn1NullType, "empty").Implicit(Asn1ContextTag(2)),
    Asn1Field(offsetof(TestChoice, choice), TestRecordType, Asn1SequenceTag, "record").Implicit(Asn1ContextTag(3)),
});

constexpr auto kTestStrictChoiceMembers = Asn1Members({
    Asn1Field(offsetof(TestStrictChoice, choice), Asn1BooleanType, "flag").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TestStrictChoice, choice), Asn1ObjectIdentifierType, "oid").Implicit(Asn1ContextTag(1)),
});

constexpr auto kTestValueMembers = Asn1Members({
    Asn1Field(offsetof(TestValue, choice), Asn1NativeIntegerType, "integer").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TestValue, choice), TestValueListType, Asn1SequenceTag, "list")
        .Implicit(Asn1ContextTag(1))
        .Pointer(),
    Asn1Field(offsetof(TestValue, choice), Asn1VisibleStringType, "text").Implicit(Asn1ContextTag(2)),
});

constexpr auto kTestValueListMembers = Asn1Members({Asn1Field(0, TestValueType, Asn1NoTag, "TestValue")});

constexpr auto kTestRequestMembers = Asn1Members({
    Asn1Field(offsetof(TestRequest, invokeId), Unsigned8Type, "invokeId"),
    Asn1Field(offsetof(TestRequest, service), TestChoiceType, Asn1NoTag, "service"),
});

constexpr auto kTestExternalEncodingMembers = Asn1Members({
    Asn1Field(offsetof(TestExternalEncoding, choice), Asn1AnyType, "single-ASN1-type").Explicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TestExternalEncoding, choice), Asn1OctetStringType, "octet-aligned").Implicit(Asn1ContextTag(1)),
    Asn1Field(offsetof(TestExternalEncoding, choice), Asn1BitStringType, "arbitrary").Implicit(Asn1ContextTag(2)),
});

constexpr auto kTestExternalMembers = Asn1Members({
    Asn1Field(offsetof(TestExternal, directReference), Asn1ObjectIdentifierType, "direct-reference").Optional(),
    Asn1Field(offsetof(TestExternal, indirectReference), Asn1IntegerType, "indirect-reference").Optional(),
    Asn1Field(offsetof(TestExternal, encoding), TestExternalEncodingType, Asn1NoTag, "encoding"),
});
constexpr Asn1Tag kTestExternalTags[] = {Asn1ExternalTag};

constexpr auto kTestSetMembers = Asn1Members({
    Asn1Field(offsetof(TestSet, a), Asn1IntegerType, "a").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TestSet, b), Asn1BooleanType, "b").Implicit(Asn1ContextTag(1)).Optional(),
    Asn1Field(offsetof(TestSet, c), Asn1OctetStringType, "c").Implicit(Asn1ContextTag(2)),
});

constexpr auto kTestWideMembers = Asn1Members({
    Asn1Field(offsetof(TestWide, f[0]), Asn1NativeIntegerType, "f0").Implicit(Asn1ContextTag(0)).Optional(),
    Asn1Field(offsetof(TestWide, f[1]), Asn1NativeIntegerType, "f1").Implicit(Asn1ContextTag(1)).Optional(),
    Asn1Field(offsetof(TestWide, f[2]), Asn1NativeIntegerType, "f2").Implicit(Asn1ContextTag(2)).Optional(),
    Asn1Field(offsetof(TestWide, f[3]), Asn1NativeIntegerType, "f3").Implicit(Asn1ContextTag(3)).Optional(),
    Asn1Field(offsetof(TestWide, f[4]), Asn1NativeIntegerType, "f4").Implicit(Asn1ContextTag(4)).Optional(),
    Asn1Field(offsetof(TestWide, f[5]), Asn1NativeIntegerType, "f5").Implicit(Asn1ContextTag(5)).Optional(),
    Asn1Field(offsetof(TestWide, f[6]), Asn1NativeIntegerType, "f6").Implicit(Asn1ContextTag(6)).Optional(),
    Asn1Field(offsetof(TestWide, f[7]), Asn1NativeIntegerType, "f7").Implicit(Asn1ContextTag(7)).Optional(),
    Asn1Field(offsetof(TestWide, f[8]), Asn1NativeIntegerType, "f8").Implicit(Asn1ContextTag(8)).Optional(),
    Asn1Field(offsetof(TestWide, f[9]), Asn1NativeIntegerType, "f9").Implicit(Asn1ContextTag(9)).Optional(),
    Asn1Field(offsetof(TestWide, last), Asn1NativeIntegerType, "last").Implicit(Asn1ContextTag(40)),
});

constexpr auto kTestIntegersMembers = Asn1Members({Asn1Field(0, Asn1NativeIntegerType, "item")});

constexpr Asn1Tag kTestAppRecordTags[] = {Asn1ApplicationTag(5)};

constexpr auto kTestPduMembers = Asn1Members({
    Asn1Field(offsetof(TestPdu, choice), TestRecordType, Asn1SequenceTag, "record").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TestPdu, choice), TestChoiceType, Asn1NoTag, "choice").Explicit(Asn1ContextTag(1)),
    Asn1Field(offsetof(TestPdu, choice), TestValueListType, Asn1SequenceTag, "values").Implicit(Asn1ContextTag(2)),
    Asn1Field(offsetof(TestPdu, choice), TestExternalType, Asn1ExternalTag, "external").Explicit(Asn1ContextTag(3)),
    Asn1Field(offsetof(TestPdu, choice), TestSetType, Asn1SetTag, "set").Implicit(Asn1ContextTag(4)),
    Asn1Field(offsetof(TestPdu, choice), TestStrictChoiceType, Asn1NoTag, "strict").Explicit(Asn1ContextTag(5)),
    Asn1Field(offsetof(TestPdu, choice), TestRequestType, Asn1SequenceTag, "request").Implicit(Asn1ContextTag(6)),
    Asn1Field(offsetof(TestPdu, choice), TestIntegersType, Asn1SequenceTag, "integers").Implicit(Asn1ContextTag(7)),
    Asn1Field(offsetof(TestPdu, choice), TestWideType, Asn1SequenceTag, "wide").Implicit(Asn1ContextTag(9)),
    Asn1Field(offsetof(TestPdu, choice), TestAppRecordType, Asn1ApplicationTag(5), "app"),
    Asn1Field(offsetof(TestPdu, choice), TestAppNumberType, "number"),
    Asn1Field(offsetof(TestPdu, choice), Asn1NativeUnsignedType, "index").Implicit(Asn1ContextTag(10)),
});

}  // namespace

constinit const Asn1TypeDescriptor TestRecordType = Asn1SequenceType<TestRecord, kTestRecordMembers, 5>("TestRecord");
constinit const Asn1TypeDescriptor TestChoiceType = Asn1ChoiceType<TestChoice, kTestChoiceMembers, true>("TestChoice");
constinit const Asn1TypeDescriptor TestStrictChoiceType =
    Asn1ChoiceType<TestStrictChoice, kTestStrictChoiceMembers>("TestStrictChoice");
constinit const Asn1TypeDescriptor TestValueType = Asn1ChoiceType<TestValue, kTestValueMembers, true>("TestValue");
constinit const Asn1TypeDescriptor TestValueListType = Asn1SequenceOfType<kTestValueListMembers>("TestValueList");
constinit const Asn1TypeDescriptor TestRequestType =
    Asn1SequenceType<TestRequest, kTestRequestMembers, 1>("TestRequest");
constinit const Asn1TypeDescriptor TestExternalEncodingType =
    Asn1ChoiceType<TestExternalEncoding, kTestExternalEncodingMembers>("TestExternalEncoding");
constinit const Asn1TypeDescriptor TestExternalType =
    Asn1SequenceType<TestExternal, kTestExternalMembers>("TestExternal").WithTags(kTestExternalTags);
constinit const Asn1TypeDescriptor TestSetType = Asn1SetType<TestSet, kTestSetMembers, true>("TestSet");
constinit const Asn1TypeDescriptor TestWideType = Asn1SequenceType<TestWide, kTestWideMembers>("TestWide");
constinit const Asn1TypeDescriptor TestIntegersType = Asn1SequenceOfType<kTestIntegersMembers>("TestIntegers");
constinit const Asn1TypeDescriptor TestAppRecordType =
    Asn1SequenceType<TestRecord, kTestRecordMembers, 5>("TestAppRecord").WithTags(kTestAppRecordTags);
constinit const Asn1TypeDescriptor TestPduType = Asn1ChoiceType<TestPdu, kTestPduMembers>("TestPdu");

}  // namespace Asn1TestModule
