#include "ui/TextFit.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <vector>

namespace Ui {
namespace {

int WidestLine(const QLabel& label) {
    const QFontMetrics metrics(label.font());
    int widest = 0;
    for (const QString& line : label.text().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The room around the text inside the label's box.
int Padding(const QLabel& label) {
    const QMargins margins = label.contentsMargins();
    return margins.left() + margins.right() + 2 * label.margin() + 2 * std::max(0, label.indent());
}

// The narrowest width from the label's own on at which its text is whole in its height.
int WidthForWholeText(const QLabel& label) {
    const int oneLine = WidestLine(label) + Padding(label);
    int width = std::max(label.width(), oneLine);
    if (!label.wordWrap()) return width;
    // The wrapping is the label's own: ask it, one pixel at a time, within a bound that a
    // text on a single line never passes.
    const int bound = width + oneLine;
    while (width < bound && label.heightForWidth(width) > label.height()) ++width;
    return width;
}

bool IsTextLabel(const QWidget* widget) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    return label != nullptr && label->pixmap().isNull() && !label->text().isEmpty();
}

// No word wrapped below the box, no line wider than it.
bool ShowsWholeText(const QWidget* widget) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label == nullptr || !IsTextLabel(label)) return true;
    if (WidestLine(*label) + Padding(*label) > label->width()) return false;
    return !label->wordWrap() || label->heightForWidth(label->width()) <= label->height();
}

bool SameRow(const QRect& a, const QRect& b) { return a.top() <= b.bottom() && b.top() <= a.bottom(); }

}  // namespace

void FitStaticTexts(QWidget* window) {
    if (window == nullptr) return;
    std::vector<QWidget*> controls;
    for (QObject* child : window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && !widget->isWindow()) controls.push_back(widget);
    }
    if (controls.empty()) return;
    int leftMargin = std::numeric_limits<int>::max();
    for (const QWidget* control : controls) leftMargin = std::min(leftMargin, control->x());
    leftMargin = std::max(0, leftMargin);

    // Moves are gathered first, so that one label's growth is measured against the
    // template's places, not against another's result.
    std::map<QWidget*, int> shifts;
    std::map<QLabel*, QRect> grown;
    std::vector<QLabel*> centredInWindow;
    for (QWidget* control : controls) {
        if (!IsTextLabel(control) || ShowsWholeText(control)) continue;
        auto* label = static_cast<QLabel*>(control);
        const QRect box = label->geometry();
        const int growth = WidthForWholeText(*label) - box.width();
        if (growth <= 0) continue;
        QRect wider = box;
        if (label->alignment() & Qt::AlignHCenter) {
            // A heading centred in the window stays centred in it, however wide it grows.
            if (std::abs(box.left() + box.right() + 1 - window->width()) <= 2) centredInWindow.push_back(label);
            wider.setLeft(std::max(leftMargin, box.left() - growth / 2));
            wider.setWidth(box.width() + growth);
        } else {
            wider.setWidth(box.width() + growth);
            for (QWidget* other : controls) {
                if (other == control || other->x() <= box.right() || !SameRow(box, other->geometry())) continue;
                shifts[other] = std::max(shifts[other], growth);
            }
        }
        grown[label] = wider;
    }
    for (const auto& [label, box] : grown) label->setGeometry(box);
    for (const auto& [control, shift] : shifts) control->move(control->x() + shift, control->y());

    int reach = 0;
    for (const QWidget* control : controls) reach = std::max(reach, control->geometry().right() + 1);
    const int width = reach + leftMargin;
    if (width > window->width()) {
        if (window->minimumWidth() == window->maximumWidth()) {
            window->setFixedWidth(width);
        } else {
            window->resize(width, window->height());
        }
    }
    for (QLabel* label : centredInWindow) label->move((window->width() - label->width()) / 2, label->y());
}

void FitTextHeight(QWidget* text) {
    auto* label = qobject_cast<QLabel*>(text);
    QWidget* window = label != nullptr ? label->parentWidget() : nullptr;
    if (window == nullptr || !IsTextLabel(label)) return;
    const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
    const int change = needed - label->height();
    if (needed <= 0 || change == 0) return;
    const int oldBottom = label->geometry().bottom();
    label->resize(label->width(), needed);
    for (QObject* child : window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget == label || widget->isWindow() || widget->y() <= oldBottom) continue;
        widget->move(widget->x(), widget->y() + change);
    }
    const int height = window->height() + change;
    if (window->minimumHeight() == window->maximumHeight()) {
        window->setFixedHeight(height);
    } else {
        window->resize(window->width(), height);
    }
}

int CaptionRoom(const QString& caption, const QFont& font) {
    QFont title = font;
    title.setBold(true);
    if (font.pointSizeF() > 0) {
        title.setPointSizeF(font.pointSizeF() * 1.2);
    } else if (font.pixelSize() > 0) {
        title.setPixelSize(font.pixelSize() * 6 / 5);
    }
    const QFontMetrics metrics(title);
    const int bar = 2 * metrics.height();
    return metrics.horizontalAdvance(caption) + 4 * bar + metrics.height();
}

}  // namespace Ui
