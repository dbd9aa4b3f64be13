#pragma once

#include "protocol/Asn1Types.h"
#include "system/ResultCode.h"

namespace Asn1 {

class Asn1Frame;

// EXTERNAL ::= [UNIVERSAL 8] IMPLICIT SEQUENCE {
//     direct-reference      OBJECT IDENTIFIER OPTIONAL,
//     indirect-reference    INTEGER OPTIONAL,
//     data-value-descriptor ObjectDescriptor OPTIONAL,
//     encoding CHOICE {
//         single-ASN1-type  [0] ANY,
//         octet-aligned     [1] IMPLICIT OCTET STRING,
//         arbitrary         [2] IMPLICIT BIT STRING } }
// It carries a PDU of another context inside ACSE user information.

inline constexpr Asn1Presence Asn1ExternalSingleAsn1Type = 1;
inline constexpr Asn1Presence Asn1ExternalOctetAligned = 2;
inline constexpr Asn1Presence Asn1ExternalArbitrary = 3;

struct Asn1ExternalEncoding {
    Asn1Presence present;
    union {
        Asn1Any singleAsn1Type;  // the complete encoding of the carried value
        Asn1OctetString octetAligned;
        Asn1BitString arbitrary;
    } choice;
};

struct Asn1External {
    Asn1ObjectIdentifier* directReference;
    Asn1Integer* indirectReference;
    Asn1ObjectDescriptor* dataValueDescriptor;
    Asn1ExternalEncoding encoding;
};

extern const Asn1TypeDescriptor Asn1ExternalEncodingType;
// Members of other tables that hold an EXTERNAL untagged give Asn1ExternalTag as its
// own tag.
extern const Asn1TypeDescriptor Asn1ExternalType;

// The transfer syntax (basic encoding rules) and presentation context of an MMS PDU
// carried in ACSE user information.
inline constexpr const char* Asn1ExternalMmsDirectReference = "2.1.1";
inline constexpr int Asn1ExternalMmsIndirectReference = 3;

// Builds a new EXTERNAL (NoResources when memory runs out) whose single-ASN1-type is
// the frame's attached value, encoded in place in front of the frame's window (the
// frame keeps its storage as head room, see Asn1Frame); the frame's window becomes
// exactly that encoding and StateEncoded (its value stays attached). A frame already
// encoded (StateEncoded, no value) lends its window as it is. Direct reference "2.1.1",
// indirect reference 3. The EXTERNAL borrows the encoded octets from the frame's
// storage, so it must not outlive that storage; it is freed through Asn1ExternalType.
// On failure external is null and the frame's window is unchanged.
System::ResultCode WrapFrameAsExternal(Asn1External*& external, Asn1Frame& frame);

}  // namespace Asn1
