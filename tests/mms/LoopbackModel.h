#pragma once

// The server side's object model for the loopback tests and benchmarks: a few domains
// with structured variables whose components are also named variables (as IEC 61850
// devices expose them), a VMD-specific variable and a named variable list, plus a VMD
// that can hold its reads back and sends information reports on request.

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "mms/ContainerTestSupport.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/VMD.h"

namespace LoopbackModel {

using namespace MmsObjectTest;

// Untyped named variables for the component paths first, then the typed variable, whose
// structure binds its components to them.
inline Mms::NamedVariable* AddTree(Mms::Domain& domain, const std::string& name, Type type,
                                   std::initializer_list<const char*> paths) {
    for (const char* path : paths) {
        domain.AddObject(new Mms::NamedVariable(nullptr, name + "$" + path, &domain));
    }
    return AddVariable(domain, name, std::move(type));
}

inline Type Fields(std::vector<std::pair<std::string, Type>> components) {
    return StructureType(std::move(components));
}

template <typename... Rest>
std::vector<std::pair<std::string, Type>> Components(Rest&&... rest) {
    std::vector<std::pair<std::string, Type>> components;
    (components.emplace_back(std::forward<Rest>(rest)), ...);
    return components;
}

inline Type Status() { return StatusType(); }

inline constexpr int ProtectionVariables = 40;

inline Mms::Domain* AddDomain(Mms::VMD& vmd, const std::string& name) {
    auto* domain = new Mms::Domain(nullptr, name, &vmd);
    vmd.AddObject(domain);
    return domain;
}

// LD0: LLN0 {ST {Mod, Beh}, CF {Mod {ctlModel}}} and MMXU1 {MX {TotW {mag {f}, q}}};
// LD1: XCBR1 {ST {Pos {stVal, q}}, CO {Pos {ctlVal}}}; PROT: empty; VMD: SerialNumber;
// LD0/LLN0$DataSet1 = Mod.stVal, TotW.mag.f, LD1 Pos.stVal.
// PROT carries capabilities only when asked (see below).
inline void Build(Mms::VMD& vmd, bool withCapabilities = false) {
    vmd.SetIdentity({"Loopback Works", "Test IED", "2.1", {}});
    vmd.LogicalStatus = 1;
    vmd.PhysicalStatus = 2;

    Mms::Domain* ld0 = AddDomain(vmd, "LD0");
    AddTree(
        *ld0, "LLN0",
        Fields(Components(
            std::pair{std::string("ST"), Fields(Components(std::pair{std::string("Mod"), Status()},
                                                           std::pair{std::string("Beh"), Status()}))},
            std::pair{std::string("CF"),
                      Fields(Components(std::pair{
                          std::string("Mod"), Fields(Components(std::pair{std::string("ctlModel"),
                                                                          SimpleType(Mms::MmsTypeInteger, 8)}))}))})),
        {"ST", "ST$Mod", "ST$Mod$stVal", "ST$Mod$q", "ST$Beh", "CF", "CF$Mod", "CF$Mod$ctlModel"});
    AddTree(*ld0, "MMXU1",
            Fields(Components(std::pair{
                std::string("MX"),
                Fields(Components(std::pair{
                    std::string("TotW"),
                    Fields(Components(std::pair{std::string("mag"),
                                                Fields(Components(std::pair{std::string("f"), FloatType(32, 8)}))},
                                      std::pair{std::string("q"), SimpleType(Mms::MmsTypeBitString, 13)}))}))})),
            {"MX", "MX$TotW", "MX$TotW$mag", "MX$TotW$mag$f"});

    Mms::Domain* ld1 = AddDomain(vmd, "LD1");
    AddTree(
        *ld1, "XCBR1",
        Fields(Components(
            std::pair{std::string("ST"),
                      Fields(Components(std::pair{
                          std::string("Pos"),
                          Fields(Components(std::pair{std::string("stVal"), SimpleType(Mms::MmsTypeBitString, 2)},
                                            std::pair{std::string("q"), SimpleType(Mms::MmsTypeBitString, 13)}))}))},
            std::pair{std::string("CO"),
                      Fields(Components(std::pair{
                          std::string("Pos"),
                          Fields(Components(std::pair{std::string("ctlVal"), SimpleType(Mms::MmsTypeBoolean)}))}))})),
        {"ST", "ST$Pos", "ST$Pos$stVal", "CO", "CO$Pos", "CO$Pos$ctlVal"});

    Mms::Domain* prot = AddDomain(vmd, "PROT");
    prot->State = 3;
    // Wireshark reads a capability as a VisibleString where ISO 9506-2:2003 and our tables
    // send MMSString (UTF8String): a session that carries them is not fit for its check.
    if (withCapabilities) prot->Capabilities = {"relay", "recorder"};
    // Enough names for several pages of a name list when the PDU size is small.
    for (int i = 0; i < ProtectionVariables; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        AddVariable(*prot, "PTOC" + number + "$ST$Op$general", SimpleType(Mms::MmsTypeBoolean))->FromText("False");
    }

    Mms::NamedVariable* serial = AddVariable(vmd, "SerialNumber", SimpleType(Mms::MmsTypeVisibleString, -32));
    serial->FromText("SN-0001");
    AddVariable(vmd, "ReportTrigger", SimpleType(Mms::MmsTypeBoolean))->FromText("False");

    ld0->FindNamedVariable("LLN0$ST$Mod$stVal")->FromText("1");
    ld0->FindNamedVariable("LLN0$ST$Mod$q")->FromText("0000000000000");
    Mms::Variable& lln0 = *ld0->FindNamedVariable("LLN0");
    Component(lln0, "ST$Beh$stVal")->FromText("1");
    Component(lln0, "ST$Beh$q")->FromText("0000000000000");
    ld0->FindNamedVariable("LLN0$CF$Mod$ctlModel")->FromText("0");
    ld0->FindNamedVariable("MMXU1$MX$TotW$mag$f")->FromText("230.5");
    Component(*ld0->FindNamedVariable("MMXU1"), "MX$TotW$q")->FromText("0000000000000");
    ld1->FindNamedVariable("XCBR1$ST$Pos$stVal")->FromText("10");
    Component(*ld1->FindNamedVariable("XCBR1"), "ST$Pos$q")->FromText("0000000000000");
    ld1->FindNamedVariable("XCBR1$CO$Pos$ctlVal")->FromText("False");

    auto* dataSet = new Mms::NamedVariableList("LLN0$DataSet1", ld0);
    dataSet->Members = {ld0->FindNamedVariable("LLN0$ST$Mod$stVal"), ld0->FindNamedVariable("MMXU1$MX$TotW$mag$f"),
                        ld1->FindNamedVariable("XCBR1$ST$Pos$stVal")};
}

// Two information reports from the server: a report by the vmd-specific list name "RPT"
// carrying a visible string and an integer, and a report of LD0/LLN0$ST$Mod$stVal = 6.
inline System::ResultCode SendReports(Mms::MmsConnection& mms) {
    const auto send = [&mms](auto fill) -> System::ResultCode {
        std::unique_ptr<Mms::MmsFrame> frame = mms.NewFrame(Mms::MmsFrame::KindConfirmedResponse);
        if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
        Mms::MmsPdu* pdu = frame->GetPdu();
        pdu->present = Mms::MmsPduUnconfirmed;
        Mms::MmsUnconfirmedService& service = pdu->choice.unconfirmed.service;
        service.present = Mms::MmsUnconfirmedInformationReport;
        fill(service.choice.informationReport);
        return mms.SendConfirmedResponse(*frame);
    };
    const auto append = [](Mms::MmsAccessResultList& results, const char* hex) {
        auto* result = Mms::MmsAppendNew(results, Mms::MmsAccessResultType);
        ContainerTestSupport::Data data = ContainerTestSupport::DecodeHex(hex);
        Mms::MmsTakeOver(result->choice.success, *data);
        result->present = Mms::MmsAccessResultSuccess;
    };
    System::ResultCode result = send([&](Mms::MmsInformationReport& report) {
        report.variableAccessSpecification.present = Mms::MmsVariableAccessVariableListName;
        Mms::MmsSetObjectName(report.variableAccessSpecification.choice.variableListName, "", "RPT");
        append(report.listOfAccessResult, "8A 05 72 70 74 2D 31");  // "rpt-1"
        append(report.listOfAccessResult, "85 01 07");
    });
    if (result != System::OkNoError) return result;
    return send([&](Mms::MmsInformationReport& report) {
        report.variableAccessSpecification.present = Mms::MmsVariableAccessListOfVariable;
        Mms::MmsAppendVariableName(report.variableAccessSpecification.choice.listOfVariable, "LD0",
                                   "LLN0$ST$Mod$stVal");
        append(report.listOfAccessResult, "85 01 06");
    });
}

// The server's VMD for the tests: reads can be held back (so that requests stay
// outstanding), and a write of "ReportTrigger" sends the information reports first.
class TestVmd : public Mms::VMD {
public:
    explicit TestVmd(bool withCapabilities = false) { Build(*this, withCapabilities); }

