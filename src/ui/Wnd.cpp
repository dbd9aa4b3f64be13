#include "ui/Wnd.h"

#include <QEvent>
#include <QTimerEvent>
#include <QVariant>

#include "ui/ControlAccess.h"
#include "ui/ControlFactory.h"
#include "ui/DialogUnits.h"
#include "ui/MessageBox.h"
#include "ui/MessageBridge.h"
#include "ui/messages/MessageParams.h"

namespace Ui {

// Lives as a child of the widget: it filters the widget's events for the window object,
// carries its timers, and tells the object when the widget goes.
class WndHook : public QObject {
public:
    WndHook(CWnd* owner, QWidget* widget) : QObject(widget), owner_(owner) {
        widget->setProperty("iec.wnd", QVariant::fromValue(static_cast<void*>(owner)));
        widget->installEventFilter(this);
    }
    ~WndHook() override {
        if (owner_) owner_->WidgetGone();
    }
    void Release() { owner_ = nullptr; }

    UINT_PTR SetTimer(UINT_PTR id, UINT ms) {
        KillTimer(id);
        int qtId = startTimer(static_cast<int>(ms));
        if (qtId == 0) return 0;
        timers_[qtId] = id;
        return id;
    }
    bool KillTimer(UINT_PTR id) {
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second == id) {
                killTimer(it->first);
                timers_.erase(it);
                return true;
            }
        }
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return owner_ && watched == parent() && owner_->OnEvent(event);
    }
    void timerEvent(QTimerEvent* event) override {
        auto it = timers_.find(event->timerId());
        if (it != timers_.end() && owner_) owner_->SendMessage(WM_TIMER, it->second, 0);
    }

private:
    CWnd* owner_;
    std::map<int, UINT_PTR> timers_;
};

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (widget_ && ownsWidget_) {
        OnDestroy();
        QWidget* widget = widget_.data();
        Unhook();
        delete widget;
    } else {
        Unhook();
    }
}

CWnd* CWnd::FromWidget(const QWidget* widget) {
    if (!widget) return nullptr;
    return static_cast<CWnd*>(widget->property("iec.wnd").value<void*>());
}

CWnd* CWnd::FromHandle(HWND handle) { return MessageBridge::Find(handle); }

void CWnd::Hook(QWidget* widget, bool owned) {
    widget_ = widget;
    ownsWidget_ = owned;
    hook_ = new WndHook(this, widget);
    handle_ = MessageBridge::Register(this);
}

void CWnd::Unhook() {
    if (hook_) {
        hook_->Release();
        if (widget_) {
            widget_->removeEventFilter(hook_);
            widget_->setProperty("iec.wnd", QVariant());
            delete hook_;
        }
        hook_ = nullptr;
    }
    if (handle_) MessageBridge::Unregister(handle_);
    handle_ = 0;
    widget_ = nullptr;
    ownsWidget_ = false;
}

void CWnd::WidgetGone() {
    hook_ = nullptr;
    if (handle_) MessageBridge::Unregister(handle_);
    handle_ = 0;
    widget_ = nullptr;
    ownsWidget_ = false;
}

bool CWnd::Attach(QWidget* widget) {
    if (!widget || widget_ || FromWidget(widget)) return false;
    Hook(widget, false);
    return true;
}

QWidget* CWnd::Detach() {
    QWidget* widget = widget_.data();
    Unhook();
    return widget;
}

void CWnd::AdoptOwnedWidget(QWidget* widget) { Hook(widget, true); }

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    QWidget* widget = parent ? parent->GetDlgItemWidget(id) : nullptr;
    return widget && Attach(widget);
}

QWidget* CWnd::CreateWidget(QWidget* parent) { return new QWidget(parent); }

bool CWnd::Create(DWORD style, const RECT& pixels, CWnd* parent, int id) {
    if (widget_) return false;
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    QWidget* widget = CreateWidget(parentWidget);
    SetControlId(widget, id);
    SetControlStyles(widget, style, 0);
    widget->setGeometry(pixels.left, pixels.top, pixels.Width(), pixels.Height());
    if (parentWidget) widget->setFont(parentWidget->font());
    widget->setEnabled(!(style & WS_DISABLED));
    AdoptOwnedWidget(widget);
    if (style & WS_VISIBLE) widget->show();
    return true;
}

bool CWnd::CreateControl(const std::string& className, const std::string& text, DWORD style, DWORD exStyle,
                         const RECT& pixels, CWnd* parent, int id) {
    if (widget_) return false;
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    ControlTemplate control{id, className, text, 0, 0, 0, 0, style, exStyle};
    QWidget* widget = ControlFactory::Create(control, pixels, parentWidget);
    if (!widget) return false;
    AdoptOwnedWidget(widget);
    return true;
}

void CWnd::DestroyWindow() {
    if (!widget_) return;
    OnDestroy();
    QWidget* widget = widget_.data();
    bool owned = ownsWidget_;
    Unhook();
    if (owned) {
        delete widget;
    } else {
        widget->deleteLater();
        widget->hide();
    }
}

int CWnd::GetDlgCtrlID() const { return ControlId(widget_); }

void CWnd::SetDlgCtrlID(int id) {
    if (widget_) SetControlId(widget_, id);
}

CWnd* CWnd::GetParent() const { return widget_ ? FromWidget(widget_->parentWidget()) : nullptr; }

