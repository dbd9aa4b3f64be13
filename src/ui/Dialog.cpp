#include "ui/Dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "ui/ControlAccess.h"
#include "ui/ControlFactory.h"
#include "ui/DataExchange.h"
#include "ui/DialogUnits.h"
#include "ui/MessageBridge.h"
#include "ui/Resources.h"
#include "ui/Text.h"

namespace Ui {
namespace {

// The Qt side of a dialog: keys, the close box and Qt's own reject go to the dialog object.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {}
    // Centring again once shown: only then is the window frame known.
    bool centreWhenShown = false;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (!centreWhenShown) return;
        centreWhenShown = false;
        dialog_->CenterWindow();
    }
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Escape:
            case Qt::Key_Return:
            case Qt::Key_Enter: dialog_->HandleDialogKey(event->key()); return;
            default: QWidget::keyPressEvent(event);
        }
    }
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        dialog_->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void reject() override { dialog_->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

private:
    CDialog* dialog_;
};

bool IsPushButton(const QWidget* widget) {
    auto* button = qobject_cast<const QPushButton*>(widget);
    return button != nullptr;
}

}  // namespace

CDialog::CDialog(int templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

const DialogTemplate* CDialog::GetTemplate() const { return indirect_ ? &*indirect_ : FindDialogTemplate(templateId_); }

QWidget* CDialog::Realise(const DialogTemplate& t, CWnd* parent, bool modal) {
    if (parent) parent_ = parent;
    QWidget* parentWidget = parent_ ? parent_->GetWidget() : nullptr;
    if (!parentWidget) {
        CWnd* main = CWnd::FromHandle(MessageBridge::GetMainWindow());
        if (main && main != this) parentWidget = main->GetWidget();
    }
    auto* widget = new DialogWidget(this, parentWidget);
    // The buttons are the template's and no more: without the customising hint the window
    // system adds its own (a maximise button on a window of fixed size). Only a
    // window that may be resized may be maximised.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    if (t.style & WS_CAPTION) flags |= Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint;
    if (t.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    if ((t.style & WS_SYSMENU) && (t.style & WS_THICKFRAME)) flags |= Qt::WindowMaximizeButtonHint;
    widget->setWindowFlags(flags);
    widget->setModal(modal);
    QFont font = TemplateFont(t.fontFace, t.pointSize);
    widget->setFont(font);
    widget->setWindowTitle(ToQt(t.caption));
    DialogUnits units(font);
    QRect frame = units.ToPixels(t.x, t.y, t.cx, t.cy);
    if (t.style & WS_THICKFRAME) {
        widget->resize(frame.size());
    } else {
        widget->setFixedSize(frame.size());
    }
    widget->move(frame.topLeft());
    modal_ = modal;
    endedWith_.reset();
    defaultId_ = 0;
    AdoptOwnedWidget(widget);
    if (OnCreate() == -1) {
        DestroyWindow();
        return nullptr;
    }

    QWidget* previous = nullptr;
    for (const ControlTemplate& c : t.controls) {
        RECT pixels = units.ToPixels(RECT{c.x, c.y, c.x + c.cx, c.y + c.cy});
        QWidget* control = ControlFactory::Create(c, pixels, widget);
        if (!defaultId_ && IsPushButton(control) && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) defaultId_ = c.id;
        if (control->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
    return widget;
}

intptr_t CDialog::DoModal() {
    const DialogTemplate* t = GetTemplate();
    if (!t || IsWindow()) return -1;
    auto* widget = static_cast<DialogWidget*>(Realise(*t, nullptr, true));
    if (!widget) return -1;
    CenterWindow();
    widget->centreWhenShown = true;
    if (OnInitDialog()) {
        QWidget* first = widget->nextInFocusChain();
        while (first && first != widget && (first->focusPolicy() & Qt::TabFocus) != Qt::TabFocus)
            first = first->nextInFocusChain();
        if (first && first != widget && !widget->focusWidget()) first->setFocus();
    }
    intptr_t result = endedWith_ ? *endedWith_ : widget->exec();
    if (endedWith_) result = *endedWith_;
    DestroyWindow();
    return result;
}

bool CDialog::InitModalIndirect(const DialogTemplate& dialogTemplate, CWnd* parent) {
    indirect_ = dialogTemplate;
    if (parent) parent_ = parent;
    return true;
}

bool CDialog::Create(int templateId, CWnd* parent) {
    templateId_ = templateId;
    indirect_.reset();
    const DialogTemplate* t = GetTemplate();
    if (!t || IsWindow()) return false;
    QWidget* widget = Realise(*t, parent, false);
    if (!widget) return false;
    OnInitDialog();
    if (t->style & WS_VISIBLE) widget->show();
    return true;
}

bool CDialog::CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent) {
    indirect_ = dialogTemplate;
    if (IsWindow()) return false;
    QWidget* widget = Realise(*indirect_, parent, false);
    if (!widget) return false;
    OnInitDialog();
    if (indirect_->style & WS_VISIBLE) widget->show();
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeRefused&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
    endedWith_ = result;
    QWidget* widget = GetWidget();
    if (!widget) return;
    if (modal_) {
        static_cast<QDialog*>(widget)->done(result);
    } else {
        widget->hide();
    }
}

void CDialog::CenterWindow(CWnd* alternate) {
    QWidget* widget = GetWidget();
    if (!widget) return;
    QWidget* reference = alternate && alternate->GetWidget() ? alternate->GetWidget() : widget->parentWidget();
    QRect area;
    if (reference) {
        area = reference->window()->frameGeometry();
    } else if (QScreen* screen = QApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    QRect frame = widget->frameGeometry();
    if (area.isValid()) widget->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

int CDialog::GetDefID() const { return defaultId_ ? defaultId_ : IDOK; }

void CDialog::GotoDlgCtrl(QWidget* control) {
    if (control) control->setFocus(Qt::TabFocusReason);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) return 1;
    if (HIWORD(wParam) != BN_CLICKED) return 0;
    if (LOWORD(wParam) == IDOK) {
        OnOK();
        return 1;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return 1;
    }
    return 0;
}

void CDialog::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == SC_CLOSE) SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CDialog::HandleDialogKey(int key) {
    QWidget* focus = GetWidget() ? GetWidget()->focusWidget() : nullptr;
    if (CWnd* control = CWnd::FromWidget(focus);
        control && control != this && (control->OnGetDlgCode() & DLGC_WANTALLKEYS))
        return;
    if (key == Qt::Key_Escape) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    int id = GetDefID();
    if (focus && IsPushButton(focus) && focus->parentWidget() == GetWidget()) id = ControlId(focus);
    QWidget* button = GetDlgItemWidget(id);
    if (button && !button->isEnabled()) {
        MessageBeep(0);
        return;
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

}  // namespace Ui
