// The whole file: the golden file, determinism, and the SCL schema over the models a
// device can give.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "device/DeviceModel.h"
#include "device/program/ProgramOptions.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/icd/ExportSteps.h"
#include "iec61850/icd/SclChecks.h"
#include "iec61850/icd/SmallModel.h"
#include "support/icdmodel/DeviceModelImport.h"
#include "support/icdmodel/LargeModel.h"

namespace IcdTestModel {
namespace {

const std::string kGoldenPath = IEC_SOURCE_DIR "/tests/iec61850/icd/golden/small-model.icd";

// Writes the export to a file of the folder and returns its path.
std::string WriteExport(IcdTestServer& server, const TempFolder& folder, const std::string& name,
                        const std::string& answers = "<Answers/>") {
    Answer(server, answers);
    const std::string path = folder.File(name);
    EXPECT_EQ(server.WriteIcdFile(path), 0) << server.IcdFailure();
    return path;
}

TEST(WholeFile, SmallModelGivesTheGoldenFile) {
    IcdTestServer server;
    BuildSmallModel(server);
    TempFolder folder;
    const std::string path = WriteExport(server, folder, "small.icd", kSmallModelAnswers);
    const std::string file = ReadWhole(path);
    if (const char* update = std::getenv("IEC_UPDATE_GOLDEN"); update != nullptr && *update == '1') {
        WriteWhole(kGoldenPath, file);
    }
    EXPECT_EQ(file, ReadWhole(kGoldenPath));
    ExpectSchemaAccepts(path);
    EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
    // The SI unit of the measurement: degrees Celsius is ord 23 in UTF-8.
    EXPECT_NE(file.find("<EnumVal ord=\"23\">\xC2\xB0"
                        "C</EnumVal>"),
              std::string::npos);
}

TEST(WholeFile, SameModelSameBytesWhateverTheOrderItWasMadeIn) {
    IcdTestServer forward;
    BuildSmallModel(forward);
    IcdTestServer reversed;
    BuildSmallModel(reversed, true);
    TempFolder folder;
    const std::string first = ReadWhole(WriteExport(forward, folder, "a.icd", kSmallModelAnswers));
    ASSERT_EQ(forward.WriteIcdFile(folder.File("b.icd")), 0);
    EXPECT_EQ(ReadWhole(folder.File("b.icd")), first);
    EXPECT_EQ(ReadWhole(WriteExport(reversed, folder, "c.icd", kSmallModelAnswers)), first);

    IcdTestServer large;
    BuildLargeModel(large, {4, 60, "LD"});
    IcdTestServer largeReversed;
    LargeModelOptions options{4, 60, "LD"};
    options.reversed = true;
    BuildLargeModel(largeReversed, options);
    EXPECT_EQ(ReadWhole(WriteExport(large, folder, "d.icd")), ReadWhole(WriteExport(largeReversed, folder, "e.icd")));
}

TEST(WholeFile, SchemaAcceptsTheLargeModel) {
    IcdTestServer server;
    server.negotiatedServices = {2, 4, 5, 6, 7, 8, 9, 12, 14};
    BuildLargeModel(server);
    TempFolder folder;
    const std::string path = WriteExport(server, folder, "large.icd");
    ExpectSchemaAccepts(path);
    EXPECT_EQ(ReferenceProblems(ReadWhole(path)), std::vector<std::string>{});
}

// A data object or node the dictionary lacks is left out everywhere it would be named, and
// the file says where a data-set member went; an attribute it lacks keeps the basic type the
// device gives it. The Services count what is left.
TEST(WholeFile, WhatTheTypesLackIsLeftOutEverywhere) {
    IcdTestServer server;
    BuildDictionaryGapsModel(server);
    const std::string file = ExportedFile(server);
    EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
    for (const char* comment : {"<!-- left out: LD0/ZZZZ1.Foo [ST]: no logical-node type -->",
                                "<!-- left out: LD0/GGIO1.AnOut1.mxVal [MX]: no data object AnOut1 in the type -->",
                                "<!-- left out: LD0/GGIO1.AnOut1 [MX]: no data object AnOut1 in the type -->",
                                "<!-- left out: data set Unknown: none of its members is in the file -->"}) {
        EXPECT_EQ(CountOf(file, comment), 1u) << comment;
    }
    EXPECT_NE(file.find("<FCDA ldInst=\"0\" prefix=\"\" lnClass=\"GGIO\" lnInst=\"1\" doName=\"Ind1\" "
                        "daName=\"stVal\" fc=\"ST\"/>"),
              std::string::npos);
    EXPECT_EQ(file.find("AnOut1\""), std::string::npos);  // no DOI, no FCDA, no DO
    EXPECT_NE(file.find("<DA name=\"vendorNote\" fc=\"DC\" bType=\"VisString255\"/>"), std::string::npos);
    EXPECT_NE(file.find("doName=\"Ind1\" daName=\"vendorNote\" fc=\"DC\"/>"), std::string::npos);
    EXPECT_NE(file.find("<DAI name=\"vendorNote\">\n        <Val>note</Val>"), std::string::npos);
    EXPECT_NE(file.find("<DAI name=\"d\">"), std::string::npos);
    EXPECT_EQ(file.find("<DataSet name=\"Unknown\""), std::string::npos);
    EXPECT_NE(file.find("<ReportControl name=\"brcb\" datSet=\"Mixed\""), std::string::npos);
    // The GOOSE block's revision was never read: no attribute rather than a zero.
    EXPECT_NE(file.find("<GSEControl name=\"gocb01\" type=\"GOOSE\" appID=\"\"/>"), std::string::npos);
    EXPECT_NE(file.find("<ConfDataSet max=\"1\" maxAttributes=\"3\"/>"), std::string::npos);
}

using Iec61850::Acsi::ValueRecord;
using Iec61850::Acsi::Scl::XmlNode;

const XmlNode* ChildNamed(const XmlNode& parent, std::string_view element, std::string_view name) {
    for (const XmlNode* child = parent.GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (child->GetName() == element && AttributeOf(*child, "name") == name) return child;
    }
    return nullptr;
}

const XmlNode* TypeById(const XmlNode& root, const std::string& kind, const std::string& id) {
    for (const XmlNode* type : Elements(root, kind)) {
        if (AttributeOf(*type, "id") == id) return type;
    }
    return nullptr;
}

// What the file gives one basic attribute of a logical node ("StrVal.setMag.f"): the
// constraint of its DA and the value of its instance; "no type" or "no value" where the
// file lacks them.
std::pair<std::string, std::string> AttributeInFile(const XmlNode& root, const XmlNode& ln, const std::string& path) {
    std::string fc = "no type";
    std::string value = "no value";
    const XmlNode* type = TypeById(root, "LNodeType", AttributeOf(ln, "lnType"));
    const XmlNode* instance = &ln;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        const std::string name = path.substr(start, dot - start);
        const bool first = start == 0;
        const bool last = dot == path.size();
        start = dot + 1;
        const XmlNode* member = nullptr;
        for (const char* kind : {"DO", "SDO", "DA", "BDA"}) {
            if (member == nullptr && type != nullptr) member = ChildNamed(*type, kind, name);
        }
        if (member == nullptr) return {"no type", value};
        const bool object = member->GetName() == "DO" || member->GetName() == "SDO";
        if (member->GetName() == "DA") fc = AttributeOf(*member, "fc");
        if (instance != nullptr) instance = ChildNamed(*instance, first ? "DOI" : last ? "DAI" : "SDI", name);
        type = object                                      ? TypeById(root, "DOType", AttributeOf(*member, "type"))
               : AttributeOf(*member, "bType") == "Struct" ? TypeById(root, "DAType", AttributeOf(*member, "type"))
                                                           : nullptr;
        if (last && (object || type != nullptr)) return {"not basic", value};
    }
    const auto values = instance != nullptr ? Elements(*instance, "Val") : std::vector<const XmlNode*>{};
    if (values.size() == 1) value = values.front()->GetText();
    return {fc, value};
}

// One basic attribute of the model: its constraint, reference, value text and whether the
// device gave that value.
struct Leaf {
    std::string fc, reference, value;
    bool received = false;
};

void CollectLeaves(Iec61850::Acsi::DataItem& item, std::vector<Leaf>& leaves) {
    if (item.GetChildren().empty()) {
        Leaf leaf{item.GetFcName(), item.GetReference(), {}, false};
        Mms::Container* value = nullptr;
        if (item.GetValue(value) == System::OkNoError && value != nullptr) {
            leaf.received = value->GetState() == Mms::StateValid;
            value->ToText(leaf.value);
        }
        leaves.push_back(std::move(leaf));
        return;
    }
    for (auto* child : item.GetChildren()) {
        if (auto* childItem = dynamic_cast<Iec61850::Acsi::DataItem*>(child)) CollectLeaves(*childItem, leaves);
    }
}

// Every attribute the device gives under SG or SE must be in the file's types: under SE
// when the device gives it under both (a generator makes both copies from it), else under
// its own constraint; with the active group's value (SG's where both), and no value where
// the device never gave that one. Returns what is amiss, and counts the attributes.
std::vector<std::string> SettingProblems(IcdTestServer& server, const std::string& file, std::size_t& settings) {
    std::vector<std::string> problems;
    const auto root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(file);
    if (root == nullptr) return {"the file does not parse"};
    for (const auto& [deviceName, device] : server.devices) {
        std::vector<Leaf> leaves;
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (const char* fc : {"SG", "SE"}) {
                const auto* group = node->FindFc(fc);
                if (group == nullptr) continue;
                for (auto* child : group->GetChildren()) {
                    if (auto* item = dynamic_cast<Iec61850::Acsi::DataItem*>(child)) CollectLeaves(*item, leaves);
                }
            }
        }
        std::map<std::string, std::map<std::string, const Leaf*>> byReference;  // reference -> fc -> leaf
        for (const Leaf& leaf : leaves) byReference[leaf.reference][leaf.fc] = &leaf;
        for (const auto& [reference, given] : byReference) {
            settings += given.size();
            // "LD0/PTOC1.StrVal.setMag.f": the node is found by its LN's name in any LDevice.
            const std::string rest = reference.substr(reference.find('/') + 1);
            const std::string nodeName = rest.substr(0, rest.find('.'));
            const XmlNode* ln = nullptr;
            for (const XmlNode* candidate : Elements(*root, "LN")) {
                if (AttributeOf(*candidate, "prefix") + AttributeOf(*candidate, "lnClass") +
                        AttributeOf(*candidate, "inst") ==
                    nodeName) {
                    ln = candidate;
                }
            }
            if (ln == nullptr) {
                problems.push_back(reference + ": no LN");
                continue;
            }
            const auto [fc, value] = AttributeInFile(*root, *ln, rest.substr(nodeName.size() + 1));
            const bool both = given.size() == 2;
            const Leaf& active = *(both ? given.at("SG") : given.begin()->second);
            const std::string expectedFc = both ? "SE" : active.fc;
            const std::string expectedValue = active.received ? active.value : "no value";
            if (fc != expectedFc || value != expectedValue) {
                problems.push_back(reference + " [" + active.fc + "] " + expectedValue + ": the file has " + fc + " " +
                                   value);
            }
        }
    }
    return problems;
}

