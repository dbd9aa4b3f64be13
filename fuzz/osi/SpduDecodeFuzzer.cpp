// Every SPDU class decodes the same arbitrary bytes, as the session connection would
// decode a received unit; the Give Tokens and Data Transfer pair is also decoded one
// behind the other, as a data unit arrives. The bytes lie in a buffer of exactly
// their size, so a read past them is caught. What decodes is encoded again, and an
// encoding that succeeds must decode to the same fields.
#include "osi/AbSpdu.h"
#include "osi/AcSpdu.h"
#include "osi/CnSpdu.h"
#include "osi/DtSpdu.h"
#include "osi/GtDtSpdu.h"
#include "osi/GtSpdu.h"
#include "osi/RfSpdu.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A broken expectation names its line before the run ends.
void Require(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "expectation broken at line %d\n", line);
    std::abort();
}

Bytes Octets(std::span<const std::uint8_t> octets) { return {octets.begin(), octets.end()}; }

Bytes FrameBytes(const Protocol::Frame& frame) {
    if (frame.GetTotalLength() == 0) return {};
    return {frame.Data(), frame.Data() + frame.GetTotalLength()};
}

// Decodes the bytes into the SPDU: true when they decoded. A decoded SPDU spans what
// Measure found and lies inside the bytes; a refused one is left invalid.
bool DecodeChecked(Spdu& spdu, std::span<const std::uint8_t> bytes) {
    std::uint8_t si = 0;
    std::uint32_t length = 0;
    const bool measured = Spdu::Measure(bytes, si, length) == System::OkNoError;
    const System::ResultCode result = spdu.Decode(bytes);
    if (result != System::OkNoError) {
        Require(result == System::ProtocolError);
        Require(spdu.GetState() == Protocol::Frame::StateInvalid);
        return false;
    }
    Require(measured && si == spdu.GetSi());
    Require(spdu.GetState() == Protocol::Frame::StateDecoded);
    Require(spdu.GetSpduLength() == length && length <= bytes.size());
    Require(spdu.GetParameterFieldLength() + 2 <= length);
    return true;
}

// The encoding of an SPDU: its bytes, each encoding measured as one whole SPDU.
Bytes EncodedBytes(const Spdu& spdu) {
    Require(spdu.GetState() == Protocol::Frame::StateEncoded);
    const Bytes bytes = FrameBytes(spdu);
    std::uint8_t si = 0;
    std::uint32_t length = 0;
    Require(Spdu::Measure(bytes, si, length) == System::OkNoError);
    Require(si == spdu.GetSi() && length == spdu.GetSpduLength());
    return bytes;
}

template <typename T>
void CheckConnect(std::span<const std::uint8_t> bytes) {
    T spdu(nullptr);
    if (!DecodeChecked(spdu, bytes)) return;
    if (spdu.Encode() != System::OkNoError) return;  // too long to send again: refused, not written
    const Bytes encoded = EncodedBytes(spdu);
    Require(Octets(spdu.GetUserData()).size() <= bytes.size());
    T again(nullptr);
    Require(DecodeChecked(again, encoded));
    Require(again.GetSpduLength() == encoded.size());
    Require(again.HasConnectAcceptItem() == spdu.HasConnectAcceptItem());
    if (spdu.HasConnectAcceptItem()) {
        Require(again.GetProtocolOptions() == spdu.GetProtocolOptions());
        Require(again.GetVersionNumber() == spdu.GetVersionNumber());
        Require(again.HasTsduMaximumSize() == spdu.HasTsduMaximumSize());
        Require(again.GetTsduMaximumSize() == spdu.GetTsduMaximumSize());
    }
    Require(again.HasUserRequirements() == spdu.HasUserRequirements());
    Require(again.GetUserRequirements() == spdu.GetUserRequirements());
    Require(again.HasCallingSelector() == spdu.HasCallingSelector());
    Require(Octets(again.GetCallingSelectorOctets()) == Octets(spdu.GetCallingSelectorOctets()));
    Require(again.HasCalledSelector() == spdu.HasCalledSelector());
    Require(Octets(again.GetCalledSelectorOctets()) == Octets(spdu.GetCalledSelectorOctets()));
    Require(again.HasUserData() == spdu.HasUserData());
    Require(Octets(again.GetUserData()) == Octets(spdu.GetUserData()));
}

