#include "app/program/ProgramResources.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <string>
#include <utility>

#include "app/ids/ControlIds.h"
#include "app/widgets/AboutDialog.h"
#include "ui/DialogTemplate.h"
#include "ui/Resources.h"

namespace App {

using namespace Ui;

namespace {

namespace Main = ControlId::MainDialog;
namespace Progress = ControlId::ModelProgress;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kCombo = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kEdit = kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kLabel = kChild | SS_LEFT;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;
constexpr DWORD kSelection = kChild | WS_TABSTOP;

ControlTemplate Control(int id, const char* cls, std::string text, int x, int y, int cx, int cy, DWORD style,
                        DWORD exStyle = 0) {
    return ControlTemplate{id, cls, std::move(text), x, y, cx, cy, style, exStyle};
}

DialogTemplate MainDialogTemplate() {
    DialogTemplate t;
    t.caption = "IEC61850 Quorvex";
    t.cx = 613;
    t.cy = 270;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT;
    t.exStyle = WS_EX_APPWINDOW;
    t.controls = {
        Control(Main::Connect, "BUTTON", "Connect", 7, 12, 48, 18, kButton),
        Control(Main::Reload, "BUTTON", "Reload data model", 7, 36, 75, 10, kCheck),
        Control(Main::Disconnect, "BUTTON", "Disconnect", 60, 12, 48, 18, kButton | WS_DISABLED),
        Control(Main::Address, "SysIPAddress32", "", 150, 14, 100, 14, kChild | WS_TABSTOP),
        Control(Main::CreateIcd, "BUTTON", "Create ICD", 276, 12, 48, 18, kButton),
        Control(Main::About, "BUTTON", "About", 336, 12, 48, 18, kButton),
        Control(Main::Exit, "BUTTON", "Exit", 425, 12, 52, 18, kButton),
        Control(Main::ReadLd, "COMBOBOX", "", 30, 69, 91, 55, kCombo | CBS_SORT),
        Control(Main::ReadSelection, "QXSelectionCtrl", "", 127, 69, 281, 18, kSelection, WS_EX_CONTROLPARENT),
        Control(Main::ReadValue, "EDIT", "", 432, 69, 107, 12, kEdit | ES_READONLY),
        Control(Main::Read, "BUTTON", "Read", 545, 69, 52, 12, kButton | WS_DISABLED),
        Control(Main::ControlLd, "COMBOBOX", "", 30, 111, 91, 56, kCombo | CBS_SORT),
        Control(Main::ControlSelection, "QXSelectionCtrl", "", 127, 111, 281, 18, kSelection, WS_EX_CONTROLPARENT),
        Control(Main::ControlValue, "EDIT", "", 432, 111, 96, 12, kEdit | ES_READONLY),
        Control(Main::Execute, "BUTTON", "Execute", 545, 111, 52, 12, kButton | WS_DISABLED),
        Control(Main::ReportLd, "COMBOBOX", "", 30, 153, 91, 54, kCombo | CBS_SORT),
        Control(Main::ReportSelection, "QXSelectionCtrl", "", 127, 153, 281, 18, kSelection, WS_EX_CONTROLPARENT),
        Control(Main::ReportValue, "EDIT", "", 432, 153, 107, 12, kEdit | ES_READONLY),
        Control(Main::EnableRcb, "BUTTON", "Enable RCB", 545, 148, 52, 12, kButton | WS_DISABLED),
        Control(Main::DisableRcb, "BUTTON", "Disable RCB", 545, 163, 52, 12, kButton | WS_DISABLED),
        Control(ControlId::None, "BUTTON", "Control", 6, 96, 603, 36, kGroup),
        Control(ControlId::None, "STATIC", "Host ", 126, 17, 18, 8, kLabel),
        Control(ControlId::None, "BUTTON", "Read", 6, 54, 603, 36, kGroup),
        Control(ControlId::None, "BUTTON", "Report", 6, 135, 603, 46, kGroup),
        Control(ControlId::None, "STATIC", "Value", 414, 71, 18, 8, kLabel),
        Control(ControlId::None, "STATIC", "Value", 414, 113, 18, 8, kLabel),
        Control(ControlId::None, "STATIC", "Value", 414, 155, 18, 8, kLabel),
        Control(Main::ValueSpin, "msctls_updown32", "", 528, 111, 11, 12, kChild | UDS_ARROWKEYS),
        Control(Main::Banner, "STATIC", std::to_string(IDB_BANNER), 6, 244, 603, 10, kChild | SS_BITMAP),
        Control(ControlId::None, "BUTTON", "GOOSE", 6, 182, 603, 59, kGroup),
        Control(Main::Adapter, "COMBOBOX", "", 68, 191, 135, 45, kCombo),
        Control(Main::Refresh, "BUTTON", "Refresh", 207, 191, 51, 12, kButton),
        Control(Main::Mac, "EDIT", "", 32, 210, 78, 12, kEdit),
        Control(Main::AnyMac, "BUTTON", "Any", 30, 226, 29, 10, kCheck),
        Control(Main::AppId, "EDIT", "", 137, 210, 31, 12, kEdit),
        Control(Main::AnyAppId, "BUTTON", "Any", 137, 226, 29, 10, kCheck),
        Control(Main::StNum, "EDIT", "", 203, 210, 55, 12, kEdit | ES_READONLY),
        Control(Main::Values, "EDIT", "", 312, 210, 227, 12, kEdit | ES_READONLY),
        Control(ControlId::None, "STATIC", "Values", 290, 212, 22, 8, kLabel),
        Control(Main::Latch, "BUTTON", "Latch on change", 312, 226, 69, 10, kCheck),
        Control(Main::Start, "BUTTON", "Start", 545, 195, 52, 12, kButton),
        Control(Main::Stop, "BUTTON", "Stop", 545, 210, 52, 12, kButton | WS_DISABLED),
        Control(ControlId::None, "STATIC", "StNum", 179, 212, 22, 8, kLabel),
        Control(ControlId::None, "STATIC", "MAC", 11, 212, 18, 8, kLabel),
        Control(ControlId::None, "STATIC", "AppID", 116, 212, 20, 8, kLabel),
        Control(ControlId::None, "STATIC", "Network adapter", 10, 193, 55, 8, kLabel),
        Control(Main::Continue, "BUTTON", "Continue", 545, 225, 52, 12, kButton | WS_DISABLED),
        Control(ControlId::None, "STATIC", "LD", 12, 71, 9, 8, kLabel),
        Control(ControlId::None, "STATIC", "LD", 12, 113, 9, 8, kLabel),
        Control(ControlId::None, "STATIC", "LD", 12, 155, 9, 8, kLabel),
    };
    return t;
}

DialogTemplate ProgressTemplate() {
    DialogTemplate t;
    t.cx = 146;
    t.cy = 118;
    t.fontFace = "MS Sans Serif";
    t.pointSize = 8;
    t.style = WS_POPUP | WS_THICKFRAME | DS_3DLOOK | DS_SETFONT;
    constexpr DWORD kReadOnly = kChild | ES_READONLY | ES_AUTOHSCROLL;
    t.controls = {
        Control(Progress::Bar, "msctls_progress32", "", 6, 78, 132, 14, kChild | WS_BORDER),
        Control(ControlId::None, "STATIC", "Explored LD:", 6, 36, 42, 8, kLabel),
        Control(Progress::Devices, "EDIT", "", 54, 36, 60, 12, kReadOnly),
        Control(ControlId::None, "STATIC", "Explored LN:", 6, 48, 42, 8, kLabel),
        Control(Progress::Nodes, "EDIT", "", 54, 48, 60, 12, kReadOnly),
        Control(ControlId::None, "STATIC", "Explored DO:", 6, 60, 42, 8, kLabel),
        Control(Progress::DataObjects, "EDIT", "", 54, 60, 60, 12, kReadOnly),
        Control(ControlId::None, "STATIC", "Status of initial data model reading", 18, 12, 108, 8, kLabel),
    };
    return t;
}

// The program's own mark: three bays of a substation, drawn at any size.
QPixmap DrawMark(int size) {
    QPixmap picture(size, size);
    picture.fill(QColor(0, 64, 128));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 200, 0), std::max(1, size / 12)));
    const int step = size / 4;
    for (int bay = 1; bay <= 3; ++bay) painter.drawLine(bay * step, size / 5, bay * step, size - size / 5);
    painter.drawLine(step / 2, size / 5, size - step / 2, size / 5);
    return picture;
}

