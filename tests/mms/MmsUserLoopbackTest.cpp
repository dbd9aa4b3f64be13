// The service user over the whole stack on 127.0.0.1: a client VMD against the library's
// own server VMD, through a relay that records every byte for Wireshark.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "mms/LoopbackModel.h"
#include "mms/MmsLoopback.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/machine/MmsFrame.h"
#include "mms/machine/RequestHandle.h"
#include "mms/user/InformationReport.h"
#include "mms/values/Structure.h"
#include "osi/AssociationWireRelay.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

using namespace MmsObjectTest;

namespace {

// A request of a class of its own: answered into the done queue like an ACSI service.
class TestService : public Mms::RequestHandle {
public:
    explicit TestService(Mms::MmsConnection& connection) : RequestHandle(connection) {}
};

class MmsUserLoopbackTest : public ::testing::Test {
protected:
    Mms::MmsUserConnection& User() { return client.User(); }
    Mms::MmsConnection& Machine() { return *client.end.Mms(); }

    Mms::Domain* ClientDomain(const char* name) {
        Mms::Domain* domain = nullptr;
        client.vmd.FindDomain(name, domain);
        return domain;
    }
    Mms::NamedVariable* ClientVariable(const char* domain, const char* item) {
        Mms::NamedVariable* variable = nullptr;
        client.vmd.FindNamedVariable(*Name(domain, item), variable);
        return variable;
    }

    // The answered service with this invoke id, taken off the done queue.
    std::unique_ptr<Mms::RequestHandle> Collect(std::uint32_t invokeId, std::uint32_t limitMs = 10000) {
        return std::unique_ptr<Mms::RequestHandle>(User().TakeDoneRequest(invokeId, limitMs));
    }

    std::uint32_t Send(System::ResultCode (Mms::MmsUserConnection::*operation)(Mms::RequestHandle*, Mms::Variable*),
                       Mms::Variable* variable) {
        auto* service = new TestService(Machine());
        const std::uint32_t invokeId = service->GetInvokeId();
        EXPECT_EQ((User().*operation)(service, variable), System::OkNoError);
        return invokeId;
    }

    // The two reports that a write of ReportTrigger makes the server send.
    void ExpectReports(Mms::NamedVariable& stVal) {
        ASSERT_EQ(client.vmd.PendingReportCount(), 2u);
        std::unique_ptr<Mms::InformationReport> list(client.vmd.PopInformationReport());
        std::unique_ptr<Mms::InformationReport> variables(client.vmd.PopInformationReport());
        EXPECT_EQ(list->GetKind(), Mms::InformationReport::ListReport);
        EXPECT_EQ(list->GetListName(), "RPT");
        ASSERT_EQ(list->Values.size(), 2u);
        EXPECT_EQ(Text(list->Values[0]), "rpt-1");
        EXPECT_EQ(Text(list->Values[1]), "7");
        EXPECT_EQ(variables->GetKind(), Mms::InformationReport::VariablesReport);
        EXPECT_EQ(variables->Names, std::vector<std::string>{"LD0/LLN0$ST$Mod$stVal"});
        EXPECT_EQ(variables->ApplyValue(0), System::OkNoError);
        EXPECT_EQ(Text(stVal), "6");
    }

    // Loads the names a test needs without the whole directory.
    Mms::NamedVariable* AddClientVariable(const char* domainName, const char* item) {
        Mms::Domain* domain = ClientDomain(domainName);
        if (domain == nullptr) {
            domain = new Mms::Domain(&User(), domainName, &client.vmd);
            client.vmd.AddObject(domain);
        }
        auto* variable = new Mms::NamedVariable(&User(), item, domain);
        domain->AddObject(variable);
        return variable;
    }

    LoopbackModel::TestVmd serverVmd;
    MmsLoopback::Server server{serverVmd};
    AssociationTest::AssociationWireRelay relay{server.Port()};
    MmsLoopback::Client client;
};

TEST_F(MmsUserLoopbackTest, EveryRequestIsAnsweredAndASecondAssociationWorksOnTheSameObjects) {
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    EXPECT_EQ(User().GetState(), Mms::MmsUserConnection::StateAssociated);
    // The server announces what it serves, so that our own check sees it.
    for (int service : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15})
        EXPECT_TRUE(Machine().IsServiceSupported(service)) << service;
    EXPECT_FALSE(Machine().IsServiceSupported(11));

