#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/ReportRecords.h"

namespace Mms {
class InformationReport;
class ModelHold;
}  // namespace Mms

namespace Iec61850::Acsi {

// The OptFlds bits of a report.
enum ReportOption : std::uint32_t {
    OptionSequenceNumber = 1,
    OptionReportTimeStamp = 2,
    OptionReasonForInclusion = 3,
    OptionDataSetName = 4,
    OptionDataReference = 5,
    OptionBufferOverflow = 6,
    OptionEntryId = 7,
    OptionConfRevision = 8,
    OptionSegmentation = 9,
};

// Where the decoding of a report stands: its values in arrival order and the position of
// the value last taken (only ever moving forward), with the hold of the model lock that
// the decoding runs under.
struct ReportCursor {
    const std::vector<Mms::Container*>& values;
    std::size_t position = 0;
    const Mms::ModelHold& hold;
};

// The data-set name a report carries, read from the report alone (its own OptFlds say
// which fields come before the name): carried is false when the OptFlds ask for none.
// InvalidArguments when the OptFlds or the name are missing, of the wrong type or not
// whole values.
System::ResultCode FindReportDataSetName(const Mms::InformationReport& report, std::string& name, bool& carried);

// A report control block: its attributes bind only under "BR" and "RP", where devices put
// them.
class RCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;

    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    System::ResultCode Create() override;
    // Whether a received report is this block's (0), by its RptID: the block's own, or,
    // when that is empty, the block's reference in one of its forms. InvalidState for a
    // block without an RptID value, InvalidArguments for a report that is not its own
    // (fewer than three values, a first value that is no text, another id). Runs under
    // the model lock.
    virtual System::ResultCode MatchReport(const Mms::InformationReport& report);
    // Whether the name (as a report carries it) names this block's data set: the one its
    // DatSet names, or, without a DatSet value, the one it is bound to. "." and "$" are
    // taken alike. Runs under the model lock.
    bool IsOwnDataSetName(const std::string& name) const;
    // Whether the model holds RptEna TRUE (read from the device or written).
    bool IsEnabled() const;

    // Decodes the whole report into the block, its data set and the records, under the
    // model lock. A report that does not fit the block (values missing, of the wrong type
    // or refused by their containers, an inclusion string that is not one bit per member)
    // gives a failure. A report that names another data set than the block's gives
    // InvalidContext before anything is decoded: a report never rebinds a block.
    virtual System::ResultCode decodeReport(const Mms::ModelHold& hold, std::vector<ReportHeaderRecord>& records,
                                            std::vector<ReportEntry>& entries, Mms::InformationReport& report);
    virtual System::ResultCode decodeSqNum(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    // NotSupported here; buffered and unbuffered blocks decode it.
    virtual System::ResultCode decodeTimeOfEntry(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    // Moves to the next value and gives its text; InvalidArguments at the end.
    virtual System::ResultCode nextValueText(std::string& text, ReportCursor& cursor);
    virtual System::ResultCode decodeDatSet(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    virtual System::ResultCode decodeBufOvfl(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    // Takes nothing here (an unbuffered report has no entry id).
    virtual System::ResultCode decodeEntryId(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    virtual System::ResultCode decodeConfRev(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    virtual System::ResultCode decodeSegmentation(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor);
    virtual System::ResultCode decodeEntries(std::vector<ReportEntry>& entries, ReportCursor& cursor);

    Mms::Container* RptID = nullptr;
    Mms::Container* RptEna = nullptr;
    Mms::Container* OptFlds = nullptr;
    Mms::Container* ConfRev = nullptr;
    Mms::Container* BufTm = nullptr;
    Mms::Container* TrgOps = nullptr;
    Mms::Container* IntgPd = nullptr;
    Mms::Container* GI = nullptr;
    Mms::Container* SqNum = nullptr;

protected:
    // Whether the OptFlds bit is set (the block's OptFlds value answers).
    System::ResultCode TestOption(ReportOption option, bool& set) const;
    // When the bit is set: the next value, which must be of one of the classes, stored
    // into the target (when there is one) and recorded under the name.
    System::ResultCode DecodeField(ReportOption option, const char* name, std::initializer_list<std::uint32_t> classes,
                                   Mms::Container* target, std::vector<ReportHeaderRecord>& records,
                                   ReportCursor& cursor);
};

class BRCB : public RCB {
public:
    using RCB::RCB;
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    System::ResultCode Create() override;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;
    System::ResultCode decodeTimeOfEntry(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) override;
    System::ResultCode decodeEntryId(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) override;

    Mms::Container* PurgeBuf = nullptr;
    Mms::Container* TimeOfEntry = nullptr;
    Mms::Container* EntryID = nullptr;
};

class URCB : public RCB {
public:
    using RCB::RCB;
    // The RCB's binding, then Resv, whose failure wins.
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;
    // Records the time but keeps nothing: an unbuffered block has no TimeOfEntry.
    System::ResultCode decodeTimeOfEntry(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) override;
    // Devices differ here: IEC 61850-8-1 devices send no BufOvfl for an unbuffered block
    // even when its OptFlds ask for one, others send it. The field is taken only when the
    // next value is a BOOLEAN, which no later header field is.
    System::ResultCode decodeBufOvfl(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) override;

    Mms::Container* Resv = nullptr;
};

}  // namespace Iec61850::Acsi
