// Decodes a received report into a device model: the bytes of an MMS PDU (an
// informationReport, as a device sends one) are decoded, filed as a report, offered to
// the report control blocks of the model, and the block that claims it decodes it into
// its data set. Whatever the device sends, nothing may crash, leak, loop or reach outside
// a buffer, and the model stays whole for the next report.
//
// Input: the PDU's bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "iec61850/acsi/ProtectionDevice.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/DataSetLifetime.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/user/InformationReport.h"
#include "mms/user/VMD.h"

namespace {

using namespace Iec61850::Acsi;

// The protection device with a data set on LLN0 that its report control blocks report.
struct Model {
    Model() {
        device.ReadAll();
        const std::vector<ValueRecord> members = {{"ST", "PROT/LLN0.Mod", ""},
                                                  {"ST", "PROT/XCBR1.Pos", ""},
                                                  {"MX", "PROT/MMXU1.TotW", ""},
                                                  {"ST", "PROT/GGIO1.Ind1.stVal", ""}};
        DataSet* created = nullptr;
        CreateNodeDataSet(device.Lln0(), "ds1", &members, created);
        for (auto& [name, block] : device.Lln0().GetBRCBs()) blocks.push_back(block);
        for (auto& [name, block] : device.Lln0().GetURCBs()) blocks.push_back(block);
    }
    // Every block named again as the device describes it: an id of its own (the second
    // URCB none), the data set, bound.
    void Reset() {
        int number = 0;
        for (RCB* block : blocks) {
            block->Bind(unshared);
            if (block->RptID != nullptr) block->RptID->FromText(number == 2 ? "" : "rpt" + std::to_string(number));
            if (Mms::Container* datSet = block->GetDatSetValue()) datSet->FromText("PROT/LLN0$ds1");
            block->Bind(unshared);
            ++number;
        }
    }

    DeviceTypes::ProtectionDevice device;
    std::vector<RCB*> blocks;
    // The model has no VMD and meets no other thread: a hold of nothing.
    const Mms::ModelHold unshared{nullptr};
};

std::unique_ptr<Mms::InformationReport> TakeIn(const std::uint8_t* bytes, std::size_t size) {
    Mms::MmsPdu* pdu = nullptr;
    if (Mms::MmsDecodePdu(bytes, size, pdu) != System::OkNoError) return nullptr;
    Mms::VMD vmd;
    if (pdu->present == Mms::MmsPduUnconfirmed &&
        pdu->choice.unconfirmed.service.present == Mms::MmsUnconfirmedInformationReport) {
        const Mms::MmsInformationReport& report = pdu->choice.unconfirmed.service.choice.informationReport;
        if (report.variableAccessSpecification.present == Mms::MmsVariableAccessVariableListName) {
            vmd.QueueListReport(nullptr, report.variableAccessSpecification.choice.variableListName,
                                report.listOfAccessResult);
        } else if (report.variableAccessSpecification.present == Mms::MmsVariableAccessListOfVariable) {
            vmd.QueueVariablesReport(nullptr, report.variableAccessSpecification.choice.listOfVariable,
                                     report.listOfAccessResult);
        }
    }
    Mms::MmsFreePdu(pdu);
    return std::unique_ptr<Mms::InformationReport>(vmd.PopInformationReport());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static Model model;
    std::unique_ptr<Mms::InformationReport> report = TakeIn(bytes, size);
    if (report == nullptr) return 0;
    model.Reset();
    // The name that picks among blocks of one RptID is read from the report alone.
    std::string dataSet;
    bool carried = false;
    FindReportDataSetName(*report, dataSet, carried);
    for (RCB* block : model.blocks) {
        if (carried) block->IsOwnDataSetName(dataSet);
        if (block->MatchReport(*report) != System::OkNoError) continue;
        std::vector<ReportHeaderRecord> records;
        std::vector<ReportEntry> entries;
        block->decodeReport(model.unshared, records, entries, *report);
        break;
    }
    return 0;
}
