#include "app/widgets/PropertyGridMonthCalCtrl.h"

#include <QCalendarWidget>
#include <QKeyEvent>

#include "app/widgets/PropertyGrid.h"

namespace Widgets {

using namespace Ui;

namespace {

// Hands the key presses of the calendar's children to the calendar object first.
class KeyWatcher : public QObject {
public:
    KeyWatcher(QObject* parent, std::function<bool(int)> onKey) : QObject(parent), onKey_(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) return onKey_(static_cast<QKeyEvent*>(event)->key());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int)> onKey_;
};

}  // namespace

QWidget* CPropertyGridMonthCalCtrl::CreateWidget(QWidget* parent) {
    auto* calendar = new QCalendarWidget(parent);
    calendar->setWindowFlags(Qt::Popup);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    return calendar;
}

QCalendarWidget* CPropertyGridMonthCalCtrl::Calendar() const { return qobject_cast<QCalendarWidget*>(GetWidget()); }

bool CPropertyGridMonthCalCtrl::Create(const RECT& rect, CPropertyGrid* grid, const COleDateTime& selection) {
    QWidget* gridWidget = grid ? grid->GetWidget() : nullptr;
    if (!gridWidget) return false;
    QPoint topLeft = gridWidget->mapToGlobal(QPoint(rect.left, rect.top));
    RECT screen{topLeft.x(), topLeft.y(), topLeft.x() + rect.Width(), topLeft.y() + rect.Height()};
    if (!CWnd::Create(WS_POPUP | WS_BORDER, screen, grid, 0)) return false;
    SetOwner(grid);
    QCalendarWidget* calendar = Calendar();
    QDate date = selection.ToQDateTime().date();
    if (date.isValid()) calendar->setSelectedDate(date);
    QSize size = calendar->sizeHint();
    calendar->setGeometry(topLeft.x() + rect.Width() - size.width(), topLeft.y(), size.width(), size.height());
    auto* watcher = new KeyWatcher(calendar, [this](int key) { return OnKey(key); });
    for (QWidget* child : calendar->findChildren<QWidget*>()) child->installEventFilter(watcher);
    QObject::connect(calendar, &QCalendarWidget::clicked, calendar, [this] { Commit(); });
    calendar->show();
    calendar->setFocus(Qt::PopupFocusReason);
    return true;
}

COleDateTime CPropertyGridMonthCalCtrl::GetCurSel() const {
    QCalendarWidget* calendar = Calendar();
    if (!calendar) return COleDateTime();
    return COleDateTime::FromQDateTime(QDateTime(calendar->selectedDate(), QTime(0, 0)));
}

void CPropertyGridMonthCalCtrl::Commit() {
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_PG_DATESELCHANGED, 0, 0);
}

bool CPropertyGridMonthCalCtrl::OnKey(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Execute: Commit(); return true;
        case Qt::Key_Escape:
            if (QWidget* widget = GetWidget()) widget->hide();
            return true;
        default: return false;
    }
}

bool CPropertyGridMonthCalCtrl::OnEvent(QEvent* event) {
    if (event->type() == QEvent::KeyPress) return OnKey(static_cast<QKeyEvent*>(event)->key());
    return false;
}

}  // namespace Widgets
