// Create ICD against the test device, offscreen, driven by id: the value reads and their
// progress, the device-parameters dialog, the save dialog, the file and what goes wrong.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/client/IcdValueReads.h"
#include "app/client/QXClient.h"
#include "app/ids/ControlIds.h"
#include "app/program/DialogSession.h"
#include "app/program/GridDriver.h"
#include "app/program/ICDProgressDialog.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/SclChecks.h"
#include "iec61850/icd/ServerModelSource.h"
#include "iec61850/icd/TempFolder.h"
#include "iec61850/scl/XmlParser.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/Variable.h"
#include "ui/StatusBarCtrl.h"

namespace AppTest {
namespace {

using IcdTestModel::ExpectSchemaAccepts;
using IcdTestModel::ReadWhole;
using IcdTestModel::TempFolder;
using UiTest::IdPath;
namespace Id = ControlId::MainDialog;

constexpr std::int32_t kRead = 4;  // the MMS read service

// The names of the device's read requests since it was last cleared.
std::vector<std::string> ReadsLogged(const TestDevice::Device& device) {
    std::vector<std::string> names;
    for (const TestDevice::RequestRecord& record : device.Requests()) {
        if (record.service == kRead) names.insert(names.end(), record.names.begin(), record.names.end());
    }
    return names;
}

// What Create ICD must read: the CF, DC, SG, then the SE group of each node of the first
// device by name (byte order), in name order; a node without the group has nothing to read.
std::vector<std::string> ReadsExpected(Iec61850::Acsi::Server& server) {
    std::vector<std::string> names;
    Mms::VMD::ModelHold hold(&server);
    const auto& first = *server.GetLogicalDevices().begin()->second;
    for (const auto& [name, node] : first.GetLogicalNodes()) {
        for (const char* fc : {"CF", "DC", "SG", "SE"}) {
            if (node->FindFc(fc) != nullptr) names.push_back(node->GetReference() + "$" + fc);
        }
    }
    return names;
}

// The exporter's own file for the model as the client now holds it and these answers.
std::string ExportedDirectly(Iec61850::Acsi::Server& server, const std::string& answers, const std::string& path) {
    Iec61850::Acsi::Scl::IcdExporter exporter(std::make_unique<Iec61850::Acsi::Scl::ServerModelSource>(server));
    std::string list;
    EXPECT_EQ(exporter.BuildSettingsXml(list), 0);
    EXPECT_EQ(exporter.ReadAnswers(answers), 0) << exporter.GetLastFailure();
    EXPECT_EQ(exporter.WriteFile(path), 0) << exporter.GetLastFailure();
    return ReadWhole(path);
}

// Answers the save dialog with `path` (empty: Cancel), checking what it offers; the name
// it proposes goes to `offered`.
UiTest::ModalAction SaveAs(const std::string& path, std::string* offered = nullptr) {
    return {"QFileDialog", [path, offered](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
                EXPECT_EQ(dialog->defaultSuffix(), "icd");
                EXPECT_EQ(dialog->nameFilters(), (QStringList{"ICD Files (*.icd)", "All Files (*)"}));
                EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(name, nullptr);
                EXPECT_TRUE(name->text().endsWith(".icd")) << name->text().toStdString();
                if (offered != nullptr) *offered = name->text().toStdString();
                if (path.empty()) {
                    dialog->reject();
                    return;
                }
                name->setText(QString::fromStdString(path));
                QTest::keyClick(name, Qt::Key_Return);
            }};
}

std::string IedNameIn(const std::string& file) {
    const std::string tag = "<IED name=\"";
    const std::size_t at = file.find(tag);
    if (at == std::string::npos) return "(no IED)";
    const std::size_t from = at + tag.size();
    return file.substr(from, file.find('"', from) - from);
}

// The Val of a basic attribute of the node ("PTOC1", "StrVal.setMag.f") in the file: its
// DOI, SDI and DAI by name; "no value" where the file gives none.
std::string ValueInFile(const std::string& file, const std::string& node, const std::string& path) {
    using Iec61850::Acsi::Scl::XmlNode;
    const auto root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(file);
    if (root == nullptr) return "no file";
    for (const XmlNode* ln : IcdTestModel::Elements(*root, "LN")) {
        using IcdTestModel::AttributeOf;
        if (AttributeOf(*ln, "prefix") + AttributeOf(*ln, "lnClass") + AttributeOf(*ln, "inst") != node) continue;
        const XmlNode* at = ln;
        for (std::size_t start = 0; at != nullptr && start <= path.size();) {
            const std::size_t dot = std::min(path.find('.', start), path.size());
            const std::string name = path.substr(start, dot - start);
            start = dot + 1;
            const XmlNode* next = nullptr;
            for (const XmlNode* child = at->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
                if (child->GetName() != "Val" && AttributeOf(*child, "name") == name) next = child;
            }
            at = next;
        }
        if (at == nullptr) return "no value";
        const auto values = IcdTestModel::Elements(*at, "Val");
        return values.size() == 1 ? values.front()->GetText() : "no value";
    }
    return "no LN";
}

std::string ResultLine(App::QXDialog& dialog) {
    auto* bar = static_cast<Ui::CStatusBarCtrl*>(Ui::CWnd::FromWidget(dialog.GetDlgItemWidget(Id::StatusBar)));
    return bar != nullptr ? bar->GetText(2) : std::string();
}

// Acts on the device-parameters dialog, then ends it with OK or Cancel.
UiTest::ModalAction Parameters(std::function<void(Widgets::CPropertyGrid&)> act, int end = Ui::IDOK) {
    return {"Device parameters", [act, end](QWidget* window) {
                Widgets::CPropertyGrid* grid = GridIn(window);
                ASSERT_NE(grid, nullptr);
                if (act) act(*grid);
                UiTest::Click(UiTest::FindControl(window, IdPath({end})));
            }};
}

// Answers the next window, which must be a message box, with OK.
UiTest::ModalAction Box(UiTest::MessageBoxSeen* seen) {
    return {"QMessageBox", [seen](QWidget* window) {
                auto* box = qobject_cast<QMessageBox*>(window);
                seen->caption = box->windowTitle().toStdString();
                seen->text = box->text().toStdString();
                seen->icon = box->icon();
                seen->seen = true;
                UiTest::Click(box->button(QMessageBox::Ok));
            }};
}

// A window that must not open: the test fails and the window is closed.
void NoFurtherWindow() {
    UiTest::OnNextModal([](QWidget* window) {
        ADD_FAILURE() << "a window opened: " << UiTest::Describe(window);
        UiTest::CloseUnexpected(window);
    });
}

// Connects and waits for the ready state.
void Connect(DialogSession& session, QWidget* window) {
    UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
    ASSERT_TRUE(session.ReachState(2, 60000));
}

// The answers with every item as the dialog starts, but "Reporting Dataset" Fixed.
const std::string kAnswersDatSetFixed =
    "<Answers><DynDataSet><max Value=\"0\"/><maxAttributes Value=\"0\"/></DynDataSet>"
    "<ReportSettings><cbName Value=\"2\"/><index Value=\"1\"/><datSet Value=\"2\"/><rptID Value=\"0\"/>"
    "<optFields Value=\"0\"/><bufTime Value=\"0\"/><trgOps Value=\"0\"/><intgPd Value=\"0\"/></ReportSettings>"
    "<ConfLNs><fixPrefix Value=\"1\"/><fixLnInst Value=\"1\"/></ConfLNs></Answers>";

TEST(IcdCommand, EndToEndAgainstTheSmallAndTheLargeDevice) {
    for (const bool large : {false, true}) {
        const std::string name = large ? "large" : "small";
        SCOPED_TRACE(name);
        DialogSession session(DialogSession::DeviceWith(&TestDevice::ModelOptions::large, large));
        TempFolder folder;
        const std::string path = folder.File("device.icd");
        session.Run([&](QWidget* window) {
            Connect(session, window);
            Iec61850::Acsi::Server& server = *session.dialog->GetServer();
            App::ICDProgressDialog& progress = session.dialog->GetIcdProgressDialog();
            QWidget* createIcd = UiTest::FindControl(window, IdPath({Id::CreateIcd}));
            ASSERT_TRUE(createIcd->isEnabled());
            // The answers come slowly enough for the progress to be seen.
            TestDevice::Faults faults;
            faults.delayedMs[kRead] = 10;
            session.device.SetFaults(faults);
            session.device.ClearRequests();

            UiTest::OnNextModal(Parameters([&](Widgets::CPropertyGrid& grid) {
                EXPECT_FALSE(createIcd->isEnabled());
                EXPECT_FALSE(progress.IsWindowVisible());
                PickInGrid(grid, GridItem(grid, "Reporting Dataset"), 2);
                UiTest::Screenshot(grid.GetWidget()->window(), "icd-device-parameters-" + name);
            }));
            std::string offered;
            UiTest::OnNextModal(SaveAs(path, &offered));
            UiTest::Click(createIcd);
            ExpectShownAboveWhole(progress, window);
            EXPECT_EQ(progress.GetRange(),
                      static_cast<int>(4 * server.GetLogicalDevices().begin()->second->GetLogicalNodes().size()));
            // Disabled until the end: a second click adds nothing to the count.
            EXPECT_FALSE(createIcd->isEnabled());
            session.dialog->SendMessage(Ui::WM_COMMAND, Id::CreateIcd, 0);

            std::set<int> positions;
            bool shot = false;
            ASSERT_TRUE(WaitUntil(
                [&] {
                    if (progress.IsWindowVisible()) {
                        const int position = progress.GetProgressCtrl().GetPos();
                        positions.insert(position);
                        if (!shot && 2 * position >= progress.GetRange()) {  // half way
                            shot = true;
                            UiTest::Screenshot(progress.GetWidget(), "icd-progress-" + name);
                        }
                    }
                    return !session.dialog->IsIcdExportRunning() && UiTest::PendingModalActions() == 0;
                },
                60000));
            EXPECT_GE(positions.size(), 2u);  // it advanced while shown
            EXPECT_FALSE(progress.IsWindowVisible());
            // The count is of logical nodes, not of reads.
            EXPECT_EQ(progress.GetDlgItemText(ControlId::IcdProgress::Count),
                      std::to_string(server.GetLogicalDevices().begin()->second->GetLogicalNodes().size()));
            EXPECT_TRUE(createIcd->isEnabled());
            EXPECT_EQ(ReadsLogged(session.device), ReadsExpected(server));

            ExpectSchemaAccepts(path);
            EXPECT_EQ(ReadWhole(path), ExportedDirectly(server, kAnswersDatSetFixed, folder.File("direct.icd")));
            // The name offered is the file's IED, and the result line says where it went.
            EXPECT_EQ(offered, IedNameIn(ReadWhole(path)) + ".icd");
            EXPECT_EQ(ResultLine(*session.dialog), "ICD file written: " + path);
        });
    }
}

// A device that reads its nodes only by functional constraint, with setting groups: the
// model is read group by group, Create ICD reads SG and SE too (SE refused while no group is
// being edited, which ends nothing), and the file holds the active group's values.
TEST(IcdCommand, TheSettingsOfADeviceThatRefusesWholeNodesReachTheFile) {
    for (const bool editing : {false, true}) {
        SCOPED_TRACE(editing ? "a group being edited" : "no group being edited");
        DialogSession session(DialogSession::DeviceWith(&TestDevice::ModelOptions::settingGroups));
        TestDevice::Faults faults;
        faults.refuseWholeNodeReads = true;
        session.device.SetFaults(faults);
        TempFolder folder;
        const std::string path = folder.File("settings.icd");
        session.Run([&](QWidget* window) {
            Connect(session, window);
            Iec61850::Acsi::Server& server = *session.dialog->GetServer();
            // Selected after the model was read: only the export's SE read is answered.
            if (editing) {
                ASSERT_EQ(session.device.SetValue("LD0/LLN0$SP$SGCB$EditSG", "1"), System::OkNoError);
            }
            session.device.ClearRequests();
            UiTest::OnNextModal(Parameters(nullptr));
            UiTest::OnNextModal(SaveAs(path));
            NoFurtherWindow();
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            ASSERT_TRUE(WaitUntil([&] { return !session.dialog->IsIcdExportRunning(); }));
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
            const std::vector<std::string> reads = ReadsLogged(session.device);
            EXPECT_EQ(reads, ReadsExpected(server));
            for (const char* group : {"LD0/PTOC1$SG", "LD0/PTOC1$SE", "LD0/PDIF1$SE"}) {
                EXPECT_EQ(std::count(reads.begin(), reads.end(), group), 1) << group;
            }

            ExpectSchemaAccepts(path);
            const std::string file = ReadWhole(path);
            EXPECT_EQ(ValueInFile(file, "PTOC1", "StrVal.setMag.f"), "1");
            EXPECT_EQ(ValueInFile(file, "PTOC1", "OpDlTmms.setVal"), "500");
            EXPECT_EQ(ValueInFile(file, "PTOC1", "RsDlTmms.setVal"), "500");
            EXPECT_EQ(ValueInFile(file, "PDIF1", "LoSet.setVal"), "20");
            // The setting-group block as this device has it (four groups, the second active),
            // every member SG or SE resolved, and the attributes a data change reports on marked.
            EXPECT_NE(file.find("<SettingControl numOfSGs=\"4\" actSG=\"2\"/>"), std::string::npos);
            EXPECT_EQ(IcdTestModel::ReferenceProblems(file), std::vector<std::string>{});
            EXPECT_NE(file.find("fc=\"SE\""), std::string::npos);
            EXPECT_NE(file.find("dchg=\"true\""), std::string::npos);
            // The edit buffer reached the model only from a device editing a group.
            std::vector<Iec61850::Acsi::ValueRecord> records;
            {
                Mms::VMD::ModelHold hold(&server);
                Iec61850::Acsi::LogicalNode* ptoc = server.FindNode(hold, "LD0/PTOC1");
                ASSERT_TRUE(ptoc != nullptr && ptoc->FindFc("SE") != nullptr);
                for (auto* child : ptoc->FindFc("SE")->GetChildren()) {
                    if (auto* item = dynamic_cast<Iec61850::Acsi::DataItem*>(child)) item->CollectValues(records);
                }
            }
            const Iec61850::Acsi::ValueRecord edited{"SE", "LD0/PTOC1.StrVal.setMag.f", "2.5"};
            EXPECT_EQ(std::count(records.begin(), records.end(), edited), editing ? 1 : 0);
        });
    }
}

TEST(IcdCommand, CancelInEitherDialogWritesNothing) {
    struct Case {
        const char* what;
        bool cancelParameters;
    };
    for (const Case& c : {Case{"device parameters", true}, Case{"save dialog", false}}) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        TempFolder folder;
        session.Run([&](QWidget* window) {
            Connect(session, window);
            UiTest::OnNextModal(Parameters(nullptr, c.cancelParameters ? Ui::IDCANCEL : Ui::IDOK));
            if (!c.cancelParameters) UiTest::OnNextModal(SaveAs(""));
            NoFurtherWindow();
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            ASSERT_TRUE(WaitUntil([&] { return !session.dialog->IsIcdExportRunning(); }));
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
            EXPECT_TRUE(folder.Names().empty());
            EXPECT_TRUE(UiTest::FindControl(window, IdPath({Id::CreateIcd}))->isEnabled());
        });
    }
}

TEST(IcdCommand, AFileThatCannotBeWrittenIsShownWithTheSystemsTextAndTheOldFileStays) {
    DialogSession session;
    TempFolder folder;
    const std::string path = folder.File("device.icd");
    session.Run([&](QWidget* window) {
        Connect(session, window);
        UiTest::OnNextModal(Parameters(nullptr));
        UiTest::OnNextModal(SaveAs(path));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
        ASSERT_TRUE(WaitUntil([&] { return !session.dialog->IsIcdExportRunning(); }));
        const std::string written = ReadWhole(path);
        ASSERT_FALSE(written.empty());

        UiTest::MessageBoxSeen seen;
        UiTest::OnNextModal(Parameters(nullptr));
        UiTest::OnNextModal(SaveAs(folder.File("missing/device.icd")));
        UiTest::OnNextModal(Box(&seen));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
        ASSERT_TRUE(WaitUntil([&] { return !session.dialog->IsIcdExportRunning(); }));
        EXPECT_TRUE(seen.seen);
        EXPECT_EQ(seen.caption, "Error");
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
        EXPECT_EQ(seen.text.rfind("The ICD file could not be written.", 0), 0u) << seen.text;
        EXPECT_NE(seen.text.find("No such file or directory"), std::string::npos) << seen.text;
        EXPECT_NE(seen.text.find(folder.File("missing/device.icd")), std::string::npos) << seen.text;
        EXPECT_EQ(ReadWhole(path), written);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"device.icd"});
    });
}