    // Identity and status.
    ASSERT_EQ(client.vmd.Identify(), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_FALSE(client.vmd.AwaitsIdentity());
    EXPECT_FALSE(client.vmd.IdentifyCutShort());
    EXPECT_EQ(client.vmd.GetIdentity().vendorName, "Loopback Works");
    EXPECT_EQ(client.vmd.GetIdentity().modelName, "Test IED");
    EXPECT_EQ(client.vmd.GetIdentity().revision, "2.1");
    ASSERT_EQ(client.vmd.Status(), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(client.vmd.LogicalStatus, 1);
    EXPECT_EQ(client.vmd.PhysicalStatus, 2);

    // Name lists of domains, VMD variables and a domain's lists.
    Mms::NameCollection names;
    ASSERT_EQ(User().GetAllNames(Mms::MmsObjectClassBasic, Mms::MmsClassDomain, Mms::MmsObjectScopeVmd, names),
              System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(names, (Mms::NameCollection{"LD0", "LD1", "PROT"}));
    names.clear();
    ASSERT_EQ(User().GetAllNames(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariable, Mms::MmsObjectScopeVmd, names),
              System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(names, (Mms::NameCollection{"ReportTrigger", "SerialNumber"}));
    names.clear();
    ASSERT_EQ(User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariableList,
                                         Mms::MmsObjectScopeDomain, "LD0", names),
              System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(names, (Mms::NameCollection{"LLN0$DataSet1"}));

    // The whole directory: domain attributes, variable types and values, list members.
    ASSERT_EQ(client.vmd.LoadFromPeer(), System::OkNoError);
    // Of the many requests the load made and waited for only the last of, none is left:
    // each went once answered and no longer any wait's.
    EXPECT_EQ(User().GetHeldOwnCount(), 0u);
    Mms::Domain* ld0 = ClientDomain("LD0");
    Mms::Domain* ld1 = ClientDomain("LD1");
    Mms::Domain* prot = ClientDomain("PROT");
    ASSERT_NE(ld0, nullptr);
    ASSERT_NE(ld1, nullptr);
    ASSERT_NE(prot, nullptr);
    EXPECT_EQ(prot->State, 3u);
    EXPECT_TRUE(prot->Capabilities.empty());
    Mms::NamedVariable* stVal = ClientVariable("LD0", "LLN0$ST$Mod$stVal");
    Mms::NamedVariable* f = ClientVariable("LD0", "MMXU1$MX$TotW$mag$f");
    Mms::NamedVariable* pos = ClientVariable("LD1", "XCBR1$ST$Pos$stVal");
    Mms::NamedVariable* lln0 = ClientVariable("LD0", "LLN0");
    ASSERT_TRUE(stVal != nullptr && f != nullptr && pos != nullptr && lln0 != nullptr);
    EXPECT_EQ(Text(*stVal), "1");
    EXPECT_EQ(Text(*f), "230.5");
    EXPECT_EQ(Text(*pos), "10");
    // The components of a typed variable are the values of its "$" variables.
    EXPECT_EQ(stVal->GetValue(), Component(*lln0, "ST$Mod$stVal"));
    Mms::NamedVariableList* dataSet = ld0->FindNamedVariableList("LLN0$DataSet1");
    ASSERT_NE(dataSet, nullptr);
    EXPECT_EQ(dataSet->Members, (std::list<Mms::Variable*>{stVal, f, pos}));
    EXPECT_FALSE(dataSet->Deletable);

    // Reads: one variable (its type from the answer), a list, several variables at once.
    Mms::NamedVariable* serial = ClientVariable("", "SerialNumber");
    ASSERT_NE(serial, nullptr);
    EXPECT_EQ(User().ReadVariableValueAndWait(serial), System::OkNoError);
    EXPECT_EQ(Text(*serial), "SN-0001");
    ASSERT_EQ(User().ReadNamedVariableListValues(dataSet), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    Mms::VariableCollection several{stVal, f, serial};
    auto* readSeveral = new TestService(Machine());
    const std::uint32_t readSeveralId = readSeveral->GetInvokeId();
    ASSERT_EQ(User().ReadVariables(readSeveral, &several), System::OkNoError);
    std::unique_ptr<Mms::RequestHandle> done = Collect(readSeveralId);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::OkNoError);
    EXPECT_EQ(done->GetAnswerKind(), Mms::MmsPduConfirmedResponse);

    // Writes: one variable, read back over a local change.
    ASSERT_EQ(stVal->FromText("2"), System::OkNoError);
    EXPECT_EQ(User().WriteVariableValueAndWait(stVal), System::OkNoError);
    ASSERT_EQ(stVal->FromText("4"), System::OkNoError);
    EXPECT_EQ(User().ReadVariableValueAndWait(stVal), System::OkNoError);
    EXPECT_EQ(Text(*stVal), "2");

    // A list: one result per member.
    ASSERT_EQ(stVal->FromText("3"), System::OkNoError);
    ASSERT_EQ(f->FromText("231.25"), System::OkNoError);
    ASSERT_EQ(pos->FromText("01"), System::OkNoError);
    ASSERT_EQ(User().WriteNamedVariableListValues(dataSet), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    for (Mms::Variable* member : dataSet->Members) EXPECT_EQ(member->ErrStatus, System::OkNoError);
    ASSERT_EQ(f->FromText("1"), System::OkNoError);
    ASSERT_EQ(User().ReadNamedVariableListValues(dataSet), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(Text(*stVal), "3");
    EXPECT_EQ(Text(*f), "231.25");
    EXPECT_EQ(Text(*pos), "01");

    // Several variables, one of which the server refuses: that one is marked, and the
    // request reports the access error.
    Mms::NamedVariable wrongSerial(&User(), "SerialNumber", &client.vmd);
    ASSERT_EQ(Retype(wrongSerial, SimpleType(Mms::MmsTypeInteger, 8)), System::OkNoError);
    ASSERT_EQ(wrongSerial.FromText("5"), System::OkNoError);
    Mms::VariableCollection pair{stVal, &wrongSerial};
    auto* writePair = new TestService(Machine());
    const std::uint32_t writePairId = writePair->GetInvokeId();
    ASSERT_EQ(User().WriteVariables(writePair, &pair), System::OkNoError);
    done = Collect(writePairId);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::Error);
    EXPECT_EQ(done->GetErrorClass(), Mms::MmsErrorClassAccess);
    EXPECT_EQ(done->GetErrorCode(), Mms::MmsObjectAccessDenied);
    EXPECT_EQ(wrongSerial.GetValue()->GetState(), Mms::StateAccessError);
    EXPECT_EQ(stVal->GetValue()->GetState(), Mms::StateValid);

    // Attributes of a variable, of a domain; the capability list.
    ASSERT_EQ(lln0->GetAccessAttributes(), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_NE(Component(*lln0, "CF$Mod$ctlModel"), nullptr);
    prot->State = 0;
    ASSERT_EQ(User().GetDomainAttributes(prot), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(prot->State, 3u);
    Mms::NameCollection capabilities{"old"};
    auto* capabilityRequest = new TestService(Machine());
    const std::uint32_t capabilityId = capabilityRequest->GetInvokeId();
    ASSERT_EQ(User().GetCapabilityList(capabilityRequest, &capabilities, std::nullopt), System::OkNoError);
    done = Collect(capabilityId);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::OkNoError);
    EXPECT_EQ(capabilities, Mms::NameCollection{"old"});

    // Named variable lists: define, refuse a second definition, read the attributes the
    // server keeps, refuse deleting a fixed list, delete ours.
    auto* defined = new Mms::NamedVariableList("ClientSet", ld1);
    ASSERT_EQ(defined->ErrStatus, System::OkNoError);
    defined->Members = {pos, stVal};
    EXPECT_EQ(User().DefineNamedVariableListAndWait(defined), System::OkNoError);
    Mms::RequestOutcome outcome;
    ASSERT_EQ(User().DefineNamedVariableListObject(defined), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequestWithError(outcome), System::Error);
    EXPECT_EQ(outcome.answerKind, Mms::MmsPduConfirmedError);
    EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassDefinition);
    EXPECT_EQ(outcome.errorCode, 5);  // object-exists
    Mms::NamedVariableList image(&User(), "ClientSet", ld1);
    ASSERT_EQ(image.GetAttributes(), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_TRUE(image.Deletable);
    EXPECT_EQ(image.Members, (std::list<Mms::Variable*>{pos, stVal}));
    ASSERT_EQ(User().DeleteNamedVariableListObject(dataSet), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequestWithError(outcome), System::Error);
    EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassDefinition);
    EXPECT_EQ(outcome.errorCode, 1);  // object-undefined
    EXPECT_EQ(ld0->FindNamedVariableList("LLN0$DataSet1"), dataSet);
    EXPECT_EQ(User().DeleteNamedVariableListAndWait(defined), System::OkNoError);
    EXPECT_EQ(ld1->FindNamedVariableList("ClientSet"), nullptr);
    names.clear();
    ASSERT_EQ(User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariableList,
                                         Mms::MmsObjectScopeDomain, "LD1", names),
              System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_TRUE(names.empty());

    // Information reports, filed by the client's VMD as they arrive.
    Mms::NamedVariable* trigger = ClientVariable("", "ReportTrigger");
    ASSERT_NE(trigger, nullptr);
    ASSERT_EQ(User().ReadVariableValueAndWait(trigger), System::OkNoError);
    ASSERT_EQ(trigger->FromText("True"), System::OkNoError);
    EXPECT_EQ(User().WriteVariableValueAndWait(trigger), System::OkNoError);
    ExpectReports(*stVal);

    // Conclude; then a second association on the same objects sees what the first wrote.
    EXPECT_EQ(client.Release(), System::OkNoError);
    EXPECT_EQ(User().GetState(), Mms::MmsUserConnection::StateIdle);
    ASSERT_TRUE(server.WaitUntilIdle());
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    EXPECT_EQ(User().ReadVariableValueAndWait(stVal), System::OkNoError);
    EXPECT_EQ(Text(*stVal), "3");
    EXPECT_EQ(User().WriteVariableValueAndWait(trigger), System::OkNoError);
    ExpectReports(*stVal);
    EXPECT_EQ(client.Release(), System::OkNoError);

    // The two sessions as Wireshark reads them.
    ASSERT_EQ(relay.Connections(), 2u);
    if (!TestSupport::WireCheckRuns()) return;
    for (std::size_t connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        const std::vector<TestSupport::WireUnit> units = relay.Units(connection);
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        const std::string decoded = TestSupport::DecodeVerbose(units);
        for (const char* expected : {"initiate-RequestPDU", "initiate-ResponsePDU", "read (4)", "write (5)",
                                     "informationReport (0)", "conclude-RequestPDU", "conclude-ResponsePDU"}) {
            EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
        }
    }
    const std::vector<TestSupport::WireUnit> first = relay.Units(0);
    const std::string decoded = TestSupport::DecodeVerbose(first);
    for (const char* expected : {"identify (2)", "status (0)", "getNameList (1)", "getVariableAccessAttributes (6)",
                                 "defineNamedVariableList (11)", "getNamedVariableListAttributes (12)",
                                 "deleteNamedVariableList (13)", "getDomainAttributes (37)", "getCapabilityList (71)",
                                 "Loopback Works", "LLN0$DataSet1", "ClientSet", "MMXU1$MX$TotW$mag$f", "SN-0001"}) {
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
    }
    // Every request is answered under its own invoke id, in order.
    const auto invokeIds = [&first](const char* filter) {
        std::string ids;
        for (const std::string& line : TestSupport::DecodeFields(first, {"mms.invokeID"}, {"-Y", filter})) {
            ids += line + ",";  // a packet may carry several PDUs: "6,7,8"
        }
        return ids;
    };
    const std::string requests = invokeIds("mms.confirmed_RequestPDU_element");
    EXPECT_GT(std::count(requests.begin(), requests.end(), ','), 20);
    EXPECT_EQ(requests, invokeIds("mms.confirmed_ResponsePDU_element || mms.confirmed_ErrorPDU_element"));
}

TEST_F(MmsUserLoopbackTest, StructuredVariablesReadAgainTakeTheNewValuesIntoTheSameContainers) {
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    // One variable whose type comes with its first value, one whose type is asked first.
    Mms::NamedVariable* breaker = AddClientVariable("LD1", "XCBR1");
    Mms::NamedVariable* measurement = AddClientVariable("LD0", "MMXU1");
    ASSERT_EQ(User().RequestVariableAccessAttributes(measurement), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    const auto leaf = [](Mms::Variable& variable, std::initializer_list<std::size_t> path) {
        Mms::Container* at = variable.GetValue();
        for (std::size_t index : path) {
            auto* structure = dynamic_cast<Mms::Structure*>(at);
            at = structure != nullptr ? structure->GetComponent(index) : nullptr;
        }
        return Text(at);
    };

    struct Reading {
        const char* position;
        const char* control;
        const char* power;
    };
    const Reading readings[] = {{"10", "False", "230.5"}, {"01", "True", "99.25"}};
    Mms::Container* breakerValue = nullptr;
    Mms::Container* measurementValue = measurement->GetValue();
    for (const Reading& reading : readings) {
        SCOPED_TRACE(reading.position);
        {
            Mms::VMD::ModelHold hold(&serverVmd);
            Mms::Domain* ld1 = nullptr;
            Mms::Domain* ld0 = nullptr;
            ASSERT_EQ(serverVmd.FindDomain("LD1", ld1), System::OkNoError);
            ASSERT_EQ(serverVmd.FindDomain("LD0", ld0), System::OkNoError);
            ASSERT_EQ(ld1->FindNamedVariable("XCBR1$ST$Pos$stVal")->FromText(reading.position), System::OkNoError);
            ASSERT_EQ(ld1->FindNamedVariable("XCBR1$CO$Pos$ctlVal")->FromText(reading.control), System::OkNoError);
            ASSERT_EQ(ld0->FindNamedVariable("MMXU1$MX$TotW$mag$f")->FromText(reading.power), System::OkNoError);
        }
        EXPECT_EQ(User().ReadVariableValueAndWait(breaker), System::OkNoError);
        EXPECT_EQ(User().ReadVariableValueAndWait(measurement), System::OkNoError);
        if (breakerValue == nullptr) breakerValue = breaker->GetValue();
        EXPECT_EQ(breaker->GetValue(), breakerValue);
        EXPECT_EQ(measurement->GetValue(), measurementValue);
        EXPECT_EQ(leaf(*breaker, {0, 0, 0}), reading.position);
        EXPECT_EQ(leaf(*breaker, {0, 0, 1}), "0000000000000");
        EXPECT_EQ(leaf(*breaker, {1, 0, 0}), reading.control);
        EXPECT_EQ(Text(Component(*measurement, "MX$TotW$mag$f")), reading.power);
        EXPECT_TRUE(measurement->GetValue()->IsValid());
    }
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::vector<std::string> reads =
        TestSupport::DecodeFields(units, {"mms.invokeID"}, {"-Y", "mms.confirmedServiceResponse == 4"});
    EXPECT_EQ(reads.size(), 4u);
    EXPECT_NE(TestSupport::DecodeVerbose(units).find("floating-point"), std::string::npos);
}

TEST(MmsUserLoopback, DomainCapabilitiesReachTheClient) {
    LoopbackModel::TestVmd serverVmd(true);
    MmsLoopback::Server server(serverVmd);
    MmsLoopback::Client client;
    ASSERT_EQ(client.Associate(server.Port()), System::OkNoError);
    auto* prot = new Mms::Domain(&client.User(), "PROT", &client.vmd);
    client.vmd.AddObject(prot);
    ASSERT_EQ(client.User().GetDomainAttributes(prot), System::OkNoError);
    EXPECT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(prot->Capabilities, (std::list<std::string>{"relay", "recorder"}));
    EXPECT_EQ(prot->State, 3u);
    EXPECT_EQ(client.Release(), System::OkNoError);
}

TEST_F(MmsUserLoopbackTest, NameListsComeInPagesWhenThePduSizeIsSmall) {
    Mms::InitiateParameters proposal = Mms::InitiateParameters::Defaults();
    proposal.localDetail = 600;
    ASSERT_EQ(client.Associate(relay.Port(), proposal), System::OkNoError);
    EXPECT_EQ(client.negotiated.localDetail, 600);
    Mms::NameCollection names{"kept"};
    ASSERT_EQ(User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariable,
                                         Mms::MmsObjectScopeDomain, "PROT", names),
              System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    ASSERT_EQ(names.size(), 1u + LoopbackModel::ProtectionVariables);
    EXPECT_EQ(names.front(), "kept");
    EXPECT_EQ(*std::next(names.begin()), "PTOC00$ST$Op$general");
    EXPECT_EQ(names.back(), "PTOC39$ST$Op$general");
    EXPECT_TRUE(std::is_sorted(std::next(names.begin()), names.end()));
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::vector<std::string> pages =
        TestSupport::DecodeFields(units, {"mms.invokeID"}, {"-Y", "mms.confirmedServiceResponse == 1"});
    EXPECT_GE(pages.size(), 3u);
}

TEST_F(MmsUserLoopbackTest, AnAbortCompletesEveryPendingRequestOnceAndTheNextAssociationStartsClean) {
    Mms::NamedVariable* stVal = AddClientVariable("LD0", "LLN0$ST$Mod$stVal");
    serverVmd.HoldReads();
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < 3; ++i) ids.push_back(Send(&Mms::MmsUserConnection::ReadVariable, stVal));
    ASSERT_TRUE(TestSupport::Eventually([this] { return serverVmd.HeldReads() != 0; }));
    ASSERT_EQ(serverVmd.HeldReads(), 1);
    EXPECT_EQ(User().GetPendingCount(), 3u);
    // Made now and handed over only on the next association, whose ids start again.
    TestService late(Machine());
    // An Identify behind the held read: the abort is its outcome.
    ASSERT_EQ(client.vmd.Identify(), System::OkNoError);
    EXPECT_TRUE(client.vmd.AwaitsIdentity());
    EXPECT_FALSE(client.vmd.WaitForIdentity(1));

    EXPECT_EQ(User().Abort(), System::OkNoError);
    EXPECT_FALSE(client.vmd.AwaitsIdentity());
    EXPECT_TRUE(client.vmd.IdentifyCutShort());
    EXPECT_EQ(User().GetState(), Mms::MmsUserConnection::StateIdle);
    EXPECT_EQ(User().GetPendingCount(), 0u);
    for (const std::uint32_t id : ids) {
        std::unique_ptr<Mms::RequestHandle> aborted = Collect(id, 0);
        ASSERT_NE(aborted, nullptr) << id;
        EXPECT_EQ(aborted->GetResult(), System::Aborted);
    }
    EXPECT_EQ(User().TakeDoneRequest(), nullptr);
    serverVmd.ReleaseReads();

    // The next association hands out the same invoke ids again; each is answered by its
    // own answer, never by one of the aborted requests.
    ASSERT_TRUE(server.WaitUntilIdle());
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    const std::uint32_t again = Send(&Mms::MmsUserConnection::ReadVariable, stVal);
    EXPECT_EQ(again, ids.front());
    std::unique_ptr<Mms::RequestHandle> answered = Collect(again);
    ASSERT_NE(answered, nullptr);
    EXPECT_EQ(answered->GetResult(), System::OkNoError);
    EXPECT_EQ(Text(*stVal), "1");
    // The request of the ended association never leaves: its id may be one this
    // association hands out too. It stays the caller's.
    for (std::uint32_t id = again + 1; id <= late.GetInvokeId(); ++id) {
        std::unique_ptr<Mms::RequestHandle> next = Collect(Send(&Mms::MmsUserConnection::ReadVariable, stVal));
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->GetResult(), System::OkNoError);
    }
    EXPECT_EQ(User().ReadVariable(&late, stVal), System::Aborted);
    EXPECT_EQ(User().GetPendingCount(), 0u);
    EXPECT_EQ(User().TakeDoneRequest(), nullptr);
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(relay.Units(0)), "");
    const auto aborts = TestSupport::DecodeFields(relay.Units(0), {"acse.abort_source"}, {"-Y", "acse.abort_source"});
    EXPECT_EQ(aborts.size(), 1u);
}

TEST_F(MmsUserLoopbackTest, AnswersThatNameNoRequestOrAnotherServiceAreNotApplied) {
    Mms::NamedVariable* stVal = AddClientVariable("LD0", "LLN0$ST$Mod$stVal");
    serverVmd.HoldReads();
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    // An answer that waited for a request of its id would wait this long.
    User().SetTimeout(30000);
    Machine().SetTimeout(30000);
    const std::uint32_t held = Send(&Mms::MmsUserConnection::ReadVariable, stVal);
    ASSERT_TRUE(TestSupport::Eventually([this] { return serverVmd.HeldReads() != 0; }));
    ASSERT_EQ(serverVmd.HeldReads(), 1);
    ASSERT_EQ(held, 1u);

    const auto inject = [this](const std::string& hex, std::uint32_t event) {
        const ContainerTestSupport::Bytes bytes = ContainerTestSupport::Hex(hex);
        Mms::MmsFrame frame(client.end.Mms(), std::span<const std::uint8_t>(bytes.data(), bytes.size()));
        EXPECT_TRUE(frame.IsDecoded()) << hex;
        return User().OnLowerIndication(&frame, event);
    };
    const std::string identifyAnswer = "A2 09 80 01 41 81 01 42 82 01 43";

    // No request has invoke id 99: the answer is dropped at once, nothing waits for it.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(inject("A1 0E 02 01 63 " + identifyAnswer, Mms::MmsPduConfirmedResponse), System::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(User().GetPendingCount(), 1u);

    // An identify answer for the pending read is not read into the variable.
    EXPECT_EQ(inject("A1 0E 02 01 01 " + identifyAnswer, Mms::MmsPduConfirmedResponse), System::OkNoError);
    std::unique_ptr<Mms::RequestHandle> done = Collect(held);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::InvalidResponse);

    // A confirmed-Error of class others carries its INTEGER code.
    const std::uint32_t second = Send(&Mms::MmsUserConnection::ReadVariable, stVal);
    EXPECT_EQ(inject("A2 0B 80 01 02 A2 06 A0 04 8C 02 04 D2", Mms::MmsPduConfirmedError), System::OkNoError);
    done = Collect(second);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::Error);
    EXPECT_EQ(done->GetAnswerKind(), Mms::MmsPduConfirmedError);
    EXPECT_EQ(done->GetErrorClass(), Mms::MmsErrorClassOthers);
    EXPECT_EQ(done->GetErrorCode(), 1234);

    // A reject without originalInvokeID completes the oldest pending request.
    const std::uint32_t third = Send(&Mms::MmsUserConnection::ReadVariable, stVal);
    const std::uint32_t fourth = Send(&Mms::MmsUserConnection::ReadVariable, stVal);
    EXPECT_EQ(inject("A4 03 85 01 01", Mms::MmsPduReject), System::OkNoError);
    done = Collect(third);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::Rejected);
    EXPECT_EQ(done->GetErrorClass(), Mms::MmsRejectPduError);
    EXPECT_EQ(done->GetErrorCode(), 1);
    EXPECT_EQ(User().GetPendingCount(), 1u);

