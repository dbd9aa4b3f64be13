#include "device/DeviceModel.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "device/DeviceTime.h"
#include "device/HarmonicsNode.h"
#include "device/HugeFcNode.h"
#include "device/SettingGroups.h"
#include "mms/user/Domain.h"
#include "mms/user/IndexedItem.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"

namespace TestDevice {

namespace {

using Mms::MmsTypeBinaryTime;
using Mms::MmsTypeBitString;
using Mms::MmsTypeBoolean;
using Mms::MmsTypeFloatingPoint;
using Mms::MmsTypeInteger;
using Mms::MmsTypeOctetString;
using Mms::MmsTypeUnsigned;
using Mms::MmsTypeUtcTime;
using Mms::MmsTypeVisibleString;

// ---- basic attribute types as IEC 61850-8-1 maps them ----

DataNode Boolean(std::string name, std::string initial = "False") {
    return Leaf(std::move(name), MmsTypeBoolean, 0, std::move(initial));
}
DataNode Int8(std::string name, std::string initial = "0") {
    return Leaf(std::move(name), MmsTypeInteger, 8, std::move(initial));
}
DataNode Int32(std::string name, std::string initial = "0") {
    return Leaf(std::move(name), MmsTypeInteger, 32, std::move(initial));
}
DataNode Unsigned(std::string name, std::int32_t width, std::string initial = "0") {
    return Leaf(std::move(name), MmsTypeUnsigned, width, std::move(initial));
}
DataNode Float32(std::string name, std::string initial = "0") {
    return Leaf(std::move(name), MmsTypeFloatingPoint, 32, std::move(initial));
}
DataNode Text(std::string name, std::int32_t length, std::string initial = {}) {
    return Leaf(std::move(name), MmsTypeVisibleString, -length, std::move(initial));
}
DataNode Bits(std::string name, std::int32_t count, std::string initial) {
    return Leaf(std::move(name), MmsTypeBitString, count, std::move(initial));
}
DataNode Quality() { return Bits("q", 13, "0000000000000"); }
DataNode Timestamp(std::string name = "t") { return Leaf(std::move(name), MmsTypeUtcTime); }

// ---- data objects, split by functional constraint ----

using Parts = std::vector<std::pair<std::string, DataNode>>;

Parts Sps(const std::string& name) { return {{"ST", Node(name, {Boolean("stVal"), Quality(), Timestamp()})}}; }

Parts Ins(const std::string& name, std::string value = "0") {
    return {{"ST", Node(name, {Int32("stVal", std::move(value)), Quality(), Timestamp()})}};
}

// An enumerated status; Mod also carries its control model.
Parts Enc(const std::string& name, std::string value) {
    return {{"ST", Node(name, {Int8("stVal", std::move(value)), Quality(), Timestamp()})},
            {"CF", Node(name, {Int8("ctlModel", "0")})}};
}

Parts Ens(const std::string& name, std::string value) {
    return {{"ST", Node(name, {Int8("stVal", std::move(value)), Quality(), Timestamp()})}};
}

Parts Mv(const std::string& name, std::string value) {
    return {{"MX", Node(name, {Node("mag", {Float32("f", std::move(value))}), Quality(), Timestamp()})}};
}

Parts Lpl(const std::string& name) {
    return {{"DC", Node(name, {Text("vendor", 255, "Test Works"), Text("swRev", 255, "1.0"), Text("d", 255),
                               Text("configRev", 255, "1")})}};
}

Parts Acd(const std::string& name) {
    return {{"ST", Node(name, {Boolean("general"), Int8("dirGeneral"), Quality(), Timestamp()})}};
}

Parts Act(const std::string& name) { return {{"ST", Node(name, {Boolean("general"), Quality(), Timestamp()})}}; }

// A setting: SP without setting groups, SG (active group) or SE (edited group) with them.
Parts Asg(const std::string& name, std::string value, const std::string& fc = "SP") {
    return {{fc, Node(name, {Node("setMag", {Float32("f", std::move(value))})})}};
}

Parts Ing(const std::string& name, std::string value, const std::string& fc = "SP") {
    return {{fc, Node(name, {Int32("setVal", std::move(value))})}};
}

// A histogram: the array attribute of the small model.
Parts Hst(const std::string& name) {
    return {{"ST", Node(name, {ArrayOf("hstVal", 8, Int32("")), Quality(), Timestamp()})}};
}

DataNode Origin(std::string name) {
    return Node(std::move(name), {Int8("orCat"), Leaf("orIdent", MmsTypeOctetString, -64)});
}

DataNode Operate(std::string name, bool withCheck) {
    std::vector<DataNode> parts{Boolean("ctlVal"), Origin("origin"), Unsigned("ctlNum", 8), Timestamp("T"),
                                Boolean("Test")};
    if (withCheck) parts.push_back(Bits("Check", 2, "00"));
    return Node(std::move(name), std::move(parts));
}

// A double-point controllable object of the control model.
Parts Dpc(const std::string& name, ControlModel model) {
    Parts parts{{"ST", Node(name, {Bits("stVal", 2, "01"), Quality(), Timestamp(), Boolean("stSeld")})}};
    std::vector<DataNode> co;
    if (model == ControlModel::SboNormal) co.push_back(Text("SBO", 129));
    if (model == ControlModel::SboEnhanced) co.push_back(Operate("SBOw", true));
    if (model != ControlModel::StatusOnly) co.push_back(Operate("Oper", true));
    if (model == ControlModel::SboNormal || model == ControlModel::SboEnhanced ||
        model == ControlModel::DirectEnhanced) {
        co.push_back(Operate("Cancel", false));
    }
    if (!co.empty()) parts.emplace_back("CO", Node(name, std::move(co)));
    // A selection ends after sboTimeout milliseconds (INT32U), which only the SBO models have.
    std::vector<DataNode> cf{Int8("ctlModel", std::to_string(static_cast<int>(model)))};
    if (model == ControlModel::SboNormal || model == ControlModel::SboEnhanced) {
        cf.push_back(Unsigned("sboTimeout", 32, "30000"));
    }
    parts.emplace_back("CF", Node(name, std::move(cf)));
    // What current devices add (IEC 61850-7-3 Ed. 2): an operate received and accepted, and
    // its time, for a controllable object; the operator's blocking for every one.
    if (model != ControlModel::StatusOnly) {
        parts.emplace_back("OR", Node(name, {Boolean("opRcvd"), Boolean("opOk"), Timestamp("tOpOk")}));
    }
    parts.emplace_back("BL", Node(name, {Boolean("blkEna")}));
    return parts;
}

// ---- control blocks ----

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// Instances of each indexed report block: the large model keeps fewer, to stay moderate.
constexpr int SmallModelInstances = 3;
constexpr int LargeModelInstances = 2;

std::string TextOf(const std::string& domain, const std::string& item) { return domain + "/" + item; }

DataNode BufferedReportControl(const std::string& name, std::string rptId, std::string dataSet) {
    return Node(name, {Text("RptID", 129, std::move(rptId)), Boolean("RptEna"), Text("DatSet", 129, std::move(dataSet)),
                       Unsigned("ConfRev", 32, "1"), Bits("OptFlds", 10, "0111100110"), Unsigned("BufTm", 32, "0"),
                       Unsigned("SqNum", 16, "0"), Bits("TrgOps", 6, "011011"), Unsigned("IntgPd", 32, "0"),
                       Boolean("GI"), Boolean("PurgeBuf"), Leaf("EntryID", MmsTypeOctetString, 8, "0000000000000000"),
                       Leaf("TimeOfEntry", MmsTypeBinaryTime, 1)});
}

DataNode UnbufferedReportControl(const std::string& name, std::string rptId, std::string dataSet) {
    return Node(name, {Text("RptID", 129, std::move(rptId)), Boolean("RptEna"), Boolean("Resv"),
                       Text("DatSet", 129, std::move(dataSet)), Unsigned("ConfRev", 32, "1"),
                       Bits("OptFlds", 10, "0111100010"), Unsigned("BufTm", 32, "0"), Unsigned("SqNum", 8, "0"),
                       Bits("TrgOps", 6, "011011"), Unsigned("IntgPd", 32, "0"), Boolean("GI")});
}

DataNode GooseControl(const std::string& name, std::string dataSet) {
    return Node(name,
                {Boolean("GoEna"), Text("GoID", 129, name), Text("DatSet", 129, std::move(dataSet)),
                 Unsigned("ConfRev", 32, "1"), Boolean("NdsCom"),
                 Node("DstAddress", {Leaf("Addr", MmsTypeOctetString, 6, "010CCD010001"), Unsigned("PRIORITY", 8, "4"),
                                     Unsigned("VID", 16, "0"), Unsigned("APPID", 16, "1")})});
}

DataNode LogControl(const std::string& name, std::string dataSet, std::string logRef) {
    return Node(name,
                {Boolean("LogEna"), Text("LogRef", 129, std::move(logRef)), Text("DatSet", 129, std::move(dataSet)),
                 Leaf("OldEntrTm", MmsTypeBinaryTime, 1), Leaf("NewEntrTm", MmsTypeBinaryTime, 1),
                 Leaf("OldEnt", MmsTypeOctetString, 8, "0000000000000000"),
                 Leaf("NewEnt", MmsTypeOctetString, 8, "0000000000000000"), Bits("TrgOps", 6, "011011"),
                 Unsigned("IntgPd", 32, "0")});
}

// ---- logical nodes ----

// A logical node being put together: its data objects and control blocks by functional
// constraint, each in the order added.
class LogicalNode {
public:
    explicit LogicalNode(std::string name) : name_(std::move(name)) {}

