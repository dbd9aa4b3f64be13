// The grid's mouse, wheel, scroll-bar and keyboard handling.
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <cstdlib>

#include "app/widgets/PropertyGrid.h"

namespace Widgets {

using namespace Ui;

namespace {

bool Contains(const RECT& r, QPoint p) {
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

constexpr int kSplitterGrab = 3;
constexpr int kWheelNotch = 120;

}  // namespace

bool CPropertyGrid::OnEvent(QEvent* event) {
    QWidget* widget = GetWidget();
    if (!widget) return false;
    switch (event->type()) {
        case QEvent::Paint: Paint(); return true;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) OnLButtonDown(mouse->position().toPoint());
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            OnMouseMove(mouse->position().toPoint(), mouse->buttons() & Qt::LeftButton);
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) OnLButtonUp(mouse->position().toPoint());
            return true;
        }
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) OnLButtonDblClk();
            return true;
        }
        case QEvent::ToolTip: {
            // A name its cell cuts shows whole beside the pointer.
            auto* help = static_cast<QHelpEvent*>(event);
            if (!ShowNameTip(help->pos(), help->globalPos())) event->ignore();
            return true;
        }
        case QEvent::Wheel: OnMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y()); return true;
        case QEvent::Resize:
            RecalcLayout();  // every resize, whether or not a bar was needed before
            return false;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            bool handled = OnKeyDown(key->key());
            if (!handled && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                // The grid wants characters: they are never a dialog's mnemonics while it has the focus.
                OnChar(key->text());
                handled = !key->text().isEmpty() && key->text().front().isPrint();
            }
            if (handled) key->accept();
            return handled;
        }
        default: return false;
    }
}

void CPropertyGrid::OnLButtonDown(QPoint point) {
    QWidget* widget = GetWidget();
    widget->setFocus(Qt::MouseFocusReason);
    CloseEditor();
    StoreRects();
    Item* focused = FocusedItem();
    if (Contains(buttonRect_, point)) {
        buttonHeld_ = buttonPressed_ = true;
    } else if (focused && static_cast<ItemType>(focused->type) == ItemType::Custom && focused->custom &&
               focused->EditorKind() == kEditorNone && focused->custom->OnLButtonDown(focused->valueRect, point)) {
        customCapture_ = true;
    } else if (std::abs(point.x() - splitter_) < kSplitterGrab) {
        widget->setCursor(Qt::SizeHorCursor);
        draggingSplitter_ = true;
        lastPoint_ = point;
    } else {
        focusedSection_ = focusedItem_ = -1;
        buttonRect_ = RECT{};
        valueClick_ = false;
        bool done = false;
        if (displayMode_ == 0) {
            for (Section& section : sections_) {
                if (Contains(section.expanderRect, point)) {
                    section.collapsed = !section.collapsed;
                    focusedSection_ = section.id;
                    RecalcLayout();
                    done = true;
                    break;
                }
                if (Contains(section.headerRect, point)) {
                    focusedSection_ = section.id;
                    done = true;
                    break;
                }
            }
        }
        for (size_t s = 0; !done && s < sections_.size(); ++s) {
            for (Item& item : sections_[s].items) {
                if (!IsFocusable(item) || !(Contains(item.nameRect, point) || Contains(item.valueRect, point)))
                    continue;
                focusedItem_ = item.id;
                if (Contains(item.valueRect, point)) {
                    ItemType type = static_cast<ItemType>(item.type);
                    int kind = item.EditorKind();
                    valueClick_ = type == ItemType::String || type == ItemType::Integer || type == ItemType::Double ||
                                  (type == ItemType::Custom && kind == kEditorInPlace) || kind == kEditorDropDown;
                }
                done = true;
                break;
            }
        }
    }
    StoreRects();
    UpdateWindow();
}

