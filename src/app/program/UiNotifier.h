#pragma once

#include "app/client/MainWindowNotifier.h"

namespace App {

// The client's messages to the application's main window, through the toolkit's
// main-window registration and its synchronous send from any thread.
class UiNotifier : public MainWindowNotifier {
public:
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // The one the program's clients use; it has no state, so it outlives every window.
    static UiNotifier& Instance();
};

}  // namespace App
