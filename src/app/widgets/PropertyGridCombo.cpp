#include "app/widgets/PropertyGridCombo.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "app/widgets/PropertyGrid.h"
#include "ui/Drawing.h"

namespace Widgets {

using namespace Ui;

CPropertyGridCombo::CPropertyGridCombo()
    : background_(GetSysColor(COLOR_WINDOW)),
      text_(GetSysColor(COLOR_WINDOWTEXT)),
      selectionBackground_(GetSysColor(COLOR_HIGHLIGHT)),
      selectionText_(GetSysColor(COLOR_HIGHLIGHTTEXT)) {}

QWidget* CPropertyGridCombo::CreateWidget(QWidget* parent) {
    auto* widget = new QWidget(parent, Qt::Popup | Qt::FramelessWindowHint);
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setMouseTracking(true);
    return widget;
}

bool CPropertyGridCombo::Create(DWORD style, const RECT& rect, CPropertyGrid* grid, int id) {
    QWidget* gridWidget = grid ? grid->GetWidget() : nullptr;
    if (!gridWidget) return false;
    QPoint topLeft = gridWidget->mapToGlobal(QPoint(rect.left, rect.top));
    RECT screen{topLeft.x(), topLeft.y(), topLeft.x() + rect.Width(), topLeft.y() + rect.Height()};
    if (!CWnd::Create(style & ~WS_VISIBLE, screen, grid, id)) return false;
    SetOwner(grid);
    font_ = gridWidget->font();
    return true;
}

void CPropertyGridCombo::SetColors(COLORREF background, COLORREF text, COLORREF selectionBackground,
                                   COLORREF selectionText) {
    background_ = background;
    text_ = text;
    selectionBackground_ = selectionBackground;
    selectionText_ = selectionText;
}

void CPropertyGridCombo::SetFont(const QFont& font, bool redraw) {
    font_ = font;
    CWnd::SetFont(font, redraw);
}

int CPropertyGridCombo::Clamped(int index) const {
    if (entries_.empty()) return -1;
    return std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
}

void CPropertyGridCombo::Paint() {
    QWidget* widget = GetWidget();
    QPainter painter(widget);
    painter.setFont(font_);
    int width = widget->width();
    painter.fillRect(widget->rect(), ToQColor(background_));
    painter.setPen(ToQColor(text_));
    painter.drawRect(widget->rect().adjusted(0, 0, -1, -1));
    int selected = Clamped(selected_);
    int y = 1;
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i, y += entryHeight_) {
        RECT entry{1, y, width - 1, y + entryHeight_};
        if (i == selected) {
            DrawFocusRect(painter, entry, widget);
            painter.fillRect(QRect(entry.left + 1, entry.top + 1, entry.Width() - 2, entry.Height() - 2),
                             ToQColor(selectionBackground_));
            painter.setPen(ToQColor(selectionText_));
        } else {
            painter.setPen(ToQColor(text_));
        }
        RECT text = entry;
        text.left += 4;
        DrawText(painter, entries_[static_cast<size_t>(i)], text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

// A point on the border or dragged outside the list picks the nearest entry.
void CPropertyGridCombo::SelectAt(int y) {
    if (entryHeight_ <= 0) return;
    selected_ = Clamped((y - 1) < 0 ? 0 : (y - 1) / entryHeight_);
    UpdateWindow();
}

void CPropertyGridCombo::Commit() {
    int index = Clamped(selected_);
    if (index < 0) return CloseWithoutChange();
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_PG_COMBOSELCHANGED, static_cast<WPARAM>(index), 0);
}

void CPropertyGridCombo::CloseWithoutChange() {
    if (QWidget* widget = GetWidget()) widget->hide();
}

bool CPropertyGridCombo::OnEvent(QEvent* event) {
    QWidget* widget = GetWidget();
    switch (event->type()) {
        case QEvent::Show: {
            entryHeight_ = QFontMetrics(font_).height() + 4;
            selected_ = Clamped(selected_);
            widget->resize(widget->width(), entryHeight_ * GetCount() + 2);
            widget->setFocus(Qt::PopupFocusReason);
            return false;
        }
        case QEvent::Paint: Paint(); return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!widget->rect().contains(mouse->position().toPoint())) {
                CloseWithoutChange();  // a click outside the pop-up
                return true;
            }
            tracking_ = true;
            SelectAt(mouse->position().toPoint().y());
            return true;
        }
        case QEvent::MouseMove:
            if (tracking_) SelectAt(static_cast<QMouseEvent*>(event)->position().toPoint().y());
            return true;
        case QEvent::MouseButtonRelease:
            if (!tracking_) return true;
            tracking_ = false;
            Commit();
            return true;
        case QEvent::KeyPress: {
            int key = static_cast<QKeyEvent*>(event)->key();
            switch (key) {
                case Qt::Key_Left:
                case Qt::Key_Up:
                    selected_ = Clamped(Clamped(selected_) - 1);
                    UpdateWindow();
                    return true;
                case Qt::Key_Right:
                case Qt::Key_Down:
                    selected_ = Clamped(Clamped(selected_) + 1);
                    UpdateWindow();
                    return true;
                case Qt::Key_Return:
                case Qt::Key_Enter:
                case Qt::Key_Execute: Commit(); return true;
                case Qt::Key_Escape: CloseWithoutChange(); return true;
                default: return true;
            }
        }
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) CloseWithoutChange();
            return false;
        default: return false;
    }
}

}  // namespace Widgets
