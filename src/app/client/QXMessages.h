#pragma once

#include <cstdint>

#include "ui/messages/Types.h"

// Every message of the program, in one place so that no two share a value. Those between
// the client bridge, the main dialog and its selection controls are sent synchronously;
// a text in lParam belongs to the sender and lives for the call.
namespace App {

constexpr std::uint32_t WM_QX_ASSOCIATE_RESULT = 0x403;
constexpr std::uint32_t WM_QX_RELEASE_RESULT = 0x404;
constexpr std::uint32_t WM_QX_ABORTED = 0x405;
constexpr std::uint32_t WM_QX_READ_RESULT = 0x40A;
constexpr std::uint32_t WM_QX_WRITE_RESULT = 0x40B;
constexpr std::uint32_t WM_QX_RCB_ENABLE_STATUS = 0x40C;
constexpr std::uint32_t WM_QX_RCB_DISABLE_STATUS = 0x40D;
constexpr std::uint32_t WM_QX_REPORT = 0x40E;
constexpr std::uint32_t WM_QX_MODEL_READ_START = 0x41E;
constexpr std::uint32_t WM_QX_MODEL_READ_PROGRESS = 0x41F;
constexpr std::uint32_t WM_QX_MODEL_READ_DONE = 0x420;
constexpr std::uint32_t WM_QX_ICD_START = 0x428;
constexpr std::uint32_t WM_QX_ICD_PROGRESS = 0x429;
constexpr std::uint32_t WM_QX_ICD_DATA_READ = 0x42A;
constexpr std::uint32_t WM_QX_ICD_MODEL_CHECKED = 0x42B;
constexpr std::uint32_t WM_QX_SELECTION_CHANGED = 0x464;

// The main dialog's posts to itself, which run once the sender has moved on: the end of
// its connect worker; a capture failure (wParam: the capture's run number); the export
// step, posted by the end of the value reads so that it runs after the client's send; the
// value reads, posted by the end of a kept model's check for the same reason.
constexpr std::uint32_t WM_QX_WORKER_DONE = Ui::WM_USER + 0x500;
constexpr std::uint32_t WM_QX_GOOSE_ERROR = Ui::WM_USER + 0x501;
constexpr std::uint32_t WM_QX_ICD_EXPORT = Ui::WM_USER + 0x52A;
constexpr std::uint32_t WM_QX_ICD_ASK_VALUES = Ui::WM_USER + 0x52B;

// lParam of WM_QX_MODEL_READ_PROGRESS, valid during the call.
struct ModelReadProgress {
    std::int32_t logicalNodes = 0;
    std::int32_t logicalDevices = 0;
    std::int32_t dataObjects = 0;
    std::int32_t allObjects = 0;
};

// wParam of WM_QX_MODEL_READ_START when the model kept for the address is not used and the
// device is read afresh, by what is known: the model was another device's (the device said
// another identity, or has other logical devices); the device did not give its identity
// (no Identify answer, or no list of its logical devices), so it cannot be told apart; the
// device the kept model was read from never gave its identity.
constexpr std::uintptr_t ModelReadRenewed = 1;
constexpr std::uintptr_t ModelReadRenewedUnidentified = 2;
constexpr std::uintptr_t ModelReadRenewedOriginUnknown = 3;
// The kept model was read incomplete: the device refused part of it.
constexpr std::uintptr_t ModelReadRenewedIncomplete = 5;
// wParam of WM_QX_MODEL_READ_START when the model kept for the address is the device's and
// is used: nothing of it is read again.
constexpr std::uintptr_t ModelReadKept = 4;
// wParam of WM_QX_MODEL_READ_DONE when the device fell silent and only part of its model
// could be read.
constexpr std::uintptr_t ModelReadPartial = 12;
// wParam of WM_QX_MODEL_READ_DONE when the model was read but some data set names members
// that the model does not hold: those data sets are incomplete.
constexpr std::uintptr_t ModelReadIncomplete = 16;
// wParam of WM_QX_MODEL_READ_DONE when the device refused lists of its model while it was
// read: the model lacks what they would have listed. lParam: each refusal in the device's
// words, one a line ("LD0: the device refused its list of variables: access (8), ...").
constexpr std::uintptr_t ModelReadRefused = 17;

// wParam of WM_QX_ICD_MODEL_CHECKED, the end of the check of a kept model before an export
// (KeptModelNameCheck.h): the device lists what the model holds; it lists other names
// (lParam: what changed, "LD0: PDIF1, PTOC1 added"); it did not list them (lParam: the
// logical device and why, "LD0: no answer came in time").
constexpr std::uintptr_t IcdModelUnchanged = 0;
constexpr std::uintptr_t IcdModelChanged = 1;
constexpr std::uintptr_t IcdModelUnchecked = 2;

}  // namespace App
