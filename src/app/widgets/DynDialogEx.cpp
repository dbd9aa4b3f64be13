#include "app/widgets/DynDialogEx.h"

#include <QTimer>
#include <algorithm>

#include "ui/DialogUnits.h"
#include "ui/MessageBox.h"
#include "ui/WinApp.h"

namespace Widgets {

using namespace Ui;

namespace {
constexpr DWORD kDialogStyle = 0x10C80040;  // visible, caption, system menu, set font
constexpr DWORD kButtonStyle = 0x50010000;  // child, visible, tab stop
}  // namespace

CDynDialogEx::CDynDialogEx(CWnd* parent) : CDialog(0, parent), parent_(parent) {
    template_.style = kDialogStyle;
    template_.exStyle = WS_EX_DLGMODALFRAME;
    template_.x = template_.y = template_.cx = template_.cy = 0;
}

CDynDialogEx::~CDynDialogEx() {
    DestroyWindow();
    while (!items_.empty()) items_.pop_back();  // last to first
}

void CDynDialogEx::GetDlgRect(RECT* rect) const {
    if (!rect) return;
    *rect = RECT{template_.x, template_.y, template_.x + template_.cx, template_.y + template_.cy};
}

void CDynDialogEx::SetDlgRect(const RECT* rect) {
    if (!rect) return;
    template_.x = rect->left;
    template_.y = rect->top;
    template_.cx = rect->Width();
    template_.cy = rect->Height();
}

UINT CDynDialogEx::Add(CDynDialogItemEx* raw, UINT id, const RECT* given, int defaultRight,
                       const std::function<UINT(CDynDialogItemEx&, const RECT&)>& init) {
    std::unique_ptr<CDynDialogItemEx> item(raw);
    int y = nextRow_;
    nextRow_ += 12;
    RECT r = given ? *given : RECT{10, y, defaultRight, y + 12};
    int oldRight = template_.x + template_.cx;
    int oldBottom = template_.y + template_.cy;
    template_.x = std::min(template_.x, r.left);
    template_.y = std::min(template_.y, r.top);
    int right = oldRight < r.right ? r.right + 5 : oldRight;
    int bottom = oldBottom < r.bottom ? r.bottom + 5 : oldBottom;
    template_.cx = right - template_.x;
    template_.cy = bottom - template_.y;
    UINT used = init(*item, r);
    items_.push_back(std::move(item));
    (void)id;
    return used;
}

UINT CDynDialogEx::AddDlgControl(const char* className, const char* caption, DWORD style, DWORD exStyle,
                                 const RECT* rect, DynItemData data, UINT id) {
    int code = CDynDialogItemEx::TypeOfClassName(className ? className : "");
    if (!CDynDialogItemEx::DataFits(code, style, data)) return 0;
    return Add(new CDynDialogItemEx, id, rect, 270, [&](CDynDialogItemEx& item, const RECT& r) {
        return item.InitByClassName(className, style, exStyle, r, caption, id, false, data);
    });
}

UINT CDynDialogEx::AddDlgControl(int typeCode, const char* caption, DWORD style, DWORD exStyle, const RECT* rect,
                                 DynItemData data, UINT id) {
    if (!CDynDialogItemEx::DataFits(typeCode, style, data)) return 0;
    return Add(new CDynDialogItemEx, id, rect, 120, [&](CDynDialogItemEx& item, const RECT& r) {
        return item.InitByType(typeCode, style, exStyle, r, caption, id, false, data);
    });
}

UINT CDynDialogEx::AddTemplateDlgControl(const char* className, const char* caption, DWORD style, DWORD exStyle,
                                         const RECT* rect, UINT id) {
    UINT used = Add(new CDynDialogItemEx, id, rect, 270, [&](CDynDialogItemEx& item, const RECT& r) {
        return item.InitByClassName(className, style, exStyle, r, caption, id, true, {});
    });
    ++itemCount_;
    return used;
}

void CDynDialogEx::AddSystemButtons() {
    nextRow_ += 6;
    int y = nextRow_;
    RECT ok{10, y, 60, y + 14};
    AddDlgControl(128, "OK", kButtonStyle, 0, &ok, {}, IDOK);
    RECT cancel{65, y, 115, y + 14};
    AddDlgControl(128, "Annuleren", kButtonStyle, 0, &cancel, {}, IDCANCEL);
}

QFont CDynDialogEx::DialogFont() const {
    if (font_) return *font_;
    if (parent_ && parent_->IsWindow()) return parent_->GetFont();
    if (CWnd* main = CWinApp::GetMainWnd(); main && main->IsWindow()) return main->GetFont();
    return TemplateFont("MS Sans Serif", 8);
}

DialogTemplate CDynDialogEx::BuildTemplate() {
    DialogTemplate t = template_;
    QFont font = DialogFont();
    bool none =
        !font_ && !(parent_ && parent_->IsWindow()) && !(CWinApp::GetMainWnd() && CWinApp::GetMainWnd()->IsWindow());
    t.fontFace = none ? "MS Sans Serif" : font.family().toStdString();
    if (pointSize_ == 0) {
        // The font's own points (its description's height would read as a huge size).
        int points = font.pointSize() > 0 ? font.pointSize() : MulDiv(font.pixelSize(), 72, 96);
        pointSize_ = static_cast<WORD>(none ? 8 : points);
    }
    t.pointSize = pointSize_;
    t.caption = title_;
    t.controls.clear();
    for (const auto& item : items_) {
        if (item->IsInTemplate()) item->CreateTemplate(t);
    }
    return t;
}

intptr_t CDynDialogEx::DoModal() {
    if (addSystemButtons_) {
        AddSystemButtons();
        addSystemButtons_ = false;
    }
    DialogTemplate t = BuildTemplate();
    if (modeless_) return CreateIndirect(t, parent_) ? 1 : 0;
    InitModalIndirect(t, parent_);
    return CDialog::DoModal();
}

int CDynDialogEx::OnCreate() {
    if (CDialog::OnCreate() == -1) return -1;
    if (!font_) ownFont_ = GetFont();
    QFont font = GetFont();
    for (const auto& item : items_) {
        if (item->IsInTemplate()) continue;
        if (!item->CreateEx(this)) {
            MessageBox("Failed to create DlgItem.");
        } else if (item->IsWindow()) {
            item->SetFont(&font, false);
        }
    }
    return 0;
}

BOOL CDynDialogEx::OnInitDialog() {
    for (const auto& item : items_) {
        if (item->IsInTemplate()) continue;
        if (!item->SetWindowPos(this)) MessageBox("Failed SetWindowPos for control " + item->GetClassName() + ".");
    }
    CDialog::OnInitDialog();
    CenterWindow();
    return TRUE;
}

BOOL CDynDialogEx::OnCommand(WPARAM wParam, LPARAM lParam) {
    WORD id = LOWORD(wParam);
    if (id == IDOK) {
        OnOK();
        return 1;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return 1;
    }
    if (id != 0 && parent_ && parent_->IsWindow()) parent_->SendMessage(WM_COMMAND, wParam, lParam);
    return CDialog::OnCommand(wParam, lParam);
}

void CDynDialogEx::OnOK() {
    if (!modeless_) return CDialog::OnOK();
    // The command may come from a button of this window: it goes once that button is done.
    if (QWidget* widget = GetWidget()) {
        widget->hide();
        QTimer::singleShot(0, widget, [this] { DestroyWindow(); });
    }
}

void CDynDialogEx::OnCancel() {
    if (!modeless_) return CDialog::OnCancel();
    OnOK();
}

void CDynDialogEx::DoDataExchange(CDataExchange* dx) {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) (*it)->DoDataExchange(dx);
}

}  // namespace Widgets
