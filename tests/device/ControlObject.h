#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "device/DeviceModel.h"

namespace Mms {
class Domain;
class NamedVariable;
}  // namespace Mms

namespace TestDevice {

class Device;
class DeviceConnection;

// One controllable data object ("LD0/CSWI1$CO$Pos") and its control model: select by
// reading SBO (sbo-normal) or writing SBOw (sbo-enhanced), Oper, Cancel. A refused
// SBOw, Oper or Cancel sends LastApplError to the association first and is answered
// with an access error; an enhanced operate is followed by its command termination.
//
// A selection belongs to the association that made it, until it operates, cancels or
// ends, or until the object's sboTimeout (CF) has passed. The operate and cancel of a
// select-with-value repeat its ctlNum and origin.
//
// Every operation runs with the VMD's model lock held.
class ControlObject {
public:
    using Clock = std::chrono::steady_clock;
    enum class Operation { None, SelectRead, Select, Operate, Cancel };
    // AddCause values (IEC 61850-7-2) the device gives.
    static constexpr int NotSupported = 1;
    static constexpr int ObjectNotSelected = 18;
    static constexpr int ObjectAlreadySelected = 19;
    static constexpr int InconsistentParameters = 26;
    // The sboTimeout of an object whose model does not give one.
    static constexpr int DefaultSboTimeoutMs = 30000;

    ControlObject(Device& device, Mms::Domain& domain, const ControlSpec& spec, Mms::NamedVariable& lastApplError);

    // "LD0/CSWI1$CO$Pos".
    const std::string& Reference() const { return reference_; }
    ControlModel GetModel() const { return spec_.model; }
    // The operation that a read or write of the domain's item means, None when the item
    // is none of this object's.
    Operation OperationOf(const Mms::Domain& domain, const std::string& item) const;

    // Before the SBO variable is read: it names the object when the select succeeds
    // and is empty when it is refused.
    void PrepareSelectRead(DeviceConnection* reader);
    // After the value of SBOw, Oper or Cancel was taken: 0, or the DataAccessError
    // that refuses the write (LastApplError has then been sent).
    std::int32_t Execute(Operation operation, DeviceConnection* writer);
    void Release(DeviceConnection* association);
    // Ends a selection whose time has passed; when the present one ends (max: none).
    void ExpireSelection(Clock::time_point now);
    Clock::time_point SelectionEnds() const;

    // Refuses every operation with the AddCause (0: accepts again).
    void Block(int addCause) { blocked_ = addCause; }
    // The next enhanced operates end in a negative command termination with the
    // AddCause (0: positive again).
    void FailTermination(int addCause) { failTermination_ = addCause; }

private:
    std::string Item(const char* part) const;
    Mms::NamedVariable* Variable(const std::string& item) const;
    std::int32_t Refuse(Operation operation, DeviceConnection* writer, int addCause);
    void FillLastApplError(const std::string& item, int addCause);
    void SetSelected(DeviceConnection* association);
    void Select(DeviceConnection* association, const char* command);
    // Whether the operate or cancel written repeats its select-with-value's parameters.
    bool RepeatsSelect(const char* command) const;
    // ctlNum and origin of a control structure as text.
    std::string ParametersOf(const char* command) const;
    int SboTimeoutMs() const;
    bool IsEnhanced() const;
    bool IsSbo() const;

    Device& device_;
    Mms::Domain& domain_;
    ControlSpec spec_;
    std::string reference_;
    Mms::NamedVariable& lastApplError_;
    DeviceConnection* selectedBy_ = nullptr;
    Clock::time_point selectionEnds_ = Clock::time_point::max();
    std::string selectParameters_;
    int blocked_ = 0;
    int failTermination_ = 0;
};

}  // namespace TestDevice
