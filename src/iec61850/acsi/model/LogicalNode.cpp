#include "iec61850/acsi/model/LogicalNode.h"

#include <algorithm>
#include <new>

#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/scl/BuiltInDictionary.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/VMD.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

namespace {

constexpr std::size_t kClassLength = 4;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_'; }

}  // namespace

bool IsValidReferenceText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsNameCharacter(c) || c == '.'; });
}

bool LogicalNode::ParseName(std::string_view name, std::string& prefix, std::string& lnClass, std::string& instance) {
    if (name == "LLN0") {
        prefix.clear();
        lnClass = "LLN0";
        instance.clear();
        return true;
    }
    std::size_t end = name.size();
    while (end > 0 && IsDigit(name[end - 1])) --end;
    if (end < kClassLength) return false;
    const std::string_view head = name.substr(0, end - kClassLength);
    if (!std::all_of(head.begin(), head.end(), IsNameCharacter)) return false;
    prefix = head;
    lnClass = name.substr(end - kClassLength, kClassLength);
    instance = name.substr(end);
    return true;
}

LogicalNode::LogicalNode(LogicalDevice* device, std::string name, Mms::MmsObject* mmsObject)
    : NamedObject(device, std::move(name), mmsObject) {
    validName_ = ParseName(GetName(), prefix_, lnClass_, instance_);
    if (validName_) {
        classType_ = Scl::BuiltInDataTypeTemplate().FindElement(lnClass_);
    } else {
        prefix_.clear();
        lnClass_.clear();
        instance_.clear();
    }
}

LogicalNode::~LogicalNode() {
    brcbs_.clear();
    urcbs_.clear();
    lcbs_.clear();
    ForgetChildren();
    dataSets_.clear();
    fcOrder_.clear();
    fcs_.clear();
}

ModelClass LogicalNode::GetModelClass() const { return ModelClass::LogicalNode; }

System::ResultCode LogicalNode::Build() { return Build(0); }

System::ResultCode LogicalNode::Build(std::uint32_t lockWaitMs) {
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr) return System::OkNoError;
    Mms::VMD::ModelHold hold(Mms::VMD::Of(variable), lockWaitMs);
    if (!hold.Taken()) return hold.GetResult();
    if (variable->GetValue() == nullptr || variable->GetValue()->GetClassId() != Mms::StructureClassId) {
        return System::OkNoError;
    }
    auto& structure = static_cast<Mms::Structure&>(*variable->GetValue());
    for (std::size_t i = 0; i < structure.GetComponentCount(); ++i) {
        Mms::Container& component = *structure.GetComponent(i);
        const std::string& fc = component.GetName();
        if (fc.empty()) continue;
        Mms::NamedVariable* bound = nullptr;
        std::unique_ptr<Mms::NamedVariable> unfiled;
        if (VariableForComponent(*variable, component, fc, bound, unfiled) != System::OkNoError) continue;
        FunctionalConstraint* group = FindFc(fc);
        if (group == nullptr) {
            group = AddFc(fc, bound);
            if (group == nullptr) continue;
            if (unfiled != nullptr) group->OwnVariable(std::move(unfiled));
        }
        group->Build();
    }
    return System::OkNoError;
}

System::ResultCode LogicalNode::Bind(const Mms::ModelHold& hold) {
    System::ResultCode last = System::OkNoError;
    for (FunctionalConstraint* group : fcOrder_) {
        if (const System::ResultCode result = group->Bind(hold); result != System::OkNoError) last = result;
    }
    for (auto& [name, dataSet] : dataSets_) {
        if (const System::ResultCode result = dataSet->Bind(hold); result != System::OkNoError) last = result;
    }
    return last;
}

System::ResultCode LogicalNode::CollectByName(std::string_view name, std::list<NamedObject*>& found) {
    for (std::string_view fc : FcSearchOrder) {
        if (FunctionalConstraint* group = FindFc(fc)) {
            if (const System::ResultCode result = group->CollectByName(name, found); result != System::OkNoError) {
                return result;
            }
        }
    }
    return System::OkNoError;
}

