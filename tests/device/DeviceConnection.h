#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mms/user/MmsUserConnection.h"
#include "mms/user/MmsUserLayer.h"
#include "osi/CotpConnection.h"
#include "osi/CotpLayer.h"

namespace TestDevice {

class Device;

// The device's end of one association: the library's service user, with the device's
// faults, its request log and the actions that must follow an answer (command
// terminations, general-interrogation reports).
class DeviceConnection : public Mms::MmsUserConnection {
public:
    DeviceConnection(Mms::MmsUserLayer* layer, Device& device);
    ~DeviceConnection() override;

    // The association whose request this thread is answering; null outside.
    static DeviceConnection* Current();
    // Runs the action once the answer to the present request has gone out (at once
    // when no request is being answered). Actions run on the receive thread.
    void Defer(std::function<void()> action);
    // The number of the present association (0 before the first).
    int GetAssociationNumber() const { return association_; }

    // The association has ended: the device lets go of what it held for it.
    System::ResultCode Reset() override;

protected:
    // The device's faults and request log around the service user's answers.
    System::ResultCode OnConfirmedRequest(Mms::MmsFrame& frame) override;
    System::ResultCode OnInitiateRequest(Mms::MmsFrame& frame) override;
    System::ResultCode OnConcludeRequest(Mms::MmsFrame& frame) override;
    void ChooseAnnouncedServices(std::uint8_t (&flags)[Mms::InitiateParameters::ServiceFlagCount]) override;

private:
    // The Identify answer made now and kept to be sent behind a later one.
    System::ResultCode HoldIdentifyAnswer(Mms::MmsFrame& request);
    Device& device_;
    int association_ = 0;
    int requests_ = 0;
    int stallCount_ = 0;
    int concludesRefused_ = 0;
    // Type requests of each node left unanswered on this association.
    std::map<std::string, int> droppedNodeTypes_;
    bool answering_ = false;
    std::vector<std::function<void()>> deferred_;
    std::unique_ptr<Mms::MmsFrame> heldIdentify_;
};

class DeviceUserLayer : public Mms::MmsUserLayer {
public:
    explicit DeviceUserLayer(Device& device) : device_(device) {}
    Protocol::Connection* CreateConnection() override;

private:
    Device& device_;
};

// The transport of the device: it can hold back or leave out its CC.
class DeviceCotpConnection : public CotpConnection {
public:
    DeviceCotpConnection(CotpLayer* layer, Device& device) : CotpConnection(layer), device_(device) {}
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;

private:
    Device& device_;
};

class DeviceCotpLayer : public CotpLayer {
public:
    explicit DeviceCotpLayer(Device& device) : device_(device) {}
    Protocol::Connection* CreateConnection() override { return new DeviceCotpConnection(this, device_); }

private:
    Device& device_;
};

}  // namespace TestDevice
