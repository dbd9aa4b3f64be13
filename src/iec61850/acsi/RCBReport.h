#pragma once

#include "iec61850/acsi/Service.h"

namespace Mms {
class InformationReport;
}

namespace Iec61850::Acsi {

// A received report as the client is given it (OnReport). It lives only while it is
// delivered, on the thread that received it, and is never completed. A report that no
// control block took carries service error 12.
class RCBReport : public Service {
public:
    RCBReport(TPAppAssociation& association, Mms::InformationReport* report);
    ~RCBReport() override;

    // The report as it arrived; valid only during the callback.
    Mms::InformationReport* GetReport() const { return report_; }

private:
    Mms::InformationReport* report_;
};

}  // namespace Iec61850::Acsi
