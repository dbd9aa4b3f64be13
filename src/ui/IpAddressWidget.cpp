#include "ui/IpAddressWidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

#include "ui/ControlAccess.h"
#include "ui/Resources.h"

namespace Ui {
namespace {

// Digits only, at most three, at most 255; blank is allowed (it reads as 0).
class OctetValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Acceptable;
        if (input.size() > 3) return Invalid;
        for (QChar c : input) {
            if (!c.isDigit() || c.unicode() > 127) return Invalid;
        }
        return input.toInt() <= 255 ? Acceptable : Invalid;
    }
};

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
            if (text.size() == 3 && i < 3) fields_[static_cast<size_t>(i + 1)]->setFocus();
            NotifyParent(this, EN_CHANGE);
        });
        layout->addWidget(field, 1);
        field->installEventFilter(this);
        fields_[static_cast<size_t>(i)] = field;
    }
    setFocusProxy(fields_[0]);
}

bool IpAddressWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (watched != fields_[i]) continue;
        bool next = key->text() == QStringLiteral(".") || key->text() == QStringLiteral(" ");
        if (next) {
            if (i + 1 < fields_.size() && !fields_[i]->text().isEmpty()) {
                fields_[i + 1]->setFocus(Qt::TabFocusReason);
                fields_[i + 1]->selectAll();
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace && i > 0 && fields_[i]->cursorPosition() == 0 &&
            !fields_[i]->hasSelectedText()) {
            fields_[i - 1]->setFocus(Qt::BacktabFocusReason);
            fields_[i - 1]->end(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int IpAddressWidget::GetAddress(std::uint32_t& address) const {
    address = 0;
    int filled = 0;
    for (QLineEdit* field : fields_) {
        address <<= 8;
        if (field->text().isEmpty()) continue;
        address |= static_cast<std::uint32_t>(field->text().toInt()) & 0xFF;
        ++filled;
    }
    return filled;
}

void IpAddressWidget::SetAddress(std::uint32_t address) {
    for (int i = 0; i < 4; ++i)
        fields_[static_cast<size_t>(i)]->setText(QString::number((address >> (24 - 8 * i)) & 0xFF));
}

void IpAddressWidget::ClearAddress() {
    for (QLineEdit* field : fields_) field->clear();
}

bool IpAddressWidget::IsBlank() const {
    for (QLineEdit* field : fields_) {
        if (!field->text().isEmpty()) return false;
    }
    return true;
}

}  // namespace Ui