void CheckRefuse(std::span<const std::uint8_t> bytes) {
    RfSpdu rf(nullptr);
    if (!DecodeChecked(rf, bytes)) return;
    if (rf.Encode() != System::OkNoError) return;
    RfSpdu again(nullptr);
    Require(DecodeChecked(again, EncodedBytes(rf)));
    Require(again.HasTransportDisconnect() == rf.HasTransportDisconnect());
    Require(again.GetTransportDisconnect() == rf.GetTransportDisconnect());
    Require(again.HasReason() == rf.HasReason());
    Require(again.GetReason() == rf.GetReason());
    Require(Octets(again.GetUserData()) == Octets(rf.GetUserData()));
}

void CheckAbort(std::span<const std::uint8_t> bytes) {
    AbSpdu ab(nullptr);
    if (!DecodeChecked(ab, bytes)) return;
    if (ab.Encode() != System::OkNoError) return;
    AbSpdu again(nullptr);
    Require(DecodeChecked(again, EncodedBytes(ab)));
    Require(again.GetTransportDisconnect() == ab.GetTransportDisconnect());
    Require(again.HasUserData() == ab.HasUserData());
    Require(Octets(again.GetUserData()) == Octets(ab.GetUserData()));
}

// A data unit: Give Tokens, then Data Transfer with the rest as user data. Both are
// encoded again and joined as the session sends them; the join decodes to the same.
void CheckDataUnit(std::span<const std::uint8_t> bytes) {
    GtSpdu gt(nullptr);
    if (!DecodeChecked(gt, bytes)) return;
    DtSpdu dt(nullptr);
    if (!DecodeChecked(dt, bytes.subspan(gt.GetSpduLength()))) return;
    const Bytes userData = Octets(dt.GetUserData());
    Require(userData == Octets(bytes.subspan(gt.GetSpduLength() + dt.GetSpduLength())));

    if (gt.Encode() != System::OkNoError || dt.Encode() != System::OkNoError) return;
    Require(Octets(dt.GetUserData()) == userData);
    GtDtSpdu unit(nullptr);
    unit.AddPart(gt);
    unit.AddPart(dt);
    Require(unit.Encode() == System::OkNoError);
    const Bytes joined = FrameBytes(unit);
    Require(joined.size() == gt.GetTotalLength() + dt.GetTotalLength());

    GtSpdu gtAgain(nullptr);
    Require(DecodeChecked(gtAgain, joined));
    Require(gtAgain.HasTokenItem() == gt.HasTokenItem() && gtAgain.GetTokenItem() == gt.GetTokenItem());
    Require(gtAgain.HasEnclosureItem() == gt.HasEnclosureItem());
    Require(gtAgain.GetEnclosureItem() == gt.GetEnclosureItem());
    DtSpdu dtAgain(nullptr);
    Require(DecodeChecked(dtAgain, std::span<const std::uint8_t>(joined).subspan(gtAgain.GetSpduLength())));
    Require(dtAgain.HasEnclosureItem() == dt.HasEnclosureItem());
    Require(dtAgain.GetEnclosureItem() == dt.GetEnclosureItem());
    Require(Octets(dtAgain.GetUserData()) == userData);
}

// The data transfer SPDU alone, decoded twice into one object (the second decoding
// replaces the first, refused or not) and then read.
void CheckDataReuse(std::span<const std::uint8_t> bytes) {
    DtSpdu dt(nullptr);
    if (!DecodeChecked(dt, bytes)) return;
    const Bytes userData = Octets(dt.GetUserData());
    Require(userData == Octets(bytes.subspan(dt.GetSpduLength())));
    if (bytes.size() > dt.GetSpduLength()) {
        // The same SPDU with its user data cut short by one octet.
        if (DecodeChecked(dt, bytes.first(bytes.size() - 1))) {
            Require(Octets(dt.GetUserData()) == Octets(bytes.subspan(dt.GetSpduLength(), userData.size() - 1)));
        }
    }
    // The field with its last octet gone may no longer parse: whatever the user data
    // then reads, it must be readable.
    const Bytes truncated(bytes.begin(), bytes.begin() + (dt.GetSpduLength() - 1));
    Bytes broken = truncated;
    if (broken.size() >= 2 && broken[1] != 0xFF && broken[1] > 0) --broken[1];
    DecodeChecked(dt, broken);
    (void)Octets(dt.GetUserData());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's size: the input buffer itself may be larger.
    const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size > 0 ? size : 1]);
    for (std::size_t i = 0; i < size; ++i) copy[i] = data[i];
    const std::span<const std::uint8_t> bytes(copy.get(), size);

    CheckConnect<CnSpdu>(bytes);
    CheckConnect<AcSpdu>(bytes);
    CheckRefuse(bytes);
    CheckAbort(bytes);
    CheckDataUnit(bytes);
    CheckDataReuse(bytes);
    return 0;
}
