#include "ui/UpDownWidget.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/ControlAccess.h"
#include "ui/Wnd.h"
#include "ui/messages/MessageParams.h"

namespace Ui {

UpDownWidget::UpDownWidget(QWidget* parent, bool arrowKeys) : QWidget(parent), arrowKeys_(arrowKeys) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("down"));
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownWidget::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    SetPos(pos_);
}

void UpDownWidget::SetPos(int pos) { pos_ = std::clamp(pos, std::min(lower_, upper_), std::max(lower_, upper_)); }

void UpDownWidget::SetBuddy(QWidget* buddy) {
    if (buddy_) buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_ && arrowKeys_) buddy_->installEventFilter(this);
}

void UpDownWidget::Step(int delta) {
    NMUPDOWN change;
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = pos_;
    change.iDelta = delta;
    LRESULT refused = 0;
    if (CWnd* self = CWnd::FromWidget(this)) {
        refused = self->NotifyOwner(change.hdr);
    } else if (CWnd* parent = CWnd::FromWidget(parentWidget())) {
        change.hdr.idFrom = static_cast<UINT_PTR>(ControlId(this));
        refused = parent->SendMessage(WM_NOTIFY, change.hdr.idFrom, ParamOf(&change.hdr));
    }
    if (refused == 0) SetPos(pos_ + change.iDelta);
}

bool UpDownWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace Ui
