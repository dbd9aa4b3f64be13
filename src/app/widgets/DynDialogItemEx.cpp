#include "app/widgets/DynDialogItemEx.h"

#include <array>
#include <atomic>

#include "app/widgets/DynDialogEx.h"

namespace Widgets {

using namespace Ui;

namespace {

constexpr int kFirstCode = 128;
constexpr std::array<const char*, 19> kClassNames = {"BUTTON",
                                                     "EDIT",
                                                     "STATIC",
                                                     "LISTBOX",
                                                     "SCROLLBAR",
                                                     "COMBOBOX",
                                                     "msctls_updown32",
                                                     "msctls_progress32",
                                                     "msctls_trackbar32",
                                                     "msctls_hotkey32",
                                                     "SysListView32",
                                                     "SysTreeView32",
                                                     "SysTabControl32",
                                                     "SysAnimate32",
                                                     "RICHEDIT",
                                                     "SysDateTimePick32",
                                                     "SysMonthCal32",
                                                     "SysIPAddress32",
                                                     "ComboBoxEx32"};

bool AllBits(DWORD style, DWORD bits) { return (style & bits) == bits; }

std::atomic<UINT> nextId{1024};

}  // namespace

std::string CDynDialogItemEx::ClassNameOfType(int typeCode) {
    int index = typeCode - kFirstCode;
    return index >= 0 && index < static_cast<int>(kClassNames.size()) ? kClassNames[static_cast<size_t>(index)] : "";
}

int CDynDialogItemEx::TypeOfClassName(const std::string& className) {
    for (size_t i = 0; i < kClassNames.size(); ++i) {
        std::string_view entry = kClassNames[i];
        if (className.compare(0, entry.size(), entry) == 0) return kFirstCode + static_cast<int>(i);
    }
    return 0;
}

UINT CDynDialogItemEx::NextAutomaticId() { return nextId++; }

bool CDynDialogItemEx::DataFits(int code, DWORD style, const DynItemData& data) {
    if (std::holds_alternative<std::monostate>(data)) return true;
    switch (code) {
        case 128:
            if (AllBits(style, BS_AUTORADIOBUTTON) || AllBits(style, BS_AUTOCHECKBOX))
                return std::holds_alternative<int*>(data);
            return std::holds_alternative<CWnd*>(data);
        case 129:
        case 130: return std::holds_alternative<std::string*>(data);
        case 132:
        case 136: return std::holds_alternative<int*>(data);
        case 143:
            if (AllBits(style, DTS_TIMEFORMAT)) return std::holds_alternative<CTime*>(data);
            return std::holds_alternative<COleDateTime*>(data);
        case 144: return std::holds_alternative<COleDateTime*>(data);
        default: return std::holds_alternative<CWnd*>(data);  // control objects, ActiveX included
    }
}

UINT CDynDialogItemEx::InitByType(int typeCode, DWORD style, DWORD exStyle, const RECT& rect, const char* caption,
                                  UINT id, bool inTemplate, DynItemData data) {
    typeCode_ = typeCode;
    className_ = ClassNameOfType(typeCode);
    style_ = style;
    exStyle_ = exStyle;
    rect_ = rect;
    caption_ = caption ? caption : "";
    id_ = id ? id : NextAutomaticId();
    inTemplate_ = inTemplate;
    data_ = data;
    return id_;
}

UINT CDynDialogItemEx::InitByClassName(const char* className, DWORD style, DWORD exStyle, const RECT& rect,
                                       const char* caption, UINT id, bool inTemplate, DynItemData data) {
    className_ = className ? className : "";
    typeCode_ = TypeOfClassName(className_);
    style_ = style;
    exStyle_ = exStyle;
    rect_ = rect;
    caption_ = caption ? caption : "";
    id_ = id ? id : NextAutomaticId();
    inTemplate_ = inTemplate;
    data_ = data;
    return id_;
}

bool CDynDialogItemEx::IsDataControl() const {
    switch (typeCode_) {
        case 128: return !(AllBits(style_, BS_AUTORADIOBUTTON) || AllBits(style_, BS_AUTOCHECKBOX));
        case 129:
        case 130:
        case 132:
        case 136:
        case 143:
        case 144: return false;
        default: return true;
    }
}

CWnd* CDynDialogItemEx::Window() {
    if (auto* control = std::get_if<CWnd*>(&data_); control && *control && IsDataControl()) return *control;
    return this;
}

bool CDynDialogItemEx::CreateEx(CDynDialogEx* dialog) {
    if (typeCode_ == 0) return true;  // an ActiveX control is made (or not) when placed
    // Created at the stored rectangle; placed in pixels when the dialog initialises.
    return Window()->CreateControl(className_, caption_, style_, exStyle_, rect_, dialog, static_cast<int>(id_));
}

void CDynDialogItemEx::SetFont(const QFont* font, bool redraw) {
    if (font) Window()->SetFont(*font, redraw);
}

bool CDynDialogItemEx::SetWindowPos(CDynDialogEx* dialog) {
    if (typeCode_ == 0) return false;  // no ActiveX on this platform
    CWnd* window = Window();
    if (!window->IsWindow()) return false;
    RECT pixels = rect_;
    dialog->MapDialogRect(pixels);
    window->MoveWindow(pixels, false);
    return true;
}

void CDynDialogItemEx::CreateTemplate(DialogTemplate& t) const {
    t.controls.push_back(ControlTemplate{static_cast<int>(id_), ClassNameOfType(typeCode_), caption_, rect_.left,
                                         rect_.top, rect_.Width(), rect_.Height(), style_, exStyle_});
}

void CDynDialogItemEx::DoDataExchange(CDataExchange* dx) {
    if (std::holds_alternative<std::monostate>(data_) || typeCode_ < 128 || typeCode_ > 146) return;
    int id = static_cast<int>(id_);
    if (auto* number = std::get_if<int*>(&data_)) {
        if (typeCode_ == 128 && AllBits(style_, BS_AUTORADIOBUTTON)) return DDX_Radio(dx, id, **number);
        if (typeCode_ == 128) return DDX_Check(dx, id, **number);
        if (typeCode_ == 132) return DDX_Scroll(dx, id, **number);
        return DDX_Slider(dx, id, **number);
    }
    if (auto* text = std::get_if<std::string*>(&data_)) return DDX_Text(dx, id, **text);
    if (auto* date = std::get_if<COleDateTime*>(&data_)) return DDX_DateTimeCtrl(dx, id, **date);
    if (auto* time = std::get_if<CTime*>(&data_)) return DDX_DateTimeCtrl(dx, id, **time);
    if (auto* control = std::get_if<CWnd*>(&data_)) DDX_Control(dx, id, **control);
}

}  // namespace Widgets
