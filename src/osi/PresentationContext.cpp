#include "osi/PresentationContext.h"

PresentationContext::PresentationContext(CoppConnection* owner, std::uint32_t identifier,
                                         std::string_view abstractSyntax, std::string_view transferSyntaxes)
    : owner_(owner), identifier_(identifier), abstractSyntax_(abstractSyntax), transferSyntaxes_(transferSyntaxes) {}

std::string PresentationContext::GetFirstTransferSyntax() const {
    return transferSyntaxes_.substr(0, transferSyntaxes_.find(','));
}

bool PresentationContext::HasTransferSyntax(std::string_view transferSyntax) const {
    std::string_view rest = transferSyntaxes_;
    while (true) {
        const std::size_t comma = rest.find(',');
        if (rest.substr(0, comma) == transferSyntax) return true;
        if (comma == std::string_view::npos) return false;
        rest.remove_prefix(comma + 1);
    }
}
