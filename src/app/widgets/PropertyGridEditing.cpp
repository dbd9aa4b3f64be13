// Opening the grid's editors and dialogs, and taking their results.
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/widgets/DynDialogEx.h"
#include "app/widgets/NumberText.h"
#include "app/widgets/PropertyGrid.h"
#include "app/widgets/PropertyGridCombo.h"
#include "app/widgets/PropertyGridDirectoryPicker.h"
#include "app/widgets/PropertyGridInPlaceEdit.h"
#include "app/widgets/PropertyGridMonthCalCtrl.h"
#include "ui/CommonDialogs.h"
#include "ui/MessageBox.h"
#include "ui/MessageBridge.h"

namespace Widgets {

using namespace Ui;

namespace {

constexpr int kEditId = 1000;
constexpr int kDropHeight = 100;
constexpr DWORD kTextEditStyle = 0x503110C4;  // multi-line, scroll bars, wants Return
constexpr DWORD kButtonStyle = 0x50010000;
constexpr DWORD kStaticStyle = 0x50000000;
constexpr DWORD kDatePickerStyle = 0x50010020;
constexpr DWORD kTimePickerStyle = 0x50010029;

}  // namespace

CWnd* CPropertyGrid::DialogParent() {
    CWnd* parent = GetParent();
    return parent ? parent : this;
}

RECT CPropertyGrid::ValueCell(const Item& item) const {
    return RECT{splitter_, item.valueRect.top, DrawingWidth(), item.valueRect.bottom};
}

// The editor goes once the handler that committed it has returned: its window is hidden
// now and deleted with the object from the event loop.
void CPropertyGrid::CloseEditor() {
    if (!editor_) return;
    std::shared_ptr<CWnd> retired(editor_.release());
    if (QWidget* widget = retired->GetWidget()) widget->hide();
    QTimer::singleShot(0, [retired] {});
}

void CPropertyGrid::ItemChanged(Item& item) {
    item.undefined = false;
    int id = item.id;
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_PG_ITEMCHANGED, static_cast<WPARAM>(id), 0);
    Invalidate();
}

void CPropertyGrid::OpenEditor(Item& item) {
    if (!item.editable) return;
    switch (item.EditorKind()) {
        case kEditorInPlace: OpenInPlaceEdit(item); break;
        case kEditorDropDown: OpenDropDown(item); break;
        case kEditorButton: {
            int id = item.id;
            if (RunDialog(item)) {
                if (Item* after = FindItem(id)) ItemChanged(*after);
            }
            break;
        }
        default: break;
    }
}

void CPropertyGrid::OpenInPlaceEdit(Item& item) {
    std::string text;
    switch (static_cast<ItemType>(item.type)) {
        case ItemType::String: text = item.stringValue; break;
        case ItemType::Integer: text = item.undefined ? "" : FormatInteger("", item.intValue); break;
        case ItemType::Double: text = item.undefined ? "" : FormatDouble("", item.doubleValue); break;
        case ItemType::Custom: text = item.custom ? item.custom->GetValueText() : ""; break;
        default: return;
    }
    RECT rect{splitter_ + 1, item.valueRect.top + 2, DrawingWidth(), item.valueRect.bottom};
    auto edit = std::make_unique<CPropertyGridInPlaceEdit>(this, rect, WS_CHILD, kEditId, text);
    edit->SetColors(backgroundColor_, nameColor_);
    edit->SetFont(normalFont_);
    edit->ShowWindow(true);
    edit->SetFocus();
    if (auto* line = qobject_cast<QLineEdit*>(edit->GetWidget());
        line && item.count && static_cast<ItemType>(item.type) == ItemType::Integer) {
        // Typing that cannot make a count is refused key by key, as in a number-only edit.
        line->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
        line->selectAll();
    }
    editor_ = std::move(edit);
}

bool CPropertyGrid::SetItemIsCount(int id) {
    Item* item = FindItem(id);
    if (!item || static_cast<ItemType>(item->type) != ItemType::Integer) return false;
    item->count = true;
    return true;
}

