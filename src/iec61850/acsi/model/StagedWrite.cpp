#include "iec61850/acsi/model/StagedWrite.h"

#include <new>
#include <utility>

#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduData.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Array.h"
#include "mms/values/Container.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

// A variable of the target's name and owner that the owner does not file and whose
// structure binds to none of the owner's variables: its value is a copy, its own.
class StagedWrite::StagingVariable : public Mms::NamedVariable {
public:
    explicit StagingVariable(const Mms::NamedVariable& target)
        : Mms::NamedVariable(nullptr, target.Name, target.GetOwner()) {}

    System::ResultCode Copy(Mms::Container& source) {
        Mms::CoderValue<Mms::MmsTypeDescription> type(Mms::MmsTypeDescriptionType);
        if (const System::ResultCode described = source.ToTypeSpec(*type); described != System::OkNoError) {
            return described;
        }
        if (const System::ResultCode built = RebuildValue(*type); built != System::OkNoError) return built;
        // A value the model does not hold yet stays unset in the copy: new values replace it.
        if (source.GetState() == Mms::StateValid) return GetValue()->Assign(source);
        return System::OkNoError;
    }

protected:
    System::ResultCode AdoptValue(Mms::Container* container) override { return container->Bind(this, nullptr); }
};

namespace {

// The member's place in its parent (a structure's component or an array's element).
bool IndexInParent(const Mms::Container& member, std::size_t& index) {
    const Mms::Container* parent = member.GetParent();
    if (parent == nullptr) return false;
    if (parent->GetClassId() == Mms::StructureClassId) {
        const auto& structure = static_cast<const Mms::Structure&>(*parent);
        for (index = 0; index < structure.GetComponentCount(); ++index) {
            if (structure.GetComponent(index) == &member) return true;
        }
    } else if (parent->GetClassId() == Mms::ArrayClassId) {
        const auto& array = static_cast<const Mms::Array&>(*parent);
        for (index = 0; index < array.GetElementCount(); ++index) {
            if (array.GetElement(index) == &member) return true;
        }
    }
    return false;
}

Mms::Container* MemberAt(Mms::Container& at, std::size_t index) {
    if (at.GetClassId() == Mms::StructureClassId) {
        auto& structure = static_cast<Mms::Structure&>(at);
        return index < structure.GetComponentCount() ? structure.GetComponent(index) : nullptr;
    }
    if (at.GetClassId() == Mms::ArrayClassId) {
        auto& array = static_cast<Mms::Array&>(at);
        return index < array.GetElementCount() ? array.GetElement(index) : nullptr;
    }
    return nullptr;
}

}  // namespace

StagedWrite::StagedWrite() = default;

StagedWrite::~StagedWrite() = default;

const StagedWrite::Entry* StagedWrite::Find(const Mms::NamedVariable& target) const {
    for (const Entry& entry : entries_) {
        if (entry.target == &target) return &entry;
    }
    return nullptr;
}

System::ResultCode StagedWrite::Stage(const Mms::ModelHold&, Mms::NamedVariable& target) {
    if (Find(target) != nullptr) return System::OkNoError;
    Mms::Container* value = target.GetValue();
    if (value == nullptr) return System::NotInitialized;
    auto staging = std::unique_ptr<StagingVariable>(new (std::nothrow) StagingVariable(target));
    if (staging == nullptr) return System::NoResources;
    if (const System::ResultCode copied = staging->Copy(*value); copied != System::OkNoError) return copied;
    variables_.push_back(staging.get());
    entries_.push_back({&target, std::move(staging)});
    return System::OkNoError;
}

Mms::Container* StagedWrite::CopyOf(const Mms::ModelHold&, const Mms::NamedVariable& target) const {
    const Entry* entry = Find(target);
    return entry != nullptr ? entry->staging->GetValue() : nullptr;
}

Mms::Container* StagedWrite::CopyOf(const Mms::ModelHold&, const Mms::Container& inModel) const {
    // The way up from the container to a staged value, then the same way down its copy.
    std::vector<std::size_t> path;
    for (const Mms::Container* at = &inModel; at != nullptr; at = at->GetParent()) {
        for (const Entry& entry : entries_) {
            if (entry.target->GetValue() != at) continue;
            Mms::Container* copy = entry.staging->GetValue();
            for (auto step = path.rbegin(); step != path.rend() && copy != nullptr; ++step) {
                copy = MemberAt(*copy, *step);
            }
            return copy;
        }
        std::size_t index = 0;
        if (!IndexInParent(*at, index)) return nullptr;
        path.push_back(index);
    }
    return nullptr;
}

bool StagedWrite::IsConfirmed(const Mms::NamedVariable& target) const {
    const Entry* entry = Find(target);
    return entry != nullptr && entry->confirmed;
}

std::size_t StagedWrite::Commit(const Mms::ModelHold&, bool applied) {
    // Encoding the request left every copy valid; a write response then marks each copy
    // that the device refused with its access error. Any other end applied nothing.
    if (!applied) return 0;
    std::size_t taken = 0;
    for (Entry& entry : entries_) {
        Mms::Container* copy = entry.staging->GetValue();
        Mms::Container* value = entry.target->GetValue();
        if (copy->GetState() != Mms::StateValid || value == nullptr) continue;
        entry.confirmed = value->Assign(*copy) == System::OkNoError;
        if (entry.confirmed) ++taken;
    }
    return taken;
}

}  // namespace Iec61850::Acsi