    // The server's own answers come now: those of the completed requests find nothing,
    // the last one completes its request.
    serverVmd.ReleaseReads();
    done = Collect(fourth);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::OkNoError);
    EXPECT_EQ(Text(*stVal), "1");
    EXPECT_EQ(User().TakeDoneRequest(), nullptr);

    // A conclude answer confirms the conclude request (which goes only when nothing else is
    // out), not another pending request, and ends the association. A read asked for behind
    // the conclude is refused at once with Aborted, as the association's end confirms what
    // it finds, and never sent: it stays the caller's.
    // The server holds a read that a reject has answered here, so that its own answer to
    // the conclude waits behind it and the answer below is the only one.
    serverVmd.HoldReads();
    const std::uint32_t heldAgain = Send(&Mms::MmsUserConnection::ReadVariable, stVal);
    EXPECT_EQ(inject("A4 03 85 01 01", Mms::MmsPduReject), System::OkNoError);
    done = Collect(heldAgain);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::Rejected);
    auto* release = new TestService(Machine());
    const std::uint32_t releaseId = release->GetInvokeId();
    ASSERT_EQ(User().GetPendingCount(), 0u);
    ASSERT_EQ(User().Conclude(release), System::OkNoError);
    const std::uint64_t sent = User().GetSentCount();
    TestService behind(Machine());
    EXPECT_EQ(User().ReadVariable(&behind, stVal), System::Aborted);
    EXPECT_EQ(User().GetSentCount(), sent);
    EXPECT_EQ(inject("8C 00", Mms::MmsPduConcludeResponse), System::OkNoError);
    done = Collect(releaseId);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetResult(), System::OkNoError);
    EXPECT_EQ(done->GetAnswerKind(), Mms::MmsPduConcludeResponse);
    EXPECT_EQ(User().TakeDoneRequest(), nullptr);
    EXPECT_EQ(User().GetPendingCount(), 0u);
    serverVmd.ReleaseReads();
}

