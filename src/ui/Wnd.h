#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "ui/messages/Types.h"

class QEvent;

namespace Ui {

class WndHook;

// A window object attached to a Qt widget, as a window object of the dialogs is attached
// to a window: the object may outlive its widget (a dialog's members keep their values
// after the dialog has closed), and a widget created by a template may be adopted by a
// control object later (`SubclassDlgItem`). Adopting installs an event filter, so a
// control object sees its widget's events first and may claim them.
//
// The message map is filled at run time: `MapMessage` for numbered messages,
// `MapCommand` for WM_COMMAND by control id and code, `MapNotify` for WM_NOTIFY.
// Everything runs on the UI thread; other threads go through MessageBridge.
class CWnd {
public:
    CWnd();
    // Destroys a widget the object made; its own OnDestroy has run by then only if a
    // derived class called DestroyWindow in its destructor (the base one runs here).
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The window object of a widget, or of a handle (UI thread), or null.
    static CWnd* FromWidget(const QWidget* widget);
    static CWnd* FromHandle(HWND handle);

    HWND GetSafeHwnd() const { return handle_; }
    QWidget* GetWidget() const { return widget_.data(); }
    bool IsWindow() const { return !widget_.isNull(); }

    // Attaches to an existing widget without owning it. False when this object already
    // has a widget or the widget already has a window object.
    bool Attach(QWidget* widget);
    QWidget* Detach();
    // Adopts the direct child `id` of `parent`.
    virtual bool SubclassDlgItem(int id, CWnd* parent);
    // Creates a plain child window of our own (a custom control), placed in pixels.
    bool Create(DWORD style, const RECT& pixels, CWnd* parent, int id);
    // Creates a control by window class name (see ControlFactory), placed in pixels.
    bool CreateControl(const std::string& className, const std::string& text, DWORD style, DWORD exStyle,
                       const RECT& pixels, CWnd* parent, int id);
    // Destroys the widget (WM_DESTROY first); the object stays.
    void DestroyWindow();

    int GetDlgCtrlID() const;
    void SetDlgCtrlID(int id);
    CWnd* GetParent() const;
    // A window (a dialog) stays a window and becomes owned by `parent`: the window system
    // keeps it above its owner, and it goes with its owner's window. A control moves into
    // `parent`. Null makes a window stand alone. Returns the old parent.
    CWnd* SetParent(CWnd* parent);
    // The owner receives a control's notifications where one is set; otherwise the parent.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner) { owner_ = owner; }
    // Direct children only: ids repeat at different depths.
    QWidget* GetDlgItemWidget(int id) const;
    CWnd* GetDlgItem(int id) const;
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);

    // Text goes through WM_SETTEXT, so a control object can rework text set from outside.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    void SetFocus();
    bool HasFocus() const;
    void MoveWindow(const RECT& pixels, bool repaint = true);
    RECT GetClientRect() const;
    RECT GetWindowRect() const;  // in the parent's coordinates
    void Invalidate();
    void UpdateWindow();
    void SetFont(const QFont& font, bool redraw = true);
    QFont GetFont() const;
    // Dialog units to pixels by this window's font.
    void MapDialogRect(RECT& rect) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sends WM_COMMAND or WM_NOTIFY of this control to its owner.
    LRESULT NotifyOwner(WORD code);
    LRESULT NotifyOwner(NMHDR& header);

    // Timers by id: they fire in any event loop (modal ones too) and die with the widget.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    bool KillTimer(UINT_PTR id);

    int MessageBox(const std::string& text, const char* caption = nullptr, UINT type = MB_OK);

    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    using NotifyHandler = std::function<void(NMHDR*, LRESULT*)>;
    void MapMessage(UINT message, MessageHandler handler);
    void MapCommand(int id, std::function<void()> handler, WORD code = BN_CLICKED);
    void MapNotify(int id, UINT code, NotifyHandler handler);

    // Message dispatch: WM_COMMAND, WM_NOTIFY, WM_TIMER, WM_ENABLE, WM_SETTEXT and
    // WM_SYSCOMMAND go to the virtuals below, everything else to the map.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void OnTimer(UINT_PTR id) {}
    // Sent by EnableWindow after the state changed; also sent on its own to tell a window
    // without changing its state.
    virtual void OnEnable(BOOL enable) {}
    // WM_SETTEXT: applies the text to the widget.
    virtual LRESULT OnSetText(const char* text);
    virtual void OnSysCommand(UINT id, LPARAM lParam) {}
    // Called before the widget goes (DestroyWindow or the object's end).
    virtual void OnDestroy() {}
    // Sees the widget's events before the widget: true claims the event.
    virtual bool OnEvent(QEvent* event) { return false; }
    // Keys a control wants for itself instead of the dialog manager's handling.
    virtual UINT OnGetDlgCode() { return 0; }

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The widget that Create makes; custom windows may supply their own class.
    virtual QWidget* CreateWidget(QWidget* parent);
    // Takes a widget made by this object; it is deleted with the object.
    void AdoptOwnedWidget(QWidget* widget);

private:
    friend class WndHook;
    void WidgetGone();
    void Hook(QWidget* widget, bool owned);
    void Unhook();

    QPointer<QWidget> widget_;
    WndHook* hook_ = nullptr;
    HWND handle_ = 0;
    bool ownsWidget_ = false;
    CWnd* owner_ = nullptr;
    std::map<UINT, MessageHandler> messages_;
    std::map<std::pair<int, WORD>, std::function<void()>> commands_;
    std::map<std::pair<int, UINT>, NotifyHandler> notifies_;
};

constexpr UINT DLGC_WANTARROWS = 0x0001;
constexpr UINT DLGC_WANTTAB = 0x0002;
constexpr UINT DLGC_WANTALLKEYS = 0x0004;

}  // namespace Ui
