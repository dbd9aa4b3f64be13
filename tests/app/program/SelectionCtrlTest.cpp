#include <gtest/gtest.h>

#include <QComboBox>
#include <string>
#include <vector>

#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/QXSelectionCtrl.h"
#include "support/ui/UiHarness.h"
#include "ui/Dialog.h"
#include "ui/messages/MessageParams.h"

namespace {

using namespace Ui;
using App::QXSelectionCtrl;
using App::SelectionTree;
namespace Sel = ControlId::Selection;

// The holder's id for its selection control, which every report carries.
constexpr int kSelection = ControlId::MainDialog::ReadSelection;
const std::string kReportedBy = " #" + std::to_string(kSelection);

// A window holding one selection control, recording what it reports.
class Holder : public CDialog {
public:
    Holder() {
        DialogTemplate layout;
        layout.cx = 300;
        layout.cy = 40;
        layout.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
        layout.controls = {{kSelection, "QXSelectionCtrl", "", 10, 10, 281, 18, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                            WS_EX_CONTROLPARENT}};
        MapMessage(App::WM_QX_SELECTION_CHANGED, [this](WPARAM w, LPARAM l) -> LRESULT {
            reports.push_back(TextOf(w) + " #" + std::to_string(l));
            return 1;
        });
        QXSelectionCtrl::RegisterWindowClass();
        CreateIndirect(layout);
        EXPECT_TRUE(selection.SubclassDlgItem(kSelection, this));
        selection.CreateCombos(90, 5);
        ShowWindow(true);
    }
    ~Holder() override { DestroyWindow(); }
    QComboBox* Combo(int id) {
        return qobject_cast<QComboBox*>(UiTest::FindControl(GetWidget(), UiTest::IdPath({kSelection, id})));
    }
    std::vector<std::string> Items(int id) {
        std::vector<std::string> items;
        for (int i = 0; i < Combo(id)->count(); ++i) items.push_back(Combo(id)->itemText(i).toStdString());
        return items;
    }

