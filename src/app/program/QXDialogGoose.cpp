// The GOOSE group of the main dialog: adapter list, filter, start and stop of the capture,
// and the 100 ms refresh of the last frame. It works with or without a device connection.

#include <QWidget>
#include <charconv>
#include <cstdio>
#include <mutex>
#include <vector>

#include "app/client/QXMessages.h"
#include "app/goose/GooseCapture.h"
#include "app/ids/ControlIds.h"
#include "app/program/QXDialog.h"
#include "ui/MessageBridge.h"
#include "ui/messages/MessageParams.h"

namespace App {

using namespace Ui;

namespace {

namespace Id = ControlId::MainDialog;

std::mutex factoryLock;
QXDialog::CaptureFactory captureFactory;

// The values text holds the frame's octets as sent (visible strings are 8-bit); on
// screen each octet is the character of that code.
std::string Latin1ToUtf8(const std::string& octets) {
    std::string text;
    text.reserve(octets.size());
    for (const unsigned char octet : octets) {
        if (octet < 0x80) {
            text += static_cast<char>(octet);
        } else {
            text += static_cast<char>(0xC0 | octet >> 6);
            text += static_cast<char>(0x80 | (octet & 0x3F));
        }
    }
    return text;
}

std::string DecimalText(std::uint32_t value) {
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

}  // namespace

void QXDialog::SetCaptureFactory(CaptureFactory factory) {
    std::lock_guard<std::mutex> hold(factoryLock);
    captureFactory = std::move(factory);
}

CGooseCapture* QXDialog::CreateGooseCapture() {
    std::lock_guard<std::mutex> hold(factoryLock);
    if (captureFactory)
        if (CGooseCapture* capture = captureFactory()) return capture;
    return new CGooseCapture();
}

void QXDialog::MapGooseCommands() {
    MapCommand(Id::Start, [this] { OnGooseStart(); });
    MapCommand(Id::Stop, [this] { OnGooseStop(); });
    MapCommand(Id::Refresh, [this] { OnRefreshAdapters(); });
    MapCommand(Id::Continue, [this] { OnGooseContinue(); });
    MapCommand(Id::AnyMac, [this] { OnAnyMac(); });
    MapCommand(Id::AnyAppId, [this] { OnAnyAppId(); });
    MapCommand(Id::Latch, [this] { OnLatchOnChange(); });
    MapMessage(WM_QX_GOOSE_ERROR, [this](WPARAM w, LPARAM l) { return OnGooseError(w, l); });
}

namespace {

void EnableItem(CWnd& dialog, int id, bool enable) {
    if (CWnd* item = dialog.GetDlgItem(id)) {
        item->EnableWindow(enable);
    } else if (QWidget* widget = dialog.GetDlgItemWidget(id)) {
        widget->setEnabled(enable);
    }
}

}  // namespace

void QXDialog::OnRefreshAdapters() {
    capture_->EnumerateAdapters();
    std::vector<std::string> names;
    capture_->GetAdapterNames(names);
    // The list keeps the capture's order: an item's index is the adapter's index.
    adapterCombo_.ResetContent();
    for (const std::string& name : names) adapterCombo_.AddString(name);
    adapterIndex_ = 0;
    UpdateData(FALSE);
}

void QXDialog::OnGooseStart() {
    if (!UpdateData(TRUE)) return;  // the exchange has told the user what it refused
    if (adapterIndex_ < 0 || adapterIndex_ >= adapterCombo_.GetCount()) {
        MessageBox("No network adapter is chosen to capture on.", nullptr, MB_OK | MB_ICONSTOP);
        return;
    }
    for (int id : {Id::Mac, Id::AppId, Id::AnyAppId, Id::AnyMac, Id::Start, Id::Continue, Id::Refresh, Id::Adapter})
        EnableItem(*this, id, false);
    EnableItem(*this, Id::Stop, true);
    GotoDlgCtrl(GetDlgItemWidget(Id::Stop));

    GooseFilterSettings settings;
    ParseMac(macText_, settings.mac.data());
    settings.appId = static_cast<std::uint16_t>(ParseHex(appIdText_) & 0xFFFF);
    settings.anyMac = static_cast<std::uint32_t>(anyMac_);
    settings.anyAppId = static_cast<std::uint32_t>(anyAppId_);
    settings.latch = static_cast<std::uint32_t>(latch_);
    capture_->SetFilter(settings);
    // Failures come on the worker: posted, so that the worker never waits for the window
    // (Stop joins the worker on this thread).
    const HWND self = GetSafeHwnd();
    const std::uintptr_t run = ++gooseRun_;
    capture_->SetErrorSink([self, run](const std::string& text) {
        MessageBridge::PostMessage(self, WM_QX_GOOSE_ERROR, static_cast<WPARAM>(run), text);
    });
    gooseCapturing_ = true;
    if (!capture_->Start(adapterIndex_)) {
        ShowGooseStopped(true);
        MessageBox("The capture could not be started on the chosen adapter.", nullptr, MB_OK | MB_ICONSTOP);
    }
}

void QXDialog::OnGooseStop() { ShowGooseStopped(true); }

void QXDialog::ShowGooseStopped(bool focusStart) {
    capture_->Stop();  // returns when the worker has ended
    gooseCapturing_ = false;
    UpdateData(TRUE);
    EnableItem(*this, Id::Mac, anyMac_ == 0);
    EnableItem(*this, Id::AppId, anyAppId_ == 0);
    EnableItem(*this, Id::AnyMac, true);
    EnableItem(*this, Id::AnyAppId, true);
    EnableItem(*this, Id::Stop, false);
    EnableItem(*this, Id::Continue, false);
    EnableItem(*this, Id::Start, true);
    EnableItem(*this, Id::Refresh, true);
    EnableItem(*this, Id::Adapter, true);
    if (focusStart) GotoDlgCtrl(GetDlgItemWidget(Id::Start));
}

void QXDialog::OnGooseContinue() {
    capture_->Continue();
    EnableItem(*this, Id::Continue, false);
    GotoDlgCtrl(GetDlgItemWidget(Id::Stop));
}

void QXDialog::OnAnyMac() {
    UpdateData(TRUE);
    EnableItem(*this, Id::Mac, anyMac_ == 0);
}

void QXDialog::OnAnyAppId() {
    UpdateData(TRUE);
    EnableItem(*this, Id::AppId, anyAppId_ == 0);
}

void QXDialog::OnLatchOnChange() {
    UpdateData(TRUE);
    EnableItem(*this, Id::Continue, false);
    if (capture_->IsRunning()) capture_->SetLatch(latch_);
}

void QXDialog::OnTimer(UINT_PTR id) {
    if (id == GooseTimerId && gooseCapturing_) {
        if (capture_->IsRunning()) {
            ShowLastGooseFrame();
            if (capture_->IsLatched()) EnableItem(*this, Id::Continue, true);
        } else {
            // The capture ended by itself (an open that failed, a capture error). The focus
            // moves only when it was on a button that goes grey.
            QWidget* focus = GetWidget() ? GetWidget()->focusWidget() : nullptr;
            ShowGooseStopped(focus == nullptr || focus == GetDlgItemWidget(Id::Stop) ||
                             focus == GetDlgItemWidget(Id::Continue));
        }
    }
    CDialog::OnTimer(id);
}

void QXDialog::ShowLastGooseFrame() {
    GooseFrameInfo frame;
    capture_->GetLastFrame(frame);
    gooseValues_ = frame.values;
    char text[32];
    std::snprintf(text, sizeof text, "%.02X:%.02X:%.02X:%.02X:%.02X:%.02X", frame.mac[0], frame.mac[1], frame.mac[2],
                  frame.mac[3], frame.mac[4], frame.mac[5]);
    macText_ = text;
    std::snprintf(text, sizeof text, "%.04X", frame.appId);
    appIdText_ = text;
    stNum_ = frame.stNum;
    // Only the four fields the frame fills: the rest of the dialog may be in a person's hands.
    SetDlgItemText(Id::Values, Latin1ToUtf8(gooseValues_));
    SetDlgItemText(Id::Mac, macText_);
    SetDlgItemText(Id::AppId, appIdText_);
    SetDlgItemText(Id::StNum, DecimalText(stNum_));
}

LRESULT QXDialog::OnGooseError(WPARAM wParam, LPARAM lParam) {
    // A late report of a run the user has already stopped and started again stops nothing.
    if (static_cast<std::uintptr_t>(wParam) == gooseRun_ && gooseCapturing_) ShowGooseStopped(true);
    MessageBox(TextOf(lParam), nullptr, MB_OK | MB_ICONSTOP);
    return 1;
}

void QXDialog::ParseMac(const std::string& text, std::uint8_t mac[6]) {
    std::size_t position = 0;
    for (int i = 0; i < 6; ++i) {
        position = text.find_first_not_of(':', position);
        if (position == std::string::npos) {
            mac[i] = 0;
            continue;
        }
        const std::size_t end = text.find(':', position);
        const std::size_t length = (end == std::string::npos ? text.size() : end) - position;
        mac[i] = static_cast<std::uint8_t>(ParseHex(text.substr(position, length)) & 0xFF);
        position += length;
    }
}

std::uint32_t QXDialog::ParseHex(const std::string& text) {
    std::uint32_t value = 0;
    for (const char c : text) {
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        std::uint32_t digit = 0;
        if (upper >= '0' && upper <= '9') {
            digit = static_cast<std::uint32_t>(upper - '0');
        } else if (upper >= 'A' && upper <= 'F') {
            digit = static_cast<std::uint32_t>(upper - 'A' + 10);
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace App
