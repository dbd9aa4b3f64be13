#include "device/Device.h"

#include <algorithm>
#include <utility>

#include "device/DeviceTime.h"
#include "device/ModelScope.h"
#include "device/SettingGroups.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpConnection.h"
#include "support/StackProfile.h"

namespace TestDevice {

namespace {

bool SplitReference(std::string_view reference, std::string& domain, std::string& item) {
    const std::size_t slash = reference.find('/');
    if (slash == std::string_view::npos || reference.find('/', slash + 1) != std::string_view::npos) return false;
    domain = reference.substr(0, slash);
    item = reference.substr(slash + 1);
    return true;
}

bool SplitName(const Mms::VMD& vmd, const Mms::MmsObjectName& name, Mms::Domain*& domain, std::string& item) {
    std::string text;
    std::string domainName;
    if (Mms::MmsObjectNameText(name, text) != System::OkNoError || !SplitReference(text, domainName, item))
        return false;
    return vmd.FindDomain(domainName, domain) == System::OkNoError;
}

}  // namespace

// ---- the VMD ----

System::ResultCode DeviceVmd::ReadVariable(const Mms::MmsObjectName& name, Mms::MmsAccessResultList& results,
                                           std::int32_t& rejectCode) {
    Mms::Domain* domain = nullptr;
    std::string item;
    ControlObject::Operation operation = ControlObject::Operation::None;
    if (SplitName(*this, name, domain, item)) {
        const bool wholeNode = item.find('$') == std::string::npos;
        if (const auto refusal = ReadRefusal(*domain, item, wholeNode && device_.GetFaults().refuseWholeNodeReads)) {
            Mms::MmsAccessResult* result = Mms::MmsAppendNew(results, Mms::MmsAccessResultType);
            if (result == nullptr) {
                rejectCode = Mms::MmsRejectRequestOther;
                return System::NoResources;
            }
            result->present = Mms::MmsAccessResultFailure;
            result->choice.failure = *refusal;
            return System::OkNoError;
        }
        if (ControlObject* control = device_.FindControl(*domain, item, operation);
            control != nullptr && operation == ControlObject::Operation::SelectRead) {
            control->PrepareSelectRead(DeviceConnection::Current());
        }
    }
    return VMD::ReadVariable(name, results, rejectCode);
}

System::ResultCode DeviceVmd::WriteVariable(const Mms::MmsObjectName& name, const Mms::MmsData& data,
                                            std::int32_t& accessError) {
    Mms::Domain* domain = nullptr;
    std::string item;
    if (!SplitName(*this, name, domain, item)) return VMD::WriteVariable(name, data, accessError);
    DeviceConnection* writer = DeviceConnection::Current();

    ControlObject::Operation operation = ControlObject::Operation::None;
    if (ControlObject* control = device_.FindControl(*domain, item, operation);
        control != nullptr && operation != ControlObject::Operation::SelectRead) {
        if (const System::ResultCode taken = VMD::WriteVariable(name, data, accessError); taken != System::OkNoError) {
            return taken;
        }
        accessError = control->Execute(operation, writer);
        return accessError == 0 ? System::OkNoError : System::Error;
    }
    std::string attribute;
    if (ReportControl* report = device_.FindReport(*domain, item, attribute)) {
        accessError = report->CheckWrite(writer, attribute);
        if (accessError != 0) return System::Error;
        if (const System::ResultCode taken = VMD::WriteVariable(name, data, accessError); taken != System::OkNoError) {
            return taken;
        }
        accessError = report->AfterWrite(writer, attribute);
        return accessError == 0 ? System::OkNoError : System::Error;
    }
    return VMD::WriteVariable(name, data, accessError);
}

// ---- the device ----

Device::Device(const Options& options) : options_(options) {
    summary_ = BuildModel(vmd_, options_.model);

    lastApplError_ = std::make_unique<Mms::NamedVariable>(nullptr, "LastApplError", &vmd_);
    MmsObjectTest::Retype(*lastApplError_, ToType(LastApplErrorType()));
    for (const ControlSpec& spec : summary_.controls) {
        Mms::Domain* domain = nullptr;
        if (vmd_.FindDomain(spec.domain, domain) != System::OkNoError) continue;
        controls_.push_back(std::make_unique<ControlObject>(*this, *domain, spec, *lastApplError_));
    }
    for (const ReportSpec& spec : summary_.reports) {
        Mms::Domain* domain = nullptr;
        if (vmd_.FindDomain(spec.domain, domain) != System::OkNoError) continue;
        reports_.push_back(std::make_unique<ReportControl>(*this, vmd_, *domain, spec));
    }

    for (Protocol::Layer* layer :
         std::initializer_list<Protocol::Layer*>{&tcp_, &itot_, &cotp_, &cosp_, &copp_, &acse_, &mms_, &user_}) {
        stack_.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
    }
    for (int i = 0; i < std::max(1, options_.associations); ++i) {
        auto* user = static_cast<DeviceConnection*>(stack_.CreateConnection());
        if (user == nullptr) continue;
        stack_.ResetConnectionChain(user);
        // Each connection keeps what it takes, so that the resets it goes through after
        // every association restore it.
        TestSupport::StackProfile profile = TestSupport::StackProfile::Association(0);
        for (const auto& [name, value] : options_.profile) profile.With(name, value);
        profile.ApplyTo(user, TestSupport::StackProfile::Keep::AcrossResets);
        user->SetVmd(&vmd_);
        chains_.push_back(user);
    }
    vmd_.SetConnection(chains_.empty() ? nullptr : chains_.front());
}

Device::~Device() { Stop(); }

System::ResultCode Device::Start() {
    if (System::ResultCode result = tcp_.SetListenAddress(options_.address); result != System::OkNoError) {
        return result;
    }
    if (System::ResultCode result = tcp_.StartListening(0, options_.port); result != System::OkNoError) return result;
    for (DeviceConnection* user : chains_) tcp_.AddWaitingConnection(static_cast<TcpConnection*>(user->GetBottom()));
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    if (!timer_.joinable()) timer_ = std::thread([this] { RunTimer(); });
    return System::OkNoError;
}

void Device::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (timer_.joinable()) timer_.join();
    if (tcp_.IsListening()) tcp_.StopListening();
    for (DeviceConnection* user : chains_) {
        tcp_.RemoveWaitingConnection(static_cast<TcpConnection*>(user->GetBottom()));
        user->Close();
    }
}