    void HoldReads() {
        std::lock_guard lock(mutex_);
        holding_ = true;
    }
    void ReleaseReads() {
        {
            std::lock_guard lock(mutex_);
            holding_ = false;
        }
        released_.notify_all();
    }
    // How many reads are being held back now.
    int HeldReads() const {
        std::lock_guard lock(mutex_);
        return held_;
    }

    System::ResultCode Read(const Mms::MmsReadRequest& request, Mms::MmsReadResponse& response,
                            std::int32_t& rejectCode) override {
        {
            std::unique_lock lock(mutex_);
            ++held_;
            released_.wait(lock, [this] { return !holding_; });
            --held_;
        }
        return VMD::Read(request, response, rejectCode);
    }

    System::ResultCode Write(const Mms::MmsWriteRequest& request, Mms::MmsWriteResponse& response,
                             std::int32_t& rejectCode) override {
        const Mms::MmsVariableAccessSpecification& access = request.variableAccessSpecification;
        if (access.present == Mms::MmsVariableAccessListOfVariable && access.choice.listOfVariable.Count() == 1) {
            std::string name;
            Mms::MmsObjectNameText(access.choice.listOfVariable[0]->variableSpecification.choice.name, name);
            if (name == "ReportTrigger" && GetConnection() != nullptr) {
                SendReports(*GetConnection()->GetMmsConnection());
            }
        }
        return VMD::Write(request, response, rejectCode);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool holding_ = false;
    int held_ = 0;
};

}  // namespace LoopbackModel