TEST(IcdCommand, RefusedAnswersAreShownAndNoFileIsAskedFor) {
    DialogSession session;
    session.Run([&](QWidget* window) {
        Connect(session, window);
        UiTest::MessageBoxSeen seen;
        UiTest::OnNextModal(Parameters([](Widgets::CPropertyGrid& grid) {
            // The grid's edit takes no minus for a count: the value comes as a stored one would.
            const int id = GridItem(grid, "Max Datasets");
            grid.SetItemValue(id, -1);
            grid.GetParent()->SendMessage(Widgets::WM_PG_ITEMCHANGED, id, 0);
        }));
        UiTest::OnNextModal(Box(&seen));
        NoFurtherWindow();
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
        ASSERT_TRUE(WaitUntil([&] { return !session.dialog->IsIcdExportRunning(); }));
        EXPECT_EQ(UiTest::PendingModalActions(), 1);
        UiTest::ForgetModalActions();
        EXPECT_TRUE(seen.seen);
        EXPECT_EQ(seen.text.rfind("The device parameters were refused.", 0), 0u) << seen.text;
        EXPECT_NE(seen.text.find("DynDataSet/max"), std::string::npos) << seen.text;
        EXPECT_NE(seen.text.find("negative"), std::string::npos) << seen.text;
        EXPECT_TRUE(UiTest::FindControl(window, IdPath({Id::CreateIcd}))->isEnabled());
    });
}

