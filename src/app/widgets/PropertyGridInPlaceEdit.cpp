#include "app/widgets/PropertyGridInPlaceEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/widgets/PropertyGrid.h"
#include "ui/Text.h"
#include "ui/messages/MessageParams.h"

namespace Widgets {

using namespace Ui;

bool CPropertyGridInPlaceEdit::committing_ = false;

CPropertyGridInPlaceEdit::CPropertyGridInPlaceEdit(CWnd* parent, const RECT& rect, DWORD style, UINT id,
                                                   const std::string& initialText)
    : initialText_(initialText), rect_(rect) {
    if (!CreateControl("EDIT", "", style | WS_CHILD | ES_AUTOHSCROLL, 0, rect, parent, static_cast<int>(id))) return;
    SetColors(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT));
    if (parent) SetFont(parent->GetFont(), true);
    SetWindowText(initialText_);
    SetFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) {
        edit->setDragEnabled(false);
        edit->deselect();
        edit->end(false);
    }
}

void CPropertyGridInPlaceEdit::SetColors(COLORREF background, COLORREF text) {
    background_ = background;
    text_ = text;
    if (QWidget* widget = GetWidget()) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Base, ToQColor(background_));
        palette.setColor(QPalette::Text, ToQColor(text_));
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
}

void CPropertyGridInPlaceEdit::ReturnFocus() {
    if (CWnd* owner = GetOwner()) owner->SetFocus();
}

void CPropertyGridInPlaceEdit::Commit() {
    if (committing_) return;
    committing_ = true;
    std::string text = GetWindowText();
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_PG_ENDLABELEDIT, ParamOf<WPARAM>(text.c_str()), 0);
    if (QWidget* widget = GetWidget()) widget->hide();
    committing_ = false;
}

bool CPropertyGridInPlaceEdit::OnEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Taking the key here keeps it from the dialog's mnemonics and shortcuts.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & Qt::AltModifier) {
                event->accept();
                return true;
            }
            return false;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            bool ctrl = key->modifiers() & Qt::ControlModifier;
            switch (key->key()) {
                case Qt::Key_Tab:
                case Qt::Key_Backtab:
                case Qt::Key_Return:
                case Qt::Key_Enter: ReturnFocus(); return true;
                case Qt::Key_Escape:
                    SetWindowText(initialText_);
                    ReturnFocus();
                    return true;
                case Qt::Key_PageUp:
                case Qt::Key_PageDown:
                case Qt::Key_Left:
                case Qt::Key_Right:
                case Qt::Key_Up:
                case Qt::Key_Down:
                    if (!ctrl) break;
                    ReturnFocus();
                    return true;
                default:
                    if (key->modifiers() & Qt::AltModifier) return true;
                    break;
            }
            // Keys the line edit leaves alone stop here, as they stop at an edit control:
            // they must not move the grid's focus while it edits.
            static_cast<QObject*>(GetWidget())->event(event);
            event->accept();
            return true;
        }
        case QEvent::FocusOut:
            // The edit's own context menu takes the focus for a moment; that is no commit.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) Commit();
            return false;
        default: return false;
    }
}

}  // namespace Widgets
