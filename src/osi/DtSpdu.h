#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "osi/Spdu.h"

// Data Transfer SPDU (SI 1, category 2): an optional enclosure item in the
// parameter field, then the user data, which the length indicator does not cover.
class DtSpdu : public Spdu {
public:
    explicit DtSpdu(Protocol::Connection* owner) : Spdu(owner, SiDataTransfer) {}

    bool HasEnclosureItem() const { return enclosureItemPresent_; }
    std::uint8_t GetEnclosureItem() const { return enclosureItem_; }
    void SetEnclosureItem(std::uint8_t enclosure);
    // A received DT's user data lies in the frame's own storage.
    std::span<const std::uint8_t> GetUserData() const;
    // Copies the bytes.
    void SetUserData(std::span<const std::uint8_t> userData);

    System::ResultCode Encode() override;

protected:
    System::ResultCode DecodeParameters(std::span<const std::uint8_t> field,
                                        std::span<const std::uint8_t> rest) override;

private:
    bool enclosureItemPresent_ = false;
    std::uint8_t enclosureItem_ = 0;
    std::vector<std::uint8_t> userData_;
    std::span<const std::uint8_t> receivedUserData_;
    bool received_ = false;
};