TEST_F(MmsUserLoopbackTest, ASynchronousWaitTimesOutAndTheNextOneDiscardsTheLateAnswer) {
    Mms::NamedVariable* stVal = AddClientVariable("LD0", "LLN0$ST$Mod$stVal");
    Mms::NamedVariable* serial = AddClientVariable("", "SerialNumber");
    ASSERT_EQ(client.Associate(relay.Port()), System::OkNoError);
    // Nothing outstanding: a wait returns at once.
    EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);

    serverVmd.HoldReads();
    User().SetTimeout(200);
    ASSERT_EQ(User().ReadVariableValue(stVal), System::OkNoError);
    EXPECT_EQ(User().WaitForCurrentRequest(), System::Timeout);
    serverVmd.ReleaseReads();
    User().SetTimeout(10000);
    EXPECT_EQ(User().ReadVariableValueAndWait(serial), System::OkNoError);
    EXPECT_EQ(Text(*serial), "SN-0001");
    EXPECT_EQ(Text(*stVal), "1");
    EXPECT_EQ(User().GetPendingCount(), 0u);
    // The late answer's request went as it was filed: no wait wanted it any more.
    EXPECT_EQ(User().GetHeldOwnCount(), 0u);
    EXPECT_EQ(client.Release(), System::OkNoError);
}

