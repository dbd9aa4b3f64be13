#include "app/program/IcdResources.h"

#include "app/ids/ControlIds.h"
#include "ui/DialogTemplate.h"

namespace App {

using namespace Ui;

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

ControlTemplate Control(int id, const char* cls, const char* text, int x, int y, int cx, int cy, DWORD style) {
    return ControlTemplate{id, cls, text, x, y, cx, cy, style, 0};
}

DialogTemplate DeviceParametersTemplate() {
    DialogTemplate t;
    t.caption = "Device parameters";
    t.cx = 224;
    t.cy = 201;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.controls = {
        // The grid takes this placeholder over.
        Control(ControlId::DeviceParameters::Grid, "STATIC", "", 7, 7, 210, 165, kChild | SS_LEFT),
        Control(IDOK, "BUTTON", "OK", 7, 180, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON),
        Control(IDCANCEL, "BUTTON", "Cancel", 167, 180, 50, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON),
    };
    return t;
}

DialogTemplate IcdProgressTemplate() {
    DialogTemplate t;
    t.cx = 146;
    t.cy = 118;
    t.fontFace = "MS Sans Serif";
    t.pointSize = 8;
    t.style = WS_POPUP | WS_THICKFRAME | DS_3DLOOK | DS_SETFONT;
    t.controls = {
        Control(ControlId::None, "STATIC", "Status of data model read", 6, 12, 134, 8, kChild | SS_CENTER),
        Control(ControlId::None, "STATIC", "Explored LN:", 6, 48, 42, 8, kChild | SS_LEFT),
        Control(ControlId::IcdProgress::Count, "EDIT", "", 54, 48, 60, 12, kChild | ES_READONLY | ES_AUTOHSCROLL),
        Control(ControlId::IcdProgress::Bar, "msctls_progress32", "", 6, 78, 132, 14, kChild | WS_BORDER),
    };
    return t;
}

}  // namespace

void RegisterIcdResources() {
    if (FindDialogTemplate(IDD_DEVICE_PARAMETERS) == nullptr) {
        RegisterDialogTemplate(IDD_DEVICE_PARAMETERS, DeviceParametersTemplate());
    }
    if (FindDialogTemplate(IDD_ICD_PROGRESS) == nullptr)
        RegisterDialogTemplate(IDD_ICD_PROGRESS, IcdProgressTemplate());
}

}  // namespace App
