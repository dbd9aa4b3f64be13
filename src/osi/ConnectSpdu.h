#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "osi/Spdu.h"

// The common form of the connect (CN) and accept (AC) SPDUs: the connect/accept
// item (protocol options, TSDU maximum size, version number), the session user
// requirements, the calling and the called (in an AC: responding) session selector,
// and the user data. Each field has a present flag; only present fields are
// written, in that order.
//
// Received user data may come in the user data or the extended user data group.
// A session selector of one or two octets reads as a number; longer ones keep
// their octets only (the number then reads 0).
class ConnectSpdu : public Spdu {
public:
    static constexpr std::uint8_t ProtocolVersion2 = 0x02;

    bool HasConnectAcceptItem() const { return connectAcceptItemPresent_; }
    void SetConnectAcceptItem(std::uint8_t protocolOptions, std::uint8_t versionNumber);
    std::uint8_t GetProtocolOptions() const { return protocolOptions_; }
    std::uint8_t GetVersionNumber() const { return versionNumber_; }
    bool HasTsduMaximumSize() const { return tsduMaximumSizePresent_; }
    std::uint32_t GetTsduMaximumSize() const { return tsduMaximumSize_; }
    void SetTsduMaximumSize(std::uint32_t size);

    bool HasUserRequirements() const { return userRequirementsPresent_; }
    std::uint16_t GetUserRequirements() const { return userRequirements_; }
    void SetUserRequirements(std::uint16_t requirements);

    bool HasCallingSelector() const { return callingSelectorPresent_; }
    std::uint16_t GetCallingSelector() const { return SelectorNumber(callingSelector_); }
    std::span<const std::uint8_t> GetCallingSelectorOctets() const { return callingSelector_; }
    void SetCallingSelector(std::uint16_t selector);
    bool HasCalledSelector() const { return calledSelectorPresent_; }
    std::uint16_t GetCalledSelector() const { return SelectorNumber(calledSelector_); }
    std::span<const std::uint8_t> GetCalledSelectorOctets() const { return calledSelector_; }
    void SetCalledSelector(std::uint16_t selector);

    bool HasUserData() const { return userDataPresent_; }
    std::span<const std::uint8_t> GetUserData() const { return userData_; }
    // Copies the bytes.
    void SetUserData(std::span<const std::uint8_t> userData);

    System::ResultCode Encode() override;

protected:
    ConnectSpdu(Protocol::Connection* owner, std::uint8_t si) : Spdu(owner, si) {}

    System::ResultCode DecodeParameters(std::span<const std::uint8_t> field,
                                        std::span<const std::uint8_t> rest) override;

private:
    static std::uint16_t SelectorNumber(const std::vector<std::uint8_t>& octets);
    static std::vector<std::uint8_t> SelectorOctets(std::uint16_t selector);
    System::ResultCode DecodeConnectAcceptItem(std::span<const std::uint8_t> group);

    bool connectAcceptItemPresent_ = false;
    std::uint8_t protocolOptions_ = 0;
    std::uint8_t versionNumber_ = 0;
    bool tsduMaximumSizePresent_ = false;
    std::uint32_t tsduMaximumSize_ = 0;
    bool userRequirementsPresent_ = false;
    std::uint16_t userRequirements_ = 0;
    bool callingSelectorPresent_ = false;
    std::vector<std::uint8_t> callingSelector_;
    bool calledSelectorPresent_ = false;
    std::vector<std::uint8_t> calledSelector_;
    bool userDataPresent_ = false;
    std::vector<std::uint8_t> userData_;
};