System::ResultCode LogicalNode::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    switch (objectClass) {
        case ObjectClassDataSet:
            for (auto& [name, dataSet] : dataSets_) found.push_back(dataSet.get());
            return System::OkNoError;
        case ObjectClassData:
        case ObjectClassDataAttribute:
        case ObjectClassBrcb:
        case ObjectClassUrcb:
        case ObjectClassLcb:
        case ObjectClassSgcb:
        case ObjectClassGoCb:
        case ObjectClassGsCb:
        case ObjectClassMsvCb:
        case ObjectClassUsvCb:
        case AnyReportControlBlock:
        case AnyControlBlock:
            for (std::string_view fc : FcSearchOrder) {
                if (FunctionalConstraint* group = FindFc(fc)) {
                    const System::ResultCode result = group->CollectByClass(objectClass, found);
                    if (result != System::OkNoError) return result;
                }
            }
            return System::OkNoError;
        default: return System::NotSupported;
    }
}

ObjectState LogicalNode::SetState(ObjectState state) {
    NamedObject::SetState(state);
    for (FunctionalConstraint* group : fcOrder_) group->SetState(state);
    if (GetParent() != nullptr) GetParent()->SetState(state);
    return GetState();
}

void LogicalNode::CountKinds(ModelTally& tally) const {
    if (!tally.reuseNodeCounts || tally.state != AnyObjectState) {
        CountSelf(tally);
        for (const FunctionalConstraint* group : fcOrder_) group->CountKinds(tally);
        for (const auto& [name, dataSet] : dataSets_) dataSet->CountKinds(tally);
        return;
    }
    // Kept by exact class only: the questions (Any, the data-item family) are sums of them.
    constexpr std::size_t firstExact = static_cast<std::size_t>(ModelClass::NamedObject);
    if (!subtreeCountsKept_) {
        std::array<ModelClass, ModelClassCount - firstExact> exactClasses{};
        for (std::size_t i = 0; i < exactClasses.size(); ++i) exactClasses[i] = static_cast<ModelClass>(firstExact + i);
        subtreeCounts_.fill(0);
        ModelTally own{exactClasses, AnyObjectState, std::span(subtreeCounts_).subspan(firstExact)};
        CountKinds(own);
        subtreeCountsKept_ = true;
    }
    for (std::size_t asked = 0; asked < tally.classes.size(); ++asked) {
        for (std::size_t exact = firstExact; exact < ModelClassCount; ++exact) {
            if (ModelClassMatches(tally.classes[asked], static_cast<ModelClass>(exact))) {
                tally.counts[asked] += subtreeCounts_[exact];
            }
        }
    }
}

void LogicalNode::SubtreeChanged() { subtreeCountsKept_ = false; }

bool LogicalNode::IsFullyRead() const {
    // The cheap questions first: the groups are asked down to every leaf.
    if (readingState != NodeReadingState::Read && readingState != NodeReadingState::GivenUp) return false;
    for (const auto& [name, dataSet] : dataSets_) {
        if (!dataSet->IsMemberListRead()) return false;
    }
    for (const FunctionalConstraint* group : fcOrder_) {
        if (!group->IsRead()) return false;
    }
    return true;
}

void LogicalNode::IndexControlBlock(NamedObject& block) {
    switch (block.GetModelClass()) {
        case ModelClass::BRCB: brcbs_[block.GetName()] = static_cast<BRCB*>(&block); break;
        case ModelClass::URCB: urcbs_[block.GetName()] = static_cast<URCB*>(&block); break;
        case ModelClass::LCB: lcbs_[block.GetName()] = static_cast<LCB*>(&block); break;
        default: break;
    }
}

