#pragma once

// MMS types of logical nodes and control blocks as devices describe them, for the ICD
// export's tests: the common data classes of the model tests, the name plate, and the
// GOOSE, GSSE and sampled-value blocks with their destination addresses.

#include <string>
#include <vector>

#include "iec61850/acsi/DeviceTypes.h"
#include "support/icdmodel/IcdTestServer.h"

namespace IcdTestModel {

using Members = Iec61850::Acsi::DeviceTypes::Members;

// How a block's DstAddress gives the MAC address: as six octets, or as a visible string
// (some devices do), which lets a test give texts of any length.
enum class AddressForm { Octets, Text };

Type DstAddress(AddressForm form = AddressForm::Octets);
Type NamePlate();
Type GoCb(AddressForm form = AddressForm::Octets);
Type GsCb();
// Without `withRate` the block lacks SmpRate, as some devices' blocks do.
Type MsvCb(bool withRate = true);
Type UsvCb(bool withRate = true);
// Oper with the optional operTm, as timer-activated controls have it.
Type ControlsWithOperTime();

// What an LLN0 carries, each part optional.
struct Lln0Parts {
    bool namePlate = true;
    int buffered = 0;            // brcb01 ... under BR
    int unbuffered = 0;          // urcb01 ... under RP
    int logs = 0;                // lcb01 ... under LG
    int goose = 0;               // gocb01 ... under GO
    int gsse = 0;                // gscb01 ... under GS
    int multicastSv = 0;         // msvcb01 ... under MS
    int unicastSv = 0;           // usvcb01 ... under US
    bool settingGroups = false;  // SGCB under SP
    AddressForm addressForm = AddressForm::Octets;
};
NodeShape Lln0(const Lln0Parts& parts = {});
// A circuit breaker (status, control, configuration, description); its controls with
// operTm when `timed`.
NodeShape Xcbr(const std::string& name, bool timed = false);
// With `units`, TotW has its unit (SI unit and multiplier) under CF and A its angle reference.
NodeShape Mmxu(const std::string& name, bool units = false);
NodeShape Cswi(const std::string& name);
// A meter: its health and a counter whose actual value has the given integer width.
NodeShape Mmtr(const std::string& name, int counterBits = 64);
// Physical device: its health.
NodeShape Lphd(const std::string& name);
// Harmonics as HMV: an array of 16 vectors (magnitude and angle).
NodeShape Mhan(const std::string& name);
// Harmonics: an array of vectors per phase, and their number.
NodeShape Mhai(const std::string& name, int harmonics = 16);
// A generic I/O node, optionally with report and log blocks of its own.
NodeShape Ggio(const std::string& name, int buffered = 0, int unbuffered = 0, int logs = 0);

// A generic I/O node with what the dictionary does not know: an analogue output AnOut1
// (APC: measured value, controls, control model) and an attribute of Ind1 no type has.
NodeShape GgioWithGaps(const std::string& name);
// A node of a class the dictionary lacks: one status object Foo.
NodeShape UnknownClass(const std::string& name);
// Device "LD0": LLN0 with a data set "Mixed" naming known and unknown data (ZZZZ1.Foo,
// GGIO1.AnOut1.mxVal, GGIO1.Ind1.stVal) and the report, GOOSE and log blocks that use it,
// and one "Unknown" naming only unknown data; configuration values of unknown objects.
void BuildDictionaryGapsModel(IcdTestServer& server);

// "01", "02" ...
std::string Numbered(const std::string& stem, int number);

}  // namespace IcdTestModel
