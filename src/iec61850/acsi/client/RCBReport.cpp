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

}  // namespace Iec61850::Acsi
