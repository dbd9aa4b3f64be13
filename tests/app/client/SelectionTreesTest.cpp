#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/client/SelectionCollector.h"
#include "app/client/SelectionModel.h"

namespace AppTest {
namespace {

using App::SelectionCollector;
using App::SelectionFilter;
using App::SelectionTree;

enum class Tree { Read, Control, Report };

SelectionTree Collect(SelectionModel& model, Tree kind, const std::string& device) {
    SelectionTree tree;
    switch (kind) {
        case Tree::Read: SelectionCollector(SelectionFilter::Read()).CollectReadTree(model.server, tree, device); break;
        case Tree::Control:
            SelectionCollector(SelectionFilter::Control()).CollectControlTree(model.server, tree, device);
            break;
        case Tree::Report:
            SelectionCollector(SelectionFilter::Report()).CollectReportTree(model.server, tree, device);
            break;
    }
    return tree;
}

struct Case {
    const char* what;
    std::function<void(SelectionModel&)> build;
    Tree tree;
    const char* device;
    std::vector<std::string> expected;
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SelectionModel model;
        c.build(model);
        EXPECT_EQ(Lines(Collect(model, c.tree, c.device)), c.expected);
    }
}

TEST(SelectionTrees, ReadTreeRecordsKeysAndPaths) {
    RunCases({
        {"a sub-data object gives a record of its own, keyed with a point",
         [](SelectionModel& m) {
             Data& pos = m.WithLeaves(m.DataObject("LD0/XCBR1", "ST", "Pos"), {"stVal"});
             m.WithLeaves(m.Child(pos, "sub"), {"q"});
         },
         Tree::Read,
         "",
         {"XCBR1 | Pos (LD0/XCBR1.Pos, Pos) | stVal [ST] LD0/XCBR1.Pos.stVal",
          "XCBR1 | Pos.sub (LD0/XCBR1.Pos.sub, sub) | q [ST] LD0/XCBR1.Pos.sub.q"}},
        {"a structured attribute gives one path per leaf",
         [](SelectionModel& m) {
             m.WithLeaves(m.DataObject("LD0/GGIO1", "ST", "Ind1"), {"origin.orCat", "origin.orIdent", "t"});
         },
         Tree::Read,
         "",
         {"GGIO1 | Ind1 (LD0/GGIO1.Ind1, Ind1) | origin.orCat [ST] LD0/GGIO1.Ind1.origin.orCat",
          "GGIO1 | Ind1 (LD0/GGIO1.Ind1, Ind1) | origin.orIdent [ST] LD0/GGIO1.Ind1.origin.orIdent",
          "GGIO1 | Ind1 (LD0/GGIO1.Ind1, Ind1) | t [ST] LD0/GGIO1.Ind1.t"}},
        {"one data object under ST and MX shares one record",
         [](SelectionModel& m) {
             m.WithLeaves(m.DataObject("LD0/MMXU1", "ST", "A"), {"q"});
             m.WithLeaves(m.DataObject("LD0/MMXU1", "MX", "A"), {"mag"});
         },
         Tree::Read,
         "",
         {"MMXU1 | A (LD0/MMXU1.A, A) | mag [MX] LD0/MMXU1.A.mag",
          "MMXU1 | A (LD0/MMXU1.A, A) | q [ST] LD0/MMXU1.A.q"}},
        {"constraints outside the read set and nodes with nothing left stay out",
         [](SelectionModel& m) {
             m.WithLeaves(m.DataObject("LD0/CSWI1", "CO", "Pos"), {"Oper.ctlVal"});
             m.WithLeaves(m.DataObject("LD0/GGIO1", "SV", "Ind1"), {"stVal"});
             m.WithLeaves(m.DataObject("LD0/GGIO1", "CF", "Ind1"), {"d"});
         },
         Tree::Read,
         "",
         {"GGIO1 | Ind1 (LD0/GGIO1.Ind1, Ind1) | d [CF] LD0/GGIO1.Ind1.d"}},
        {"an item passed through below an attribute starts the path again from that attribute",
         [](SelectionModel& m) {
             Data& ha = m.DataObject("LD0/MHAI1", "MX", "HA");
             DataItem& outer = m.Attribute(ha, "outer", BasicTypeCode::Struct);
             DataItem& har = m.Attribute(outer, "phsAHar", BasicTypeCode::Struct);
             DataItem& element = m.Child<DataItem>(har, "[0]");
             m.Child<DataAttribute>(element, "f");
             m.Child<DataAttribute>(m.Child(element, "skipped"), "g");
         },
         Tree::Read,
         "",
         {"MHAI1 | HA (LD0/MHAI1.HA, HA) | phsAHar.[0].f [MX] LD0/MHAI1.HA.outer.phsAHar.[0].f"}},
    });
}

TEST(SelectionTrees, ControlTreeTakesSwitchesAndTheirFourServices) {
    auto controls = [](SelectionModel& m) {
        m.WithLeaves(m.DataObject("LD0/CSWI1", "CO", "Pos"), {"Oper.ctlVal", "SBOw.ctlVal", "SBO", "Cancel.ctlVal"});
        m.WithLeaves(m.DataObject("LD0/CSWI1", "ST", "Pos"), {"stVal"});
        m.WithLeaves(m.DataObject("LD0/XCBR1", "CO", "BlkOpn"), {"Oper.ctlVal", "operTm"});
        m.WithLeaves(m.DataObject("LD0/GGIO1", "ST", "Ind1"), {"stVal"});
    };
    RunCases({
        {"SPC and DPC objects under CO, each service by its own name",
         controls,
         Tree::Control,
         "",
         {"CSWI1 | Pos (LD0/CSWI1.Pos, Pos) | Cancel [CO] LD0/CSWI1.Pos.Cancel",
          "CSWI1 | Pos (LD0/CSWI1.Pos, Pos) | Oper [CO] LD0/CSWI1.Pos.Oper",
          "CSWI1 | Pos (LD0/CSWI1.Pos, Pos) | SBO [CO] LD0/CSWI1.Pos.SBO",
          "CSWI1 | Pos (LD0/CSWI1.Pos, Pos) | SBOw [CO] LD0/CSWI1.Pos.SBOw",
          "XCBR1 | BlkOpn (LD0/XCBR1.BlkOpn, BlkOpn) | Oper [CO] LD0/XCBR1.BlkOpn.Oper"}},
        {"no SPC or DPC gives an empty control tree",
         [](SelectionModel& m) {
             m.WithLeaves(m.DataObject("LD0/MMXU1", "MX", "TotW"), {"mag.f"});
             m.WithLeaves(m.Child(m.DataObject("LD0/MMXU1", "CO", "TotW"), "sub"), {"Oper"});
         },
         Tree::Control,
         "",
         {}},
        {"the read tree of the same device is not affected",
         [](SelectionModel& m) { m.WithLeaves(m.DataObject("LD0/MMXU1", "MX", "TotW"), {"mag.f"}); },
         Tree::Read,
         "",
         {"MMXU1 | TotW (LD0/MMXU1.TotW, TotW) | mag.f [MX] LD0/MMXU1.TotW.mag.f"}},
    });
}

TEST(SelectionTrees, ReportTreeListsDataSetMembersOfTheChosenDevice) {
    auto build = [](SelectionModel& m) {
        m.WithLeaves(m.DataObject("LD0/XCBR1", "ST", "Pos"), {"stVal", "q"});
        m.WithLeaves(m.DataObject("LD0/MMXU1", "MX", "TotW"), {"mag.f"});
        m.WithLeaves(m.DataObject("LD0/MMXU1", "CF", "TotW"), {"units"});
        m.WithLeaves(m.DataObject("bay1/GGIO1", "ST", "Ind1"), {"stVal"});
        m.WithLeaves(m.DataObject("LD0/GGIO1", "ST", "Ind2"), {"stVal", "q", "origin.orCat", "origin.orIdent"});
        m.Node("LD0", "LLN0");
        DataSet& set = m.Set("LD0/LLN0", "ds1",
                             {{"ST", "LD0/XCBR1.Pos", ""},
                              {"MX", "LD0/MMXU1.TotW", ""},
                              {"CF", "LD0/MMXU1.TotW", ""},
                              {"ST", "bay1/GGIO1.Ind1", ""},
                              {"ST", "LD0/GGIO1.Ind2.stVal", ""},
                              {"ST", "LD0/GGIO1.Ind2.origin.orCat", ""}});
        m.Brcb("LD0/LLN0", "brcb1", &set);
        m.Urcb("LD0/LLN0", "urcbEmpty", nullptr);
        DataSet& other = m.Set("bay1/GGIO1", "dsB", {{"ST", "bay1/GGIO1.Ind1", ""}});
        m.Urcb("bay1/GGIO1", "urcbB", &other);
    };
    RunCases({
        {"members of this device under MX and ST; an attribute adds its data object with itself alone",
         build,
         Tree::Report,
         "LD0",
         {"GGIO1 | Ind2 (LD0/GGIO1.Ind2, Ind2) | origin.orCat [ST] LD0/GGIO1.Ind2.origin.orCat",
          "GGIO1 | Ind2 (LD0/GGIO1.Ind2, Ind2) | stVal [ST] LD0/GGIO1.Ind2.stVal",
          "MMXU1 | TotW (LD0/MMXU1.TotW, TotW) | mag.f [MX] LD0/MMXU1.TotW.mag.f",
          "XCBR1 | Pos (LD0/XCBR1.Pos, Pos) | q [ST] LD0/XCBR1.Pos.q",
          "XCBR1 | Pos (LD0/XCBR1.Pos, Pos) | stVal [ST] LD0/XCBR1.Pos.stVal"}},
        {"members of the other device through blocks of either device",
         build,
         Tree::Report,
         "bay1",
         {"GGIO1 | Ind1 (bay1/GGIO1.Ind1, Ind1) | stVal [ST] bay1/GGIO1.Ind1.stVal"}},
    });
}

TEST(SelectionTrees, TheDeviceAsked) {
    auto two = [](SelectionModel& m) {
        m.WithLeaves(m.DataObject("bay1/GGIO1", "ST", "Ind1"), {"stVal"});
        m.WithLeaves(m.DataObject("LD0/XCBR1", "ST", "Pos"), {"stVal"});
    };
    const std::vector<std::string> ld0 = {"XCBR1 | Pos (LD0/XCBR1.Pos, Pos) | stVal [ST] LD0/XCBR1.Pos.stVal"};
    const std::vector<std::string> bay1 = {"GGIO1 | Ind1 (bay1/GGIO1.Ind1, Ind1) | stVal [ST] bay1/GGIO1.Ind1.stVal"};
    RunCases({
        // Byte order: upper-case letters sort first, so "LD0" leads "bay1".
        {"an empty name: the first device in byte order", two, Tree::Read, "", ld0},
        {"an unknown name: the first device", two, Tree::Read, "LD9", ld0},
        {"a name differing in case is another name", two, Tree::Read, "BAY1", ld0},
        {"the device named", two, Tree::Read, "bay1", bay1},
        {"no device at all", [](SelectionModel&) {}, Tree::Read, "", {}},
        {"no device at all, control", [](SelectionModel&) {}, Tree::Control, "LD0", {}},
        {"no device at all, report", [](SelectionModel&) {}, Tree::Report, "", {}},
    });
}

TEST(SelectionTrees, FilterTextsAndTheMaximum) {
    SelectionModel model;
    for (const char* name : {"Ind1", "Ind2", "Ind3", "Alm1"}) {
        model.WithLeaves(model.DataObject("LD0/GGIO1", "ST", name), {"stVal", "q"});
    }
    model.WithLeaves(model.DataObject("LD0/GGIO2", "ST", "Ind1"), {"stVal"});
    SelectionFilter filter = SelectionFilter::Read();
    filter.logicalNodeTexts = {"GIO", "1"};
    filter.dataTexts = {"Ind"};
    filter.attributeNames = {"stVal"};
    filter.maximumDataObjects = 2;
    SelectionTree tree;
    SelectionCollector(filter).CollectReadTree(model.server, tree, "");
    EXPECT_EQ(Lines(tree),
              (std::vector<std::string>{"GGIO1 | Ind1 (LD0/GGIO1.Ind1, Ind1) | stVal [ST] LD0/GGIO1.Ind1.stVal",
                                        "GGIO1 | Ind2 (LD0/GGIO1.Ind2, Ind2) | stVal [ST] LD0/GGIO1.Ind2.stVal"}));
}

TEST(SelectionTrees, DataKeys) {
    EXPECT_EQ(SelectionCollector::DataKey("LD0/XCBR1.Pos"), "Pos");
    EXPECT_EQ(SelectionCollector::DataKey("LD0/XCBR1.Pos.sub"), "Pos.sub");
    EXPECT_EQ(SelectionCollector::DataKey("LD0/XCBR1"), "LD0/XCBR1");
}

}  // namespace
}  // namespace AppTest