    LogicalNode& Add(const Parts& parts) {
        for (const auto& [fc, part] : parts) Group(fc).push_back(part);
        return *this;
    }
    LogicalNode& Add(const std::string& fc, DataNode part) {
        Group(fc).push_back(std::move(part));
        return *this;
    }

    DataNode Build(bool otherOrder) const {
        std::vector<std::string> order = StandardFcOrder();
        if (otherOrder) std::reverse(order.begin(), order.end());
        std::vector<DataNode> components;
        for (const std::string& fc : order) {
            for (const auto& [name, parts] : groups_) {
                if (name == fc) components.push_back(Node(fc, parts));
            }
        }
        return Node(name_, std::move(components));
    }

private:
    std::vector<DataNode>& Group(const std::string& fc) {
        for (auto& [name, parts] : groups_) {
            if (name == fc) return parts;
        }
        return groups_.emplace_back(fc, std::vector<DataNode>{}).second;
    }

    std::string name_;
    std::vector<std::pair<std::string, std::vector<DataNode>>> groups_;
};

LogicalNode Common(const std::string& name) {
    LogicalNode node(name);
    node.Add(Enc("Mod", "1")).Add(Ens("Beh", "1")).Add(Ens("Health", "1")).Add(Lpl("NamPlt"));
    return node;
}

class Builder {
public:
    Builder(Mms::VMD& vmd, const ModelOptions& options) : vmd_(vmd), options_(options) {}