// Connects again once both ends have let the ended association go. A refusal then is a
// fault: the test fails with what the box said.
void ReconnectAfterTheEnd(DialogSession& session, QWidget* window) {
    ASSERT_TRUE(WaitUntil([&] {
        const Iec61850::Acsi::TPAppAssociation* association = session.dialog->GetClient()->GetAssociation();
        return (association == nullptr || association->IsIdle()) && session.device.OpenAssociations() == 0 &&
               UiTest::FindControl(window, IdPath({Id::Connect}))->isEnabled();
    }));
    UiTest::MessageBoxSeen refused;
    UiTest::OnNextModal(Box(&refused));
    UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
    ASSERT_TRUE(WaitUntil(
        [&] { return refused.seen || (session.dialog->GetState() == 2 && !session.dialog->IsConnecting()); }, 60000));
    UiTest::ForgetModalActions();
    ASSERT_FALSE(refused.seen) << "the connect after the end was refused: " << refused.text;
}

// Create ICD with the parameters as offered and the file saved at `path`; waits for its end.
void ExportTo(DialogSession& session, QWidget* window, const std::string& path) {
    UiTest::OnNextModal(Parameters(nullptr));
    UiTest::OnNextModal(SaveAs(path));
    UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
    ASSERT_TRUE(WaitUntil([&] { return !session.dialog->IsIcdExportRunning(); }, 60000));
    EXPECT_EQ(UiTest::PendingModalActions(), 0);
}

