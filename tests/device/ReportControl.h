#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "device/DeviceModel.h"

namespace Mms {
class Domain;
class NamedVariable;
class NamedVariableList;
class VMD;
}  // namespace Mms

namespace TestDevice {

class Device;
class DeviceConnection;

// One report control block of the model and its state: which association enabled it,
// the data set it reports, its sequence number and entry id. Reports go out as
// informationReports on the list name "RPT" with the fields that OptFlds selects.
//
// Every operation runs with the VMD's model lock held.
class ReportControl {
public:
    // Reason-for-inclusion bits (ReasonCode) and the TrgOps bits that allow them.
    enum Reason : int { DataChange = 1, QualityChange = 2, DataUpdate = 3, Integrity = 4, GeneralInterrogation = 5 };
    // DataAccessError of a write refused because another association holds the block.
    static constexpr std::int32_t TemporarilyUnavailable = 2;
    static constexpr std::int32_t ObjectAccessDenied = 3;
    static constexpr std::int32_t ObjectValueInvalid = 11;

    ReportControl(Device& device, Mms::VMD& vmd, Mms::Domain& domain, const ReportSpec& spec);

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
    // After the value was taken: enabling, reserving, general interrogation. 0, or the
    // DataAccessError that refuses the write (the block is then left disabled).
    std::int32_t AfterWrite(DeviceConnection* writer, const std::string& attribute);
    // The association has ended: the block is disabled and free again.
    void Release(DeviceConnection* association);

    // A member variable of the data set changed (the item of a leaf or a structure of
    // the domain): a report of the members it touches, when the trigger is enabled.
    void ValueChanged(const Mms::Domain& domain, const std::string& item);
    // Every member with the reason.
    void ReportAll(Reason reason);
    // Integrity period: when the next report is due (max() when none is).
    std::chrono::steady_clock::time_point NextIntegrity() const;
    void IntegrityIfDue(std::chrono::steady_clock::time_point now);

private:
    Mms::NamedVariable* Attribute(const std::string& name) const;
    std::string AttributeText(const std::string& name) const;
    bool Flag(const std::string& attribute, int bit) const;
    void Send(const std::vector<int>& reasons);
    void ScheduleIntegrity();

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
    std::uint64_t entry_ = 0;
    std::chrono::steady_clock::time_point nextIntegrity_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace TestDevice