    Mms::Domain* AddDomain(const std::string& name) {
        auto* domain = new Mms::Domain(vmd_.GetConnection(), name, &vmd_);
        if (vmd_.AddObject(domain) != System::OkNoError) {
            delete domain;
            return nullptr;
        }
        return domain;
    }

    void AddNode(Mms::Domain& domain, const LogicalNode& node) {
        const DataNode built = node.Build(options_.otherFcOrder);
        summary.leaves += CountLeaves(built);
        ++summary.logicalNodes;
        AddToDomain(domain, built, start_);
    }

    void AddControl(LogicalNode& node, Mms::Domain& domain, const std::string& nodeName, ControlModel model) {
        node.Add(Dpc("Pos", model));
        if (model != ControlModel::StatusOnly) summary.controls.push_back({domain.Name, nodeName, "Pos", model});
    }

    // LLN0 with the data sets' control blocks. Report blocks come as devices index them:
    // instances "brcb01".."brcbNN" of one buffered block and "urcb01".."urcbNN" of one
    // unbuffered block, each on data set ds1, the buffered instances sharing one RptID
    // and the unbuffered another, so that only the enabling association tells their
    // reports apart. With every kind, one more block of each kind on ds2 with an empty
    // RptID ("brcbMeas01", "urcbMeas01"), and the other kinds of control block.
    LogicalNode Lln0(Mms::Domain& domain, bool everyKind, int instances) {
        LogicalNode node = Common("LLN0");
        const std::string ds1 = TextOf(domain.Name, "LLN0$ds1");
        for (int i = 1; i <= instances; ++i) {
            const std::string name = "brcb" + TwoDigits(i);
            node.Add("BR", BufferedReportControl(name, domain.Name + "-brcb", ds1));
            summary.reports.push_back({domain.Name, "LLN0", "BR", name, true});
        }
        for (int i = 1; i <= instances; ++i) {
            const std::string name = "urcb" + TwoDigits(i);
            node.Add("RP", UnbufferedReportControl(name, domain.Name + "-urcb", ds1));
            summary.reports.push_back({domain.Name, "LLN0", "RP", name, false});
        }
        if (everyKind) {
            const std::string ds2 = TextOf(domain.Name, "LLN0$ds2");
            node.Add("BR", BufferedReportControl("brcbMeas01", "", ds2));
            summary.reports.push_back({domain.Name, "LLN0", "BR", "brcbMeas01", true});
            node.Add("RP", UnbufferedReportControl("urcbMeas01", "", ds2));
            summary.reports.push_back({domain.Name, "LLN0", "RP", "urcbMeas01", false});
            node.Add("GO", GooseControl("gcb01", ds1));
            node.Add("LG", LogControl("lcb01", ds1, TextOf(domain.Name, "LLN0$log01")));
            node.Add("SP", SettingGroupControl(options_.settingGroups));
        }
        return node;
    }

