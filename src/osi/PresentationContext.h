#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace Protocol {
class Connection;
}

class CoppConnection;

// One presentation context of a presentation connection: an abstract syntax, the
// transfer syntaxes it may travel in, and the connection that receives its data.
// The record belongs to its presentation connection and lives as long as it does;
// its identifier and syntax names never change.
class PresentationContext {
public:
    // Results of a context: on the initiating side what the CPA answered, on the
    // responding side whether the peer's CP proposed it.
    static constexpr std::uint8_t Accepted = 0;
    static constexpr std::uint8_t NotAccepted = 1;

    PresentationContext(CoppConnection* owner, std::uint32_t identifier, std::string_view abstractSyntax,
                        std::string_view transferSyntaxes);

    PresentationContext(const PresentationContext&) = delete;
    PresentationContext& operator=(const PresentationContext&) = delete;

    CoppConnection* GetOwner() const { return owner_; }
    std::uint32_t GetIdentifier() const { return identifier_; }
    // Dotted object identifier text.
    const std::string& GetAbstractSyntax() const { return abstractSyntax_; }
    // One or more dotted texts separated by ",".
    const std::string& GetTransferSyntaxes() const { return transferSyntaxes_; }
    // The first of the transfer syntaxes (the one this stack sends in).
    std::string GetFirstTransferSyntax() const;
    // True when the text names one of the transfer syntaxes.
    bool HasTransferSyntax(std::string_view transferSyntax) const;

    // Set by whoever defined the context; read on the receive thread.
    Protocol::Connection* GetUserConnection() const { return userConnection_.load(); }
    void SetUserConnection(Protocol::Connection* connection) { userConnection_.store(connection); }

    std::uint8_t GetResult() const { return result_.load(); }
    void SetResult(std::uint8_t result) { result_.store(result); }

private:
    CoppConnection* const owner_;
    const std::uint32_t identifier_;
    const std::string abstractSyntax_;
    const std::string transferSyntaxes_;
    std::atomic<Protocol::Connection*> userConnection_{nullptr};
    std::atomic<std::uint8_t> result_{NotAccepted};
};