CWnd* CWnd::SetParent(CWnd* parent) {
    if (!widget_) return nullptr;
    CWnd* old = GetParent();
    QWidget* widget = widget_.data();
    const bool shown = widget->isVisible();
    // Qt hides a widget that changes parent; the window flags keep a window a window.
    widget->setParent(parent != nullptr ? parent->GetWidget() : nullptr, widget->windowFlags());
    if (shown) widget->show();
    return old;
}

CWnd* CWnd::GetOwner() const { return owner_ ? owner_ : GetParent(); }

QWidget* CWnd::GetDlgItemWidget(int id) const {
    if (!widget_) return nullptr;
    for (QObject* child : widget_->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && ControlId(widget) == id) return widget;
    }
    return nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const { return FromWidget(GetDlgItemWidget(id)); }

std::string CWnd::GetDlgItemText(int id) const {
    if (CWnd* item = GetDlgItem(id)) return item->GetWindowText();
    QWidget* widget = GetDlgItemWidget(id);
    return widget ? WidgetText(widget) : std::string();
}

void CWnd::SetDlgItemText(int id, const std::string& text) {
    if (CWnd* item = GetDlgItem(id)) return item->SetWindowText(text);
    if (QWidget* widget = GetDlgItemWidget(id)) SetWidgetText(widget, text);
}

void CWnd::SetWindowText(const std::string& text) { SendMessage(WM_SETTEXT, 0, ParamOf(text.c_str())); }

std::string CWnd::GetWindowText() const { return widget_ ? WidgetText(widget_) : std::string(); }

LRESULT CWnd::OnSetText(const char* text) {
    if (!widget_) return 0;
    SetWidgetText(widget_, text ? text : "");
    return 1;
}

void CWnd::EnableWindow(bool enable) {
    if (!widget_) return;
    widget_->setEnabled(enable);
    SendMessage(WM_ENABLE, enable ? 1 : 0, 0);
}

bool CWnd::IsWindowEnabled() const { return widget_ && widget_->isEnabled(); }

void CWnd::ShowWindow(bool show) {
    if (widget_) widget_->setVisible(show);
}

bool CWnd::IsWindowVisible() const { return widget_ && widget_->isVisible(); }

void CWnd::SetFocus() {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

bool CWnd::HasFocus() const { return widget_ && widget_->hasFocus(); }

void CWnd::MoveWindow(const RECT& pixels, bool repaint) {
    if (!widget_) return;
    widget_->setGeometry(pixels.left, pixels.top, pixels.Width(), pixels.Height());
    if (repaint) widget_->update();
}

RECT CWnd::GetClientRect() const {
    if (!widget_) return {};
    QRect r = widget_->rect();
    return {0, 0, r.width(), r.height()};
}

RECT CWnd::GetWindowRect() const {
    if (!widget_) return {};
    QRect r = widget_->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::Invalidate() {
    if (widget_) widget_->update();
}

void CWnd::UpdateWindow() {
    if (widget_) widget_->repaint();
}

void CWnd::SetFont(const QFont& font, bool redraw) {
    if (!widget_) return;
    widget_->setFont(font);
    if (redraw) widget_->update();
}

QFont CWnd::GetFont() const { return widget_ ? widget_->font() : QFont(); }

void CWnd::MapDialogRect(RECT& rect) const { rect = DialogUnits(GetFont()).ToPixels(rect); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return WindowProc(message, wParam, lParam); }

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return handle_ && MessageBridge::PostMessage(handle_, message, wParam, lParam);
}

LRESULT CWnd::NotifyOwner(WORD code) {
    CWnd* owner = GetOwner();
    if (!owner) return 0;
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), code);
    return owner->SendMessage(WM_COMMAND, wParam, static_cast<LPARAM>(handle_));
}

LRESULT CWnd::NotifyOwner(NMHDR& header) {
    CWnd* owner = GetOwner();
    if (!owner) return 0;
    header.hwndFrom = handle_;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    return owner->SendMessage(WM_NOTIFY, header.idFrom, ParamOf(&header));
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) { return hook_ ? hook_->SetTimer(id, elapseMs) : 0; }

bool CWnd::KillTimer(UINT_PTR id) { return hook_ && hook_->KillTimer(id); }

int CWnd::MessageBox(const std::string& text, const char* caption, UINT type) {
    return Ui::MessageBox(this, text, caption, type);
}

void CWnd::MapMessage(UINT message, MessageHandler handler) { messages_[message] = std::move(handler); }

void CWnd::MapCommand(int id, std::function<void()> handler, WORD code) { commands_[{id, code}] = std::move(handler); }

void CWnd::MapNotify(int id, UINT code, NotifyHandler handler) { notifies_[{id, code}] = std::move(handler); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: return OnCommand(wParam, lParam) ? 0 : DefWindowProc(message, wParam, lParam);
        case WM_NOTIFY: {
            LRESULT result = 0;
            OnNotify(wParam, lParam, &result);
            return result;
        }
        case WM_TIMER: OnTimer(wParam); return 0;
        case WM_ENABLE: OnEnable(wParam != 0 ? 1 : 0); return 0;
        case WM_SETTEXT: return OnSetText(ParamAs<const char>(lParam));
        case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;
        default: break;
    }
    if (auto it = messages_.find(message); it != messages_.end()) return it->second(wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return 0; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    auto it = commands_.find({LOWORD(wParam), HIWORD(wParam)});
    if (it == commands_.end()) return 0;
    it->second();
    return 1;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* header = ParamAs<NMHDR>(lParam);
    if (!header) return 0;
    auto it = notifies_.find({static_cast<int>(header->idFrom), header->code});
    if (it == notifies_.end()) return 0;
    it->second(header, result);
    return 1;
}

}  // namespace Ui
