#include "app/program/QXSelectionCtrl.h"

#include <QPalette>
#include <QWidget>

#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "ui/ControlFactory.h"
#include "ui/messages/MessageParams.h"

namespace App {

using namespace Ui;

namespace {

namespace Id = ControlId::Selection;

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_CENTER;
constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                              CBS_DISABLENOSCROLL | CBS_NOINTEGRALHEIGHT;

template <typename Map>
const typename Map::mapped_type* Lookup(const Map& map, const CComboBox& combo) {
    const int index = combo.GetCurSel();
    if (index == CB_ERR) return nullptr;
    const auto found = map.find(combo.GetLBText(index));
    return found != map.end() ? &found->second : nullptr;
}

}  // namespace

QXSelectionCtrl::QXSelectionCtrl() {
    RegisterWindowClass();
    MapCommand(
        Id::LnCombo, [this] { OnLnChanged(); }, CBN_SELCHANGE);
    MapCommand(
        Id::ObjCombo, [this] { OnObjChanged(); }, CBN_SELCHANGE);
    MapCommand(
        Id::AttrCombo, [this] { OnAttrChanged(); }, CBN_SELCHANGE);
    // A selection change of a control nested in this one is not for the dialog.
    MapMessage(WM_QX_SELECTION_CHANGED, [](WPARAM, LPARAM) -> LRESULT { return 1; });
}

QXSelectionCtrl::~QXSelectionCtrl() = default;

bool QXSelectionCtrl::RegisterWindowClass() {
    if (ControlFactory::IsRegistered("QXSelectionCtrl")) return true;
    ControlFactory::RegisterWindowClass("QXSelectionCtrl", [](const ControlTemplate&, QWidget* parent) {
        auto* widget = new QWidget(parent);
        widget->setAutoFillBackground(true);
        widget->setBackgroundRole(QPalette::Button);
        return widget;
    });
    return true;
}

void QXSelectionCtrl::CreateCombos(int width, int gap) {
    if (!IsWindow()) return;
    const RECT client = GetClientRect();
    const int q = width / 3;
    const int left = client.left;
    const int top = client.top;
    // The row as laid out for its natural width, then stretched to the control's.
    const int natural = 2 * (gap + q + width) + q + width + gap + 45;
    const double scale = natural > 0 && client.Width() > 0 ? static_cast<double>(client.Width()) / natural : 1.0;
    auto x = [&](int offset) { return left + static_cast<int>(offset * scale + 0.5); };
    const int r1 = gap + q + width;
    const int r2 = r1 + gap + q + width;
    const int labelBottom = std::min(top + 29, client.bottom);
    lnLabel_.CreateControl("STATIC", " LN", kLabelStyle, 0, RECT{x(0), top + 4, x(gap + q), labelBottom}, this,
                           Id::Label);
    lnCombo_.CreateControl("COMBOBOX", "", kComboStyle, 0, RECT{x(gap + q), top, x(r1), top + 200}, this, Id::LnCombo);
    objLabel_.CreateControl("STATIC", "Obj", kLabelStyle, 0, RECT{x(r1 + gap), top + 4, x(r1 + gap + q), labelBottom},
                            this, Id::Label);
    objCombo_.CreateControl("COMBOBOX", "", kComboStyle, 0, RECT{x(r1 + gap + q), top, x(r2), top + 200}, this,
                            Id::ObjCombo);
    attrLabel_.CreateControl("STATIC", "Attr", kLabelStyle, 0, RECT{x(r2 + 4), top + 4, x(r2 + q + 4), labelBottom},
                             this, Id::Label);
    attrCombo_.CreateControl("COMBOBOX", "", kComboStyle, 0,
                             RECT{x(r2 + q + gap), top, x(r2 + q + width + gap + 45), top + 200}, this, Id::AttrCombo);
    font_ = std::make_unique<QFont>(QStringLiteral("MS Sans Serif"), 8);
    for (CWnd* child :
         {static_cast<CWnd*>(&lnLabel_), static_cast<CWnd*>(&lnCombo_), static_cast<CWnd*>(&objLabel_),
          static_cast<CWnd*>(&objCombo_), static_cast<CWnd*>(&attrLabel_), static_cast<CWnd*>(&attrCombo_)}) {
        child->SetFont(*font_, true);
    }
}

void QXSelectionCtrl::Clear() {
    lnCombo_.ResetContent();
    objCombo_.ResetContent();
    attrCombo_.ResetContent();
}

void QXSelectionCtrl::SetData(const SelectionTree* tree) {
    if (tree == nullptr) return;
    tree_ = std::make_unique<SelectionTree>(*tree);
    for (const auto& [name, node] : *tree_) lnCombo_.AddString(name);
    lnCombo_.SetCurSel(0);
    OnLnChanged();
}

const SelectionLnEntry* QXSelectionCtrl::GetSelectedLn() const {
    return tree_ != nullptr ? Lookup(*tree_, lnCombo_) : nullptr;
}

const SelectionEntry* QXSelectionCtrl::GetSelectedObj() const {
    const SelectionLnEntry* node = GetSelectedLn();
    return node != nullptr ? Lookup(node->entries, objCombo_) : nullptr;
}

const SelectionAttribute* QXSelectionCtrl::GetSelectedAttr() const {
    const SelectionEntry* object = GetSelectedObj();
    return object != nullptr ? Lookup(object->attributes, attrCombo_) : nullptr;
}

void QXSelectionCtrl::OnLnChanged() {
    const SelectionLnEntry* node = GetSelectedLn();
    if (node == nullptr) return;
    objCombo_.ResetContent();
    // A node without objects must not leave the last node's attributes on offer.
    attrCombo_.ResetContent();
    for (const auto& [key, entry] : node->entries) objCombo_.AddString(key);
    objCombo_.SetCurSel(0);
    OnObjChanged();
}

void QXSelectionCtrl::OnObjChanged() {
    const SelectionEntry* object = GetSelectedObj();
    if (object == nullptr) return;
    objectReference_ = object->reference;
    attrCombo_.ResetContent();
    for (const auto& [path, attribute] : object->attributes) attrCombo_.AddString(path);
    attrCombo_.SetCurSel(0);
    OnAttrChanged();
}

void QXSelectionCtrl::OnAttrChanged() {
    const SelectionAttribute* attribute = GetSelectedAttr();
    if (attribute == nullptr) return;
    constraint_ = attribute->fc;
    reference_ = attribute->reference;
    display_ = reference_ + " [" + constraint_ + "]";
    if (CWnd* parent = GetParent()) {
        parent->SendMessage(WM_QX_SELECTION_CHANGED, ParamOf<WPARAM>(display_.c_str()), GetDlgCtrlID());
    }
}

void QXSelectionCtrl::OnEnable(BOOL enable) {
    CWnd::OnEnable(enable);
    attrCombo_.EnableWindow(enable != FALSE);
    objCombo_.EnableWindow(enable != FALSE);
    lnCombo_.EnableWindow(enable != FALSE);
}

}  // namespace App