// An export cut short by the association's end: the progress goes, the count is back at 0
// and the next Create ICD, on a new association, writes its file. A release asked for while
// the reads are outstanding ends the export at once, though their answers still come; on a
// link that stalls meanwhile the release ends with the abort, and the disconnect the user
// asked for shows no box: the status line says it ended without the device's answer.
TEST(IcdCommand, AnAbortOrAReleaseDuringTheReadsLeavesTheNextExportFree) {
    enum class End { DeviceAborts, UserDisconnects, LinkStallsDuringRelease };
    struct Case {
        const char* what;
        End end;
    };
    for (const Case& c :
         {Case{"the device aborts", End::DeviceAborts}, Case{"the user disconnects", End::UserDisconnects},
          Case{"the link stalls during the release", End::LinkStallsDuringRelease}}) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        TempFolder folder;
        const std::string path = folder.File("after.icd");
        const bool release = c.end != End::DeviceAborts;
        session.Run([&](QWidget* window) {
            Connect(session, window);
            const std::vector<std::string> expected = ReadsExpected(*session.dialog->GetServer());
            TestDevice::Faults faults;
            UiTest::MessageBoxSeen aborted;
            if (c.end == End::DeviceAborts) {
                // Two reads answered, then an abort instead of the third answer.
                faults.delayedMs[kRead] = 20;
                faults.abortAtRequest = 3;
            } else if (c.end == End::UserDisconnects) {
                // Every read is answered, late: the link lives, the release waits for those out.
                faults.delayedMs[kRead] = 20;
            } else {
                // The reads stay unanswered and nothing else comes: the time-out ends them all,
                // the release queued behind them too, and aborts. Nothing will answer, so a
                // short time-out races nothing.
                faults.dropped = {kRead};
                session.ShortenLiveTimeouts();
            }
            if (c.end == End::DeviceAborts) UiTest::OnNextModal(Box(&aborted));
            NoFurtherWindow();
            session.device.SetFaults(faults);
            session.device.ClearRequests();
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            EXPECT_TRUE(session.dialog->GetIcdProgressDialog().IsWindowVisible());
            if (release) {
                // Disconnect comes once reads have reached the device (a window of them, when
                // the first goes unanswered).
                const std::size_t out = c.end == End::LinkStallsDuringRelease ? 1 : 2;
                ASSERT_TRUE(WaitUntil([&] { return ReadsLogged(session.device).size() >= out; }));
                UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
            }
            ASSERT_TRUE(WaitUntil([&] {
                return (release || aborted.seen) && session.dialog->GetState() == 0 &&
                       !session.dialog->IsIcdExportRunning();
            }));
            if (c.end == End::DeviceAborts) {
                EXPECT_EQ(aborted.text.rfind("Association has been aborted", 0), 0u) << aborted.text;
            }
            if (c.end == End::LinkStallsDuringRelease) {
                auto* status = static_cast<Ui::CStatusBarCtrl*>(
                    Ui::CWnd::FromWidget(session.dialog->GetDlgItemWidget(Id::StatusBar)));
                EXPECT_EQ(status->GetText(2), App::kDisconnectedUnansweredText);
            }
            if (c.end == End::UserDisconnects) {
                // The reads out were answered before the conclude, in the order asked, and led
                // nowhere; those not yet sent were withdrawn and never went.
                const std::vector<std::string> logged = ReadsLogged(session.device);
                ASSERT_LE(logged.size(), expected.size());
                EXPECT_EQ(logged, std::vector<std::string>(expected.begin(), expected.begin() + logged.size()));
            }
            // The release told nothing more: no second box.
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
            EXPECT_FALSE(session.dialog->GetIcdProgressDialog().IsWindowVisible());
            App::QXClient& client = *session.dialog->GetClient();
            client.GetPendingLock().Wait(0);
            EXPECT_EQ(client.GetPendingValueReads(), 0);
            client.GetPendingLock().Release();

            session.device.SetFaults({});
            // The window hears of the abort before the association has finished ending (and
            // the device, after a stall, hears of it last); an engineer first closes the box.
            ReconnectAfterTheEnd(session, window);
            ExportTo(session, window, path);
            ExpectSchemaAccepts(path);
        });
    }
}

// The device aborts the association at each step of an export (its value reads, the
// device parameters, the choice of the file), the link stalls during the reads, or the reads
// are left unanswered on a link that lives: no file (a file already there stays as it was),
// one box that says why (the device's abort, its silence, or the first read left
// unanswered), the export's open window closed with it, and the next export writes the
// same file as one undisturbed.
TEST(IcdCommand, AnExportThatLosesTheDevicesWordWritesNoFileAndSaysWhy) {
    enum class Step { Reads, Parameters, SaveAs, LinkStallsDuringReads, ReadsUnansweredOnALiveLink };
    struct Case {
        const char* what;
        Step step;
    };
    const Case cases[] = {
        {"aborted during the reads", Step::Reads},
        {"aborted while the parameters are asked", Step::Parameters},
        {"aborted while the file is chosen", Step::SaveAs},
        {"the link stalls during the reads", Step::LinkStallsDuringReads},
        {"reads unanswered, the association standing", Step::ReadsUnansweredOnALiveLink},
    };
    // The reports that keep the link alive come far more often than a read times out.
    constexpr int kUnansweredTimeoutMs = 1500;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        TempFolder folder;
        const bool lost = c.step != Step::ReadsUnansweredOnALiveLink;
        session.Run([&](QWidget* window) {
            Connect(session, window);
            ExportTo(session, window, folder.File("undisturbed.icd"));
            const std::string undisturbed = ReadWhole(folder.File("undisturbed.icd"));
            ASSERT_FALSE(undisturbed.empty());

            // The device aborts, as one that restarts does; the window hears of it before
            // the step goes on.
            const auto abortAndWait = [&session] {
                session.device.AbortAssociations();
                EXPECT_TRUE(WaitUntil([&] { return session.dialog->GetState() == 0; }));
            };
            const std::string path = folder.File("disturbed.icd");
            TestDevice::Faults faults;
            UiTest::MessageBoxSeen seen;
            switch (c.step) {
                case Step::Reads:
                    // Two reads answered, then an abort instead of the third answer.
                    faults.abortAtRequest = 3;
                    break;
                case Step::Parameters:
                    UiTest::OnNextModal("Device parameters", [&, abortAndWait](QWidget* parameters) {
                        abortAndWait();
                        // Closed by the end: nothing left for the user to fill in.
                        EXPECT_TRUE(WaitUntil([&] { return !parameters->isVisible(); }));
                    });
                    break;
                case Step::SaveAs:
                    // A file there already: no question whether to replace it comes either.
                    ASSERT_TRUE(std::filesystem::copy_file(folder.File("undisturbed.icd"), path));
                    UiTest::OnNextModal(Parameters(nullptr));
                    UiTest::OnNextModal("QFileDialog", [&, abortAndWait](QWidget* save) {
                        abortAndWait();
                        EXPECT_TRUE(WaitUntil([&] { return !save->isVisible(); }));
                    });
                    break;
                case Step::LinkStallsDuringReads:
                    // Two reads answered, then the device reads nothing more.
                    faults.stallAfterRequest = 3;
                    break;
                case Step::ReadsUnansweredOnALiveLink:
                    // The device's own reports keep the link alive: the reads time out one
                    // by one and the association stands. Nothing will answer them, so a short
                    // time-out races nothing; the next export has the long one back.
                    faults.dropped = {kRead};
                    faults.reportEveryMs = 100;
                    session.SetLiveTimeouts(kUnansweredTimeoutMs, 300);
                    break;
            }
            UiTest::OnNextModal(Box(&seen));
            NoFurtherWindow();
            session.device.SetFaults(faults);
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            ASSERT_TRUE(WaitUntil([&] { return seen.seen && !session.dialog->IsIcdExportRunning(); }, 60000));
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
            if (c.step == Step::SaveAs) {
                EXPECT_EQ(folder.Names(), (std::vector<std::string>{"disturbed.icd", "undisturbed.icd"}));
                EXPECT_EQ(ReadWhole(path), undisturbed);
            } else {
                EXPECT_EQ(folder.Names(), std::vector<std::string>{"undisturbed.icd"});
            }
            EXPECT_NE(ResultLine(*session.dialog).rfind("ICD file written", 0), 0u);
            if (lost) {
                EXPECT_EQ(seen.text.rfind("Association has been aborted", 0), 0u) << seen.text;
                EXPECT_NE(seen.text.find(App::kIcdExportStoppedText), std::string::npos) << seen.text;
                // What was lost, in the one box: the device's abort, or its silence.
                EXPECT_EQ(seen.text.find(App::LinkStalledText) != std::string::npos,
                          c.step == Step::LinkStallsDuringReads)
                    << seen.text;
                EXPECT_EQ(session.dialog->GetState(), 0);
            } else {
                EXPECT_EQ(seen.caption, "Error");
                // The first read that went unanswered, with the time-out it was given; none
                // was asked after the window it was in.
                std::string first = ReadsExpected(*session.dialog->GetServer()).front();
                first[first.find('$')] = ' ';
                EXPECT_EQ(seen.text, "The ICD file was not written: the read of " + first +
                                         " was not answered within 1.5 s, so the file would not give the device's "
                                         "values.");
                EXPECT_EQ(session.dialog->GetState(), 2);
            }
            EXPECT_TRUE(UiTest::FindControl(window, IdPath({Id::CreateIcd}))->isEnabled() == !lost);

            session.device.SetFaults({});
            if (lost) {
                ReconnectAfterTheEnd(session, window);
            } else {
                session.RestoreLiveTimeouts();
            }
            ExportTo(session, window, folder.File("after.icd"));
            EXPECT_EQ(ReadWhole(folder.File("after.icd")), undisturbed);
        });
    }
}