void CPropertyGrid::OpenDropDown(Item& item) {
    ItemType type = static_cast<ItemType>(item.type);
    if (type == ItemType::Custom) {
        if (item.custom) item.custom->OnDropDown(ValueCell(item));
        return;
    }
    RECT rect{splitter_, item.valueRect.bottom, DrawingWidth(), item.valueRect.bottom + kDropHeight};
    if (type == ItemType::Date) {
        auto calendar = std::make_unique<CPropertyGridMonthCalCtrl>();
        calendar->Create(rect, this, item.dateValue);
        editor_ = std::move(calendar);
        return;
    }
    if (type != ItemType::Combo && type != ItemType::Bool) return;
    if (type == ItemType::Combo && item.options.empty()) return;  // nothing to choose from
    auto list = std::make_unique<CPropertyGridCombo>();
    bool created = list->Create(0, rect, this, 0);
    list->SetColors(backgroundColor_, nameColor_, focusColor_, focusTextColor_);
    list->SetFont(normalFont_);
    if (type == ItemType::Bool) {
        list->AddString(trueText_);
        list->AddString(falseText_);
        if (!item.undefined) list->SetCurSel(item.boolValue ? 0 : 1);
    } else {
        for (const std::string& option : item.options) list->AddString(option);
        if (!item.undefined) list->SetCurSel(item.intValue);
    }
    if (created) list->ShowWindow(true);
    editor_ = std::move(list);
}

bool CPropertyGrid::RunDialog(Item& item) {
    CWnd* parent = DialogParent();
    int id = item.id;
    switch (static_cast<ItemType>(item.type)) {
        case ItemType::Color: {
            CColorDialog dialog(ToQColor(item.colorValue), 0, parent);
            if (dialog.DoModal() != IDOK) return false;
            Item* after = FindItem(id);
            if (after) after->colorValue = FromQColor(dialog.GetColor());
            return after != nullptr;
        }
        case ItemType::Font: {
            LOGFONT font = item.fontValue;
            CFontDialog dialog(&font, CF_SCREENFONTS | CF_EFFECTS, parent);
            if (dialog.DoModal() != IDOK) return false;
            Item* after = FindItem(id);
            if (after) dialog.GetCurrentFont(&after->fontValue);
            return after != nullptr;
        }
        case ItemType::File: {
            std::string path = item.stringValue;
            std::string filter = item.options.empty() ? "" : item.options.front();
            CFileDialog dialog(true, nullptr, path.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str(),
                               parent);
            if (dialog.DoModal() != IDOK) return false;
            Item* after = FindItem(id);
            if (after) after->stringValue = dialog.GetPathName();
            return after != nullptr;
        }
        case ItemType::Folder: {
            std::string path = item.stringValue;
            CPropertyGridDirectoryPicker::title = item.options.empty() ? "" : item.options.front();
            if (!CPropertyGridDirectoryPicker::Browse(path, parent)) return false;
            Item* after = FindItem(id);
            if (after) after->stringValue = path;
            return after != nullptr;
        }
        case ItemType::Custom: return item.custom && item.custom->OnButtonClick();
        case ItemType::Text: return EditTextInDialog(item);
        case ItemType::DateTime: return EditDateTimeInDialog(item);
        default: return false;
    }
}

bool CPropertyGrid::EditTextInDialog(Item& item) {
    int id = item.id;
    std::string text = item.stringValue;
    CDynDialogEx dialog(DialogParent());
    dialog.SetUseSystemButtons(false);
    dialog.SetWindowTitle(item.name.c_str());
    dialog.SetFont(&normalFont_);
    RECT edit{7, 7, 200, 100};
    dialog.AddDlgControl("EDIT", text.c_str(), kTextEditStyle, WS_EX_CLIENTEDGE, &edit, &text);
    RECT ok{56, 106, 106, 120};
    dialog.AddDlgControl("BUTTON", okText_.c_str(), kButtonStyle, 0, &ok, {}, IDOK);
    RECT cancel{110, 106, 160, 120};
    dialog.AddDlgControl("BUTTON", cancelText_.c_str(), kButtonStyle, 0, &cancel, {}, IDCANCEL);
    if (dialog.DoModal() != IDOK) return false;
    Item* after = FindItem(id);
    if (after) after->stringValue = text;
    return after != nullptr;
}

