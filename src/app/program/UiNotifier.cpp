#include "app/program/UiNotifier.h"

#include "ui/MessageBridge.h"

namespace App {

std::intptr_t UiNotifier::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const Ui::HWND window = Ui::MessageBridge::GetMainWindow();
    if (window == 0) return 0;
    return Ui::MessageBridge::SendMessage(window, message, wParam, lParam);
}

UiNotifier& UiNotifier::Instance() {
    static UiNotifier notifier;
    return notifier;
}

}  // namespace App
