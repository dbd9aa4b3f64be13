#pragma once

#include <memory>
#include <string>

#include "app/client/SelectionTree.h"
#include "ui/ComboBox.h"
#include "ui/Static.h"
#include "ui/Wnd.h"

namespace App {

// Three cascaded lists (logical node, object, attribute) over one selection tree. Every
// complete choice is reported to the parent as WM_QX_SELECTION_CHANGED with the display
// text "reference [fc]" and the control's id; the getters give the last reported choice.
class QXSelectionCtrl : public Ui::CWnd {
public:
    QXSelectionCtrl();
    ~QXSelectionCtrl() override;

    // Registers the window class "QXSelectionCtrl" once; later calls change nothing.
    static bool RegisterWindowClass();

    // The labels and the lists in one row, scaled to the control's width.
    void CreateCombos(int width, int gap);
    // Empties the three lists; the tree and the last choice stay.
    void Clear();
    // Keeps a copy of the tree and lists its nodes (the lists are not emptied first:
    // Clear them). A null tree changes nothing.
    void SetData(const SelectionTree* tree);

    void OnLnChanged();
    void OnObjChanged();
    void OnAttrChanged();
    const SelectionLnEntry* GetSelectedLn() const;
    const SelectionEntry* GetSelectedObj() const;
    const SelectionAttribute* GetSelectedAttr() const;

    std::string GetReference() const { return reference_; }
    std::string GetConstraint() const { return constraint_; }
    std::string GetObjectReference() const { return objectReference_; }
    const std::string& GetDisplayText() const { return display_; }

    void OnEnable(Ui::BOOL enable) override;

private:
    std::unique_ptr<QFont> font_;
    Ui::CComboBox attrCombo_;
    Ui::CStatic attrLabel_;
    Ui::CComboBox lnCombo_;
    Ui::CStatic lnLabel_;
    Ui::CComboBox objCombo_;
    Ui::CStatic objLabel_;
    std::unique_ptr<SelectionTree> tree_;
    std::string reference_;
    std::string constraint_;
    std::string display_;
    std::string objectReference_;
};

}  // namespace App
