#include "ui/ControlAccess.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVariant>

#include "ui/Text.h"
#include "ui/Wnd.h"

namespace Ui {
namespace {
constexpr const char* kId = "iec.id";
constexpr const char* kStyle = "iec.style";
constexpr const char* kExStyle = "iec.exstyle";
constexpr const char* kClass = "iec.class";
}  // namespace

int ControlId(const QWidget* widget) {
    QVariant id = widget ? widget->property(kId) : QVariant();
    return id.isValid() ? id.toInt() : -1;
}

void SetControlId(QWidget* widget, int id) {
    widget->setProperty(kId, id);
    widget->setObjectName(QString::number(id));
}

DWORD ControlStyle(const QWidget* widget) { return widget->property(kStyle).toUInt(); }
DWORD ControlExStyle(const QWidget* widget) { return widget->property(kExStyle).toUInt(); }

void SetControlStyles(QWidget* widget, DWORD style, DWORD exStyle) {
    widget->setProperty(kStyle, style);
    widget->setProperty(kExStyle, exStyle);
}

std::string ControlClass(const QWidget* widget) { return widget->property(kClass).toString().toStdString(); }
void SetControlClass(QWidget* widget, const std::string& className) {
    widget->setProperty(kClass, QString::fromStdString(className));
}

std::string WidgetText(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return FromQt(edit->text());
    if (auto* text = qobject_cast<const QPlainTextEdit*>(widget)) {
        // A multi-line edit's lines end in CR LF, as callers of the edit control expect.
        return FromQt(text->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return FromQt(button->text());
    if (auto* label = qobject_cast<const QLabel*>(widget)) return FromQt(label->text());
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return FromQt(group->title());
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) return FromQt(combo->currentText());
    if (widget && widget->isWindow()) return FromQt(widget->windowTitle());
    return widget ? FromQt(widget->property("iec.text").toString()) : std::string();
}

void SetWidgetText(QWidget* widget, const std::string& text) {
    QString value = ToQt(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // As an edit whose text is set, it shows the start; the same text again leaves
        // where the user has scrolled to, so a field rewritten on a timer stays readable.
        if (edit->text() == value) {
            edit->setModified(false);
            return;
        }
        edit->setText(value);
        edit->setCursorPosition(0);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        QSignalBlocker quiet(plain);  // only typing notifies
        plain->setPlainText(value.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) combo->setEditText(value);
    } else if (widget && widget->isWindow()) {
        widget->setWindowTitle(value);
    } else if (widget) {
        widget->setProperty("iec.text", value);
        widget->update();
    }
}

LRESULT NotifyParent(QWidget* control, WORD code) {
    if (CWnd* self = CWnd::FromWidget(control)) return self->NotifyOwner(code);
    CWnd* parent = CWnd::FromWidget(control->parentWidget());
    if (!parent) return 0;
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(ControlId(control)), code);
    return parent->SendMessage(WM_COMMAND, wParam, 0);
}

}  // namespace Ui
