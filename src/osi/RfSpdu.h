#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "osi/Spdu.h"

// Refuse SPDU (SI 12): the responder turns a connect down. Transport disconnect
// (bit 0: release the transport connection) and the reason code, whose value is
// the reason octet followed by the refusing user's data.
class RfSpdu : public Spdu {
public:
    // The reason code parameter holds at most this much (reason octet and data).
    static constexpr std::uint32_t LargestReasonLength = 512;
    // Reason: rejection by the called SS-user (user data follows).
    static constexpr std::uint8_t ReasonRejectedByUser = 2;

    explicit RfSpdu(Protocol::Connection* owner) : Spdu(owner, SiRefuse) {}

    bool HasTransportDisconnect() const { return transportDisconnectPresent_; }
    std::uint8_t GetTransportDisconnect() const { return transportDisconnect_; }
    void SetTransportDisconnect(std::uint8_t flags);

    bool HasReason() const { return reasonPresent_; }
    std::uint8_t GetReason() const { return reason_; }
    std::span<const std::uint8_t> GetUserData() const { return userData_; }
    // The user data is dropped when reason and data would not fit the parameter.
    void SetReason(std::uint8_t reason, std::span<const std::uint8_t> userData);

    System::ResultCode Encode() override;

protected:
    System::ResultCode DecodeParameters(std::span<const std::uint8_t> field,
                                        std::span<const std::uint8_t> rest) override;

private:
    bool transportDisconnectPresent_ = false;
    std::uint8_t transportDisconnect_ = 0;
    bool reasonPresent_ = false;
    std::uint8_t reason_ = 0;
    std::vector<std::uint8_t> userData_;
};