bool CPropertyGrid::EditDateTimeInDialog(Item& item) {
    int id = item.id;
    // A value that is no date starts the pickers at now.
    COleDateTime start = item.dateValue.GetStatus() == COleDateTime::valid && item.dateValue.GetYear() > 0
                             ? item.dateValue
                             : COleDateTime::GetCurrentTime();
    COleDateTime date = start;
    CTime time(start.GetYear(), start.GetMonth(), start.GetDay(), start.GetHour(), start.GetMinute(),
               start.GetSecond());
    CDynDialogEx dialog(DialogParent());
    dialog.SetUseSystemButtons(false);
    dialog.SetWindowTitle(item.name.c_str());
    dialog.SetFont(&normalFont_);
    RECT dateLabel{7, 3, 60, 12};
    dialog.AddDlgControl("STATIC", dateText_.c_str(), kStaticStyle, 0, &dateLabel);
    RECT timeLabel{67, 3, 120, 12};
    dialog.AddDlgControl("STATIC", timeText_.c_str(), kStaticStyle, 0, &timeLabel);
    RECT datePicker{7, 13, 60, 26};
    dialog.AddDlgControl("SysDateTimePick32", "", kDatePickerStyle, 0, &datePicker, &date);
    RECT timePicker{67, 13, 120, 26};
    dialog.AddDlgControl("SysDateTimePick32", "", kTimePickerStyle, 0, &timePicker, &time);
    RECT ok{7, 37, 60, 51};
    dialog.AddDlgControl("BUTTON", okText_.c_str(), kButtonStyle, 0, &ok, {}, IDOK);
    RECT cancel{67, 37, 120, 51};
    dialog.AddDlgControl("BUTTON", cancelText_.c_str(), kButtonStyle, 0, &cancel, {}, IDCANCEL);
    if (dialog.DoModal() != IDOK) return false;
    Item* after = FindItem(id);
    if (!after) return false;
    after->dateValue = COleDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), time.GetHour(), time.GetMinute(),
                                    time.GetSecond());
    return true;
}

// Told once the editor has gone, from the event loop, never from inside the commit.
void CPropertyGrid::TellRefused(const std::string& text) {
    QPointer<QWidget> widget(GetWidget());
    MessageBridge::PostTask([widget, text] {
        CWnd* grid = widget ? CWnd::FromWidget(widget) : nullptr;
        Ui::MessageBox(grid, text, nullptr, MB_OK | MB_ICONWARNING);
    });
}

LRESULT CPropertyGrid::OnEndLabelEdit(const char* text) {
    Item* item = FocusedItem();
    if (!item || destroying_) {
        CloseEditor();
        return 0;
    }
    std::string value = text ? text : "";
    switch (static_cast<ItemType>(item->type)) {
        case ItemType::String:
            item->stringValue = value;
            ItemChanged(*item);
            break;
        case ItemType::Integer: {
            if (value.empty()) break;
            int number = 0;
            if (!ParseInteger(value, number)) {
                TellRefused("\"" + value + "\" is not a whole number from -2147483648 to 2147483647.");
                break;
            }
            if (item->count && number < 0) {
                TellRefused("\"" + value + "\" is not a count: a whole number from 0 to 2147483647.");
                break;
            }
            item->intValue = number;
            ItemChanged(*item);
            break;
        }
        case ItemType::Double: {
            if (value.empty()) break;
            double number = 0.0;
            if (!ParseDouble(value, number)) {
                TellRefused("\"" + value + "\" is not a number.");
                break;
            }
            item->doubleValue = number;
            ItemChanged(*item);
            break;
        }
        case ItemType::Custom:
            if (item->custom && item->custom->SetValueText(value)) ItemChanged(*item);
            break;
        default: return 0;
    }
    CloseEditor();
    Invalidate();
    return 1;
}

LRESULT CPropertyGrid::OnComboSelChanged(WPARAM wParam) {
    Item* item = FocusedItem();
    if (!item || destroying_) return 0;
    int index = static_cast<int>(wParam);
    switch (static_cast<ItemType>(item->type)) {
        case ItemType::Bool: item->boolValue = index == 0; break;
        case ItemType::Combo:
            if (index < 0 || index >= static_cast<int>(item->options.size())) return 0;
            item->intValue = index;
            break;
        default: return 0;
    }
    ItemChanged(*item);
    CloseEditor();
    Invalidate();
    return 1;
}

LRESULT CPropertyGrid::OnDateSelChanged() {
    Item* item = FocusedItem();
    auto* calendar = dynamic_cast<CPropertyGridMonthCalCtrl*>(editor_.get());
    if (!item || !calendar || destroying_ || static_cast<ItemType>(item->type) != ItemType::Date) return 0;
    item->dateValue = calendar->GetCurSel();
    ItemChanged(*item);
    CloseEditor();
    Invalidate();
    return 1;
}

}  // namespace Widgets