    // A data set of the domain whose members are its "$" variables.
    void AddDataSet(Mms::Domain& domain, const std::string& name, const std::vector<std::string>& members) {
        auto* list = new Mms::NamedVariableList(name, &domain);
        if (list->ErrStatus != System::OkNoError) {
            delete list;
            return;
        }
        for (const std::string& member : members) {
            if (Mms::NamedVariable* variable = domain.FindNamedVariable(member)) {
                list->Members.push_back(variable);
            } else if (member.find('(') != std::string::npos) {
                list->Members.push_back(ArrayPart(domain, member));
            }
        }
    }

    const ModelOptions& Options() const { return options_; }

    ModelSummary summary;

private:
    // The variable bound to the part of an array that the member names ("name(i)",
    // "name(i)$cVal": IndexedItem.h), under a name that the domain does not file, so the name
    // lists never show it; a part that a member of another data set named already keeps
    // its variable. Past the array's end it has no value.
    Mms::NamedVariable* ArrayPart(Mms::Domain& domain, const std::string& member) {
        Mms::Container* part = Mms::FindIndexedValue(domain, member);
        if (part != nullptr) {
            if (auto* bound = dynamic_cast<Mms::NamedVariable*>(part->GetBoundVariable())) return bound;
        }
        auto variable = std::make_shared<Mms::NamedVariable>(nullptr, member, &domain);
        if (part != nullptr) part->Bind(variable.get(), nullptr);
        summary.elementMembers.push_back(variable);
        return variable.get();
    }

