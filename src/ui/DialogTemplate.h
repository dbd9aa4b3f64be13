#pragma once

#include <string>
#include <vector>

#include "ui/messages/Types.h"

namespace Ui {

// One control of a dialog template: position and size in dialog units. The class is a
// window class name ("BUTTON", "EDIT", "msctls_progress32" ...) or a custom class
// registered with ControlFactory. A bitmap static names its bitmap resource id as text.
struct ControlTemplate {
    int id = -1;
    std::string className;
    std::string text;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
};

// A dialog template as data: controls are created in this order, which is also the tab order.
struct DialogTemplate {
    std::string caption;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::string fontFace = "MS Shell Dlg";
    int pointSize = 8;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    DWORD exStyle = 0;
    std::vector<ControlTemplate> controls;
};

// Templates by resource id, as the program's resources hold them.
void RegisterDialogTemplate(int id, DialogTemplate dialogTemplate);
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace Ui
