#include "ui/Edit.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace Ui {

void CEdit::SetReadOnly(bool readOnly) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) edit->setReadOnly(readOnly);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(GetWidget())) plain->setReadOnly(readOnly);
}

void CEdit::GetSel(int& start, int& end) const {
    start = end = 0;
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (!edit) return;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        end = edit->selectionEnd();
    } else {
        start = end = edit->cursorPosition();
    }
}

void CEdit::SetSel(int start, int end) {
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (!edit) return;
    int length = static_cast<int>(edit->text().size());
    if (start < 0) {  // -1 removes the selection
        edit->deselect();
        return;
    }
    if (end < 0 || end > length) end = length;
    if (start > length) start = length;
    edit->setSelection(start, end - start);
}

}  // namespace Ui