// Devices give attributes under constraints the file's schema does not know (OR and BL of
// current control objects, SR): the file leaves them out of the types, the instances and the
// data sets alike, and says so where a data set loses a member. Returns what is amiss; counts
// such attributes of the model and such data-set members.
std::vector<std::string> OtherConstraintProblems(IcdTestServer& server, const std::string& file,
                                                 std::size_t& attributes, std::size_t& members) {
    std::vector<std::string> problems;
    for (const char* fc : {"SR", "OR", "BL"}) {
        if (CountOf(file, std::string("fc=\"") + fc + "\"") != 0) problems.push_back(std::string("fc ") + fc);
    }
    for (const auto& [deviceName, device] : server.devices) {
        std::vector<Leaf> leaves;
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (const char* fc : {"SR", "OR", "BL"}) {
                const auto* group = node->FindFc(fc);
                if (group == nullptr) continue;
                for (auto* child : group->GetChildren()) {
                    if (auto* item = dynamic_cast<Iec61850::Acsi::DataItem*>(child)) CollectLeaves(*item, leaves);
                }
            }
            for (const auto& [setName, dataSet] : node->GetDataSets()) {
                for (const NamedObject* member : dataSet->GetMembers()) {
                    const std::string fc = member != nullptr ? member->GetFcName() : "";
                    if (fc != "SR" && fc != "OR" && fc != "BL") continue;
                    ++members;
                    const std::string note = "<!-- left out: " + member->GetReference() + " [" + fc + "]";
                    if (CountOf(file, note) != 1) problems.push_back(member->GetReference() + ": no note");
                }
            }
        }
        for (const Leaf& leaf : leaves) {
            // Named by no DA, DAI or FCDA (name="opRcvd", daName="opRcvd").
            const std::string name = leaf.reference.substr(leaf.reference.rfind('.') + 1);
            if (CountOf(file, "=\"" + name + "\"") != 0) problems.push_back(leaf.reference + " in the file");
            ++attributes;
        }
    }
    return problems;
}

