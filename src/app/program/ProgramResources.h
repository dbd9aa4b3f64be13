#pragma once

// The program's resources: the main dialog's and the progress dialog's templates, the
// string table, the window icon and the banner bitmap. Registering twice changes nothing.
namespace App {

constexpr int IDD_QX_DIALOG = 102;
constexpr int IDD_QX_PROGRESS = 108;
constexpr int IDR_MAINFRAME = 132;
constexpr int IDB_BANNER = 131;

// Strings.
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_CONNECTED = 102;
constexpr int IDS_DISCONNECTED = 103;
constexpr int IDS_NO_DEVICE = 106;
constexpr int IDS_READING_MODEL = 107;
constexpr int IDS_CONNECT_FAILED = 115;
constexpr int IDS_ABORTED = 116;
constexpr int IDS_RELEASE_FAILED = 117;

void RegisterProgramResources();

}  // namespace App
