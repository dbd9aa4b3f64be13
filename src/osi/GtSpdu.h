#pragma once

#include <cstdint>

#include "osi/Spdu.h"

// Give Tokens SPDU (SI 1, category 0): sent in front of every data transfer SPDU,
// as the session protocol asks of a data SPDU, even though with only the duplex
// unit no token is ever passed. Optional token item and enclosure item.
class GtSpdu : public Spdu {
public:
    explicit GtSpdu(Protocol::Connection* owner) : Spdu(owner, SiGiveTokens) {}

    bool HasTokenItem() const { return tokenItemPresent_; }
    std::uint8_t GetTokenItem() const { return tokenItem_; }
    void SetTokenItem(std::uint8_t tokens);
    bool HasEnclosureItem() const { return enclosureItemPresent_; }
    std::uint8_t GetEnclosureItem() const { return enclosureItem_; }
    void SetEnclosureItem(std::uint8_t enclosure);

    System::ResultCode Encode() override;

protected:
    System::ResultCode DecodeParameters(std::span<const std::uint8_t> field,
                                        std::span<const std::uint8_t> rest) override;

private:
    bool tokenItemPresent_ = false;
    std::uint8_t tokenItem_ = 0;
    bool enclosureItemPresent_ = false;
    std::uint8_t enclosureItem_ = 0;
};