// The test device's models, read as a client would read them.
TEST(WholeFile, SchemaAcceptsTheTestDevicesModels) {
    struct Variant {
        const char* what;
        bool large = false;
        bool settingGroups = false;
        bool otherFcOrder = false;
        bool harmonics = false;
        // The device refused the SE reads, and one SG value never came.
        bool settingsRefused = false;
    };
    for (const Variant& variant :
         {Variant{"small"}, Variant{"large", true}, Variant{"small with setting groups", false, true},
          Variant{"setting groups, SE before SG", false, true, true},
          Variant{"setting groups, SE refused, an SG value never read", false, true, false, false, true},
          Variant{"harmonics", false, false, false, true}}) {
        SCOPED_TRACE(variant.what);
        Mms::VMD device;
        TestDevice::ModelOptions options;
        options.large = variant.large;
        options.settingGroups = variant.settingGroups;
        options.otherFcOrder = variant.otherFcOrder;
        options.harmonics = variant.harmonics;
        const TestDevice::ModelSummary summary = TestDevice::BuildModel(device, options);
        IcdTestServer server;
        ImportDeviceModel(server, device);
        if (variant.settingsRefused) {
            for (const auto& [nodeName, node] : server.devices.at("LD0")->GetLogicalNodes()) {
                const auto* edited = node->FindFc("SE");
                if (edited == nullptr) continue;
                for (auto* child : edited->GetChildren()) {
                    Mms::Container* value = nullptr;
                    if (child->GetValue(value) == System::OkNoError && value != nullptr) value->SetAccessError(3);
                }
            }
            Mms::Container* never = nullptr;
            ASSERT_EQ(server.Find("SG", "LD0/PTOC1.OpDlTmms.setVal")->GetValue(never), System::OkNoError);
            never->SetState(Mms::StateNoValue);
        }
        TempFolder folder;
        const std::string path = WriteExport(server, folder, "device.icd");
        ExpectSchemaAccepts(path);
        const std::string file = ReadWhole(path);
        EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
        EXPECT_EQ(CountOf(file, "<ReportControl ") > 0, !summary.reports.empty());
        std::size_t settings = 0;
        EXPECT_EQ(SettingProblems(server, file, settings), std::vector<std::string>{});
        EXPECT_EQ(settings, variant.settingGroups ? 8u : 0u);
        // Every data-set member is in the file, SE and SG ones (which name SE attributes) too.
        EXPECT_EQ(CountOf(file, "fc=\"SE\"/>"), variant.settingGroups ? 2u : 0u);
        EXPECT_EQ(CountOf(file, "<!-- left out"), 0u);
        std::size_t settingBlocks = 0;
        for (const auto& [name, device] : server.devices) {
            const auto* lln0 = dynamic_cast<Iec61850::Acsi::LLN0*>(device->FindLogicalNode("LLN0"));
            settingBlocks += lln0 != nullptr && !lln0->GetSGCBs().empty() ? 1 : 0;
        }
        EXPECT_EQ(CountOf(file, "<SettingControl numOfSGs="), settingBlocks);
        std::size_t otherAttributes = 0;
        std::size_t otherMembers = 0;
        EXPECT_EQ(OtherConstraintProblems(server, file, otherAttributes, otherMembers), std::vector<std::string>{});
        EXPECT_GT(otherAttributes, 0u);
        // What the device reports on, as the dictionary has it.
        EXPECT_NE(file.find("<DA name=\"q\" fc=\"ST\" bType=\"Quality\" qchg=\"true\"/>"), std::string::npos);
        if (variant.harmonics) {
            // The harmonics array of complex measurements: a counted attribute of their type,
            // its elements named by index.
            EXPECT_NE(file.find("<DA name=\"phsAHar\" fc=\"MX\" bType=\"Struct\" type=\"CMVElement_0\" dchg=\"true\" "
                                "dupd=\"true\" count=\"16\"/>"),
                      std::string::npos);
            EXPECT_NE(file.find("<DA name=\"numHar\" fc=\"MX\" bType=\"INT16U\"/>"), std::string::npos);
            EXPECT_EQ(CountOf(file, "doName=\"HA\" daName=\"phsAHar("), 5u);
            EXPECT_NE(file.find("daName=\"phsAHar(10).cVal.mag\" fc=\"MX\"/>"), std::string::npos);
            EXPECT_NE(file.find("<ReportControl name=\"urcbHar\" datSet=\"dsHar\""), std::string::npos);
        }
    }
}

