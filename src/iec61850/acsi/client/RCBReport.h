#pragma once

#include <memory>
#include <vector>

#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/ReportRecords.h"

namespace Mms {
class InformationReport;
class ModelHold;
}  // namespace Mms

namespace Iec61850::Acsi {

class RCB;

// A received report as the client is given it (OnReport). It lives only while it is
// delivered, on the thread that received it, and is never completed. Its service error
// is 0 when the report was decoded into the model, 6 when decoding failed (what was
// decoded before the failure stays, in the model and here), and -1 while no control
// block took it (the association then delivers it with 12).
class RCBReport : public Service {
public:
    // A report that no control block took: no block, no records, no entries.
    RCBReport(TPAppAssociation& association, Mms::InformationReport* report);
    // The block's report, decoded into the model at once. Runs under the model lock.
    RCBReport(const Mms::ModelHold& hold, TPAppAssociation& association, RCB& block, Mms::InformationReport& report);
    ~RCBReport() override;

    // The report as it arrived; valid only during the callback.
    Mms::InformationReport* GetReport() const { return report_; }
    // Why decoding stopped (0 when it did not).
    System::ResultCode GetDecodeResult() const { return decodeResult_; }

    RCB* block = nullptr;
    std::vector<ReportHeaderRecord> header;
    std::vector<ReportEntry> entries;

private:
    Mms::InformationReport* report_;
    System::ResultCode decodeResult_ = System::OkNoError;
};

class BRCBReport : public RCBReport {
public:
    using RCBReport::RCBReport;
};

class URCBReport : public RCBReport {
public:
    using RCBReport::RCBReport;
};

// The report service of the block's kind (BRCBReport for a buffered block, URCBReport
// for an unbuffered one) with the report decoded into the model; null for a block of
// neither kind. The model only decodes reports: which service carries one to the client
// is decided here. Runs under the model lock; the caller delivers it once the lock is
// let go.
std::unique_ptr<RCBReport> MakeReport(const Mms::ModelHold& hold, TPAppAssociation& association, RCB& block,
                                      Mms::InformationReport& report);

}  // namespace Iec61850::Acsi
