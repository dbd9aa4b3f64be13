#pragma once

#include <cstdint>

namespace App {

// How the client bridge reaches the main window: a synchronous send that returns once the
// window has handled the message. Without a main window nothing is sent (0); a window
// that has gone answers 0 as well, which is no error for the sender.
class MainWindowNotifier {
public:
    virtual ~MainWindowNotifier() = default;
    virtual std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace App
