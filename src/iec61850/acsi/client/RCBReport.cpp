#include "iec61850/acsi/client/RCBReport.h"

#include "iec61850/acsi/model/ReportControlBlock.h"

namespace Iec61850::Acsi {

RCBReport::RCBReport(TPAppAssociation& association, Mms::InformationReport* report)
    : Service(association, Indication{}), report_(report) {}

RCBReport::RCBReport(const Mms::ModelHold& hold, TPAppAssociation& association, RCB& block,
                     Mms::InformationReport& report)
    : Service(association, Indication{}), block(&block), report_(&report) {
    decodeResult_ = block.decodeReport(hold, header, entries, report);
    SetServiceError(decodeResult_ == System::OkNoError ? 0 : 6);
}

RCBReport::~RCBReport() = default;

std::unique_ptr<RCBReport> MakeReport(const Mms::ModelHold& hold, TPAppAssociation& association, RCB& block,
                                      Mms::InformationReport& report) {
    if (auto* buffered = dynamic_cast<BRCB*>(&block)) {
        return std::make_unique<BRCBReport>(hold, association, *buffered, report);
    }
    if (auto* unbuffered = dynamic_cast<URCB*>(&block)) {
        return std::make_unique<URCBReport>(hold, association, *unbuffered, report);
    }
    return nullptr;
}

}  // namespace Iec61850::Acsi
