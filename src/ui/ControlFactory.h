#pragma once

#include <QRect>
#include <functional>
#include <string>

#include "ui/DialogTemplate.h"
#include "ui/messages/Types.h"

class QWidget;

namespace Ui {

// Realises controls by window class name as Qt widgets, placed in pixels, with the
// control's id as objectName, its style bits honoured and its user actions (and only
// those) wired to WM_COMMAND notifications of its parent window.
class ControlFactory {
public:
    using Creator = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

    // Custom classes by name; registering a name again keeps the first registration.
    static void RegisterWindowClass(const std::string& name, Creator creator);
    static bool IsRegistered(const std::string& name);

    // Classes neither built in nor registered become placeholders (a plain widget that a
    // control object can adopt later).
    static QWidget* Create(const ControlTemplate& control, const RECT& pixels, QWidget* parent);
};

}  // namespace Ui
