#pragma once

#include <QFont>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/widgets/DynDialogItemEx.h"
#include "ui/Dialog.h"

namespace Widgets {

// A dialog whose controls are added at run time, then built into a template record of
// the toolkit and run modally or modeless. Controls added without a rectangle stand one
// row (12 dialog units) below each other; the dialog's rectangle grows to hold each
// control with 5 units to spare. Unless told otherwise, "OK" and "Annuleren" are added
// just before it runs. Commands other than 1 and 2 are passed on to the parent.
class CDynDialogEx : public Ui::CDialog {
public:
    explicit CDynDialogEx(Ui::CWnd* parent = nullptr);
    ~CDynDialogEx() override;

    void SetWindowTitle(const char* title) { title_ = title ? title : ""; }
    // The caller keeps the font.
    void SetFont(const QFont* font) { font_ = font; }
    void SetFontSize(Ui::WORD pointSize) { pointSize_ = pointSize; }
    Ui::WORD GetFontSize() const { return pointSize_; }
    void SetUseSystemButtons(bool use) { addSystemButtons_ = use; }
    void SetModeless(bool modeless) { modeless_ = modeless; }
    void AddStyle(Ui::DWORD style) { template_.style |= style; }
    void RemoveStyle(Ui::DWORD style) { template_.style &= ~style; }
    void GetDlgRect(Ui::RECT* rect) const;
    void SetDlgRect(const Ui::RECT* rect);
    Ui::CWnd* GetParentWnd() const { return parent_; }

    // Each gives the id used, or 0 when the data does not fit the control.
    Ui::UINT AddDlgControl(const char* className, const char* caption, Ui::DWORD style, Ui::DWORD exStyle,
                           const Ui::RECT* rect = nullptr, DynItemData data = {}, Ui::UINT id = 0);
    Ui::UINT AddDlgControl(int typeCode, const char* caption, Ui::DWORD style, Ui::DWORD exStyle,
                           const Ui::RECT* rect = nullptr, DynItemData data = {}, Ui::UINT id = 0);
    Ui::UINT AddTemplateDlgControl(const char* className, const char* caption, Ui::DWORD style, Ui::DWORD exStyle,
                                   const Ui::RECT* rect = nullptr, Ui::UINT id = 0);

    intptr_t DoModal() override;
    virtual void OnHelp() {}

    // What DoModal builds, for a look without running it.
    Ui::DialogTemplate BuildTemplate();
    const std::vector<std::unique_ptr<CDynDialogItemEx>>& Items() const { return items_; }
    int GetItemCount() const { return itemCount_; }

    int OnCreate() override;
    Ui::BOOL OnInitDialog() override;
    Ui::BOOL OnCommand(Ui::WPARAM wParam, Ui::LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(Ui::CDataExchange* dx) override;

private:
    Ui::UINT Add(CDynDialogItemEx* item, Ui::UINT id, const Ui::RECT* given, int defaultRight,
                 const std::function<Ui::UINT(CDynDialogItemEx&, const Ui::RECT&)>& init);
    void AddSystemButtons();
    QFont DialogFont() const;

    Ui::CWnd* parent_;
    std::string title_;
    const QFont* font_ = nullptr;
    std::optional<QFont> ownFont_;
    Ui::WORD pointSize_ = 0;
    int nextRow_ = 10;
    bool addSystemButtons_ = true;
    bool modeless_ = false;
    Ui::DialogTemplate template_;
    int itemCount_ = 0;
    std::vector<std::unique_ptr<CDynDialogItemEx>> items_;
};

}  // namespace Widgets
