#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/ValueRecord.h"

namespace Mms {
class Container;
class InformationReport;
class ModelHold;
}  // namespace Mms

namespace Iec61850::Acsi {

// The control error of a control service's answer: a write or read refused with a
// DataAccessError maps 1 to 2 (hardware-fault), 3 to 3, 4 to 4 and any other code to -1
// (no text); any other answer gives 0.
std::int32_t ControlErrorFromAnswer(std::int32_t errorClass, std::int32_t errorCode);

// Whether the text is a control number as the caller must give it: a decimal 0..255.
bool ParseControlNumber(std::string_view text);

// The control object's reference in the MMS form its SBO value names it by:
// "LD0/CSWI1.Pos" gives "LD0/CSWI1$CO$Pos".
std::string ControlObjectMmsReference(const std::string& objectReference);

// Select-before-operate with normal security: one read of the object's SBO attribute. The
// device answers with the object's reference when it selected it and with anything else
// (an empty text) when it refused; the server judges the answer (ApplySelectResult), so a
// refusal confirms with result Error and service error 4 while the model keeps the text.
class Select : public Service {
public:
    Select(TPAppAssociation& association, std::string objectReference);
    void execute() override;
    void complete() override;

    std::string objectReference;
    NamedObject* selected = nullptr;
    // The SBO value as the device answered it (filled when the answer is judged).
    std::string answer;
    std::int32_t controlError = 0;
};

// SelectWithValue, Operate and Cancel: each writes the whole SBOw, Oper or Cancel structure
// once, as a copy of the model's (StagedWrite) into which the caller's records (its
// components) were set, in the types the device described. The copy is the control's own
// from the moment it is made under the model lock: a command termination or another
// control of the same object changing the model's structure meanwhile cannot change what
// this control sends. The model takes the copy once the device has confirmed the write.
class ControlWrite : public SetDataValues {
public:
    // The reference written is the object's followed by ".SBOw", ".Oper" or ".Cancel".
    ControlWrite(TPAppAssociation& association, std::string objectReference, const char* structure,
                 std::vector<ValueRecord> records);
    void execute() override;
    // A control writes its structure its own way: always through the association's thread.
    Direct SendDirect() override { return Direct::NotSent; }
    void complete() override;

    // Called with each control whose copy is made, on the thread that executes it, before
    // the copy is encoded and sent (null: none). For tests that hold a control there, as a
    // thread the system does not run for a while would be.
    using StagedHook = void (*)(const ControlWrite& control);
    static void SetStagedHook(StagedHook hook);

    std::string objectReference;
    std::int32_t controlError = 0;

protected:
    virtual void Callback(ClientApplication& client) = 0;
    // On the executing thread, just before the request is handed over to be sent. Base:
    // nothing.
    virtual void BeforeSend() {}

private:
    // Under the caller's hold: the structure found staged, and each record's text set
    // into the copy of its component (InvalidArguments for a record outside the structure).
    System::ResultCode StageControl(const Mms::ModelHold& hold, Server& server);
};

class SelectWithValue : public ControlWrite {
public:
    SelectWithValue(TPAppAssociation& association, std::string objectReference, std::vector<ValueRecord> records);

protected:
    void Callback(ClientApplication& client) override;
};

// Its command termination is told after its confirmation (see TerminationHold): from before
// its send until its confirmation has been told, a termination of its object waits.
class Operate : public ControlWrite {
public:
    Operate(TPAppAssociation& association, std::string objectReference, std::vector<ValueRecord> records);
    ~Operate() override;

protected:
    void Callback(ClientApplication& client) override;
    void BeforeSend() override;
    void Told() override;

private:
    // Under way in the association's TerminationHold, not yet told.
    bool awaitingTermination_ = false;
};

class Cancel : public ControlWrite {
public:
    Cancel(TPAppAssociation& association, std::string objectReference, std::vector<ValueRecord> records);

protected:
    void Callback(ClientApplication& client) override;
};

// A command termination (or a refused control's LastApplError): a report of a list of
// variables, taken into the model and handed to OnCommandTermination. Made on the thread
// that received the report, executed at once, and gone when execute returns.
class ControlReport : public Service {
public:
    ControlReport(TPAppAssociation& association, Mms::InformationReport& report);
    ~ControlReport() override;

    // Parses LastApplError, assigns the control object's value in the model and calls
    // back (only when all of that worked), then deletes itself.
    void execute() override;
    // Calls OnCommandTermination when the result is 0 (after the model lock is let go),
    // then ends as every service does.
    virtual void completeReport();

    // The LastApplError the report carried (null when it carried none).
    std::unique_ptr<LastApplError> lastApplError;
    // The model object the report names (null when it names none).
    NamedObject* controlObject = nullptr;
    Mms::InformationReport& report;
    // Filled by the program for itself in OnCommandTermination.
    std::vector<ValueRecord> records;

private:
    // The constraint and reference of an MMS variable name ("LD0/CSWI1$CO$Pos$Oper" gives
    // "CO" and "LD0/CSWI1.Pos.Oper").
    static void SplitVariableName(const std::string& name, std::string& fc, std::string& reference);
    // Finds the object the report names (controlObject) and assigns it the value, under the
    // caller's hold: InvalidArguments when there is no such object, value or variable.
    System::ResultCode TakeControlValue(const Mms::ModelHold& hold, Server& server, std::string_view fc,
                                        std::string_view reference, Mms::Container* value);
};

}  // namespace Iec61850::Acsi