// A device that answers every read 1.2 s after the one before, in turn, under a time-out
// shorter than a whole window of its reads takes (8 of them, 9.6 s): each read's time-out
// counts from the answer before it, so no read that the device is still answering in turn
// times out, and the file is written. Timed from their sends, the later reads of a window
// would be confirmed unanswered. The export never has more reads out than its window, and
// "Explored LN" never counts a node whose reads the device has not answered: the device
// takes each read only once it has answered the one before, so the nodes shown, read again
// after, are never more than those whose every read the device has taken by then (the
// reads of constraints a node lacks, answered at once, do not count ahead of them).
TEST(IcdCommand, ADeviceThatAnswersEveryReadSlowlyGetsItsFile) {
    DialogSession session;
    session.dialog->SetProfileOverride(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "8000");
    TempFolder folder;
    const std::string path = folder.File("slow.icd");
    session.Run([&](QWidget* window) {
        Connect(session, window);
        TestDevice::Faults faults;
        faults.delayedMs[kRead] = 1200;
        session.device.SetFaults(faults);
        session.device.ClearRequests();
        const Iec61850::Acsi::TPAppAssociation* association = session.dialog->GetClient()->GetAssociation();
        ASSERT_NE(association, nullptr);
        // The device's reads of the first n nodes, for each n.
        std::vector<std::size_t> readsOfFirst = {0};
        {
            std::vector<std::string> nodes;
            ASSERT_TRUE(App::ListFirstDeviceNodes(*session.dialog->GetServer(), nodes));
            const std::vector<std::string> reads = ReadsExpected(*session.dialog->GetServer());
            for (const std::string& node : nodes) {
                readsOfFirst.push_back(readsOfFirst.back() + std::count_if(reads.begin(), reads.end(), [&](auto& r) {
                                           return r.rfind(node + "$", 0) == 0;
                                       }));
            }
        }
        std::uint32_t mostOut = 0;
        std::size_t mostShown = 0;
        UiTest::OnNextModal(Parameters(nullptr));
        UiTest::OnNextModal(SaveAs(path));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
        ASSERT_TRUE(WaitUntil(
            [&] {
                mostOut = std::max(mostOut, association->GetPendingCount());
                const std::size_t shown =
                    std::stoul(session.dialog->GetIcdProgressDialog().GetCountEdit().GetWindowText());
                const std::size_t taken = ReadsLogged(session.device).size();
                EXPECT_LE(readsOfFirst[std::min(shown, readsOfFirst.size() - 1)], taken) << shown << " nodes shown";
                mostShown = std::max(mostShown, shown);
                return !session.dialog->IsIcdExportRunning();
            },
            120000));
        EXPECT_GT(mostShown, 0u);
        EXPECT_EQ(UiTest::PendingModalActions(), 0);
        EXPECT_LE(mostOut, App::IcdReadWindow);
        EXPECT_EQ(ReadsLogged(session.device), ReadsExpected(*session.dialog->GetServer()));
        ExpectSchemaAccepts(path);
        EXPECT_EQ(ResultLine(*session.dialog), "ICD file written: " + path);
    });
}

// A device that answers every read 300 ms after the one before: a Disconnect or the
// window's close during the export's reads waits behind the reads already out (a window of
// them takes longer than the release limit). The end comes within the limit and a second,
// and the status line never says the device did not answer: it was answering all along.
TEST(IcdCommand, TheEndDuringTheReadsOfASlowDeviceBlamesNoSilence) {
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "the window closed" : "Disconnect");
        DialogSession session;
        auto start = std::chrono::steady_clock::now();
        session.Run([&](QWidget* window) {
            Connect(session, window);
            TestDevice::Faults faults;
            faults.delayedMs[kRead] = 300;
            session.device.SetFaults(faults);
            const Iec61850::Acsi::TPAppAssociation* association = session.dialog->GetClient()->GetAssociation();
            ASSERT_NE(association, nullptr);
            NoFurtherWindow();
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            // Sent, so that no withdrawal takes them back: more than the limit's worth of answers.
            ASSERT_TRUE(WaitUntil([&] { return association->GetPendingCount() >= App::IcdReadWindow - 1; }));
            start = std::chrono::steady_clock::now();
            if (close) {
                window->close();
                return;
            }
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
            ASSERT_TRUE(session.ReachState(0, 10000));
            EXPECT_EQ(ResultLine(*session.dialog), App::kDisconnectedWhileAnsweringText);
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
        });
        if (close) session.dialog->Shutdown();
        EXPECT_LE(std::chrono::steady_clock::now() - start,
                  App::ConnectionSession::ShutdownReleaseLimit + std::chrono::seconds(1));
        // The device finds the association gone once it has served what it holds.
        if (close) {
            EXPECT_TRUE(WaitUntil([&] { return session.device.OpenAssociations() == 0; }));
        }
        UiTest::ForgetModalActions();
    }
}

