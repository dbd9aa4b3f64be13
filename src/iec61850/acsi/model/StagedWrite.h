#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "mms/user/MmsUserConnection.h"
#include "system/ResultCode.h"

namespace Mms {
class Container;
class ModelHold;
class NamedVariable;
}  // namespace Mms

namespace Iec61850::Acsi {

// Values on their way to a device, kept apart from the model until the device has
// confirmed them: the model holds what the device holds. Each model variable to be written
// is staged as a variable of the same name holding a copy of its type and value; new
// values go into the copy, the write request is made of the staging variables and its
// answer marks them, and Commit takes into the model only the copies the answer confirmed.
// A write refused before it is sent, or by the device, thus changes nothing.
//
// Stage, CopyOf and Commit run under the model lock (the caller's hold); the answer marks
// the staging variables while the service user holds it.
class StagedWrite {
public:
    StagedWrite();
    ~StagedWrite();
    StagedWrite(const StagedWrite&) = delete;
    StagedWrite& operator=(const StagedWrite&) = delete;

    // Stages the variable once (again: nothing): NotInitialized while it has no value, the
    // copy's failure otherwise.
    System::ResultCode Stage(const Mms::ModelHold& hold, Mms::NamedVariable& target);
    // The copy of a container of the model: the value of a staged variable or a member
    // within it; null when no staged variable holds it.
    Mms::Container* CopyOf(const Mms::ModelHold& hold, const Mms::Container& inModel) const;
    // The copy of the staged variable's whole value; null when it is not staged.
    Mms::Container* CopyOf(const Mms::ModelHold& hold, const Mms::NamedVariable& target) const;
    // The staging variables in staging order: what the request sends and its answer marks.
    Mms::VariableCollection& Variables() { return variables_; }
    // Takes each copy that the write answer confirmed into its model variable. `applied`:
    // the answer was a write response that was applied to the staging variables (wholly
    // successful, or refused per member); then each copy that no refusal marked is taken.
    // Nothing without such an answer (a confirmed error, a reject, a time-out, an abort, an
    // answer that did not fit). The number taken.
    std::size_t Commit(const Mms::ModelHold& hold, bool applied);
    // Whether Commit took the staged variable's copy (false when it is not staged).
    bool IsConfirmed(const Mms::NamedVariable& target) const;

private:
    class StagingVariable;
    struct Entry {
        Mms::NamedVariable* target = nullptr;
        std::unique_ptr<StagingVariable> staging;
        bool confirmed = false;
    };
    const Entry* Find(const Mms::NamedVariable& target) const;

    std::vector<Entry> entries_;
    Mms::VariableCollection variables_;
};

}  // namespace Iec61850::Acsi
