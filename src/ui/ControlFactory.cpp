#include "ui/ControlFactory.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>
#include <map>

#include "ui/ControlAccess.h"
#include "ui/IpAddressWidget.h"
#include "ui/Resources.h"
#include "ui/StatusBarWidget.h"
#include "ui/Text.h"
#include "ui/UpDownWidget.h"

namespace Ui {
namespace {

std::map<std::string, ControlFactory::Creator>& Registered() {
    static std::map<std::string, ControlFactory::Creator> creators;
    return creators;
}

// Check boxes and radio buttons answer a click anywhere in their rectangle, not only on
// the box and its text.
template <typename Button>
class WholeAreaButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

bool SameClass(const std::string& a, const char* b) {
    return QString::fromStdString(a).compare(b, Qt::CaseInsensitive) == 0;
}

QWidget* CreateButton(const ControlTemplate& c, QWidget* parent) {
    switch (c.style & BS_TYPEMASK) {
        case BS_GROUPBOX: {
            auto* group = new QGroupBox(ToQt(c.text), parent);
            group->setFocusPolicy(Qt::NoFocus);
            // A group box frames the controls made before it; it must not cover them.
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            return group;
        }
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX: {
            auto* box = new WholeAreaButton<QCheckBox>(ToQt(c.text), parent);
            QObject::connect(box, &QCheckBox::clicked, box, [box] { NotifyParent(box, BN_CLICKED); });
            return box;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            auto* radio = new WholeAreaButton<QRadioButton>(ToQt(c.text), parent);
            radio->setAutoExclusive((c.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON);
            QObject::connect(radio, &QRadioButton::clicked, radio, [radio] { NotifyParent(radio, BN_CLICKED); });
            return radio;
        }
        default: {
            auto* button = new QPushButton(ToQt(c.text), parent);
            // The dialog decides what Enter does; a button never takes it on its own.
            button->setAutoDefault(false);
            button->setDefault(false);
            QObject::connect(button, &QPushButton::clicked, button, [button] { NotifyParent(button, BN_CLICKED); });
            return button;
        }
    }
}

QWidget* CreateEdit(const ControlTemplate& c, QWidget* parent) {
    bool framed = (c.style & WS_BORDER) || (c.exStyle & WS_EX_CLIENTEDGE);
    if (c.style & ES_MULTILINE) {
        auto* edit = new QPlainTextEdit(ToQt(c.text), parent);
        edit->setReadOnly(c.style & ES_READONLY);
        edit->setLineWrapMode((c.style & (ES_AUTOHSCROLL | WS_HSCROLL)) ? QPlainTextEdit::NoWrap
                                                                        : QPlainTextEdit::WidgetWidth);
        edit->setVerticalScrollBarPolicy((c.style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        edit->setHorizontalScrollBarPolicy((c.style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        edit->setTabChangesFocus(true);
        if (!framed) edit->setFrameShape(QFrame::NoFrame);
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit] {
            // Only typing notifies: a programmatic set happens while signals are blocked.
            NotifyParent(edit, EN_CHANGE);
        });
        return edit;
    }
    auto* edit = new QLineEdit(ToQt(c.text), parent);
    edit->setReadOnly(c.style & ES_READONLY);
    edit->setFrame(framed);
    if (c.style & ES_CENTER) edit->setAlignment(Qt::AlignCenter);
    if (c.style & ES_RIGHT) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit] { NotifyParent(edit, EN_CHANGE); });
    return edit;
}

QWidget* CreateStatic(const ControlTemplate& c, QWidget* parent) {
    auto* label = new QLabel(parent);
    DWORD type = c.style & SS_TYPEMASK;
    if (type == SS_BITMAP) {
        bool isNumber = !c.text.empty() && std::all_of(c.text.begin(), c.text.end(), ::isdigit);
        QPixmap bitmap = isNumber ? LoadBitmap(std::stoi(c.text)) : LoadBitmapFile(c.text);
        label->setPixmap(bitmap);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    label->setText(ToQt(c.text));
    label->setTextFormat(Qt::PlainText);
    // A static hears the mouse only when it asks to be told (SS_NOTIFY).
    if (!(c.style & SS_NOTIFY)) label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setWordWrap(type <= SS_RIGHT);
    Qt::Alignment align = Qt::AlignTop;
    align |= type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
    label->setAlignment(align);
    return label;
}

QWidget* CreateCombo(const ControlTemplate& c, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable((c.style & 0x3) == CBS_DROPDOWN);
    QObject::connect(combo, &QComboBox::activated, combo, [combo] { NotifyParent(combo, CBN_SELCHANGE); });
    return combo;
}

QWidget* CreateDateTime(const ControlTemplate& c, QWidget* parent) {
    if ((c.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) {
        auto* picker = new QTimeEdit(parent);
        picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        return picker;
    }
    auto* picker = new QDateEdit(parent);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    return picker;
}

QWidget* CreateBuiltIn(const ControlTemplate& c, QWidget* parent) {
    const std::string& name = c.className;
    if (SameClass(name, "BUTTON")) return CreateButton(c, parent);
    if (SameClass(name, "EDIT")) return CreateEdit(c, parent);
    if (SameClass(name, "STATIC")) return CreateStatic(c, parent);
    if (SameClass(name, "COMBOBOX")) return CreateCombo(c, parent);
    if (SameClass(name, "LISTBOX")) return new QListWidget(parent);
    if (SameClass(name, "SCROLLBAR")) return new QScrollBar((c.style & 1) ? Qt::Vertical : Qt::Horizontal, parent);
    if (SameClass(name, "msctls_trackbar32")) return new QSlider(Qt::Horizontal, parent);
    if (SameClass(name, "msctls_updown32")) return new UpDownWidget(parent, c.style & UDS_ARROWKEYS);
    if (SameClass(name, "msctls_progress32")) {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    if (SameClass(name, "msctls_statusbar32")) return new StatusBarWidget(parent);
    if (SameClass(name, "SysIPAddress32")) return new IpAddressWidget(parent);
    if (SameClass(name, "SysDateTimePick32")) return CreateDateTime(c, parent);
    if (SameClass(name, "SysMonthCal32")) return new QCalendarWidget(parent);
    return nullptr;
}

}  // namespace

void ControlFactory::RegisterWindowClass(const std::string& name, Creator creator) {
    Registered().emplace(name, std::move(creator));
}

bool ControlFactory::IsRegistered(const std::string& name) { return Registered().contains(name); }

QWidget* ControlFactory::Create(const ControlTemplate& control, const RECT& pixels, QWidget* parent) {
    QWidget* widget = nullptr;
    if (auto it = Registered().find(control.className); it != Registered().end()) {
        widget = it->second(control, parent);
    } else {
        widget = CreateBuiltIn(control, parent);
    }
    if (!widget) widget = new QWidget(parent);  // a placeholder for a class no one registered
    SetControlId(widget, control.id);
    SetControlStyles(widget, control.style, control.exStyle);
    SetControlClass(widget, control.className);
    if (parent) widget->setFont(parent->font());
    int height = pixels.Height();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // A combo's template height is its drop-down extent; the closed box keeps its own.
        int closed = combo->sizeHint().height();
        int item = std::max(1, QFontMetrics(combo->font()).height() + 2);
        combo->setMaxVisibleItems(std::max(1, (height - closed) / item));
        height = closed;
    }
    widget->setGeometry(pixels.left, pixels.top, pixels.Width(), height);
    if (!(control.style & WS_TABSTOP) && widget->focusPolicy() != Qt::NoFocus) widget->setFocusPolicy(Qt::ClickFocus);
    if (control.style & WS_TABSTOP) widget->setFocusPolicy(Qt::StrongFocus);
    widget->setEnabled(!(control.style & WS_DISABLED));
    widget->setVisible(control.style & WS_VISIBLE);
    if (qobject_cast<QGroupBox*>(widget)) widget->lower();
    // A bitmap static takes its bitmap's natural size.
    if (auto* label = qobject_cast<QLabel*>(widget); label && (control.style & SS_TYPEMASK) == SS_BITMAP) {
        if (!label->pixmap().isNull()) label->resize(label->pixmap().size());
    }
    return widget;
}

}  // namespace Ui
