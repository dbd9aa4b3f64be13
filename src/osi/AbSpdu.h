#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "osi/Spdu.h"

// Abort SPDU (SI 25): transport disconnect (bit 0: release the transport
// connection, bit 1: user abort) and, for a user abort, the user data.
class AbSpdu : public Spdu {
public:
    static constexpr std::uint8_t ReleaseTransport = 0x01;
    static constexpr std::uint8_t UserAbort = 0x02;

    explicit AbSpdu(Protocol::Connection* owner) : Spdu(owner, SiAbort) {}

    std::uint8_t GetTransportDisconnect() const { return transportDisconnect_; }
    void SetTransportDisconnect(std::uint8_t flags) { transportDisconnect_ = flags; }
    bool HasUserData() const { return userDataPresent_; }
    std::span<const std::uint8_t> GetUserData() const { return userData_; }
    void SetUserData(std::span<const std::uint8_t> userData);

    // The transport disconnect parameter is always written.
    System::ResultCode Encode() override;

protected:
    System::ResultCode DecodeParameters(std::span<const std::uint8_t> field,
                                        std::span<const std::uint8_t> rest) override;

private:
    std::uint8_t transportDisconnect_ = ReleaseTransport;
    bool userDataPresent_ = false;
    std::vector<std::uint8_t> userData_;
};
