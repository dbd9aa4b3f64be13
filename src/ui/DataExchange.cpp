#include "ui/DataExchange.h"

#include <QAbstractButton>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <charconv>
#include <limits>

#include "ui/ControlAccess.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"
#include "ui/Wnd.h"

namespace Ui {
namespace {

std::string ReadText(CDataExchange* dx, int id) {
    if (CWnd* control = dx->m_pDlgWnd->GetDlgItem(id)) return control->GetWindowText();
    return WidgetText(dx->PrepareCtrl(id));
}

void WriteText(CDataExchange* dx, int id, const std::string& text) {
    if (CWnd* control = dx->m_pDlgWnd->GetDlgItem(id)) return control->SetWindowText(text);
    SetWidgetText(dx->PrepareCtrl(id), text);
}

std::string_view Trimmed(const std::string& text) {
    std::string_view view(text);
    while (!view.empty() && (view.front() == ' ' || view.front() == '\t')) view.remove_prefix(1);
    while (!view.empty() && (view.back() == ' ' || view.back() == '\t')) view.remove_suffix(1);
    return view;
}

template <typename Number>
bool ParseWhole(const std::string& text, Number& out) {
    std::string_view view = Trimmed(text);
    if (!view.empty() && view.front() == '+') view.remove_prefix(1);
    if (view.empty()) return false;
    auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), out);
    return error == std::errc() && end == view.data() + view.size();
}

template <typename Number>
std::string WholeText(Number value) {
    char buffer[24];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

}  // namespace

QWidget* CDataExchange::PrepareCtrl(int id) {
    QWidget* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItemWidget(id) : nullptr;
    if (!control) throw DataExchangeRefused{};
    return control;
}

void CDataExchange::Fail(QWidget* control, const std::string& message) {
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    if (control) control->setFocus(Qt::OtherFocusReason);
    throw DataExchangeRefused{};
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.IsWindow()) return;
    if (!control.SubclassDlgItem(id, dx->m_pDlgWnd)) throw DataExchangeRefused{};
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
    if (dx->m_bSaveAndValidate) {
        value = ReadText(dx, id);
    } else {
        WriteText(dx, id, value);
    }
}

void DDX_Text(CDataExchange* dx, int id, std::uint32_t& value) {
    if (!dx->m_bSaveAndValidate) return WriteText(dx, id, WholeText(value));
    std::uint32_t parsed = 0;
    if (!ParseWhole(ReadText(dx, id), parsed))
        dx->Fail(dx->PrepareCtrl(id), "Please enter a whole number from 0 to 4294967295.");
    value = parsed;
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (!dx->m_bSaveAndValidate) return WriteText(dx, id, WholeText(value));
    int parsed = 0;
    if (!ParseWhole(ReadText(dx, id), parsed))
        dx->Fail(dx->PrepareCtrl(id), "Please enter a whole number from -2147483648 to 2147483647.");
    value = parsed;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    auto* button = qobject_cast<QAbstractButton*>(dx->PrepareCtrl(id));
    if (!button) throw DataExchangeRefused{};
    if (dx->m_bSaveAndValidate) {
        value = button->isChecked() ? 1 : 0;
    } else {
        QSignalBlocker quiet(button);
        button->setChecked(value != 0);
    }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    QWidget* first = dx->PrepareCtrl(id);
    QWidget* parent = first->parentWidget();
    int index = 0;
    int found = -1;
    bool inGroup = false;
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget) continue;
        if (widget == first) inGroup = true;
        if (!inGroup) continue;
        auto* button = qobject_cast<QAbstractButton*>(widget);
        DWORD type = ControlStyle(widget) & BS_TYPEMASK;
        bool radio = button && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
        if (!radio || (widget != first && (ControlStyle(widget) & WS_GROUP))) break;
        if (dx->m_bSaveAndValidate) {
            if (button->isChecked()) found = index;
        } else {
            QSignalBlocker quiet(button);
            bool exclusive = button->autoExclusive();
            button->setAutoExclusive(false);
            button->setChecked(index == value);
            button->setAutoExclusive(exclusive);
        }
        ++index;
    }
    if (dx->m_bSaveAndValidate) value = found;
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value) {
    auto* combo = qobject_cast<QComboBox*>(dx->PrepareCtrl(id));
    if (!combo) throw DataExchangeRefused{};
    if (dx->m_bSaveAndValidate) {
        value = combo->currentIndex();
    } else {
        QSignalBlocker quiet(combo);
        combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
    }
}

void DDX_Scroll(CDataExchange* dx, int id, int& value) {
    auto* bar = qobject_cast<QScrollBar*>(dx->PrepareCtrl(id));
    if (!bar) throw DataExchangeRefused{};
    if (dx->m_bSaveAndValidate) {
        value = bar->value();
    } else {
        QSignalBlocker quiet(bar);
        bar->setValue(value);
    }
}

void DDX_Slider(CDataExchange* dx, int id, int& value) {
    auto* slider = qobject_cast<QSlider*>(dx->PrepareCtrl(id));
    if (!slider) throw DataExchangeRefused{};
    if (dx->m_bSaveAndValidate) {
        value = slider->value();
    } else {
        QSignalBlocker quiet(slider);
        slider->setValue(value);
    }
}

void DDX_DateTimeCtrl(CDataExchange* dx, int id, COleDateTime& value) {
    QWidget* control = dx->PrepareCtrl(id);
    if (auto* calendar = qobject_cast<QCalendarWidget*>(control)) {
        if (dx->m_bSaveAndValidate) {
            value = COleDateTime::FromQDateTime(QDateTime(calendar->selectedDate(), QTime(0, 0)));
        } else {
            QSignalBlocker quiet(calendar);
            calendar->setSelectedDate(value.ToQDateTime().date());
        }
        return;
    }
    auto* picker = qobject_cast<QDateTimeEdit*>(control);
    if (!picker) throw DataExchangeRefused{};
    if (dx->m_bSaveAndValidate) {
        value = COleDateTime::FromQDateTime(picker->dateTime());
    } else {
        QSignalBlocker quiet(picker);
        picker->setDateTime(value.ToQDateTime());
    }
}

void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value) {
    auto* picker = qobject_cast<QDateTimeEdit*>(dx->PrepareCtrl(id));
    if (!picker) throw DataExchangeRefused{};
    if (dx->m_bSaveAndValidate) {
        value = CTime(picker->dateTime().toSecsSinceEpoch());
    } else {
        QSignalBlocker quiet(picker);
        picker->setDateTime(QDateTime::fromSecsSinceEpoch(value.GetTime()));
    }
}

}  // namespace Ui