void LogicalNode::ForgetIndexed(const NamedObject& object) {
    Unindex(brcbs_, object);
    Unindex(urcbs_, object);
    Unindex(lcbs_, object);
}

FunctionalConstraint* LogicalNode::FindFc(std::string_view fc) const {
    const auto found = fcs_.find(fc);
    return found != fcs_.end() ? found->second.get() : nullptr;
}

FunctionalConstraint* LogicalNode::AddFc(const std::string& fc, Mms::MmsObject* variable) {
    if (FindFc(fc) != nullptr) return nullptr;
    std::unique_ptr<FunctionalConstraint> group(new (std::nothrow) FunctionalConstraint(this, fc, variable));
    if (group == nullptr) return nullptr;
    FunctionalConstraint* added = group.get();
    fcs_.emplace(fc, std::move(group));
    fcOrder_.push_back(added);
    LinkChild(added);
    return added;
}

bool LogicalNode::RemoveFc(std::string_view fc) {
    const auto found = fcs_.find(fc);
    if (found == fcs_.end()) return false;
    FunctionalConstraint* group = found->second.get();
    std::list<NamedObject*> blocks;
    group->CollectByClass(AnyControlBlock, blocks);
    for (const NamedObject* block : blocks) ForgetIndexed(*block);
    // The component of the node's structure goes; its variable lets go of it as it does.
    if (Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject())) {
        if (auto* structure = dynamic_cast<Mms::Structure*>(variable->GetValue())) {
            delete structure->FindComponent(fc);
        }
    }
    UnlinkChild(group);
    fcOrder_.remove(group);
    fcs_.erase(found);
    return true;
}

System::ResultCode LogicalNode::MakeFc(std::string_view fc, FunctionalConstraint*& group) {
    group = FindFc(fc);
    if (group != nullptr) return System::OkNoError;
    std::unique_ptr<FunctionalConstraint> made(new (std::nothrow) FunctionalConstraint(this, std::string(fc), nullptr));
    if (made == nullptr) return System::NoResources;
    if (const System::ResultCode bound = made->BindVariable(Scl::BasicTypeCode::Struct); bound != System::OkNoError) {
        return bound;
    }
    group = made.get();
    fcs_.emplace(std::string(fc), std::move(made));
    fcOrder_.push_back(group);
    LinkChild(group);
    return System::OkNoError;
}

FunctionalConstraint* LogicalNode::GetOrCreateFc(std::string_view fc) {
    FunctionalConstraint* group = nullptr;
    return MakeFc(fc, group) == System::OkNoError ? group : nullptr;
}

System::ResultCode LogicalNode::CreateData(std::string_view fc, std::string_view name, Data*& data) {
    std::list<NamedObject*> named;
    CollectByName(name, named);
    for (NamedObject* object : named) {
        if (object->GetFcName() == fc) {
            data = dynamic_cast<Data*>(object);
            return System::AlreadyExist;
        }
    }
    if (FindFc(fc) == nullptr && !IsFcName(fc)) return System::InvalidArguments;
    FunctionalConstraint* group = nullptr;
    if (const System::ResultCode made = MakeFc(fc, group); made != System::OkNoError) return made;
    std::unique_ptr<Data> object(new (std::nothrow) Data(group, std::string(name), nullptr, nullptr));
    if (object == nullptr) return System::NoResources;
    if (const System::ResultCode bound = object->BindVariable(Scl::BasicTypeCode::Struct); bound != System::OkNoError) {
        return bound;
    }
    if (classType_ != nullptr && classType_->type != nullptr) {
        if (const Scl::Element* element = classType_->type->FindElement(name)) object->SetDescription(element);
    }
    Data* added = object.get();
    if (const System::ResultCode adopted = group->AdoptChild(std::move(object)); adopted != System::OkNoError) {
        return adopted;
    }
    data = added;
    return System::OkNoError;
}

