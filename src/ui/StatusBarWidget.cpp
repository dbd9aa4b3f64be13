#include "ui/StatusBarWidget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionFrame>
#include <algorithm>

namespace Ui {

StatusBarWidget::StatusBarWidget(QWidget* parent) : QWidget(parent) {
    if (parent) parent->installEventFilter(this);
    Dock();
}

bool StatusBarWidget::SetParts(const std::vector<int>& rightEdges) {
    if (rightEdges.empty() || rightEdges.size() > 256) return false;
    edges_ = rightEdges;
    while (texts_.size() < static_cast<qsizetype>(edges_.size())) texts_.append(QString());
    while (texts_.size() > static_cast<qsizetype>(edges_.size())) texts_.removeLast();
    update();
    return true;
}

bool StatusBarWidget::SetText(int pane, const QString& text) {
    if (pane < 0 || pane >= texts_.size()) return false;
    texts_[pane] = text;
    update();
    return true;
}

QString StatusBarWidget::GetText(int pane) const {
    return pane >= 0 && pane < texts_.size() ? texts_[pane] : QString();
}

void StatusBarWidget::SetMinHeight(int height) {
    minHeight_ = height;
    Dock();
}

void StatusBarWidget::Dock() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    int height = std::max(minHeight_, QFontMetrics(font()).height() + 6);
    setGeometry(0, parent->height() - height, parent->width(), height);
}

bool StatusBarWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) Dock();
    return QWidget::eventFilter(watched, event);
}

void StatusBarWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int left = 0;
    for (size_t i = 0; i < edges_.size(); ++i) {
        int right = edges_[i] < 0 ? width() : std::min(edges_[i], width());
        QRect pane(left, 2, std::max(0, right - left - 2), height() - 3);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = pane;
        frame.state |= QStyle::State_Sunken;
        frame.lineWidth = 1;
        style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
        QRect textArea = pane.adjusted(3, 0, -3, 0);
        QString text =
            painter.fontMetrics().elidedText(texts_[static_cast<qsizetype>(i)], Qt::ElideRight, textArea.width());
        painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, text);
        left = right;
    }
}

}  // namespace Ui
