#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/Connection.h"

namespace TestSupport {

// The name/value items that an association pushes into every connection of its chain
// after a reset, for test stacks that assemble the chain themselves: one place for the
// association's defaults instead of a copy in every test.
class StackProfile {
public:
    // Whether a connection keeps what it took as its parameter text. A responder's chain
    // resets itself after every lost transport and has to find its items again.
    enum class Keep { No, AcrossResets };

    // The association's defaults (selectors 1, AP titles 1.1.1.999 and 1.1.1.999.1, AE
    // qualifiers 12, session time-out 2 s), aimed at port on 127.0.0.1.
    static StackProfile Association(std::uint16_t port);
    // Only the peer's address, for chains that stop below the session.
    static StackProfile Address(std::uint16_t port);

    // Replaces the value of the item of that name, or adds the item.
    StackProfile& With(std::string_view name, std::string_view value);

    // Pushes every item into every connection from top down to the bottom of the chain.
    // A name that a connection does not take (NotSupported) is passed over, as the
    // association does; any other refusal is returned (the first one) after the rest
    // has been pushed.
    System::ResultCode ApplyTo(Protocol::Connection* top, Keep keep = Keep::No) const;

    const std::vector<std::pair<std::string, std::string>>& Items() const { return items_; }

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

}  // namespace TestSupport
