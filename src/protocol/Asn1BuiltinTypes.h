#pragma once

// The operations of every type family and the descriptors of the built-in ASN.1 types.
// The descriptors are `inline constexpr`, so derived types and untagged members can be
// built from them at compile time:
//   inline constexpr Asn1TypeDescriptor Integer32Type = Asn1IntegerType.Derived("Integer32", &CheckInteger32);

#include "protocol/Asn1Types.h"

namespace Asn1 {

// INTEGER (Asn1Integer)
Asn1FreeFunction Asn1IntegerFree;
Asn1CheckFunction Asn1AcceptAnyValue;  // the check of types without constraints
Asn1DecodeFunction Asn1IntegerDecode;
Asn1EncodeFunction Asn1IntegerEncode;

// INTEGER held as a number (Asn1NativeInteger); decoding fails beyond 32 bits.
Asn1FreeFunction Asn1NativeIntegerFree;
Asn1DecodeFunction Asn1NativeIntegerDecode;
Asn1EncodeFunction Asn1NativeIntegerEncode;

// INTEGER held as an unsigned number (Asn1NativeUnsigned), for numbers that select data
// (the indexes of an alternate access). Decoding takes 0..2^32-1 in the one form X.690
// allows (at least one octet, the shortest) and nothing else: a lenient reading would
// select what the sender never wrote. Released through Asn1NativeIntegerFree.
Asn1DecodeFunction Asn1NativeUnsignedDecode;
Asn1EncodeFunction Asn1NativeUnsignedEncode;

// BOOLEAN (Asn1Boolean): encodes 0x01 for true.
Asn1FreeFunction Asn1BooleanFree;
Asn1DecodeFunction Asn1BooleanDecode;
Asn1EncodeFunction Asn1BooleanEncode;

// NULL (Asn1Null): decoding refuses content octets.
Asn1FreeFunction Asn1NullFree;
Asn1DecodeFunction Asn1NullDecode;
Asn1EncodeFunction Asn1NullEncode;

// OCTET STRING family (Asn1OctetString, and Asn1BitString for the bit-string variant):
// primitive and constructed (segmented) forms are decoded.
Asn1FreeFunction Asn1OctetStringFree;
Asn1DecodeFunction Asn1OctetStringDecode;
Asn1EncodeFunction Asn1OctetStringEncode;
Asn1CheckFunction Asn1VisibleStringCheck;      // octets 32..126
Asn1CheckFunction Asn1Utf8StringCheck;         // valid UTF-8
Asn1CheckFunction Asn1BitStringCheck;          // octets present, unused bits 0..7 (0 when empty)
Asn1EncodeFunction Asn1GeneralizedTimeEncode;  // fails: -1, errno EPERM
Asn1CheckFunction Asn1GeneralizedTimeCheck;    // accepts, errno EPERM

// OBJECT IDENTIFIER (Asn1ObjectIdentifier: content octets)
Asn1FreeFunction Asn1ObjectIdentifierFree;
Asn1CheckFunction Asn1ObjectIdentifierCheck;  // at least one content octet
Asn1DecodeFunction Asn1ObjectIdentifierDecode;
Asn1EncodeFunction Asn1ObjectIdentifierEncode;

// ANY (Asn1Any): keeps and writes one complete encoding as it stands.
Asn1FreeFunction Asn1AnyFree;
Asn1DecodeFunction Asn1AnyDecode;
Asn1EncodeFunction Asn1AnyEncode;
// An ANY that one layer carries for another: under an explicit tag it keeps the tag's
// content as it stands once that begins with a readable tag and length, even when the
// element's length disagrees with the tag's, so that the layer the PDU belongs to
// judges it. Elsewhere it reads as an ANY.
Asn1DecodeFunction Asn1CarriedAnyDecode;

// SEQUENCE and SET (free, check and encode are shared)
Asn1FreeFunction Asn1SequenceFree;
Asn1CheckFunction Asn1SequenceCheck;
Asn1DecodeFunction Asn1SequenceDecode;
Asn1EncodeFunction Asn1SequenceEncode;
Asn1DecodeFunction Asn1SetDecode;

// CHOICE
Asn1FreeFunction Asn1ChoiceFree;
Asn1CheckFunction Asn1ChoiceCheck;
Asn1DecodeFunction Asn1ChoiceDecode;
Asn1EncodeFunction Asn1ChoiceEncode;
Asn1OutermostTagFunction Asn1ChoiceOutermostTag;

// SEQUENCE OF and SET OF
Asn1FreeFunction Asn1SequenceOfFree;
Asn1CheckFunction Asn1SequenceOfCheck;
Asn1DecodeFunction Asn1SequenceOfDecode;
Asn1EncodeFunction Asn1SequenceOfEncode;

// Own tags of the built-in types.
inline constexpr Asn1Tag Asn1BooleanTags[] = {Asn1BooleanTag};
inline constexpr Asn1Tag Asn1IntegerTags[] = {Asn1IntegerTag};
inline constexpr Asn1Tag Asn1BitStringTags[] = {Asn1BitStringTag};
inline constexpr Asn1Tag Asn1OctetStringTags[] = {Asn1OctetStringTag};
inline constexpr Asn1Tag Asn1NullTags[] = {Asn1NullTag};
inline constexpr Asn1Tag Asn1ObjectIdentifierTags[] = {Asn1ObjectIdentifierTag};
inline constexpr Asn1Tag Asn1SequenceTags[] = {Asn1SequenceTag};
inline constexpr Asn1Tag Asn1SetTags[] = {Asn1SetTag};
inline constexpr Asn1Tag Asn1VisibleStringTags[] = {Asn1VisibleStringTag};
inline constexpr Asn1Tag Asn1VisibleStringAllTags[] = {Asn1VisibleStringTag, Asn1OctetStringTag};
inline constexpr Asn1Tag Asn1Utf8StringTags[] = {Asn1Utf8StringTag};
inline constexpr Asn1Tag Asn1Utf8StringAllTags[] = {Asn1Utf8StringTag, Asn1OctetStringTag};
inline constexpr Asn1Tag Asn1GraphicStringTags[] = {Asn1GraphicStringTag};
inline constexpr Asn1Tag Asn1GraphicStringAllTags[] = {Asn1GraphicStringTag, Asn1OctetStringTag};
inline constexpr Asn1Tag Asn1ObjectDescriptorTags[] = {Asn1ObjectDescriptorTag};
inline constexpr Asn1Tag Asn1ObjectDescriptorAllTags[] = {Asn1ObjectDescriptorTag, Asn1GraphicStringTag,
                                                          Asn1OctetStringTag};
inline constexpr Asn1Tag Asn1GeneralizedTimeTags[] = {Asn1GeneralizedTimeTag};
inline constexpr Asn1Tag Asn1GeneralizedTimeAllTags[] = {Asn1GeneralizedTimeTag, Asn1VisibleStringTag,
                                                         Asn1OctetStringTag};

inline constexpr Asn1PrimitiveSpecifics Asn1IntegerSpecifics{sizeof(Asn1Integer)};
inline constexpr Asn1PrimitiveSpecifics Asn1NumberSpecifics{sizeof(std::int32_t)};
inline constexpr Asn1PrimitiveSpecifics Asn1AnySpecifics{sizeof(Asn1Any)};
inline constexpr Asn1OctetStringSpecifics Asn1OctetStringFamilySpecifics{sizeof(Asn1OctetString),
                                                                         Asn1OctetStringVariant};
inline constexpr Asn1OctetStringSpecifics Asn1BitStringSpecifics{sizeof(Asn1BitString), Asn1BitStringVariant};

inline constexpr Asn1TypeDescriptor Asn1IntegerType{&Asn1IntegerFree,
                                                    &Asn1AcceptAnyValue,
                                                    &Asn1IntegerDecode,
                                                    &Asn1IntegerEncode,
                                                    nullptr,
                                                    Asn1IntegerTags,
                                                    1,
                                                    Asn1IntegerTags,
                                                    1,
                                                    nullptr,
                                                    0,
                                                    &Asn1IntegerSpecifics,
                                                    "INTEGER"};

inline constexpr Asn1TypeDescriptor Asn1NativeIntegerType{&Asn1NativeIntegerFree,
                                                          &Asn1AcceptAnyValue,
                                                          &Asn1NativeIntegerDecode,
                                                          &Asn1NativeIntegerEncode,
                                                          nullptr,
                                                          Asn1IntegerTags,
                                                          1,
                                                          Asn1IntegerTags,
                                                          1,
                                                          nullptr,
                                                          0,
                                                          &Asn1NumberSpecifics,
                                                          "INTEGER"};

inline constexpr Asn1TypeDescriptor Asn1NativeUnsignedType{&Asn1NativeIntegerFree,
                                                           &Asn1AcceptAnyValue,
                                                           &Asn1NativeUnsignedDecode,
                                                           &Asn1NativeUnsignedEncode,
                                                           nullptr,
                                                           Asn1IntegerTags,
                                                           1,
                                                           Asn1IntegerTags,
                                                           1,
                                                           nullptr,
                                                           0,
                                                           &Asn1NumberSpecifics,
                                                           "INTEGER"};

inline constexpr Asn1TypeDescriptor Asn1BooleanType{&Asn1BooleanFree,
                                                    &Asn1AcceptAnyValue,
                                                    &Asn1BooleanDecode,
                                                    &Asn1BooleanEncode,
                                                    nullptr,
                                                    Asn1BooleanTags,
                                                    1,
                                                    Asn1BooleanTags,
                                                    1,
                                                    nullptr,
                                                    0,
                                                    &Asn1NumberSpecifics,
                                                    "BOOLEAN"};

inline constexpr Asn1TypeDescriptor Asn1NullType{&Asn1NullFree,
                                                 &Asn1AcceptAnyValue,
                                                 &Asn1NullDecode,
                                                 &Asn1NullEncode,
                                                 nullptr,
                                                 Asn1NullTags,
                                                 1,
                                                 Asn1NullTags,
                                                 1,
                                                 nullptr,
                                                 0,
                                                 &Asn1NumberSpecifics,
                                                 "NULL"};

inline constexpr Asn1TypeDescriptor Asn1OctetStringType{&Asn1OctetStringFree,
                                                        &Asn1AcceptAnyValue,
                                                        &Asn1OctetStringDecode,
                                                        &Asn1OctetStringEncode,
                                                        nullptr,
                                                        Asn1OctetStringTags,
                                                        1,
                                                        Asn1OctetStringTags,
                                                        1,
                                                        nullptr,
                                                        0,
                                                        &Asn1OctetStringFamilySpecifics,
                                                        "OCTET STRING"};

inline constexpr Asn1TypeDescriptor Asn1VisibleStringType{&Asn1OctetStringFree,
                                                          &Asn1VisibleStringCheck,
                                                          &Asn1OctetStringDecode,
                                                          &Asn1OctetStringEncode,
                                                          nullptr,
                                                          Asn1VisibleStringTags,
                                                          1,
                                                          Asn1VisibleStringAllTags,
                                                          2,
                                                          nullptr,
                                                          0,
                                                          &Asn1OctetStringFamilySpecifics,
                                                          "VisibleString"};

inline constexpr Asn1TypeDescriptor Asn1Utf8StringType{&Asn1OctetStringFree,
                                                       &Asn1Utf8StringCheck,
                                                       &Asn1OctetStringDecode,
                                                       &Asn1OctetStringEncode,
                                                       nullptr,
                                                       Asn1Utf8StringTags,
                                                       1,
                                                       Asn1Utf8StringAllTags,
                                                       2,
                                                       nullptr,
                                                       0,
                                                       &Asn1OctetStringFamilySpecifics,
                                                       "UTF8String"};

inline constexpr Asn1TypeDescriptor Asn1GraphicStringType{&Asn1OctetStringFree,
                                                          &Asn1AcceptAnyValue,
                                                          &Asn1OctetStringDecode,
                                                          &Asn1OctetStringEncode,
                                                          nullptr,
                                                          Asn1GraphicStringTags,
                                                          1,
                                                          Asn1GraphicStringAllTags,
                                                          2,
                                                          nullptr,
                                                          0,
                                                          &Asn1OctetStringFamilySpecifics,
                                                          "GraphicString"};

inline constexpr Asn1TypeDescriptor Asn1ObjectDescriptorType{&Asn1OctetStringFree,
                                                             &Asn1AcceptAnyValue,
                                                             &Asn1OctetStringDecode,
                                                             &Asn1OctetStringEncode,
                                                             nullptr,
                                                             Asn1ObjectDescriptorTags,
                                                             1,
                                                             Asn1ObjectDescriptorAllTags,
                                                             3,
                                                             nullptr,
                                                             0,
                                                             &Asn1OctetStringFamilySpecifics,
                                                             "ObjectDescriptor"};

inline constexpr Asn1TypeDescriptor Asn1GeneralizedTimeType{&Asn1OctetStringFree,
                                                            &Asn1GeneralizedTimeCheck,
                                                            &Asn1OctetStringDecode,
                                                            &Asn1GeneralizedTimeEncode,
                                                            nullptr,
                                                            Asn1GeneralizedTimeTags,
                                                            1,
                                                            Asn1GeneralizedTimeAllTags,
                                                            3,
                                                            nullptr,
                                                            0,
                                                            &Asn1OctetStringFamilySpecifics,
                                                            "GeneralizedTime"};

inline constexpr Asn1TypeDescriptor Asn1BitStringType{&Asn1OctetStringFree,
                                                      &Asn1BitStringCheck,
                                                      &Asn1OctetStringDecode,
                                                      &Asn1OctetStringEncode,
                                                      nullptr,
                                                      Asn1BitStringTags,
                                                      1,
                                                      Asn1BitStringTags,
                                                      1,
                                                      nullptr,
                                                      0,
                                                      &Asn1BitStringSpecifics,
                                                      "BIT STRING"};

inline constexpr Asn1TypeDescriptor Asn1ObjectIdentifierType{&Asn1ObjectIdentifierFree,
                                                             &Asn1ObjectIdentifierCheck,
                                                             &Asn1ObjectIdentifierDecode,
                                                             &Asn1ObjectIdentifierEncode,
                                                             nullptr,
                                                             Asn1ObjectIdentifierTags,
                                                             1,
                                                             Asn1ObjectIdentifierTags,
                                                             1,
                                                             nullptr,
                                                             0,
                                                             &Asn1AnySpecifics,
                                                             "OBJECT IDENTIFIER"};

inline constexpr Asn1TypeDescriptor Asn1AnyType{&Asn1AnyFree,
                                                &Asn1AcceptAnyValue,
                                                &Asn1AnyDecode,
                                                &Asn1AnyEncode,
                                                nullptr,
                                                nullptr,
                                                0,
                                                nullptr,
                                                0,
                                                nullptr,
                                                0,
                                                &Asn1AnySpecifics,
                                                "ANY"};

// Asn1AnyType with Asn1CarriedAnyDecode: written the same way.
inline constexpr Asn1TypeDescriptor Asn1CarriedAnyType{&Asn1AnyFree,
                                                       &Asn1AcceptAnyValue,
                                                       &Asn1CarriedAnyDecode,
                                                       &Asn1AnyEncode,
                                                       nullptr,
                                                       nullptr,
                                                       0,
                                                       nullptr,
                                                       0,
                                                       nullptr,
                                                       0,
                                                       &Asn1AnySpecifics,
                                                       "ANY"};

}  // namespace Asn1