    Mms::VMD& vmd_;
    const ModelOptions& options_;
    // Every time stamp of the model starts at the device's start.
    const System::UtcTime start_ = TimeStampNow();
};

// Protection whose settings the device keeps per setting group (LLN0's SGCB selects them).
void AddSettingGroupNodes(Builder& builder, Mms::Domain& domain) {
    LogicalNode ptoc = Common("PTOC1");
    ptoc.Add(Acd("Str")).Add(Act("Op"));
    // The active group's values, none of them a type's zero; the group being edited
    // differs in StrVal.
    ptoc.Add(Asg("StrVal", "1", "SG")).Add(Asg("StrVal", "2.5", "SE"));
    ptoc.Add(Ing("OpDlTmms", "500", "SG")).Add(Ing("OpDlTmms", "500", "SE"));
    ptoc.Add(Ing("RsDlTmms", "500", "SG")).Add(Ing("RsDlTmms", "500", "SE"));
    builder.AddNode(domain, ptoc);
    // Settings given under one of the two constraints only.
    LogicalNode pdif = Common("PDIF1");
    pdif.Add(Act("Op")).Add(Ing("LoSet", "20", "SG")).Add(Ing("HiSet", "80", "SE"));
    builder.AddNode(domain, pdif);
    builder.AddDataSet(domain, "LLN0$dsSettings", {"PTOC1$SE$StrVal", "PTOC1$SG$OpDlTmms$setVal", "PDIF1$SE$HiSet"});
}

void BuildSmall(Builder& builder, const ModelOptions& options) {
    Mms::Domain* ld0 = builder.AddDomain("LD0");
    // Byte order puts "LD0" first; a case-insensitive order puts "bay1" first.
    Mms::Domain* bay = builder.AddDomain("bay1");
    if (ld0 == nullptr || bay == nullptr) return;

    LogicalNode lln0 = builder.Lln0(*ld0, true, SmallModelInstances);
    lln0.Add(Ins("OpTmh", "12"));
    if (options.harmonics) {
        lln0.Add("RP", UnbufferedReportControl("urcbHar01", "LD0-har", TextOf(ld0->Name, "LLN0$dsHar")));
        builder.summary.reports.push_back({ld0->Name, "LLN0", "RP", "urcbHar01", false});
    }
    builder.AddNode(*ld0, lln0);

    LogicalNode xcbr = Common("XCBR1");
    builder.AddControl(xcbr, *ld0, "XCBR1", ControlModel::StatusOnly);
    xcbr.Add(Ins("OpCnt", "7"));
    builder.AddNode(*ld0, xcbr);

    const ControlModel models[] = {ControlModel::DirectNormal, ControlModel::SboNormal, ControlModel::DirectEnhanced,
                                   ControlModel::SboEnhanced};
    for (int i = 0; i < 4; ++i) {
        const std::string name = "CSWI" + std::to_string(i + 1);
        LogicalNode cswi = Common(name);
        builder.AddControl(cswi, *ld0, name, models[i]);
        builder.AddNode(*ld0, cswi);
    }

    LogicalNode mmxu = Common("MMXU1");
    mmxu.Add(Mv("TotW", "1250.5")).Add(Mv("TotVAr", "-80")).Add(Mv("Hz", "50"));
    builder.AddNode(*ld0, mmxu);

    LogicalNode ggio = Common("GGIO1");
    ggio.Add(Sps("Ind1")).Add(Sps("Ind2")).Add(Ins("IntIn1", "3")).Add(Hst("CntHst"));
    builder.AddNode(*ld0, ggio);

    if (options.settingGroups) AddSettingGroupNodes(builder, *ld0);

    builder.AddDataSet(*ld0, "LLN0$ds1", {"XCBR1$ST$Pos", "CSWI1$ST$Pos", "GGIO1$ST$Ind1", "MMXU1$MX$TotW"});
    builder.AddDataSet(*ld0, "LLN0$ds2", {"MMXU1$MX$TotW", "MMXU1$MX$Hz", "GGIO1$ST$IntIn1"});
    if (options.harmonics) {
        AddHarmonicsNode(*ld0, builder.summary);
        builder.AddDataSet(*ld0, "LLN0$dsHar", HarmonicsDataSetMembers());
    }
    if (!builder.Options().extraDataSet.empty()) builder.AddDataSet(*ld0, "LLN0$dsx", builder.Options().extraDataSet);

    LogicalNode bayLln0 = Common("LLN0");
    if (options.attributeDataSet) {
        bayLln0.Add("RP", UnbufferedReportControl("urcbAttr01", "bay1-attr", TextOf(bay->Name, "LLN0$dsAttr")));
        builder.summary.reports.push_back({bay->Name, "LLN0", "RP", "urcbAttr01", false});
    }
    builder.AddNode(*bay, bayLln0);
    LogicalNode bayMmxu = Common("MMXU1");
    bayMmxu.Add(Mv("Hz", "49.98"));
    builder.AddNode(*bay, bayMmxu);
    LogicalNode bayGgio = Common("GGIO1");
    bayGgio.Add(Sps("Ind1"));
    builder.AddNode(*bay, bayGgio);
    if (options.attributeDataSet) builder.AddDataSet(*bay, "LLN0$dsAttr", {"GGIO1$ST$Ind1$stVal", "GGIO1$ST$Ind1$q"});
}

// Logical nodes of mixed classes, round robin.
LogicalNode MixedNode(int kind, int instance, Builder& builder, Mms::Domain& domain, std::string& firstMember) {
    const std::string number = std::to_string(instance);
    switch (kind % 5) {
        case 0: {
            LogicalNode node = Common("MMXU" + number);
            node.Add(Mv("TotW", "100")).Add(Mv("TotVAr", "10")).Add(Mv("TotVA", "101")).Add(Mv("TotPF", "0.9"));
            node.Add(Mv("Hz", "50"));
            firstMember = "MMXU" + number + "$MX$TotW";
            return node;
        }
        case 1: {
            LogicalNode node = Common("XCBR" + number);
            builder.AddControl(node, domain, "XCBR" + number, ControlModel::StatusOnly);
            node.Add(Ins("OpCnt")).Add(Sps("BlkOpn")).Add(Ins("CBOpCap", "3"));
            firstMember = "XCBR" + number + "$ST$Pos";
            return node;
        }
        case 2: {
            LogicalNode node = Common("CSWI" + number);
            builder.AddControl(node, domain, "CSWI" + number, ControlModel::DirectNormal);
            firstMember = "CSWI" + number + "$ST$Pos";
            return node;
        }
        case 3: {
            LogicalNode node = Common("GGIO" + number);
            for (int i = 1; i <= 10; ++i) node.Add(Sps("Ind" + std::to_string(i)));
            firstMember = "GGIO" + number + "$ST$Ind1";
            return node;
        }
        default: {
            LogicalNode node = Common("PTOC" + number);
            node.Add(Acd("Str")).Add(Act("Op")).Add(Asg("StrVal", "1.5")).Add(Ing("OpDlTmms", "100"));
            firstMember = "PTOC" + number + "$ST$Op";
            return node;
        }
    }
}

void BuildLarge(Builder& builder, const ModelOptions& options) {
    const int devices = std::max(1, options.logicalDevices);
    const int nodes = std::max(devices, options.logicalNodes);
    int kind = 0;
    for (int d = 0; d < devices; ++d) {
        Mms::Domain* domain = builder.AddDomain("LD" + TwoDigits(d + 1));
        if (domain == nullptr) continue;
        // LLN0 counts among the device's nodes; the remainder goes to the first devices.
        const int here = nodes / devices + (d < nodes % devices ? 1 : 0);
        builder.AddNode(*domain, builder.Lln0(*domain, false, LargeModelInstances));
        std::vector<std::string> members;
        for (int n = 1; n < here; ++n, ++kind) {
            std::string first;
            const LogicalNode node = MixedNode(kind, n, builder, *domain, first);
            builder.AddNode(*domain, node);
            if (members.size() < 8) members.push_back(first);
        }
        builder.AddDataSet(*domain, "LLN0$ds1", members);
    }
}

}  // namespace

const std::vector<std::string>& StandardFcOrder() {
    static const std::vector<std::string> order{"ST", "MX", "CO", "SP", "SV", "CF", "DC", "SG", "SE", "SR",
                                                "OR", "BL", "EX", "BR", "RP", "LG", "GO", "GS", "MS", "US"};
    return order;
}

DataNode LastApplErrorType() {
    return Node("LastApplError",
                {Text("CntrlObj", 129), Int8("Error"), Origin("origin"), Unsigned("ctlNum", 8), Int8("AddCause")});
}

ModelSummary BuildModel(Mms::VMD& vmd, const ModelOptions& options) {
    vmd.SetIdentity({options.vendor, options.modelName, options.revision, {}});
    Builder builder(vmd, options);
    if (options.large) {
        BuildLarge(builder, options);
    } else {
        BuildSmall(builder, options);
    }
    if (options.hugeFcComponents > 0) AddHugeFcNode(vmd, options.hugeFcComponents, builder.summary);
    return builder.summary;
}

}  // namespace TestDevice
