#include "ui/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "ui/MessageBridge.h"
#include "ui/Resources.h"
#include "ui/Text.h"
#include "ui/TextFit.h"
#include "ui/Wnd.h"

namespace Ui {
namespace {

QWidget* OwnerWidget(CWnd* owner) {
    if (owner && owner->GetWidget()) return owner->GetWidget()->window();
    if (CWnd* main = CWnd::FromHandle(MessageBridge::GetMainWindow())) return main->GetWidget();
    return QApplication::activeWindow();
}

// A box without a caption of its own carries the program's: the main window's caption,
// else the owner's, else the name of the executable.
QString DefaultCaption(QWidget* ownerWindow) {
    if (CWnd* main = CWnd::FromHandle(MessageBridge::GetMainWindow())) {
        if (QWidget* widget = main->GetWidget(); widget != nullptr && !widget->windowTitle().isEmpty()) {
            return widget->windowTitle();
        }
    }
    if (ownerWindow != nullptr && !ownerWindow->windowTitle().isEmpty()) return ownerWindow->windowTitle();
    return ToQt(GetProgramName());
}

// The box sizes itself to its text, and a short text makes a box whose title bar cuts
// the caption: a row as wide as the caption needs keeps the box from being narrower.
void MakeRoomForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    const int room = CaptionRoom(box.windowTitle(), box.font());
    grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

QMessageBox::Icon IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONSTOP: return QMessageBox::Critical;
        case MB_ICONQUESTION: return QMessageBox::Question;
        case MB_ICONWARNING: return QMessageBox::Warning;
        case MB_ICONINFORMATION: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

int Show(CWnd* owner, const std::string& text, const std::string& caption, UINT type) {
    QWidget* ownerWindow = OwnerWidget(owner);
    QMessageBox box(ownerWindow);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(caption.empty() ? DefaultCaption(ownerWindow) : ToQt(caption));
    box.setText(ToQt(ToDisplayLines(text)));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(IconOf(type));
    struct Answer {
        QMessageBox::StandardButton button;
        int id;
    };
    std::vector<Answer> answers;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL: answers = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
        case MB_YESNOCANCEL:
            answers = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_YESNO: answers = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
        default: answers = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Answer& a : answers) buttons |= a.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(answers.front().button);
    // Last: setting the icon lays the box out anew.
    MakeRoomForCaption(box);
    int chosen = box.exec();
    for (const Answer& a : answers) {
        if (a.button == chosen) return a.id;
    }
    // Closed without a button: the answer of Escape.
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : (type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
}

}  // namespace

int MessageBox(CWnd* owner, const std::string& text, const char* caption, UINT type) {
    std::string title = caption ? caption : "";
    if (!MessageBridge::IsUiThread()) {
        PostMessageBox(text, title, type);
        return 0;
    }
    return Show(owner, text, title, type);
}

int AfxMessageBox(const std::string& text, UINT type) { return MessageBox(nullptr, text, nullptr, type); }

bool PostMessageBox(const std::string& text, const std::string& caption, UINT type) {
    return MessageBridge::PostTask([text, caption, type] { Show(nullptr, text, caption, type); });
}

}  // namespace Ui
