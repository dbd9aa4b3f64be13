#pragma once

#include <QFont>
#include <string>
#include <variant>

#include "ui/DataExchange.h"
#include "ui/DialogTemplate.h"
#include "ui/OleDateTime.h"
#include "ui/Wnd.h"

namespace Widgets {

class CDynDialogEx;

// What a control of a dynamic dialog is exchanged with: an integer (check, radio group,
// scroll and trackbar positions), a string (edit and static text), a date, a time, or the
// caller's control object that the control is created as.
using DynItemData = std::variant<std::monostate, int*, std::string*, Ui::COleDateTime*, Ui::CTime*, Ui::CWnd*>;

// One control of a dynamic dialog: class by name or by type code (128-146), caption,
// styles, rectangle in dialog units, id and the data it exchanges.
class CDynDialogItemEx : public Ui::CWnd {
public:
    // The class names by code 128 to 146, and back: a name takes the code of the first
    // entry it begins with (case-sensitive), 0 when none (an ActiveX identifier).
    static std::string ClassNameOfType(int typeCode);
    static int TypeOfClassName(const std::string& className);
    // Automatic ids, from 1024 on.
    static Ui::UINT NextAutomaticId();
    // Whether `data` is what a control of this code and style exchanges.
    static bool DataFits(int typeCode, Ui::DWORD style, const DynItemData& data);

    Ui::UINT InitByType(int typeCode, Ui::DWORD style, Ui::DWORD exStyle, const Ui::RECT& rect, const char* caption,
                        Ui::UINT id, bool inTemplate, DynItemData data);
    Ui::UINT InitByClassName(const char* className, Ui::DWORD style, Ui::DWORD exStyle, const Ui::RECT& rect,
                             const char* caption, Ui::UINT id, bool inTemplate, DynItemData data);

    bool CreateEx(CDynDialogEx* dialog);
    void SetFont(const QFont* font, bool redraw);
    bool SetWindowPos(CDynDialogEx* dialog);
    // Appends this control to the dialog's template record.
    void CreateTemplate(Ui::DialogTemplate& dialogTemplate) const;
    std::string GetClassName() const { return className_; }
    bool IsInTemplate() const { return inTemplate_; }
    bool IsDataControl() const;
    int GetTypeCode() const { return typeCode_; }
    Ui::UINT GetId() const { return id_; }
    const Ui::RECT& GetRect() const { return rect_; }
    const std::string& GetCaption() const { return caption_; }
    void DoDataExchange(Ui::CDataExchange* dx);

private:
    Ui::CWnd* Window();

    std::string className_;
    int typeCode_ = 0;
    Ui::UINT id_ = 0;
    Ui::DWORD style_ = 0;
    Ui::DWORD exStyle_ = 0;
    Ui::RECT rect_{};
    std::string caption_;
    DynItemData data_;
    bool inTemplate_ = false;
};

}  // namespace Widgets
