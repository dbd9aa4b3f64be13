#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/DeviceModel.h"
#include "device/ReportBuffer.h"

namespace Mms {
class Domain;
class NamedVariable;
class NamedVariableList;
class VMD;
}  // namespace Mms

namespace TestDevice {

class Device;
class DeviceConnection;

// One report control block of the model and its state: which association enabled it
// (and, for an unbuffered block, reserved it), the data set it reports, its sequence
// number, the entry it is building. Reports go out as informationReports on the list
// name "RPT" with the fields that OptFlds selects.
//
// Changes within one buffer time (BufTm) go out as one entry; a member that changes
// again in it closes the entry first. A buffered block keeps its entries from its first
// enable on, also while disabled or after its association ended, and on enable sends
// those after the last one it sent or after the EntryID written before; a full buffer
// drops the oldest and the next report shows BufOvfl.
//
// Every operation runs with the VMD's model lock held.
class ReportControl {
public:
    // Reason-for-inclusion bits (ReasonCode) and the TrgOps bits that allow them.
    enum Reason : int { DataChange = 1, QualityChange = 2, DataUpdate = 3, Integrity = 4, GeneralInterrogation = 5 };
    // DataAccessError of a write refused because another association holds the block, or
    // because the block is enabled (EntryID, PurgeBuf); of an EntryID the buffer does
    // not hold (ObjectValueInvalid).
    static constexpr std::int32_t TemporarilyUnavailable = 2;
    static constexpr std::int32_t ObjectAccessDenied = 3;
    static constexpr std::int32_t ObjectValueInvalid = 11;

    ReportControl(Device& device, Mms::VMD& vmd, Mms::Domain& domain, const ReportSpec& spec);
    // A report of the RptID alone (no data set, no options) to the association.
    static void SendBare(DeviceConnection& to, const std::string& rptId);

    // "LD0/LLN0$BR$brcb01".
    const std::string& Reference() const { return reference_; }
    bool IsBuffered() const { return spec_.buffered; }
    // Whether the item of the domain is one of this block's attributes; which one.
    bool Holds(const Mms::Domain& domain, const std::string& item, std::string& attribute) const;
    DeviceConnection* GetOwner() const { return owner_; }
    bool IsEnabled() const;

    // Before the association writes the attribute: 0, or the DataAccessError that
    // refuses it.
    std::int32_t CheckWrite(DeviceConnection* writer, const std::string& attribute) const;
    // After the value was taken: enabling, reserving, general interrogation, the entry to
    // resume after, purging the buffer. 0, or the DataAccessError that refuses the write
    // (the block is then left as it was).
    std::int32_t AfterWrite(DeviceConnection* writer, const std::string& attribute);
    // The association has ended: the block is disabled and free again (a buffered block
    // goes on buffering).
    void Release(DeviceConnection* association);

    // A member variable of the data set changed (the item of a leaf or a structure of
    // the domain): the members it touches go into an entry, when the trigger is enabled.
    void ValueChanged(const Mms::Domain& domain, const std::string& item);
    // Every member with the reason, in an entry of its own (only while enabled).
    void ReportAll(Reason reason);
    // When the block has work of its own next (an integrity report, the end of a buffer
    // time; max() when none); that work, when due.
    std::chrono::steady_clock::time_point NextDue() const;
    void RunDue(std::chrono::steady_clock::time_point now);

private:
    Mms::NamedVariable* Attribute(const std::string& name) const;
    std::string AttributeText(const std::string& name) const;
    std::uint32_t AttributeNumber(const std::string& name) const;
    bool Flag(const std::string& attribute, int bit) const;
    std::int32_t Enable(DeviceConnection* writer);
    void Disable();
    std::int32_t TakeEntryId();
    void ScheduleIntegrity();
    // Takes the members with their reasons (0: not included) into the open entry.
    void Collect(const std::vector<int>& reasons);
    // The open entry is complete: buffered, sent when the block is enabled.
    void CloseEntry();
    void Dispatch(ReportEntry entry);
    // Every buffered entry after the last one sent.
    void SendBuffered();
    void Send(const ReportEntry& entry);

    Device& device_;
    Mms::VMD& vmd_;
    Mms::Domain& domain_;
    ReportSpec spec_;
    std::string prefix_;
    std::string reference_;
    DeviceConnection* owner_ = nullptr;
    DeviceConnection* reservedBy_ = nullptr;
    Mms::NamedVariableList* dataSet_ = nullptr;
    std::uint32_t sequence_ = 0;
    std::chrono::steady_clock::time_point nextIntegrity_ = std::chrono::steady_clock::time_point::max();

    std::optional<ReportEntry> open_;
    std::chrono::steady_clock::time_point openUntil_ = std::chrono::steady_clock::time_point::max();
    // Buffered blocks only.
    ReportBuffer buffer_;
    bool buffering_ = false;
    // The entry the reports have reached: the last sent, or the EntryID written.
    std::uint64_t sentUpTo_ = 0;
    std::string shownEntryId_ = "0000000000000000";
    bool overflowed_ = false;
    // Enabled, with the buffered entries still to go after the write's answer.
    bool catchingUp_ = false;
};

}  // namespace TestDevice