TEST(MmsUserConnection, RequestsNeedAnAssociation) {
    MmsLoopback::StackEnd end;
    Mms::MmsUserConnection& user = *end.user;
    Mms::VMD vmd(&user);
    auto* domain = new Mms::Domain(&user, "LD0", &vmd);
    vmd.AddObject(domain);
    Mms::NamedVariable variable(&user, "V", domain);
    Mms::NamedVariableList list(&user, "L", domain);
    EXPECT_EQ(user.ReadVariableValue(&variable), System::NotConnected);
    EXPECT_EQ(user.WriteVariableValue(&variable), System::NotConnected);
    EXPECT_EQ(user.Identify(&vmd), System::NotConnected);
    EXPECT_FALSE(vmd.AwaitsIdentity());
    EXPECT_EQ(user.DefineNamedVariableListObject(&list), System::NotConnected);
    auto request = std::make_unique<Mms::RequestHandle>(*end.Mms());
    EXPECT_EQ(user.ReadNamedVariableList(request.get(), &list), System::NotConnected);
    EXPECT_EQ(user.Conclude(request.get()), System::NotConnected);
    EXPECT_EQ(user.GetPendingCount(), 0u);
    EXPECT_EQ(user.GetCurrentRequest(), nullptr);
}

TEST(MmsUserConnection, AssociationSpecificObjectsAreFiledOncePerName) {
    MmsLoopback::StackEnd end;
    Mms::MmsUserConnection& user = *end.user;
    auto* list = new Mms::NamedVariableList(&user, "Mine");
    EXPECT_EQ(list->ErrStatus, System::OkNoError);
    EXPECT_TRUE(list->Deletable);
    EXPECT_EQ(user.FindNamedVariableList("Mine"), list);
    Mms::NamedVariableList twin(&user, "Mine");
    EXPECT_EQ(twin.ErrStatus, System::Error);
    EXPECT_EQ(user.FindNamedVariableList("Mine"), list);
    EXPECT_EQ(user.RemoveObject(&twin), System::Error);
    EXPECT_EQ(user.RemoveObject(list), System::OkNoError);
    EXPECT_EQ(user.RemoveObject(list), System::Error);
    EXPECT_EQ(user.AddObject(list), System::OkNoError);  // deleted with the connection
    Mms::Domain domain(nullptr);
    EXPECT_EQ(user.AddObject(&domain), System::InvalidContext);
}