void CPropertyGrid::OnMouseMove(QPoint point, bool buttonDown) {
    QWidget* widget = GetWidget();
    if (customCapture_) {
        if (Item* item = FocusedItem(); item && item->custom) item->custom->OnMouseMove(item->valueRect, point);
        return;
    }
    if (buttonHeld_) {
        bool inside = Contains(buttonRect_, point);
        if (inside != buttonPressed_) {
            buttonPressed_ = inside;
            UpdateWindow();
        }
        return;
    }
    if (draggingSplitter_ && buttonDown) {
        int width = widget->width();
        splitter_ = std::clamp(splitter_ + point.x() - lastPoint_.x(), width / 5, width * 4 / 5);
        lastPoint_ = point;
        UpdateWindow();
        return;
    }
    if (!editor_)
        widget->setCursor(std::abs(point.x() - splitter_) < kSplitterGrab ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void CPropertyGrid::OnLButtonUp(QPoint point) {
    QWidget* widget = GetWidget();
    if (customCapture_) {
        customCapture_ = false;
        if (Item* item = FocusedItem(); item && item->custom) item->custom->OnLButtonUp(item->valueRect, point);
        return;
    }
    if (draggingSplitter_) {
        draggingSplitter_ = false;
        widget->setCursor(Qt::ArrowCursor);
        return;
    }
    bool viaButton = buttonHeld_ && Contains(buttonRect_, point);
    bool wasHeld = buttonHeld_;
    buttonHeld_ = buttonPressed_ = false;
    if (wasHeld) UpdateWindow();
    Item* item = FocusedItem();
    bool viaValue = !wasHeld && valueClick_ && item && Contains(item->valueRect, point);
    valueClick_ = false;
    if (item && (viaButton || viaValue)) OpenEditor(*item);
}

void CPropertyGrid::OnLButtonDblClk() {
    CloseEditor();
    // The release that ends a double-click opens nothing: the press before it did its part.
    valueClick_ = false;
    buttonHeld_ = buttonPressed_ = false;
    Section* section = FocusedSection();
    Item* item = FocusedItem();
    if (!item && section) {
        section->collapsed = !section->collapsed;
        RecalcLayout();
        return;
    }
    if (!item || !item->editable) return;
    ItemType type = static_cast<ItemType>(item->type);
    if (type == ItemType::Bool && !item->undefined) {
        item->boolValue = !item->boolValue;
        ItemChanged(*item);
    } else if (type == ItemType::Combo && !item->undefined) {
        if (item->options.empty()) return;
        item->intValue = (item->intValue + 1) % static_cast<int>(item->options.size());
        if (item->intValue < 0) item->intValue += static_cast<int>(item->options.size());
        ItemChanged(*item);
    } else if (item->EditorKind() == kEditorButton) {
        int id = item->id;
        if (RunDialog(*item)) {
            if (Item* after = FindItem(id)) ItemChanged(*after);
        }
    }
}

// Partial notches add up, so fine-grained wheels and touchpads scroll too.
void CPropertyGrid::OnMouseWheel(int delta) {
    wheelRemainder_ += delta;
    int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ %= kWheelNotch;
    if (notches == 0 || !IsScrollBarShown()) return;
    int lowest = scrollBar_->minimum();
    int highest = std::max(lowest, scrollBar_->maximum() - 1);  // maximum - page of the Win32 bar
    for (int line = 0; line < 3 * std::abs(notches); ++line) {
        int position = scrollBar_->value();
        position = notches > 0 ? std::max(lowest, position - rowHeight_) : std::min(highest, position + rowHeight_);
        SetScrollPosition(position);
    }
}

// The bar's own moves are replaced by the grid's: lines are rows, pages are the client
// height, and neither goes past the last full page.
void CPropertyGrid::OnScrollAction(int action) {
    if (!IsScrollBarShown()) return;
    if (QWidget* widget = GetWidget()) widget->setFocus(Qt::OtherFocusReason);
    int position = scrollBar_->value();
    int page = GetWidget()->height();
    int lowest = scrollBar_->minimum();
    int highest = std::max(lowest, scrollBar_->maximum() - 1);
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub: position -= rowHeight_; break;
        case QAbstractSlider::SliderSingleStepAdd: position += rowHeight_; break;
        case QAbstractSlider::SliderPageStepSub: position -= page; break;
        case QAbstractSlider::SliderPageStepAdd: position += page; break;
        case QAbstractSlider::SliderToMinimum: position = lowest; break;
        case QAbstractSlider::SliderToMaximum: position = highest; break;
        case QAbstractSlider::SliderMove: return;  // the thumb goes where it is dragged
        default: return;
    }
    scrollBar_->setSliderPosition(std::clamp(position, lowest, highest));
}

bool CPropertyGrid::OnKeyDown(int key) {
    Section* section = FocusedSection();
    switch (key) {
        case Qt::Key_Down: FocusNext(); return true;
        case Qt::Key_Up: FocusPrevious(); return true;
        case Qt::Key_Left:
            if (!FocusedItem() && section && !section->collapsed) {
                section->collapsed = true;
                RecalcLayout();
            } else {
                FocusPrevious();
            }
            return true;
        case Qt::Key_Right:
            if (!FocusedItem() && section && section->collapsed) {
                section->collapsed = false;
                RecalcLayout();
            } else {
                FocusNext();
            }
            return true;
        default: return false;
    }
}

bool CPropertyGrid::OnChar(const QString& text) {
    if (text.size() != 1) return false;
    Section* section = FocusedItem() ? nullptr : FocusedSection();
    switch (text.front().unicode()) {
        case '*': ExpandAll(true); return true;
        case '/': ExpandAll(false); return true;
        case '+':
            if (section) ExpandSection(section->id, true);
            return true;
        case '-':
            if (section) ExpandSection(section->id, false);
            return true;
        default: return false;
    }
}

}  // namespace Widgets
