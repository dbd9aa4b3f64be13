#include "iec61850/acsi/RCBReport.h"

namespace Iec61850::Acsi {

RCBReport::RCBReport(TPAppAssociation& association, Mms::InformationReport* report)
    : Service(association, Indication{}), report_(report) {}

RCBReport::~RCBReport() = default;

}  // namespace Iec61850::Acsi