void Device::RunTimer() {
    std::unique_lock lock(mutex_);
    auto reportedAlive = std::chrono::steady_clock::now();
    while (!stopping_) {
        auto next = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        const int reportEveryMs = faults_.reportEveryMs;
        lock.unlock();
        {
            ModelScope hold(vmd_);
            const auto now = std::chrono::steady_clock::now();
            if (reportEveryMs > 0) {
                const auto every = std::chrono::milliseconds(reportEveryMs);
                if (now - reportedAlive >= every) {
                    reportedAlive = now;
                    for (DeviceConnection* user : chains_) ReportControl::SendBare(*user, "alive");
                }
                next = std::min(next, reportedAlive + every);
            }
            for (const auto& report : reports_) {
                report->RunDue(now);
                next = std::min(next, report->NextDue());
            }
            for (const auto& control : controls_) {
                control->ExpireSelection(now);
                next = std::min(next, control->SelectionEnds());
            }
        }
        lock.lock();
        wake_.wait_until(lock, next, [this] { return stopping_ || timerWoken_; });
        timerWoken_ = false;
    }
}

void Device::WakeTimer() {
    {
        std::lock_guard lock(mutex_);
        timerWoken_ = true;
    }
    wake_.notify_all();
}

void Device::Pause(int milliseconds) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping_; });
}

void Device::HoldExchangeAnswer(int& held, bool Faults::*holds) {
    {
        std::lock_guard lock(mutex_);
        ++held;
    }
    wake_.notify_all();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return stopping_ || !(faults_.*holds); });
}

bool Device::WaitForHeld(const int& held, int count) {
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, std::chrono::seconds(30), [&] { return held >= count; });
}

void Device::HoldInitiateAnswer() { HoldExchangeAnswer(heldInitiates_, &Faults::holdInitiateAnswer); }

void Device::HoldConcludeAnswer() { HoldExchangeAnswer(heldConcludes_, &Faults::holdConcludeAnswer); }

bool Device::WaitForHeldInitiates(int count) { return WaitForHeld(heldInitiates_, count); }

bool Device::WaitForHeldConcludes(int count) { return WaitForHeld(heldConcludes_, count); }

void Device::Stall() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || faults_.stallAfterRequest == 0; });
}

void Device::HoldAnswer(std::int32_t service) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return stopping_ || !faults_.held.contains(service); });
}

void Device::HoldAnswer(std::int32_t service, const std::string& name) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return stopping_ || !faults_.heldNames.contains({service, name}); });
}