TEST(MmsUserConnection, ObjectNamesConvertToAndFromText) {
    const struct {
        const char* text;
        System::ResultCode result;
        Mms::MmsObjectNameChoice choice;
    } rows[] = {
        {"item", System::OkNoError, Mms::MmsObjectNameVmdSpecific},
        {"LD0/LLN0$ST", System::OkNoError, Mms::MmsObjectNameDomainSpecific},
        {"a/b/c", System::Error, Mms::MmsObjectNameNone},
    };
    for (const auto& row : rows) {
        Mms::CoderValue<Mms::MmsObjectName> name(Mms::MmsObjectNameType);
        EXPECT_EQ(Mms::MmsUserConnection::TextToObjectName(row.text, *name), row.result) << row.text;
        EXPECT_EQ(name->present, row.choice) << row.text;
        std::string text;
        if (row.result == System::OkNoError) {
            EXPECT_EQ(Mms::MmsUserConnection::ObjectNameToText(*name, text), System::OkNoError);
            EXPECT_EQ(text, row.text);
        }
    }
    Mms::CoderValue<Mms::MmsObjectName> association(Mms::MmsObjectNameType);
    Mms::MmsSetAaSpecificName(*association, "x");
    std::string text;
    EXPECT_EQ(Mms::MmsUserConnection::ObjectNameToText(*association, text), System::NotSupported);
}

}  // namespace
