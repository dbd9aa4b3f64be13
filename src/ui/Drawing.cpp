#include "ui/Drawing.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

#include "ui/Text.h"

namespace Ui {
namespace {

QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QStyle* StyleOf(const QWidget* widget) { return widget ? widget->style() : QApplication::style(); }

}  // namespace

int DrawText(QPainter& painter, const std::string& text, const RECT& rect, UINT flags) {
    QRect area = ToQRect(rect);
    int align = (flags & DT_CENTER) ? Qt::AlignHCenter : (flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    QString shown = ToQt(text);
    if (flags & DT_SINGLELINE) {
        align |= (flags & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
        shown.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (flags & DT_END_ELLIPSIS) shown = painter.fontMetrics().elidedText(shown, Qt::ElideRight, area.width());
    } else {
        align |= Qt::AlignTop;
        if (flags & DT_WORDBREAK) align |= Qt::TextWordWrap;
    }
    QRect used;
    painter.drawText(area, align, shown, &used);
    return used.height();
}

void DrawFocusRect(QPainter& painter, const RECT& rect, const QWidget* widget) {
    QStyleOptionFocusRect option;
    if (widget) option.initFrom(widget);
    option.rect = ToQRect(rect);
    StyleOf(widget)->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, widget);
}

bool DrawFrameControl(QPainter& painter, const RECT& rect, UINT type, UINT state, const QWidget* widget) {
    QStyle* style = StyleOf(widget);
    if (type == DFC_BUTTON && (state & DFCS_BUTTONPUSH)) {
        QStyleOptionButton option;
        if (widget) option.initFrom(widget);
        option.rect = ToQRect(rect);
        option.state |= (state & DFCS_PUSHED) ? QStyle::State_Sunken : QStyle::State_Raised;
        style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
        return true;
    }
    if (type == DFC_SCROLL && (state & DFCS_SCROLLDOWN)) {
        QStyleOptionButton option;
        if (widget) option.initFrom(widget);
        option.rect = ToQRect(rect);
        option.state |= (state & DFCS_PUSHED) ? QStyle::State_Sunken : QStyle::State_Raised;
        style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
        QStyleOption arrow = option;
        arrow.rect = option.rect.adjusted(3, 3, -3, -3);
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, widget);
        return true;
    }
    return false;
}

std::string PathCompactPath(const std::string& path, int width, const QFontMetrics& metrics) {
    QString full = ToQt(path);
    if (metrics.horizontalAdvance(full) <= width) return path;
    int slash = static_cast<int>(full.lastIndexOf(QLatin1Char('/')));
    QString name = slash >= 0 ? full.mid(slash) : full;  // "/file" keeps its separator
    QString head = slash >= 0 ? full.left(slash) : QString();
    const QString dots = QStringLiteral("...");
    // Drop folder characters from the end of the head until "head.../file" fits.
    while (!head.isEmpty()) {
        QString candidate = head + dots + name;
        if (metrics.horizontalAdvance(candidate) <= width) return FromQt(candidate);
        head.chop(1);
    }
    QString candidate = dots + name;
    if (metrics.horizontalAdvance(candidate) <= width) return FromQt(candidate);
    // Even the name does not fit: it is cut and ends with the dots.
    return FromQt(metrics.elidedText(name.mid(slash >= 0 ? 1 : 0), Qt::ElideRight, width));
}

}  // namespace Ui
