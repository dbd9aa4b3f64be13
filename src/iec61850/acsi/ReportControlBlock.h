#pragma once

#include <string>

#include "iec61850/acsi/ControlBlock.h"

namespace Mms {
class InformationReport;
}

namespace Iec61850::Acsi {

// A report control block: its attributes bind only under "BR" and "RP", where devices put
// them.
class RCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;

    System::ResultCode Bind() override;
    System::ResultCode Create() override;
    // Whether a received report is this block's, and then its decoding (the reports'
    // own work); NotImplemented until reports are decoded.
    virtual System::ResultCode MatchReport(const Mms::InformationReport& report);

    Mms::Container* RptID = nullptr;
    Mms::Container* RptEna = nullptr;
    Mms::Container* OptFlds = nullptr;
    Mms::Container* ConfRev = nullptr;
    Mms::Container* BufTm = nullptr;
    Mms::Container* TrgOps = nullptr;
    Mms::Container* IntgPd = nullptr;
    Mms::Container* GI = nullptr;
    Mms::Container* SqNum = nullptr;
};

class BRCB : public RCB {
public:
    using RCB::RCB;
    System::ResultCode Bind() override;
    System::ResultCode Create() override;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;

    Mms::Container* PurgeBuf = nullptr;
    Mms::Container* TimeOfEntry = nullptr;
    Mms::Container* EntryID = nullptr;
};

class URCB : public RCB {
public:
    using RCB::RCB;
    // The RCB's binding, then Resv, whose failure wins.
    System::ResultCode Bind() override;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;

    Mms::Container* Resv = nullptr;
};

}  // namespace Iec61850::Acsi