System::ResultCode LogicalNode::AddDataSet(const std::string& name, Mms::MmsObject* list, DataSet** added) {
    DataSet* raw = nullptr;
    const System::ResultCode result = AddOwned(
        dataSets_, name, [&] { return std::unique_ptr<DataSet>(new (std::nothrow) DataSet(this, name, list)); }, raw);
    if (result != System::OkNoError) return result;
    LinkChild(raw);
    if (added != nullptr) *added = raw;
    return System::OkNoError;
}

System::ResultCode LogicalNode::AdoptDataSet(std::unique_ptr<DataSet> dataSet) {
    if (dataSet == nullptr) return System::InvalidArguments;
    DataSet* raw = dataSet.get();
    if (!dataSets_.try_emplace(raw->GetName(), std::move(dataSet)).second) return System::AlreadyExist;
    LinkChild(raw);
    return System::OkNoError;
}

DataSet* LogicalNode::FindDataSet(std::string_view name) const { return FindOwned(dataSets_, name); }

std::unique_ptr<DataSet> LogicalNode::ReleaseDataSet(std::string_view name) {
    std::unique_ptr<DataSet> dataSet = TakeOwned(dataSets_, name);
    if (dataSet != nullptr) UnlinkChild(dataSet.get());
    return dataSet;
}

System::ResultCode LogicalNode::AddBlock(std::string_view fc, const std::string& name, BlockMaker make,
                                         NamedObject*& added) {
    FunctionalConstraint* group = nullptr;
    if (const System::ResultCode made = MakeFc(fc, group); made != System::OkNoError) return made;
    std::unique_ptr<NamedObject> block = make(group, name);
    if (block == nullptr) return System::NoResources;
    NamedObject* raw = block.get();
    if (const System::ResultCode adopted = group->AdoptChild(std::move(block)); adopted != System::OkNoError) {
        return adopted;
    }
    auto* controlBlock = dynamic_cast<ControlBlock*>(raw);
    const System::ResultCode created =
        controlBlock != nullptr ? controlBlock->Create() : raw->BindVariable(Scl::BasicTypeCode::Struct);
    if (created != System::OkNoError) {
        ForgetIndexed(*raw);
        group->ReleaseChild(name);
        return created;
    }
    added = raw;
    return System::OkNoError;
}

System::ResultCode LogicalNode::AddBRCB(const std::string& name, BRCB** added) {
    return AddIndexedBlock("BR", name, &MakeBlock<BRCB>, brcbs_, added);
}

System::ResultCode LogicalNode::AddURCB(const std::string& name, URCB** added) {
    return AddIndexedBlock("RP", name, &MakeBlock<URCB>, urcbs_, added);
}

System::ResultCode LogicalNode::AddLCB(const std::string& name, LCB** added) {
    return AddIndexedBlock("LG", name, &MakeBlock<LCB>, lcbs_, added);
}

System::ResultCode LogicalNode::MatchReport(const Mms::InformationReport& report, std::vector<RCB*>& matched) {
    const std::size_t before = matched.size();
    for (auto& [name, block] : brcbs_) {
        if (block->MatchReport(report) == System::OkNoError) matched.push_back(block);
    }
    for (auto& [name, block] : urcbs_) {
        if (block->MatchReport(report) == System::OkNoError) matched.push_back(block);
    }
    return matched.size() > before ? System::OkNoError : System::InvalidArguments;
}

bool LogicalNode::IsTypeIncomplete() const {
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr || variable->GetValue() == nullptr) return true;
    const auto* structure = dynamic_cast<const Mms::Structure*>(variable->GetValue());
    if (structure == nullptr || structure->GetComponentCount() == 0) return true;
    for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
        const auto* group = dynamic_cast<const Mms::Structure*>(structure->GetComponent(i));
        if (group == nullptr || group->GetComponentCount() == 0) return true;
    }
    return false;
}

}  // namespace Iec61850::Acsi