void Device::SetFaults(const Faults& faults) {
    {
        std::lock_guard lock(mutex_);
        faults_ = faults;
        timerWoken_ = true;
    }
    // A stalled link or held requests may be let go, and the timer takes the new reports at once.
    wake_.notify_all();
}

Faults Device::GetFaults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

Faults::ReportBuffering Device::ReportBufferingFaults() const {
    std::lock_guard lock(mutex_);
    return faults_.reportBuffering;
}

void Device::Log(RequestRecord record) {
    std::lock_guard lock(mutex_);
    if (requests_.size() == RequestLogLimit) requests_.pop_front();
    requests_.push_back(std::move(record));
    ++requestCount_;
}

std::vector<RequestRecord> Device::Requests() const {
    std::lock_guard lock(mutex_);
    return {requests_.begin(), requests_.end()};
}

std::size_t Device::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requestCount_;
}

void Device::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    requestCount_ = 0;
}

int Device::NextAssociationNumber() {
    std::lock_guard lock(mutex_);
    return ++associations_;
}

void Device::AbortAssociations() {
    for (DeviceConnection* user : chains_) {
        if (user->GetState() == Mms::MmsUserConnection::StateAssociated) user->Abort(AbortWait::None);
    }
}

int Device::OpenAssociations() const {
    int open = 0;
    for (const DeviceConnection* user : chains_) {
        if (user->GetState() == Mms::MmsUserConnection::StateAssociated) ++open;
    }
    return open;
}

bool Device::ReadyToAccept() const {
    return std::any_of(chains_.begin(), chains_.end(), [](DeviceConnection* user) {
        auto* tcp = dynamic_cast<W32TcpConnection*>(user->GetBottom());
        return tcp != nullptr && tcp->Accepts();
    });
}

void Device::AssociationEnded(DeviceConnection& association) {
    ModelScope hold(vmd_);
    for (const auto& control : controls_) control->Release(&association);
    for (const auto& report : reports_) report->Release(&association);
}

ControlObject* Device::FindControl(const Mms::Domain& domain, const std::string& item,
                                   ControlObject::Operation& operation) {
    for (const auto& control : controls_) {
        operation = control->OperationOf(domain, item);
        if (operation != ControlObject::Operation::None) return control.get();
    }
    return nullptr;
}

ReportControl* Device::FindReport(const Mms::Domain& domain, const std::string& item, std::string& attribute) {
    for (const auto& report : reports_) {
        if (report->Holds(domain, item, attribute)) return report.get();
    }
    return nullptr;
}

ControlObject* Device::FindControl(std::string_view reference) {
    for (const auto& control : controls_) {
        if (control->Reference() == reference) return control.get();
    }
    return nullptr;
}

ReportControl* Device::FindReport(std::string_view reference) {
    for (const auto& report : reports_) {
        if (report->Reference() == reference) return report.get();
    }
    return nullptr;
}

Mms::NamedVariable* Device::FindVariable(std::string_view reference, Mms::Domain*& domain) {
    std::string domainName;
    std::string item;
    if (!SplitReference(reference, domainName, item) || vmd_.FindDomain(domainName, domain) != System::OkNoError) {
        return nullptr;
    }
    return domain->FindNamedVariable(item);
}

System::ResultCode Device::SetValue(std::string_view reference, std::string_view text) {
    ModelScope hold(vmd_);
    Mms::Domain* domain = nullptr;
    Mms::NamedVariable* variable = FindVariable(reference, domain);
    if (variable == nullptr) return System::InvalidArguments;
    std::string before;
    variable->ToText(before);
    if (const System::ResultCode result = variable->FromText(text); result != System::OkNoError) return result;
    std::string after;
    variable->ToText(after);
    if (after != before) StampTime(*domain, variable->Name);
    ValueChanged(*domain, variable->Name);
    return System::OkNoError;
}

std::string Device::GetValue(std::string_view reference) {
    ModelScope hold(vmd_);
    Mms::Domain* domain = nullptr;
    std::string text;
    if (Mms::NamedVariable* variable = FindVariable(reference, domain)) variable->ToText(text);
    return text;
}

void Device::ValueChanged(const Mms::Domain& domain, const std::string& item) {
    for (const auto& report : reports_) report->ValueChanged(domain, item);
}

void Device::StampTime(Mms::Domain& domain, const std::string& item) {
    if (Mms::NamedVariable* stamp = TimeStampAbove(domain, item)) SetTimeStamp(*stamp, TimeStampNow());
}

}  // namespace TestDevice