// Every option of the test device's command line, each model it can give: exported and
// validated, with nothing of the constraints the schema lacks. An option that takes a
// value is tried with a sample of its own here; one that does not shape the model gives
// a file validated once.
TEST(WholeFile, EveryOptionOfTheTestDeviceGivesAValidFile) {
    const std::map<std::string, const char*> samples = {
        {"--port", "0"},
        {"--address", "127.0.0.1"},
        {"--slots", "2"},
        {"--lds", "3"},
        {"--lns", "40"},
        {"--data-set", "XCBR1$ST$Pos,CSWI1$OR$Pos$opRcvd,CSWI2$OR$Pos,CSWI4$BL$Pos$blkEna,MMXU1$MX$TotW"},
        {"--huge-fc", "300"},
        {"--vendor", "Other <Works> & Co"},
        {"--model", "Bay controller"},
        {"--revision", "2.1"},
        {"--identify-late", "1"},
        {"--slow-reads", "1"},
        {"--abort-at", "1"},
        {"--stall-after", "1"},
        {"--report-every", "1000"},
        {"--sbo-timeout", "0"},
        {"--buffer-entries", "1"},
    };
    std::set<std::string> validated;
    std::size_t otherMembers = 0;
    for (const TestDevice::ProgramOption& option : TestDevice::ProgramOptions()) {
        SCOPED_TRACE(option.name);
        const char* value = "";
        if (option.value != nullptr) {
            const auto sample = samples.find(option.name);
            ASSERT_NE(sample, samples.end()) << "give " << option.name << " a sample value";
            value = sample->second;
        }
        TestDevice::ProgramSetup setup;
        ASSERT_TRUE(option.apply(setup, value));
        Mms::VMD device;
        // Holds the variables of array elements that data sets name.
        const TestDevice::ModelSummary summary = TestDevice::BuildModel(device, setup.device.model);
        IcdTestServer server;
        ImportDeviceModel(server, device);
        TempFolder folder;
        const std::string path = WriteExport(server, folder, "device.icd");
        const std::string file = ReadWhole(path);
        if (validated.insert(file).second) ExpectSchemaAccepts(path);
        EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
        std::size_t otherAttributes = 0;
        EXPECT_EQ(OtherConstraintProblems(server, file, otherAttributes, otherMembers), std::vector<std::string>{});
        EXPECT_GT(otherAttributes, 0u);
    }
    // The data set of the sample names OR and BL attributes and data objects.
    EXPECT_EQ(otherMembers, 3u);
}

