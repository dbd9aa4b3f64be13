#include "device/ControlObject.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "device/Device.h"
#include "device/DeviceConnection.h"
#include "device/ModelScope.h"
#include "device/ReportControl.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"

namespace TestDevice {

namespace {
// LastApplError's Error: unknown.
constexpr int ErrorUnknown = 1;
}  // namespace

ControlObject::ControlObject(Device& device, Mms::Domain& domain, const ControlSpec& spec,
                             Mms::NamedVariable& lastApplError)
    : device_(device),
      domain_(domain),
      spec_(spec),
      reference_(domain.Name + "/" + spec.node + "$CO$" + spec.dataObject),
      lastApplError_(lastApplError) {}

std::string ControlObject::Item(const char* part) const { return spec_.node + "$CO$" + spec_.dataObject + "$" + part; }

Mms::NamedVariable* ControlObject::Variable(const std::string& item) const { return domain_.FindNamedVariable(item); }

bool ControlObject::IsEnhanced() const {
    return spec_.model == ControlModel::DirectEnhanced || spec_.model == ControlModel::SboEnhanced;
}

bool ControlObject::IsSbo() const {
    return spec_.model == ControlModel::SboNormal || spec_.model == ControlModel::SboEnhanced;
}

ControlObject::Operation ControlObject::OperationOf(const Mms::Domain& domain, const std::string& item) const {
    if (&domain != &domain_) return Operation::None;
    if (item == Item("Oper")) return Operation::Operate;
    if (item == Item("Cancel")) return Operation::Cancel;
    if (item == Item("SBOw")) return Operation::Select;
    if (item == Item("SBO")) return Operation::SelectRead;
    return Operation::None;
}

void ControlObject::SetSelected(DeviceConnection* association) {
    selectedBy_ = association;
    if (association == nullptr) selectionEnds_ = Clock::time_point::max();
    if (Mms::NamedVariable* selected = Variable(spec_.node + "$ST$" + spec_.dataObject + "$stSeld")) {
        selected->FromText(association != nullptr ? "True" : "False");
    }
}

int ControlObject::SboTimeoutMs() const {
    if (const int fault = device_.GetFaults().sboTimeoutMs; fault >= 0) return fault;
    std::string text;
    Mms::NamedVariable* timeout = Variable(spec_.node + "$CF$" + spec_.dataObject + "$sboTimeout");
    if (timeout == nullptr || timeout->ToText(text) != System::OkNoError) return DefaultSboTimeoutMs;
    char* end = nullptr;
    const unsigned long ms = std::strtoul(text.c_str(), &end, 10);
    return end != text.c_str() && ms <= static_cast<unsigned long>(INT_MAX) ? static_cast<int>(ms)
                                                                            : DefaultSboTimeoutMs;
}

std::string ControlObject::ParametersOf(const char* command) const {
    using MmsObjectTest::Component;
    std::string parameters;
    Mms::NamedVariable* structure = Variable(Item(command));
    if (structure == nullptr) return parameters;
    for (const char* part : {"ctlNum", "origin$orCat", "origin$orIdent"}) {
        std::string text;
        if (Mms::Container* value = Component(*structure, part)) value->ToText(text);
        parameters += text + '\n';
    }
    return parameters;
}

void ControlObject::Select(DeviceConnection* association, const char* command) {
    SetSelected(association);
    selectionEnds_ = Clock::now() + std::chrono::milliseconds(SboTimeoutMs());
    selectParameters_ = command != nullptr ? ParametersOf(command) : std::string();
    // The device's timer ends the selection on time.
    device_.WakeTimer();
}

bool ControlObject::RepeatsSelect(const char* command) const {
    return spec_.model != ControlModel::SboEnhanced || ParametersOf(command) == selectParameters_;
}

void ControlObject::ExpireSelection(Clock::time_point now) {
    if (selectedBy_ != nullptr && now >= selectionEnds_) SetSelected(nullptr);
}

ControlObject::Clock::time_point ControlObject::SelectionEnds() const {
    return selectedBy_ != nullptr ? selectionEnds_ : Clock::time_point::max();
}

void ControlObject::PrepareSelectRead(DeviceConnection* reader) {
    ExpireSelection(Clock::now());
    const bool refused = blocked_ != 0 || reader == nullptr || (selectedBy_ != nullptr && selectedBy_ != reader);
    if (!refused) Select(reader, nullptr);
    if (Mms::NamedVariable* sbo = Variable(Item("SBO"))) sbo->FromText(refused ? "" : reference_);
}

void ControlObject::Release(DeviceConnection* association) {
    if (selectedBy_ == association) SetSelected(nullptr);
}

void ControlObject::FillLastApplError(const std::string& item, int addCause) {
    using MmsObjectTest::Component;
    const std::string written = domain_.Name + "/" + item;
    if (Mms::Container* object = Component(lastApplError_, "CntrlObj")) object->FromText(written);
    if (Mms::Container* error = Component(lastApplError_, "Error")) error->FromText(std::to_string(ErrorUnknown));
    if (Mms::Container* cause = Component(lastApplError_, "AddCause")) cause->FromText(std::to_string(addCause));
    if (Mms::NamedVariable* command = Variable(item)) {
        Mms::Container* origin = Component(*command, "origin");
        Mms::Container* number = Component(*command, "ctlNum");
        if (Mms::Container* target = Component(lastApplError_, "origin"); target != nullptr && origin != nullptr) {
            target->Assign(*origin);
        }
        if (Mms::Container* target = Component(lastApplError_, "ctlNum"); target != nullptr && number != nullptr) {
            target->Assign(*number);
        }
    }
}

std::int32_t ControlObject::Refuse(Operation operation, DeviceConnection* writer, int addCause) {
    const char* part = operation == Operation::Select ? "SBOw" : operation == Operation::Cancel ? "Cancel" : "Oper";
    FillLastApplError(Item(part), addCause);
    if (writer != nullptr) writer->SendVariablesReport({&lastApplError_});
    return ReportControl::ObjectAccessDenied;
}

std::int32_t ControlObject::Execute(Operation operation, DeviceConnection* writer) {
    if (blocked_ != 0) return Refuse(operation, writer, blocked_);
    ExpireSelection(Clock::now());
    switch (operation) {
        case Operation::Select:
            if (spec_.model != ControlModel::SboEnhanced) return Refuse(operation, writer, NotSupported);
            if (selectedBy_ != nullptr && selectedBy_ != writer)
                return Refuse(operation, writer, ObjectAlreadySelected);
            Select(writer, "SBOw");
            return 0;
        case Operation::Cancel:
            if (IsSbo() && selectedBy_ != writer) return Refuse(operation, writer, ObjectNotSelected);
            if (IsSbo() && !RepeatsSelect("Cancel")) return Refuse(operation, writer, InconsistentParameters);
            SetSelected(nullptr);
            return 0;
        case Operation::Operate: break;
        default: return ReportControl::ObjectAccessDenied;
    }
    if (IsSbo() && selectedBy_ != writer) return Refuse(operation, writer, ObjectNotSelected);
    // The selection stays for an operate that is put right within its time.
    if (IsSbo() && !RepeatsSelect("Oper")) return Refuse(operation, writer, InconsistentParameters);
    SetSelected(nullptr);

    std::string value;
    if (Mms::NamedVariable* ctlVal = Variable(Item("Oper$ctlVal"))) ctlVal->ToText(value);
    const std::string status = spec_.node + "$ST$" + spec_.dataObject + "$stVal";
    if (Mms::NamedVariable* stVal = Variable(status)) {
        std::string before;
        std::string after;
        stVal->ToText(before);
        stVal->FromText(value == "True" ? "10" : "01");
        stVal->ToText(after);
        if (after != before) device_.StampTime(domain_, status);
    }

    if (writer == nullptr) return 0;
    const int failure = failTermination_;
    Mms::Domain* domain = &domain_;
    writer->Defer([this, writer, domain, status, failure] {
        ModelScope hold(device_.Vmd());
        device_.ValueChanged(*domain, status);
        if (!IsEnhanced()) return;
        Mms::NamedVariable* oper = Variable(Item("Oper"));
        if (oper == nullptr) return;
        if (failure != 0) {
            FillLastApplError(Item("Oper"), failure);
            writer->SendVariablesReport({&lastApplError_, oper});
        } else {
            writer->SendVariablesReport({oper});
        }
    });
    return 0;
}

}  // namespace TestDevice