// The IED's manufacturer and type are what the device answered to Identify, and left out
// (both optional) when it gave none: not the tester's own identity, nor an earlier device's.
TEST(IcdCommand, TheFileNamesOnlyTheIdentityTheDeviceGave) {
    struct Case {
        const char* what;
        void (*fault)(TestDevice::Faults&);
        const char* manufacturer;  // null: none in the file
        const char* type;
    };
    const Case cases[] = {
        {"identify answered", [](TestDevice::Faults&) {}, "Test Works", "IEC 61850 test device"},
        {"identify not offered", [](TestDevice::Faults& f) { f.hideIdentify = true; }, nullptr, nullptr},
        {"identify refused", [](TestDevice::Faults& f) { f.refused[3] = TestDevice::Faults::Refusal{}; }, nullptr,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        TestDevice::Faults faults;
        c.fault(faults);
        session.device.SetFaults(faults);
        TempFolder folder;
        const std::string path = folder.File("identity.icd");
        session.Run([&](QWidget* window) {
            Connect(session, window);
            ExportTo(session, window, path);
            ExpectSchemaAccepts(path);
            const auto root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(ReadWhole(path));
            ASSERT_NE(root, nullptr);
            const auto ieds = IcdTestModel::Elements(*root, "IED");
            ASSERT_EQ(ieds.size(), 1u);
            EXPECT_EQ(ieds.front()->HasAttribute("manufacturer"), c.manufacturer != nullptr);
            EXPECT_EQ(ieds.front()->HasAttribute("type"), c.type != nullptr);
            EXPECT_EQ(IcdTestModel::AttributeOf(*ieds.front(), "manufacturer"), c.manufacturer ? c.manufacturer : "");
            EXPECT_EQ(IcdTestModel::AttributeOf(*ieds.front(), "type"), c.type ? c.type : "");
        });
    }
}

// The device's domain-scope name lists asked since it was last cleared, by domain.
std::vector<std::string> DeviceNameListsAsked(const TestDevice::Device& device) {
    std::vector<std::string> domains;
    for (const TestDevice::RequestRecord& record : device.Requests()) {
        if (record.service == Mms::MmsServiceGetNameList && !record.names.empty())
            domains.insert(domains.end(), record.names.begin(), record.names.end());
    }
    return domains;
}

// The members of the data set's named variable list as the model holds them.
std::vector<std::string> ListMembers(Iec61850::Acsi::Server& server, const std::string& reference) {
    std::vector<std::string> names;
    const Mms::ModelHold hold(&server);
    Iec61850::Acsi::DataSet* dataSet = nullptr;
    if (server.FindDataSet(hold, reference, dataSet) != System::OkNoError || dataSet->GetList() == nullptr)
        return names;
    for (const Mms::Variable* member : dataSet->GetList()->Members) member->GetName(names.emplace_back());
    return names;
}

// Disconnects, starts another device on the port (the small model shaped as given: more
// logical nodes or data sets under the same identity and logical devices), and connects
// again without reload: the model kept is shown, and the status line says so. Null when the
// steps fail (the test has failed then).
std::unique_ptr<TestDevice::Device> RestartUnderAKeptModel(DialogSession& session, QWidget* window,
                                                           const TestDevice::ModelOptions& model = {}) {
    UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
    if (!session.ReachState(0)) return nullptr;
    TestDevice::Device::Options options = TestDevice::Device::TakeOverPortOf(session.device);
    options.model = model;
    auto restarted = std::make_unique<TestDevice::Device>(options);
    if (restarted->Start() != System::OkNoError) return nullptr;
    Connect(session, window);
    EXPECT_TRUE(session.dialog->GetClient()->IsModelKept());
    EXPECT_EQ(ResultLine(*session.dialog), App::kModelKeptText);
    restarted->ClearRequests();
    return restarted;
}

// A model kept for the address, the device restarted there with the same identity and
// logical devices: unchanged, the export compares its name lists and data sets with the
// model once per association and writes the file the first connection wrote, no type read
// again; with more logical nodes (its setting groups) or a data set more or fewer, it writes
// no file and says what changed and the way out, which then gives the file with them; a
// device that refuses its names gets no file either, since the model cannot be vouched for,
// and the box gives the device's own reason.
TEST(IcdCommand, AKeptModelIsCheckedAgainstTheDeviceBeforeItsFileIsWritten) {
    using Refusal = TestDevice::Faults::Refusal;
    const std::vector<std::string> dsx = {"MMXU1$MX$TotW"};
    struct Case {
        const char* what;
        TestDevice::ModelOptions first;
        TestDevice::ModelOptions restarted;
        std::optional<Refusal> namesRefused;
        const char* refusal;  // null: the file is written
        const char* reloadedHas = nullptr;
        // The request refused (service, first name), when one is.
        std::pair<std::int32_t, std::string> refusedAt = {Mms::MmsServiceGetNameList, "LD0"};
        // A check before, ended by a refused members read while the reads after it are out.
        bool lateMembers = false;
    };
    const auto changed = [](const char* what) {
        return "The ICD file was not written: the device has changed since its data model was kept (LD0: " +
               std::string(what) + "); connect again with \"Reload data model\" checked.";
    };
    const auto unlisted = [](const char* why) {
        return "The ICD file was not written: the data model kept from an earlier connection could not be checked "
               "against the device (LD0: " +
               std::string(why) + ").";
    };
    TestDevice::ModelOptions moreNodes;
    moreNodes.settingGroups = true;
    TestDevice::ModelOptions withDsx;
    withDsx.extraDataSet = dsx;
    TestDevice::ModelOptions withOtherDsx;
    withOtherDsx.extraDataSet = {"MMXU1$MX$TotVAr"};
    const std::string nodesAdded = changed("PDIF1, PTOC1 added, data set LLN0.dsSettings added");
    const std::string dataSetAdded = changed("data set LLN0.dsx added");
    const std::string dataSetGone = changed("data set LLN0.dsx gone");
    const std::string membersChanged = changed("data set LLN0.dsx members changed");
    const std::string rejected = unlisted(
        "the device refused its list of variables: reject, confirmed-requestPDU, code 1 (unrecognized-service)");
    const std::string denied =
        unlisted("the device refused its list of variables: access (8), code 3 (object-access-denied)");
    const std::string membersDenied =
        unlisted("the device refused the members of data set LLN0.ds1: access (8), code 3 (object-access-denied)");
    const Refusal accessDenied{false, 0, static_cast<std::uint32_t>(Mms::MmsPackError(Mms::MmsErrorClassAccess, 3))};
    const Case cases[] = {
        {"the same device", {}, {}, std::nullopt, nullptr},
        {"the same device with a data set more than the small model", withDsx, withDsx, std::nullopt, nullptr},
        {"the device with more logical nodes", {}, moreNodes, std::nullopt, nodesAdded.c_str(), "PDIF"},
        {"the device with a data set more", {}, withDsx, std::nullopt, dataSetAdded.c_str(), "\"dsx\""},
        {"the device with a data set fewer", withDsx, {}, std::nullopt, dataSetGone.c_str()},
        {"the device with other members in a data set", withDsx, withOtherDsx, std::nullopt, membersChanged.c_str(),
         "doName=\"TotVAr\""},
        {"the device rejecting its names", {}, {}, Refusal{}, rejected.c_str()},
        {"the device denying access to its names", {}, {}, accessDenied, denied.c_str()},
        {"the device denying access to a data set's members",
         {},
         {},
         accessDenied,
         membersDenied.c_str(),
         nullptr,
         {Mms::MmsServiceGetNamedVariableListAttributes, "LD0/LLN0$ds1"}},
        {"other members, checked again at once while the last check's members reads are out",
         withDsx,
         withOtherDsx,
         std::nullopt,
         membersChanged.c_str(),
         nullptr,
         {Mms::MmsServiceGetNameList, "LD0"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDevice::Device::Options options;
        options.model = c.first;
        DialogSession session(options);
        TempFolder folder;
        session.Run([&](QWidget* window) {
            Connect(session, window);
            ExportTo(session, window, folder.File("first.icd"));
            const std::string first = ReadWhole(folder.File("first.icd"));
            ASSERT_FALSE(first.empty());
            const std::unique_ptr<TestDevice::Device> device = RestartUnderAKeptModel(session, window, c.restarted);
            ASSERT_NE(device, nullptr);
            TestDevice::Device& restarted = *device;
            if (c.namesRefused) {
                TestDevice::Faults faults;
                faults.refusedNames[c.refusedAt] = *c.namesRefused;
                restarted.SetFaults(faults);
            }

            if (c.refusal == nullptr) {
                for (const char* name : {"kept.icd", "again.icd"}) {
                    ExportTo(session, window, folder.File(name));
                    EXPECT_EQ(ReadWhole(folder.File(name)), first) << name;
                }
                // Two name lists per logical device (its names, its data sets), asked by the
                // first export alone.
                EXPECT_EQ(DeviceNameListsAsked(restarted), (std::vector<std::string>{"LD0", "LD0", "bay1", "bay1"}));
                for (const TestDevice::RequestRecord& record : restarted.Requests())
                    EXPECT_NE(record.service, Mms::MmsServiceGetVariableAccessAttributes);
                return;
            }
            if (c.lateMembers) {
                // LLN0.ds1's members are refused once every members read is out (so that none
                // is withdrawn with the export), and the device then holds those after it:
                // the first check ends unchecked, and their answers come during the next.
                const std::pair<std::int32_t, std::string> ds1{Mms::MmsServiceGetNamedVariableListAttributes,
                                                               "LD0/LLN0$ds1"};
                TestDevice::Faults faults;
                faults.heldNames = {ds1};
                faults.refusedNames[ds1] = accessDenied;
                restarted.SetFaults(faults);
                const Iec61850::Acsi::TPAppAssociation* association = session.dialog->GetClient()->GetAssociation();
                ASSERT_NE(association, nullptr);
                UiTest::MessageBoxSeen unchecked;
                UiTest::OnNextModal(Box(&unchecked));
                UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
                ASSERT_TRUE(WaitUntil([&] {
                    const std::vector<TestDevice::RequestRecord> requests = restarted.Requests();
                    return association->GetPendingCount() >= 3 &&  // ds1, ds2, dsx
                           std::any_of(requests.begin(), requests.end(), [&](const TestDevice::RequestRecord& r) {
                               return r.service == ds1.first && r.names == std::vector<std::string>{ds1.second};
                           });
                }));
                faults = {};
                faults.held = {Mms::MmsServiceGetNamedVariableListAttributes};
                restarted.SetFaults(faults);
                ASSERT_TRUE(WaitUntil([&] { return unchecked.seen && !session.dialog->IsIcdExportRunning(); }));
                EXPECT_NE(unchecked.text.find("(object-access-denied)"), std::string::npos) << unchecked.text;
            }
            UiTest::MessageBoxSeen seen;
            UiTest::OnNextModal(Box(&seen));
            NoFurtherWindow();
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            if (c.lateMembers) restarted.SetFaults({});
            ASSERT_TRUE(WaitUntil([&] { return seen.seen && !session.dialog->IsIcdExportRunning(); }));
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
            EXPECT_EQ(seen.caption, "Error");
            EXPECT_EQ(seen.text, c.refusal);
            EXPECT_EQ(folder.Names(), std::vector<std::string>{"first.icd"});
            EXPECT_FALSE(session.dialog->GetIcdProgressDialog().IsWindowVisible());
            EXPECT_TRUE(UiTest::FindControl(window, IdPath({Id::CreateIcd}))->isEnabled());
            // No answer of the device's is left in the list the model's data set stands on.
            if (c.lateMembers) {
                EXPECT_EQ(ListMembers(*session.dialog->GetServer(), "LD0/LLN0.dsx"),
                          std::vector<std::string>{"LD0/" + dsx.front()});
            }
            if (c.reloadedHas == nullptr) return;

            // The way out the line names.
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
            ASSERT_TRUE(session.ReachState(0));
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Reload})));
            Connect(session, window);
            EXPECT_FALSE(session.dialog->GetClient()->IsModelKept());
            ExportTo(session, window, folder.File("reloaded.icd"));
            const std::string reloaded = ReadWhole(folder.File("reloaded.icd"));
            ExpectSchemaAccepts(folder.File("reloaded.icd"));
            EXPECT_NE(reloaded.find(c.reloadedHas), std::string::npos) << c.reloadedHas;
        });
    }
}