// The setting-group block as the device gave it, after the LN0's sampled-value blocks as
// SCL places it; nothing of what the device never said.
TEST(WholeFile, TheSettingGroupBlockIsWrittenAsTheDeviceGaveIt) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> given;
        const char* expected;
    };
    for (const Case& c :
         {Case{{{"NumOfSG", "5"}, {"ActSG", "1"}}, "<SettingControl numOfSGs=\"5\" actSG=\"1\"/>"},
          Case{{{"NumOfSG", "4"}}, "<SettingControl numOfSGs=\"4\"/>"}, Case{{{"ActSG", "2"}}, nullptr}}) {
        SCOPED_TRACE(c.given.front().first);
        IcdTestServer server;
        Lln0Parts parts;
        parts.settingGroups = true;
        parts.multicastSv = 1;
        server.AddDevice("LD0", {Lln0(parts)});
        ASSERT_TRUE(server.SetValue("MS", "LD0/LLN0.msvcb01.SmpRate", "4000"));
        for (const auto& [name, value] : c.given) ASSERT_TRUE(server.SetValue("SP", "LD0/LLN0.SGCB." + name, value));
        TempFolder folder;
        const std::string path = WriteExport(server, folder, "sgcb.icd");
        ExpectSchemaAccepts(path);
        const std::string file = ReadWhole(path);
        if (c.expected == nullptr) {
            EXPECT_EQ(file.find("SettingControl"), std::string::npos);
        } else {
            EXPECT_NE(file.find(std::string("</SampledValueControl>\n      ") + c.expected + "\n     </LN0>"),
                      std::string::npos)
                << file;
        }
    }
}

