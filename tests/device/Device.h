#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "device/ControlObject.h"
#include "device/DeviceConnection.h"
#include "device/DeviceModel.h"
#include "device/Faults.h"
#include "device/ReportControl.h"
#include "mms/machine/MmsLayer.h"
#include "mms/user/VMD.h"
#include "osi/AcseLayer.h"
#include "osi/CoppLayer.h"
#include "osi/CospLayer.h"
#include "osi/ItotLayer.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Stack.h"

namespace TestDevice {

class Device;

// The VMD of the device: reads of SBO and writes of control operations and report
// control block attributes go through the device before (or after) the model takes them.
class DeviceVmd : public Mms::VMD {
public:
    explicit DeviceVmd(Device& device) : device_(device) {}
    System::ResultCode ReadVariable(const Mms::MmsObjectName& name, Mms::MmsAccessResultList& results,
                                    std::int32_t& rejectCode) override;
    System::ResultCode WriteVariable(const Mms::MmsObjectName& name, const Mms::MmsData& data,
                                     std::int32_t& accessError) override;

private:
    Device& device_;
};

// An IEC 61850 server on the library's own MMS server side, shaped as IEC 61850-8-1 maps a
// device to MMS: logical devices are domains, each logical node one structured variable
// whose "$" paths down to the leaves are named variables of their own; data sets are
// named variable lists; report control blocks send informationReports on "RPT"; four
// switches show the four control models. Several associations may stand at once; each
// report goes to the association that enabled its block.
//
// It listens on 127.0.0.1 (or the address given) on the port given (0: one the system
// picks, see Port). Tests change values (SetValue, which triggers reports), tell it to
// misbehave (SetFaults) and read the log of requests it received.
class Device {
public:
    struct Options {
        ModelOptions model;
        std::uint16_t port = 0;
        std::string address = "127.0.0.1";
        // Associations that may stand at once: the slots, each a chain waiting for a
        // connect (at least one).
        int associations = 4;
        // Profile items the slots' chains take besides the association's defaults, e.g.
        // the responder's phase bounds ("ResponderCrTimeout", "ResponderInitiateTimeout").
        std::vector<std::pair<std::string, std::string>> profile;
    };

    explicit Device(const Options& options);
    Device() : Device(Options{}) {}
    // Stops the device and gives the options of another that takes over its port: the same
    // address answered by a different device.
    static Options TakeOverPortOf(Device& previous) {
        Options options;
        options.port = previous.Port();
        previous.Stop();
        return options;
    }
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Listens: 0, or the failure of the listener (address or port taken).
    System::ResultCode Start();
    // Stops listening, ends every association and the device's own thread.
    void Stop();
    std::uint16_t Port() const { return tcp_.GetListenPort(); }

    DeviceVmd& Vmd() { return vmd_; }
    const ModelSummary& Summary() const { return summary_; }

    // A value by the reference of a leaf or structure ("LD0/XCBR1$ST$Pos$stVal"), as
    // text. Setting it reports the change to the blocks whose data sets hold it, and a
    // new value stamps its data object's "t" with the present time: 0, 2 for an unknown
    // reference, the value's refusal of the text otherwise.
    System::ResultCode SetValue(std::string_view reference, std::string_view text);
    std::string GetValue(std::string_view reference);
    // "LD0/CSWI1$CO$Pos"; null when there is none.
    ControlObject* FindControl(std::string_view reference);
    ReportControl* FindReport(std::string_view reference);

    void SetFaults(const Faults& faults);
    Faults GetFaults() const;
    // The log of confirmed requests keeps the last RequestLogLimit of them, so that a
    // device left running serves without end: Requests() gives those, oldest first, and
    // RequestCount() every request since the start or the last ClearRequests.
    static constexpr std::size_t RequestLogLimit = 4096;
    Faults::ReportBuffering ReportBufferingFaults() const;
    std::vector<RequestRecord> Requests() const;
    std::size_t RequestCount() const;
    void ClearRequests();
    // Associations that stand now.
    int OpenAssociations() const;
    // Aborts every association that stands, as a device that restarts does, whatever its
    // client is doing: the abort goes out at once, the caller does not wait for the peer.
    void AbortAssociations();
    // Whether a connect would be taken now: some chain's transport is idle. A refused
    // association was never open, but its chain takes no connect until its transport
    // has seen the end of the refused one (and carried it up the chain).
    bool ReadyToAccept() const;
    // Waits until so many initiate (conclude) answers have been held since the start (up
    // to 30 s): false when they have not.
    bool WaitForHeldInitiates(int count);
    bool WaitForHeldConcludes(int count);

    // ---- for the device's parts ----

    void Log(RequestRecord record);
    int NextAssociationNumber();
    // Waits the time, or less when the device stops.
    void Pause(int milliseconds);
    // Waits while the faults stall the link and the device runs.
    void Stall();
    // Waits while the faults hold answers of the service (or of the service for the name)
    // and the device runs.
    void HoldAnswer(std::int32_t service);
    void HoldAnswer(std::int32_t service, const std::string& name);
    // Wait while the faults hold initiate (conclude) answers and the device runs.
    void HoldInitiateAnswer();
    void HoldConcludeAnswer();
    void AssociationEnded(DeviceConnection& association);
    // The model lock held: reports of a change of the domain's item.
    void ValueChanged(const Mms::Domain& domain, const std::string& item);
    // The model lock held: the item changed now, so its data object's "t" says so.
    void StampTime(Mms::Domain& domain, const std::string& item);
    // A report control block's integrity schedule or buffer time changed.
    void WakeTimer();
    ControlObject* FindControl(const Mms::Domain& domain, const std::string& item, ControlObject::Operation& operation);
    ReportControl* FindReport(const Mms::Domain& domain, const std::string& item, std::string& attribute);

private:
    // Counts the answer held in `held`, then waits while the fault `holds` is set.
    void HoldExchangeAnswer(int& held, bool Faults::*holds);
    bool WaitForHeld(const int& held, int count);
    Mms::NamedVariable* FindVariable(std::string_view reference, Mms::Domain*& domain);
    void RunTimer();

    Options options_;
    DeviceVmd vmd_{*this};
    ModelSummary summary_;
    std::unique_ptr<Mms::NamedVariable> lastApplError_;
    std::vector<std::unique_ptr<ControlObject>> controls_;
    std::vector<std::unique_ptr<ReportControl>> reports_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    int heldInitiates_ = 0;
    int heldConcludes_ = 0;
    bool timerWoken_ = false;
    Faults faults_;
    std::deque<RequestRecord> requests_;
    std::size_t requestCount_ = 0;
    int associations_ = 0;
    std::thread timer_;

    // The stack, bottom first; the chains are destroyed with the layers, top first.
    W32TcpLayer tcp_;
    ItotLayer itot_;
    DeviceCotpLayer cotp_{*this};
    CospLayer cosp_;
    CoppLayer copp_;
    AcseLayer acse_;
    Mms::MmsLayer mms_;
    DeviceUserLayer user_{*this};
    Protocol::Stack stack_;
    std::vector<DeviceConnection*> chains_;
};

}  // namespace TestDevice