// Disconnect while the device holds the check's first name list: the check goes no further
// (no second name list, no value read, no window), and on the next association the export
// checks again and writes its file.
TEST(IcdCommand, ADisconnectDuringAKeptModelsCheckEndsTheExport) {
    DialogSession session;
    TempFolder folder;
    session.Run([&](QWidget* window) {
        Connect(session, window);
        const std::unique_ptr<TestDevice::Device> device = RestartUnderAKeptModel(session, window);
        ASSERT_NE(device, nullptr);
        TestDevice::Faults faults;
        faults.held = {Mms::MmsServiceGetNameList};
        device->SetFaults(faults);
        NoFurtherWindow();
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
        EXPECT_EQ(ResultLine(*session.dialog), App::kIcdCheckingKeptModelText);
        ASSERT_TRUE(WaitUntil([&] { return !DeviceNameListsAsked(*device).empty(); }));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
        EXPECT_FALSE(session.dialog->IsIcdExportRunning());
        device->SetFaults({});
        ASSERT_TRUE(session.ReachState(0));
        EXPECT_EQ(UiTest::PendingModalActions(), 1);
        UiTest::ForgetModalActions();
        EXPECT_EQ(DeviceNameListsAsked(*device), std::vector<std::string>{"LD0"});
        EXPECT_TRUE(ReadsLogged(*device).empty());
        EXPECT_FALSE(session.dialog->GetIcdProgressDialog().IsWindowVisible());

        device->ClearRequests();
        ReconnectAfterTheEnd(session, window);
        ExportTo(session, window, folder.File("after.icd"));
        ExpectSchemaAccepts(folder.File("after.icd"));
        EXPECT_EQ(DeviceNameListsAsked(*device), (std::vector<std::string>{"LD0", "LD0", "bay1", "bay1"}));
    });
}

