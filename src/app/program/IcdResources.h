#pragma once

// The templates of the ICD export's two windows: the device-parameters dialog and the
// small window that shows the value reads before the export. Registering twice changes
// nothing.
namespace App {

constexpr int IDD_DEVICE_PARAMETERS = 133;
constexpr int IDD_ICD_PROGRESS = 1048;

void RegisterIcdResources();

}  // namespace App