    QXSelectionCtrl selection;
    std::vector<std::string> reports;
};

App::SelectionAttribute Attribute(const std::string& fc, const std::string& path, const std::string& reference) {
    return {fc, path, path, reference};
}

SelectionTree Tree() {
    SelectionTree tree;
    auto& a = tree["A"] = {"A", "A", {}};
    a.entries["x"] = {"x", "LD/A.x", "x", "x", {}};
    a.entries["x"].attributes["p"] = Attribute("ST", "p", "LD/A.x.p");
    a.entries["x"].attributes["q"] = Attribute("MX", "q", "LD/A.x.q");
    a.entries["y"] = {"y", "LD/A.y", "y", "y", {}};
    a.entries["y"].attributes["r"] = Attribute("CF", "r", "LD/A.y.r");
    tree["B"] = {"B", "B", {}};
    auto& c = tree["C"] = {"C", "C", {}};
    c.entries["z"] = {"z", "LD/C.z", "z", "z", {}};
    c.entries["z"].attributes["s.t"] = Attribute("ST", "s.t", "LD/C.z.s.t");
    return tree;
}

TEST(SelectionCtrl, ClassAndRowOfLabelsAndLists) {
    EXPECT_TRUE(QXSelectionCtrl::RegisterWindowClass());
    EXPECT_TRUE(QXSelectionCtrl::RegisterWindowClass());
    Holder holder;
    for (int id : {Sel::LnCombo, Sel::ObjCombo, Sel::AttrCombo}) {
        ASSERT_NE(holder.Combo(id), nullptr) << id;
    }
    // Left to right within the control's width.
    const QRect ln = holder.Combo(Sel::LnCombo)->geometry();
    const QRect obj = holder.Combo(Sel::ObjCombo)->geometry();
    const QRect attr = holder.Combo(Sel::AttrCombo)->geometry();
    EXPECT_LT(ln.right(), obj.left());
    EXPECT_LT(obj.right(), attr.left());
    EXPECT_LE(attr.right(), holder.selection.GetClientRect().right);
    // An id of the control's own lists is not the dialog's: lookups stay among direct children.
    EXPECT_EQ(holder.GetDlgItemWidget(Sel::LnCombo), nullptr);
}

TEST(SelectionCtrl, SettingDataReportsTheFirstChoiceAndTheListsCascade) {
    Holder holder;
    const SelectionTree tree = Tree();
    holder.selection.SetData(&tree);
    EXPECT_EQ(holder.reports, (std::vector<std::string>{"LD/A.x.p [ST]" + kReportedBy}));
    EXPECT_EQ(holder.Items(Sel::LnCombo), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(holder.Items(Sel::ObjCombo), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(holder.Items(Sel::AttrCombo), (std::vector<std::string>{"p", "q"}));
    EXPECT_EQ(holder.selection.GetObjectReference(), "LD/A.x");

    struct Pick {
        int combo;
        int index;
        std::string report;  // empty: none
        std::vector<std::string> objects;
        std::vector<std::string> attributes;
    };
    const std::vector<Pick> picks = {
        {Sel::AttrCombo, 1, "LD/A.x.q [MX]" + kReportedBy, {"x", "y"}, {"p", "q"}},
        {Sel::ObjCombo, 1, "LD/A.y.r [CF]" + kReportedBy, {"x", "y"}, {"r"}},
        {Sel::LnCombo, 2, "LD/C.z.s.t [ST]" + kReportedBy, {"z"}, {"s.t"}},
        {Sel::LnCombo, 0, "LD/A.x.p [ST]" + kReportedBy, {"x", "y"}, {"p", "q"}},
        // A node without objects: empty lists below it and nothing reported.
        {Sel::LnCombo, 1, "", {}, {}},
    };
    for (const Pick& pick : picks) {
        SCOPED_TRACE(std::to_string(pick.combo) + ":" + std::to_string(pick.index));
        holder.reports.clear();
        UiTest::Pick(holder.Combo(pick.combo), pick.index);
        EXPECT_EQ(holder.reports,
                  pick.report.empty() ? std::vector<std::string>{} : std::vector<std::string>{pick.report});
        EXPECT_EQ(holder.Items(Sel::ObjCombo), pick.objects);
        EXPECT_EQ(holder.Items(Sel::AttrCombo), pick.attributes);
    }
    // The last reported choice stays.
    EXPECT_EQ(holder.selection.GetReference(), "LD/A.x.p");
    EXPECT_EQ(holder.selection.GetConstraint(), "ST");
    EXPECT_EQ(holder.selection.GetObjectReference(), "LD/A.x");
}

TEST(SelectionCtrl, NullTreeClearAndTheGettersAfterIt) {
    Holder holder;
    const SelectionTree tree = Tree();
    holder.selection.SetData(&tree);
    holder.reports.clear();
    holder.selection.SetData(nullptr);
    EXPECT_EQ(holder.Items(Sel::LnCombo), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(holder.reports.empty());
    holder.selection.Clear();
    for (int id : {Sel::LnCombo, Sel::ObjCombo, Sel::AttrCombo}) EXPECT_TRUE(holder.Items(id).empty()) << id;
    EXPECT_EQ(holder.selection.GetReference(), "LD/A.x.p");
    EXPECT_EQ(holder.selection.GetConstraint(), "ST");
    EXPECT_EQ(holder.selection.GetObjectReference(), "LD/A.x");
    EXPECT_EQ(holder.selection.GetSelectedLn(), nullptr);
    // The tree is a copy: the caller's may go.
    {
        const SelectionTree passing = Tree();
        holder.selection.SetData(&passing);
    }
    EXPECT_NE(holder.selection.GetSelectedAttr(), nullptr);
    // A selection change that reaches the control itself is taken and ignored.
    EXPECT_EQ(holder.selection.SendMessage(App::WM_QX_SELECTION_CHANGED, 0, 0), 1);
}

TEST(SelectionCtrl, EnableReachesTheListsDirectlyAndThroughTheWindow) {
    Holder holder;
    holder.selection.OnEnable(FALSE);
    EXPECT_TRUE(holder.selection.IsWindowEnabled());
    for (int id : {Sel::LnCombo, Sel::ObjCombo, Sel::AttrCombo}) EXPECT_FALSE(holder.Combo(id)->isEnabled()) << id;
    holder.selection.OnEnable(TRUE);
    for (int id : {Sel::LnCombo, Sel::ObjCombo, Sel::AttrCombo}) EXPECT_TRUE(holder.Combo(id)->isEnabled()) << id;
    holder.selection.EnableWindow(false);
    for (int id : {Sel::LnCombo, Sel::ObjCombo, Sel::AttrCombo}) EXPECT_FALSE(holder.Combo(id)->isEnabled()) << id;
    holder.selection.EnableWindow(true);
    for (int id : {Sel::LnCombo, Sel::ObjCombo, Sel::AttrCombo}) EXPECT_TRUE(holder.Combo(id)->isEnabled()) << id;
}

}  // namespace