// Each list the device refuses while its model is read is told in one box, in the device's
// words; the model is shown as far as it was read and the status line says it is incomplete.
// Create ICD on it then writes nothing and names what was refused, and the next connect reads
// the model afresh instead of keeping it. A model read empty without a refusal (the device
// offers no name lists) gets a box from Create ICD too.
TEST(IcdCommand, AModelReadWithARefusalIsToldAndNeitherExportedNorKept) {
    const TestDevice::Faults::Refusal denied{
        false, 0, static_cast<std::uint32_t>(Mms::MmsPackError(Mms::MmsErrorClassAccess, 3))};
    const std::string because = ": access (8), code 3 (object-access-denied)";
    struct Case {
        const char* what;
        TestDevice::Faults faults;
        std::vector<std::string> refusals;
    };
    std::vector<Case> cases(5);
    cases[0] = {"the domain list", {}, {"the device refused its list of logical devices" + because}};
    cases[0].faults.refusedNameLists[{Mms::MmsClassDomain, Mms::MmsObjectScopeVmd}] = denied;
    cases[1] = {"the variables",
                {},
                {"LD0: the device refused its list of variables" + because,
                 "bay1: the device refused its list of variables" + because}};
    cases[1].faults.refusedNameLists[{Mms::MmsClassNamedVariable, Mms::MmsObjectScopeDomain}] = denied;
    cases[2] = {"the data sets",
                {},
                {"LD0: the device refused its list of data sets" + because,
                 "bay1: the device refused its list of data sets" + because}};
    cases[2].faults.refusedNameLists[{Mms::MmsClassNamedVariableList, Mms::MmsObjectScopeDomain}] = denied;
    cases[3] = {"one data set's members", {}, {"LD0: the device refused the members of data set LLN0.ds1" + because}};
    cases[3].faults.refusedNames[{Mms::MmsServiceGetNamedVariableListAttributes, "LD0/LLN0$ds1"}] = denied;
    cases[4] = {"no name lists offered", {}, {}};
    cases[4].faults.unannounced = {Mms::MmsServiceGetNameList};
    const auto join = [](const std::vector<std::string>& lines, const char* between) {
        std::string text;
        for (const std::string& line : lines) text += (text.empty() ? "" : between) + line;
        return text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogSession session;
        session.device.SetFaults(c.faults);
        const std::string loadBox = "The device refused part of its data model while it was read:\n" +
                                    join(c.refusals, "\n") + "\nOnly the part read is shown.";
        session.Run([&](QWidget* window) {
            UiTest::MessageBoxSeen loaded;
            if (!c.refusals.empty()) UiTest::OnNextModal(Box(&loaded));
            NoFurtherWindow();
            Connect(session, window);
            if (!c.refusals.empty()) {
                ASSERT_TRUE(WaitUntil([&] { return loaded.seen; }));
                EXPECT_EQ(loaded.text, loadBox);
                EXPECT_EQ(ResultLine(*session.dialog), App::kModelRefusedText);
            }
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();

            session.device.ClearRequests();
            UiTest::MessageBoxSeen refused;
            UiTest::OnNextModal(Box(&refused));
            NoFurtherWindow();
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::CreateIcd})));
            ASSERT_TRUE(WaitUntil([&] { return refused.seen; }));
            EXPECT_EQ(refused.caption, "Error");
            EXPECT_EQ(refused.text,
                      c.refusals.empty()
                          ? "The ICD file was not written: the device's data model holds no logical device."
                          : "The ICD file was not written: the data model is incomplete, since the device "
                            "refused part of it while it was read (" +
                                join(c.refusals, "; ") + ").");
            EXPECT_FALSE(session.dialog->IsIcdExportRunning());
            EXPECT_TRUE(ReadsLogged(session.device).empty());
            EXPECT_TRUE(UiTest::FindControl(window, IdPath({Id::CreateIcd}))->isEnabled());
            EXPECT_EQ(UiTest::PendingModalActions(), 1);
            UiTest::ForgetModalActions();
            if (c.refusals.empty()) return;

            // Not kept: read afresh, so the device is asked, and refuses, again.
            UiTest::Click(UiTest::FindControl(window, IdPath({Id::Disconnect})));
            ASSERT_TRUE(session.ReachState(0));
            UiTest::MessageBoxSeen again;
            UiTest::OnNextModal(Box(&again));
            Connect(session, window);
            ASSERT_TRUE(WaitUntil([&] { return again.seen; }));
            EXPECT_EQ(again.text, loadBox);
            EXPECT_FALSE(session.dialog->GetClient()->IsModelKept());
            EXPECT_EQ(ResultLine(*session.dialog), App::kModelRefusedText);
        });
    }
}

// Reads the client refuses at once (it has no association here) are taken off the count
// and tallied as unanswered, so that no file is made of them; the refusal that reaches 0
// says so, since no answer will come to end the reads.
TEST(IcdValueReads, RefusedRequestsAreTakenOffTheCount) {
    struct Case {
        std::int32_t raisedBy;
        std::vector<std::string> nodes;
        bool ended;
        std::int32_t left;
        std::int32_t unanswered;
    };
    const std::vector<Case> cases = {
        {8, {"LD0/LLN0", "LD0/XCBR1"}, true, 0, 8},
        {9, {"LD0/LLN0", "LD0/XCBR1"}, false, 1, 8},  // one answer still to come
        {0, {"LD0/LLN0"}, false, 0, 0},               // never below 0
    };
    for (const Case& c : cases) {
        App::QXClient client;
        App::RaisePendingValueReads(client, c.raisedBy);
        EXPECT_EQ(App::RequestIcdValues(client, c.nodes), c.ended);
        EXPECT_EQ(client.GetPendingValueReads(), c.left);
        EXPECT_EQ(client.GetValueReadTally().unanswered, c.unanswered);
        App::ResetPendingValueReads(client);
        EXPECT_EQ(client.GetPendingValueReads(), 0);
        EXPECT_EQ(client.GetValueReadTally().unanswered, 0);
    }
}

}  // namespace
}  // namespace AppTest
