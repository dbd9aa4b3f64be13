#include "app/widgets/MaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <utility>

#include "ui/Resources.h"
#include "ui/Text.h"

namespace Widgets {

using namespace Ui;

namespace {
QLineEdit* LineEdit(const CWnd* wnd) { return qobject_cast<QLineEdit*>(wnd->GetWidget()); }
}  // namespace

CMaskEdit::CMaskEdit(const char* mask) { SetMask(mask); }

void CMaskEdit::SetMask(const char* mask) {
    ClearMask();
    positions_.SetMask(mask ? mask : "");
    UpdateWindowText(0);
}

void CMaskEdit::ClearMask() {
    if (positions_.HasMask()) {
        positions_.Clear();
    } else if (IsWindow()) {
        SetWindowText("");
    }
}

void CMaskEdit::SetPromptChar(char prompt) {
    if (positions_.SetPromptChar(prompt)) UpdateWindowText(-1);
}

void CMaskEdit::GetInputData(std::string& data) const {
    data = positions_.HasMask() ? positions_.GetInputData() : GetWindowText();
}

int CMaskEdit::SetInputData(const char* text, int first, bool raw) {
    int result = positions_.SetInputData(text ? text : "", first, raw);
    UpdateWindowText(0);
    return result;
}

void CMaskEdit::ClearInput(bool keepMask) {
    if (!positions_.HasMask()) return ClearMask();
    if (keepMask) {
        positions_.ClearInput();
    } else {
        positions_.Clear();
    }
    UpdateWindowText(0);
}

bool CMaskEdit::IsEmpty() const { return positions_.HasMask() ? positions_.IsEmpty() : GetWindowText().empty(); }

void CMaskEdit::UpdateWindowText(int caret) {
    if (!IsWindow()) return;
    ++updating_;
    SetWindowText(positions_.GetMaskedText());
    --updating_;
    if (caret >= 0) MoveToNextInput(caret);
}

void CMaskEdit::MoveToNextInput(int index) {
    QLineEdit* edit = LineEdit(this);
    if (!edit) return;
    int q = positions_.HasMask() ? positions_.NextInput(index) : std::max(index, 0);
    if (autoTab_ && positions_.HasMask() && q == positions_.Count()) {
        QWidget* next = edit->nextInFocusChain();
        while (next && next != edit && (next->focusPolicy() & Qt::TabFocus) != Qt::TabFocus)
            next = next->nextInFocusChain();
        if (next && next != edit) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    edit->setCursorPosition(q);
}

void CMaskEdit::MoveToPrevInput(int index) {
    if (QLineEdit* edit = LineEdit(this))
        edit->setCursorPosition(positions_.HasMask() ? positions_.PrevInput(index) : index);
}

void CMaskEdit::OnInvalidInput() { MessageBeep(MB_ICONEXCLAMATION); }

bool CMaskEdit::SubclassDlgItem(int id, CWnd* parent) {
    if (!CEdit::SubclassDlgItem(id, parent)) return false;
    if (QLineEdit* edit = LineEdit(this)) {
        edit->setDragEnabled(false);
        edit->setAcceptDrops(false);
    }
    if (positions_.HasMask()) UpdateWindowText(0);
    return true;
}

LRESULT CMaskEdit::OnSetText(const char* text) {
    if (!positions_.HasMask() || updating_) {
        CEdit::OnSetText(text);
        if (updating_) {
            NotifyOwner(EN_UPDATE);
            if (notifyChange_) NotifyOwner(EN_CHANGE);
        }
        return 1;
    }
    notifyChange_ = 0;
    positions_.SetInputData(positions_.StripLiterals(text ? text : ""), 0, true);
    UpdateWindowText(0);
    notifyChange_ = 1;
    return 1;
}

int CMaskEdit::Caret() const {
    QLineEdit* edit = LineEdit(this);
    return edit ? edit->cursorPosition() : 0;
}

bool CMaskEdit::Selection(int& start, int& end) const {
    QLineEdit* edit = LineEdit(this);
    if (!edit || !edit->hasSelectedText()) {
        start = end = Caret();
        return false;
    }
    start = edit->selectionStart();
    end = edit->selectionEnd();
    return true;
}

bool CMaskEdit::OnEvent(QEvent* event) {
    QLineEdit* edit = LineEdit(this);
    if (!edit) return false;
    switch (event->type()) {
        case QEvent::KeyPress: return positions_.HasMask() && OnKey(static_cast<QKeyEvent*>(event));
        case QEvent::ShortcutOverride: {
            // The edit's own shortcuts (undo, paste ...) must reach the key handler instead.
            auto* key = static_cast<QKeyEvent*>(event);
            if (positions_.HasMask() && (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) event->accept();
            return false;
        }
        case QEvent::ContextMenu: ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos()); return true;
        case QEvent::FocusIn: {
            // Qt gives the focus before it delivers the click that brought it.
            focusFromClick_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
            // After the edit's own handling: tabbing in selects everything.
            QPointer<QLineEdit> guard(edit);
            QTimer::singleShot(0, edit, [this, guard] {
                if (guard && guard->selectedText().size() == guard->text().size() && !guard->text().isEmpty() &&
                    guard->selectionStart() == 0) {
                    guard->deselect();
                    MoveToNextInput(0);
                }
            });
            return false;
        }
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) OnFocusLost();
            return false;
        case QEvent::MouseButtonPress:
            if ((!edit->hasFocus() || std::exchange(focusFromClick_, false)) && IsEmpty()) {
                edit->setFocus(Qt::MouseFocusReason);
                MoveToNextInput(0);
                return true;
            }
            return false;
        default: return false;
    }
}

bool CMaskEdit::OnKey(QKeyEvent* key) {
    QLineEdit* edit = LineEdit(this);
    bool shift = key->modifiers() & Qt::ShiftModifier;
    if (key->matches(QKeySequence::Paste)) {
        OnPaste();
        return true;
    }
    if (key->matches(QKeySequence::Cut)) {
        OnCut(true);
        return true;
    }
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) return true;
    switch (key->key()) {
        case Qt::Key_Delete: {
            int from, to;
            if (!Selection(from, to)) to = from + 1;
            int removed = positions_.DeleteRange(from, to);
            while (removed == 0 && to < positions_.Count()) removed = positions_.DeleteRange(++from, ++to);
            UpdateWindowText(from);
            return true;
        }
        case Qt::Key_Home:
            edit->home(shift);
            if (!shift) MoveToNextInput(Caret());
            return true;
        case Qt::Key_Left:
        case Qt::Key_Up:
            edit->cursorBackward(shift);
            if (!shift) MoveToPrevInput(Caret());
            return true;
        case Qt::Key_Right:
        case Qt::Key_Down:
            edit->cursorForward(shift);
            if (!shift) MoveToNextInput(Caret());
            return true;
        case Qt::Key_Insert:
            if (shift) {
                OnPaste();
            } else if (!(key->modifiers() & Qt::ControlModifier)) {
                insertMode_ = !insertMode_;
            } else {
                return false;  // copy
            }
            return true;
        case Qt::Key_Backspace: OnBackspace(); return true;
        default: break;
    }
    QString text = key->text();
    if (text.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    char16_t c = text.at(0).unicode();
    if (c < 32) return false;  // other control characters: the edit's own handling
    if (c > 126) {
        OnInvalidInput();
        MoveToNextInput(Caret());
        return true;
    }
    return OnChar(static_cast<char>(c));
}

bool CMaskEdit::OnChar(char c) {
    int start, end;
    int at = -1;
    int caret = Caret();
    if (Selection(start, end)) {
        if (positions_.DeleteRange(start, end) == 0) {
            OnInvalidInput();
            UpdateWindowText(-1);
            MoveToNextInput(start);
            return true;
        }
        caret = start;
        at = positions_.InsertChar(c, start);
    } else {
        if (!positions_.IsInputPosition(caret)) {
            OnInvalidInput();
            MoveToNextInput(caret);
            return true;
        }
        at = insertMode_ ? positions_.InsertChar(c, caret) : positions_.SetCharAt(c, caret);
    }
    if (at < 0) {
        OnInvalidInput();
        UpdateWindowText(caret);
    } else {
        UpdateWindowText(at + 1);
    }
    return true;
}

void CMaskEdit::OnBackspace() {
    int from, to;
    int removed = 0;
    if (Selection(from, to)) {
        removed = positions_.DeleteRange(from, to);
        if (removed == 0 && from > 0) removed = positions_.DeleteRange(--from, to);
        while (removed == 0 && from > 0) removed = positions_.DeleteRange(--from, --to);
    } else {
        to = from;
        from = to - 1;
        while (from >= 0 && (removed = positions_.DeleteRange(from, to)) == 0) {
            --from;
            --to;
        }
        if (from < 0) from = 0;
    }
    UpdateWindowText(from);
}

void CMaskEdit::OnCut(bool copy) {
    QLineEdit* edit = LineEdit(this);
    int from, to;
    if (!Selection(from, to)) return;
    if (copy) QApplication::clipboard()->setText(edit->selectedText());
    positions_.DeleteRange(from, to);
    UpdateWindowText(from);
}

void CMaskEdit::OnPaste() {
    QLineEdit* edit = LineEdit(this);
    int from, to;
    Selection(from, to);
    QString pasted = QApplication::clipboard()->text();
    QString text = edit->text();
    text.replace(from, to - from, pasted);
    positions_.SetInputData(FromQt(text), 0, false);
    UpdateWindowText(-1);
    int caret = from;
    while (caret < positions_.Count() &&
           !(positions_.At(caret).IsInput() && positions_.At(caret).character == positions_.GetPromptChar()))
        ++caret;
    edit->setCursorPosition(caret);
}

void CMaskEdit::OnFocusLost() {
    MaskEditKillFocus record;
    record.hdr.code = MEN_KILLFOCUS;
    NotifyOwner(record.hdr);
    bool refuse = !record.valid || (record.check && !IsInputValid());
    if (!refuse) return;
    // Taking the focus back during its loss would fight the focus change: do it after.
    QPointer<QWidget> edit(GetWidget());
    int caret = record.caret;
    QTimer::singleShot(0, GetWidget(), [this, edit, caret] {
        if (!edit) return;
        edit->setFocus(Qt::OtherFocusReason);
        OnInvalidInput();
        MoveToNextInput(caret);
    });
}

void CMaskEdit::ShowContextMenu(const QPoint& globalPos) {
    QLineEdit* edit = LineEdit(this);
    QMenu menu(edit);
    bool selected = edit->hasSelectedText();
    bool writable = !edit->isReadOnly();
    QAction* cut = menu.addAction(QStringLiteral("Cut"));
    QAction* copy = menu.addAction(QStringLiteral("Copy"));
    QAction* paste = menu.addAction(QStringLiteral("Paste"));
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("Select All"));
    cut->setEnabled(selected && writable);
    copy->setEnabled(selected);
    paste->setEnabled(writable && !QApplication::clipboard()->text().isEmpty());
    remove->setEnabled(selected && writable);
    QAction* chosen = menu.exec(globalPos);
    if (chosen == cut) {
        positions_.HasMask() ? OnCut(true) : edit->cut();
    } else if (chosen == copy) {
        edit->copy();
    } else if (chosen == paste) {
        positions_.HasMask() ? OnPaste() : edit->paste();
    } else if (chosen == remove) {
        positions_.HasMask() ? OnCut(false) : edit->del();
    } else if (chosen == all) {
        edit->selectAll();
    }
}

}  // namespace Widgets
