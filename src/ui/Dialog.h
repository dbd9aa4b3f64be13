#pragma once

#include <optional>

#include "ui/DialogTemplate.h"
#include "ui/Wnd.h"

namespace Ui {

class CDataExchange;

// A dialog realised from a template: modal (DoModal runs Qt's modal loop and destroys the
// widget when it ends; the object and its members stay) or modeless (Create). The base
// OnInitDialog runs the data exchange into the controls. Keys as the dialog manager
// routes them: Escape is command 2; Enter is the focused push button, else the default
// button, else command 1; the close box is a system command whose default is command 2.
// Commands 1 and 2 that no map entry takes end the dialog through OnOK and OnCancel.
class CDialog : public CWnd {
public:
    explicit CDialog(int templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    virtual intptr_t DoModal();
    // Runs the given template instead of a registered one (templates built at run time).
    bool InitModalIndirect(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    // Modeless: creates the window now, shown only when the template says WS_VISIBLE.
    bool Create(int templateId, CWnd* parent = nullptr);
    bool CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);

    // After the dialog's window exists and before the template's controls are made;
    // -1 fails the creation (DoModal then gives -1).
    virtual int OnCreate() { return 0; }
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx) {}
    // Save: controls to members; a refused value stops the exchange and gives false.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    void CenterWindow(CWnd* alternate = nullptr);
    void SetDefID(int id) { defaultId_ = id; }
    int GetDefID() const;
    void GotoDlgCtrl(QWidget* control);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // SC_CLOSE (the close box) sends command 2.
    void OnSysCommand(UINT id, LPARAM lParam) override;

    bool IsModal() const { return modal_; }
    const DialogTemplate* GetTemplate() const;

    // Called by the dialog widget; not for callers.
    void HandleDialogKey(int key);

private:
    QWidget* Realise(const DialogTemplate& dialogTemplate, CWnd* parent, bool modal);

    int templateId_;
    CWnd* parent_;
    std::optional<DialogTemplate> indirect_;
    int defaultId_ = 0;
    bool modal_ = false;
    std::optional<int> endedWith_;
};

}  // namespace Ui
