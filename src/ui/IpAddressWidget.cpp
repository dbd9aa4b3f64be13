#include "ui/IpAddressWidget.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStringList>
#include <QValidator>
#include <memory>

#include "ui/ControlAccess.h"
#include "ui/Resources.h"

namespace Ui {
namespace {

// Digits only, at most three; blank is allowed (it reads as 0). A number over 255 is shown
// as typed, not cut to fewer digits, and refused by Problem.
class OctetValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Acceptable;
        if (input.size() > 3) return Invalid;
        for (QChar c : input) {
            if (!c.isDigit() || c.unicode() > 127) return Invalid;
        }
        return input.toInt() <= 255 ? Acceptable : Intermediate;
    }
};

bool DigitsOnly(const QString& text) {
    for (QChar c : text) {
        if (!c.isDigit() || c.unicode() > 127) return false;
    }
    return true;
}

// "a.b.c.d" with four numbers of at most 255, blanks around allowed.
bool ParseDotted(const QString& text, std::uint32_t& address) {
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    address = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || value < 0 || value > 255) return false;
        address = (address << 8) | static_cast<std::uint32_t>(value);
    }
    return true;
}

}  // namespace

IpAddressWidget::IpAddressWidget(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    auto* validator = new OctetValidator(this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setValidator(validator);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        connect(field, &QLineEdit::inputRejected, this, [] { MessageBeep(MB_ICONEXCLAMATION); });
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            rejectedPaste_.clear();
            QLineEdit* edited = fields_[static_cast<size_t>(i)];
            if (text.size() == 3 && i < 3 && edited->cursorPosition() == 3) {
                MoveTo(static_cast<size_t>(i + 1));
                autoMovedTo_ = i + 1;
            }
            NotifyParent(this, EN_CHANGE);
        });
        layout->addWidget(field, 1);
        field->installEventFilter(this);
        fields_[static_cast<size_t>(i)] = field;
    }
    setFocusProxy(fields_[0]);
}

bool IpAddressWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) wholeSelected_ = false;
    if (event->type() == QEvent::ContextMenu) {
        for (QLineEdit* field : fields_) {
            if (watched != field) continue;
            std::unique_ptr<QMenu> menu(CreateFieldMenu(field));
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress || readOnly_) return QWidget::eventFilter(watched, event);
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (watched == fields_[i]) return OnFieldKey(i, static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool IpAddressWidget::OnFieldKey(size_t i, QKeyEvent* key) {
    const bool afterAutoMove = autoMovedTo_ == static_cast<int>(i);
    autoMovedTo_ = -1;
    if (key->matches(QKeySequence::SelectAll)) {
        for (QLineEdit* field : fields_) field->selectAll();
        wholeSelected_ = true;
        return true;
    }
    if (key->matches(QKeySequence::Paste) && PasteAddress()) return true;
    const bool erase = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
    const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint();
    if (wholeSelected_ && (erase || typed)) {
        // Typing over the whole address starts a new one in the first field.
        wholeSelected_ = false;
        ClearAddress();
        NotifyParent(this, EN_CHANGE);
        fields_[0]->setFocus(Qt::OtherFocusReason);
        if (erase) return true;
        QKeyEvent retyped(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(fields_[0], &retyped);
        return true;
    }
    if (key->text().isEmpty() && key->modifiers() == Qt::NoModifier) wholeSelected_ = false;
    const bool next = key->text() == QStringLiteral(".") || key->text() == QStringLiteral(" ");
    if (next) {
        if (!afterAutoMove && i + 1 < fields_.size() && !fields_[i]->text().isEmpty()) MoveTo(i + 1);
        return true;
    }
    if (key->key() == Qt::Key_Backspace && i > 0 && fields_[i]->cursorPosition() == 0 &&
        !fields_[i]->hasSelectedText()) {
        fields_[i - 1]->setFocus(Qt::BacktabFocusReason);
        fields_[i - 1]->end(false);
        return true;
    }
    return false;
}

QMenu* IpAddressWidget::CreateFieldMenu(QLineEdit* field) {
    QMenu* menu = field->createStandardContextMenu();
    // The toolkit names its actions only in their (translated) text, which ends with the
    // shortcut.
    const QString pasteKeys = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (!pasteKeys.isEmpty() && action->text().endsWith(QLatin1Char('\t') + pasteKeys)) paste = action;
    }
    if (paste != nullptr && !readOnly_) {
        paste->setObjectName(QStringLiteral("edit-paste"));
        // The menu's own Paste would refuse a dotted address with no more than a beep.
        paste->disconnect();
        connect(paste, &QAction::triggered, this, [this, field] {
            if (!PasteAddress()) field->paste();
        });
    }
    return menu;
}

bool IpAddressWidget::PasteAddress() {
    const QString pasted = QGuiApplication::clipboard()->text();
    // A number alone goes into the field as typed digits would.
    if (DigitsOnly(pasted.trimmed())) return false;
    std::uint32_t address = 0;
    if (!ParseDotted(pasted, address)) {
        // The address stays as it was, and Connect says why rather than go to it.
        rejectedPaste_ = QStringLiteral("\"%1\" is not an address of four numbers from 0 to 255: not pasted")
                             .arg(pasted.simplified().left(40));
        MessageBeep(MB_ICONEXCLAMATION);
        NotifyParent(this, EN_CHANGE);
        return true;
    }
    rejectedPaste_.clear();
    wholeSelected_ = false;
    SetAddress(address);
    NotifyParent(this, EN_CHANGE);
    fields_[3]->setFocus(Qt::OtherFocusReason);
    fields_[3]->end(false);
    return true;
}

void IpAddressWidget::MoveTo(size_t index) {
    // Selected, so that what is typed replaces the number shown.
    fields_[index]->setFocus(Qt::TabFocusReason);
    fields_[index]->selectAll();
}

void IpAddressWidget::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    wholeSelected_ = false;
    autoMovedTo_ = -1;
    for (QLineEdit* field : fields_) field->setReadOnly(readOnly);
}

QString IpAddressWidget::Problem() const {
    if (!rejectedPaste_.isEmpty()) return rejectedPaste_;
    for (QLineEdit* field : fields_) {
        if (field->text().toInt() > 255) return QStringLiteral("%1 is not a number from 0 to 255").arg(field->text());
    }
    return {};
}

int IpAddressWidget::GetAddress(std::uint32_t& address) const {
    address = 0;
    int filled = 0;
    for (QLineEdit* field : fields_) {
        address <<= 8;
        // A number over 255 is no part of an address: it reads as a blank would.
        if (field->text().isEmpty() || field->text().toInt() > 255) continue;
        address |= static_cast<std::uint32_t>(field->text().toInt());
        ++filled;
    }
    return filled;
}

void IpAddressWidget::SetAddress(std::uint32_t address) {
    rejectedPaste_.clear();
    for (int i = 0; i < 4; ++i)
        fields_[static_cast<size_t>(i)]->setText(QString::number((address >> (24 - 8 * i)) & 0xFF));
}

void IpAddressWidget::ClearAddress() {
    rejectedPaste_.clear();
    for (QLineEdit* field : fields_) field->clear();
}

bool IpAddressWidget::IsBlank() const {
    for (QLineEdit* field : fields_) {
        if (!field->text().isEmpty()) return false;
    }
    return true;
}

}  // namespace Ui
