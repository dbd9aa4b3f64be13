#pragma once

#include "ui/messages/Types.h"

// The control ids of the program's dialogs, one namespace per dialog. A control's id is
// also its widget's object name, which is how tests find it. An id is unique only within
// its parent: 1050 is a device list of the main dialog and the node list inside each
// selection control. No Qt and nothing to link, so any part of the program may name a
// control.
namespace ControlId {

// Labels and frames that no code addresses.
constexpr int None = -1;

namespace MainDialog {

// Connect has the cancel id, so Escape connects too; OnConnect drops it whenever the
// dialog may not connect.
constexpr int Connect = Ui::IDCANCEL;
constexpr int Exit = 3;
constexpr int About = 7;
constexpr int Disconnect = 1011;
constexpr int Reload = 1038;
constexpr int Address = 1007;
constexpr int CreateIcd = 1019;
constexpr int StatusBar = 1031;
constexpr int Banner = 1049;

// The read, control and report panels: device list, selection, value, buttons.
constexpr int ReadLd = 1047;
constexpr int ReadSelection = 1035;
constexpr int ReadValue = 1025;
constexpr int Read = 4;
constexpr int ControlLd = 1050;
constexpr int ControlSelection = 1036;
constexpr int ControlValue = 1026;
constexpr int ValueSpin = 1023;
constexpr int Execute = 5;
constexpr int ReportLd = 1051;
constexpr int ReportSelection = 1037;
constexpr int ReportValue = 1027;
constexpr int EnableRcb = 6;
constexpr int DisableRcb = 8;

// The GOOSE group.
constexpr int Adapter = 1046;
constexpr int Refresh = 11;
constexpr int Mac = 1040;
constexpr int AnyMac = 1043;
constexpr int AppId = 1041;
constexpr int AnyAppId = 1044;
constexpr int StNum = 1042;
constexpr int Values = 1028;
constexpr int Latch = 1045;
constexpr int Start = 9;
constexpr int Stop = 10;
constexpr int Continue = 12;

}  // namespace MainDialog

// The three lists inside each selection control of the main dialog.
namespace Selection {

constexpr int LnCombo = 1050;
constexpr int ObjCombo = 1051;
constexpr int AttrCombo = 1052;
constexpr int Label = 0xFFFF;

}  // namespace Selection

// The progress window of the model read.
namespace ModelProgress {

constexpr int Bar = 1020;
constexpr int Devices = 1002;
constexpr int Nodes = 1003;
constexpr int DataObjects = 1004;

}  // namespace ModelProgress

// The progress window of the value reads before an ICD export.
namespace IcdProgress {

constexpr int Bar = 1020;
constexpr int Count = 1005;

}  // namespace IcdProgress

// The device-parameters dialog of the ICD export; OK and Cancel have the standard ids.
namespace DeviceParameters {

// The placeholder the property grid takes over.
constexpr int Grid = 1039;

}  // namespace DeviceParameters

// The About box; OK has the standard id.
namespace AboutBox {

constexpr int Logo = 1026;
constexpr int Title = 1024;
constexpr int Legal = 1025;
constexpr int Version = 1028;
constexpr int Credit = 1029;
constexpr int MakerLink = 1027;
constexpr int LibraryLink = 1030;
constexpr int Banner = 1048;

}  // namespace AboutBox

}  // namespace ControlId