QPixmap DrawBanner() {
    QPixmap banner(900, 16);
    banner.fill(QColor(0, 64, 128));
    QPainter painter(&banner);
    painter.setPen(QColor(255, 255, 255));
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.drawText(banner.rect().adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("IEC 61850 tester: read, control, reports, ICD export and GOOSE monitor"));
    return banner;
}

}  // namespace

void RegisterProgramResources() {
    if (FindDialogTemplate(IDD_QX_DIALOG) != nullptr) return;
    RegisterDialogTemplate(IDD_QX_DIALOG, MainDialogTemplate());
    RegisterDialogTemplate(IDD_QX_PROGRESS, ProgressTemplate());
    const std::pair<int, const char*> strings[] = {
        {IDS_ABOUTBOX, "About IEC-61850 Quorvex..."},
        {IDS_CONNECTED, "Connected"},
        {IDS_DISCONNECTED, "Disconnected"},
        {IDS_NO_DEVICE, "There is no device connected."},
        {IDS_READING_MODEL, "Initial reading of data model..."},
        {IDS_CONNECT_FAILED, "Connection could not be established. "},
        {IDS_ABORTED, "Association has been aborted"},
        {IDS_RELEASE_FAILED, "Error occured.Device has not been disconnected"},
    };
    for (const auto& [id, text] : strings) RegisterString(id, text);
    Widgets::RegisterAboutResources();
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addPixmap(DrawMark(size));
    RegisterIcon(IDR_MAINFRAME, icon);
    RegisterBitmap(IDB_BANNER, DrawBanner());
}

}  // namespace App
