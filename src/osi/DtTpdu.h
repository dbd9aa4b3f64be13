#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "osi/Tpdu.h"

// Data TPDU of class 0: LI 2, 0xF0, then EOT in the top bit and the TPDU-NR (always
// 0 in class 0) in the low seven bits, followed by the user data. A received DT's
// window covers its user data once decoded.
class DtTpdu : public Tpdu {
public:
    static constexpr std::uint32_t HeaderRoom = 3;
    static constexpr std::uint8_t ClassZeroCode = 0xF0;
    // The octet after the code: the end-of-unit mark and the TPDU number.
    static constexpr std::uint8_t EndOfUnitMark = 0x80;
    static constexpr std::uint8_t TpduNumberMask = 0x7F;

    // The header of a DT sent by this side (TPDU-NR 0).
    static constexpr std::array<std::uint8_t, HeaderRoom> SendingHeader(bool endOfUnit) {
        return {HeaderRoom - 1, ClassZeroCode, endOfUnit ? EndOfUnitMark : std::uint8_t{0}};
    }

    // For receiving.
    explicit DtTpdu(Protocol::Connection* owner);
    // For sending: the user data is copied behind three octets of header room.
    // Check GetCapacity() for a failed allocation when the data is not empty.
    DtTpdu(Protocol::Connection* owner, std::span<const std::uint8_t> userData, bool endOfUnit);

    bool IsEndOfUnit() const { return endOfUnit_; }
    void SetEndOfUnit(bool endOfUnit) { endOfUnit_ = endOfUnit; }
    std::uint8_t GetTpduNumber() const { return tpduNumber_; }
    std::span<const std::uint8_t> GetUserData() const;

    // Writes the header into the room in front of the user data; the window then
    // covers the whole TPDU.
    System::ResultCode Encode() override;
    // StateSegment without EOT, StateComplete with it; the window moves onto the user data.
    System::ResultCode Decode(const Protocol::Frame& received) override;

private:
    std::uint8_t tpduNumber_ = 0;
    bool endOfUnit_ = true;
};