// Models whose plain rendering SCL would refuse, each given its nearest valid form.
TEST(WholeFile, SchemaAcceptsEveryModelADeviceCanGive) {
    struct Case {
        const char* what;
        std::function<void(IcdTestServer&)> build;
    };
    const std::vector<Case> cases = {
        {"the generator's model in one device, without logs, sampled values or optional services",
         [](IcdTestServer& s) {
             LargeModelOptions options{1, 40, "ONELD"};
             options.logs = options.sampledValues = false;
             BuildLargeModel(s, options);
         }},
        {"no optional service, no log or sampled values",
         [](IcdTestServer& s) {
             Lln0Parts parts;
             parts.buffered = parts.goose = 1;
             s.AddDevice("LD0", {Lln0(parts), Xcbr("XCBR1")});
         }},
        {"no logical device", [](IcdTestServer&) {}},
        {"a device without LLN0 only", [](IcdTestServer& s) { s.AddDevice("LD0", {Xcbr("XCBR1")}); }},
        {"a device without LLN0 beside one with",
         [](IcdTestServer& s) {
             s.AddDevice("LDA", {Lln0(), Xcbr("XCBR1")});
             s.AddDevice("LDB", {Xcbr("XCBR1")});
         }},
        {"a node without instance digits and one of an unknown class",
         [](IcdTestServer& s) {
             s.AddDevice("LD0", {Lln0(), Xcbr("XCBR"), Ggio("ZZZZ1")});
         }},
        {"device names without a common prefix",
         [](IcdTestServer& s) {
             s.AddDevice("ABC", {Lln0()});
             s.AddDevice("XYZ", {Lln0()});
             s.AddDevice("XYZ2", {Lln0()});
         }},
        {"a one-letter device", [](IcdTestServer& s) { s.AddDevice("A", {Lln0()}); }},
        {"blocks naming sets elsewhere, of an association, or none",
         [](IcdTestServer& s) {
             Lln0Parts parts;
             parts.buffered = parts.goose = parts.multicastSv = parts.logs = 1;
             s.AddDevice("LD0", {Lln0(parts), Ggio("GGIO1")});
             s.AddDataSet("LD0", "GGIO1", "Other", {"GGIO1$ST$Ind1"});
             s.SetValue("BR", "LD0/LLN0.brcb01.DatSet", "LD0/GGIO1$Other");
             s.SetValue("GO", "LD0/LLN0.gocb01.DatSet", "@Mine");
             s.SetValue("MS", "LD0/LLN0.msvcb01.SmpRate", "4000");
             s.BindAll();
         }},
        {"data sets with members SCL cannot name, or none",
         [](IcdTestServer& s) {
             Lln0Parts parts;
             parts.buffered = 1;
             s.AddDevice("LD0", {Lln0(parts)});
             s.AddDataSet("LD0", "LLN0", "Blocks", {"LLN0$BR$brcb01$RptID"});
             s.AddDataSet("LD0", "LLN0", "Empty", {});
         }},
        {"data objects, attributes and a logical-node class the dictionary lacks", BuildDictionaryGapsModel},
        {"types for the templates' edge cases",
         [](IcdTestServer& s) {
             s.AddDevice("LD0", {Lln0(), Lphd("LPHD1"), Mmtr("MMTR1"), Mhan("MHAN1"), Mhai("MHAI1"),
                                 Mmxu("MMXU1", true), Cswi("CSWI1")});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IcdTestServer server;
        c.build(server);
        TempFolder folder;
        const std::string path = WriteExport(server, folder, "case.icd");
        ExpectSchemaAccepts(path);
        EXPECT_EQ(ReferenceProblems(ReadWhole(path)), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace IcdTestModel
