#pragma once

// A small ASN.1 module written as coder tables, the way PDU modules are written: used
// by the coder's tests, its fuzz target and its benchmark.
//
// TestRecord ::= SEQUENCE {
//     id     INTEGER,
//     name   VisibleString,
//     flag   [0] IMPLICIT BOOLEAN OPTIONAL,
//     note   [1] IMPLICIT OCTET STRING OPTIONAL,
//     level  [2] EXPLICIT INTEGER OPTIONAL,      -- held as a number
//     bits   BIT STRING OPTIONAL,
//     ... }
// TestChoice ::= CHOICE {                         -- extensible
//     number [0] IMPLICIT INTEGER, text [1] IMPLICIT UTF8String,
//     empty [2] IMPLICIT NULL, record [3] IMPLICIT TestRecord, ... }
// TestStrictChoice ::= CHOICE { flag [0] IMPLICIT BOOLEAN, oid [1] IMPLICIT OBJECT IDENTIFIER }
// TestValue ::= CHOICE {                          -- recursive and extensible
//     integer [0] IMPLICIT INTEGER, list [1] IMPLICIT SEQUENCE OF TestValue,
//     text [2] IMPLICIT VisibleString, ... }
// TestRequest ::= SEQUENCE { invokeId Unsigned8, service TestChoice, ... }
// TestExternal ::= [UNIVERSAL 8] IMPLICIT SEQUENCE {
//     directReference OBJECT IDENTIFIER OPTIONAL,
//     indirectReference INTEGER OPTIONAL,
//     encoding CHOICE {
//         single-ASN1-type [0] ANY,
//         octet-aligned [1] IMPLICIT OCTET STRING,
//         arbitrary [2] IMPLICIT BIT STRING } }
// TestSet ::= SET { a [0] IMPLICIT INTEGER, b [1] IMPLICIT BOOLEAN OPTIONAL,
//                   c [2] IMPLICIT OCTET STRING, ... }
// TestWide ::= SEQUENCE { f0 [0] IMPLICIT INTEGER OPTIONAL, ... f9 [9] ... OPTIONAL,
//                        last [40] IMPLICIT INTEGER }
// TestIntegers ::= SEQUENCE OF INTEGER             -- held as numbers
// TestAppRecord ::= [APPLICATION 5] IMPLICIT TestRecord
// TestAppNumber ::= [APPLICATION 6] EXPLICIT INTEGER
// TestPdu ::= CHOICE {
//     record [0] IMPLICIT TestRecord, choice [1] EXPLICIT TestChoice,
//     values [2] IMPLICIT SEQUENCE OF TestValue, external [3] EXPLICIT TestExternal,
//     set [4] IMPLICIT TestSet, strict [5] EXPLICIT TestStrictChoice,
//     request [6] IMPLICIT TestRequest, integers [7] IMPLICIT TestIntegers,
//     wide [9] IMPLICIT TestWide, app TestAppRecord, number TestAppNumber,
//     index [10] IMPLICIT INTEGER }                -- held as an unsigned number

#include "protocol/Asn1Coder.h"

namespace Asn1TestModule {

using namespace Asn1;

inline constexpr Asn1TypeDescriptor Unsigned8Type =
    Asn1IntegerType.Derived("Unsigned8", &Asn1CheckIntegerRange<0, 127>);

inline constexpr Asn1Tag kAppNumberTags[] = {Asn1ApplicationTag(6), Asn1IntegerTag};
inline constexpr Asn1TypeDescriptor TestAppNumberType =
    Asn1NativeIntegerType.Derived("TestAppNumber").WithTags(kAppNumberTags);

struct TestRecord {
    Asn1Integer id;
    Asn1VisibleString name;
    Asn1Boolean* flag;
    Asn1OctetString* note;
    Asn1NativeInteger* level;
    Asn1BitString* bits;
};

struct TestChoice {
    Asn1Presence present;
    union {
        Asn1Integer number;
        Asn1Utf8String text;
        Asn1Null empty;
        TestRecord record;
    } choice;
};
enum : Asn1Presence { TestChoiceNumber = 1, TestChoiceText, TestChoiceEmpty, TestChoiceRecord };

struct TestStrictChoice {
    Asn1Presence present;
    union {
        Asn1Boolean flag;
        Asn1ObjectIdentifier oid;
    } choice;
};

struct TestValue;
using TestValueList = Asn1ListOf<TestValue>;
struct TestValue {
    Asn1Presence present;
    union {
        Asn1NativeInteger integer;
        TestValueList* list;
        Asn1VisibleString text;
    } choice;
};
enum : Asn1Presence { TestValueInteger = 1, TestValueListed, TestValueText };

struct TestRequest {
    Asn1Integer invokeId;
    TestChoice service;
};

struct TestExternalEncoding {
    Asn1Presence present;
    union {
        Asn1Any singleAsn1Type;
        Asn1OctetString octetAligned;
        Asn1BitString arbitrary;
    } choice;
};
struct TestExternal {
    Asn1ObjectIdentifier* directReference;
    Asn1Integer* indirectReference;
    TestExternalEncoding encoding;
};

struct TestSet {
    Asn1Integer a;
    Asn1Boolean* b;
    Asn1OctetString c;
};

struct TestWide {
    Asn1NativeInteger* f[10];
    Asn1NativeInteger last;
};

using TestIntegers = Asn1ListOf<Asn1NativeInteger>;

struct TestPdu {
    Asn1Presence present;
    union {
        TestRecord record;
        TestChoice choice;
        Asn1ListOf<TestValue> values;
        TestExternal external;
        TestSet set;
        TestStrictChoice strict;
        TestRequest request;
        TestIntegers integers;
        TestWide wide;
        TestRecord app;
        Asn1NativeInteger number;
        Asn1NativeUnsigned index;
    } choice;
};
enum : Asn1Presence {
    TestPduRecord = 1,
    TestPduChoice,
    TestPduValues,
    TestPduExternal,
    TestPduSet,
    TestPduStrict,
    TestPduRequest,
    TestPduIntegers,
    TestPduWide,
    TestPduApp,
    TestPduNumber,
    TestPduIndex
};

extern const Asn1TypeDescriptor TestRecordType;
extern const Asn1TypeDescriptor TestChoiceType;
extern const Asn1TypeDescriptor TestStrictChoiceType;
extern const Asn1TypeDescriptor TestValueType;
extern const Asn1TypeDescriptor TestValueListType;
extern const Asn1TypeDescriptor TestRequestType;
extern const Asn1TypeDescriptor TestExternalEncodingType;
extern const Asn1TypeDescriptor TestExternalType;
extern const Asn1TypeDescriptor TestSetType;
extern const Asn1TypeDescriptor TestWideType;
extern const Asn1TypeDescriptor TestIntegersType;
extern const Asn1TypeDescriptor TestAppRecordType;
extern const Asn1TypeDescriptor TestPduType;

}  // namespace Asn1TestModule
