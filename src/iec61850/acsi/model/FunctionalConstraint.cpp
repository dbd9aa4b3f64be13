#include "iec61850/acsi/model/FunctionalConstraint.h"

#include <algorithm>
#include <memory>
#include <new>

#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/scl/ElementType.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

namespace {

template <typename Block>
std::unique_ptr<NamedObject> MakeBlock(NamedObject* parent, const std::string& name,
                                       const std::function<Mms::NamedVariable*()>& variable) {
    Mms::NamedVariable* bound = variable();
    if (bound == nullptr) return nullptr;
    return std::unique_ptr<NamedObject>(new (std::nothrow) Block(parent, name, bound, nullptr));
}

// The description of a data object: the class's member of that name, or of the name
// without its trailing digits (Ind12, Ind1, Ind).
const Scl::Element* DescribeData(const LogicalNode* node, std::string name) {
    const Scl::Element* lnClass = node != nullptr ? node->GetClassType() : nullptr;
    if (lnClass == nullptr || lnClass->type == nullptr) return nullptr;
    while (true) {
        if (const Scl::Element* found = lnClass->type->FindElement(name)) return found;
        if (name.empty() || name.back() < '0' || name.back() > '9') return nullptr;
        name.pop_back();
    }
}

}  // namespace

bool IsFcName(std::string_view text) {
    return std::find(FcSearchOrder.begin(), FcSearchOrder.end(), text) != FcSearchOrder.end();
}

FunctionalConstraint::FunctionalConstraint(LogicalNode* node, std::string fc, Mms::MmsObject* variable)
    : NamedObject(node, fc, variable), fc_(std::move(fc)) {
    BecomeInvisible();
}

ModelClass FunctionalConstraint::GetModelClass() const { return ModelClass::FunctionalConstraint; }

std::unique_ptr<NamedObject> FunctionalConstraint::MakeChild(const std::string& name,
                                                             const std::function<Mms::NamedVariable*()>& variable,
                                                             bool& indexed) {
    auto* node = dynamic_cast<LogicalNode*>(GetParent());
    const bool lln0 = dynamic_cast<LLN0*>(GetParent()) != nullptr;
    const bool reportFc = fc_ == "BR" || fc_ == "RP";
    indexed = false;

    // By the name's kind, where the node may hold that kind.
    switch (ControlBlockKindFromName(name)) {
        case ObjectClassBrcb:
            if (node == nullptr) break;
            indexed = reportFc;
            return MakeBlock<BRCB>(this, name, variable);
        case ObjectClassUrcb:
            if (node == nullptr) break;
            indexed = reportFc;
            return MakeBlock<URCB>(this, name, variable);
        case ObjectClassLcb:
            if (node == nullptr) break;
            indexed = true;
            return MakeBlock<LCB>(this, name, variable);
        case ObjectClassSgcb:
            if (!lln0) break;
            indexed = true;
            return MakeBlock<SGCB>(this, name, variable);
        case ObjectClassGoCb:
            if (!lln0) break;
            indexed = true;
            return MakeBlock<GoCB>(this, name, variable);
        case ObjectClassGsCb:
            if (!lln0) break;
            indexed = true;
            return MakeBlock<GsCB>(this, name, variable);
        case ObjectClassMsvCb:
            if (!lln0) break;
            indexed = true;
            return MakeBlock<MSVCB>(this, name, variable);
        case ObjectClassUsvCb:
            if (!lln0) break;
            indexed = true;
            return MakeBlock<USVCB>(this, name, variable);
        default: break;
    }

    // By the constraint: every member of a control-block constraint is such a block.
    indexed = true;
    if ((fc_ == "SG" || fc_ == "SE") && lln0) return MakeBlock<SGCB>(this, name, variable);
    if (fc_ == "BR" && node != nullptr) return MakeBlock<BRCB>(this, name, variable);
    if (fc_ == "RP" && node != nullptr) return MakeBlock<URCB>(this, name, variable);
    if (fc_ == "LG" && node != nullptr) return MakeBlock<LCB>(this, name, variable);
    if (fc_ == "GO" && lln0) return MakeBlock<GoCB>(this, name, variable);
    if (fc_ == "GS" && lln0) return MakeBlock<GsCB>(this, name, variable);
    if (fc_ == "MS" && lln0) return MakeBlock<MSVCB>(this, name, variable);
    if (fc_ == "US" && lln0) return MakeBlock<USVCB>(this, name, variable);

    // A data object.
    indexed = false;
    return std::unique_ptr<NamedObject>(new (std::nothrow) Data(this, name, ValueInParent{}, DescribeData(node, name)));
}

System::ResultCode FunctionalConstraint::Build() {
    Mms::NamedVariable* variable = NamedVariableOf(GetBoundMmsObject());
    if (variable == nullptr || variable->GetValue() == nullptr ||
        variable->GetValue()->GetClassId() != Mms::StructureClassId) {
        return System::OkNoError;
    }
    auto& structure = static_cast<Mms::Structure&>(*variable->GetValue());
    auto* node = dynamic_cast<LogicalNode*>(GetParent());
    for (std::size_t i = 0; i < structure.GetComponentCount(); ++i) {
        Mms::Container& component = *structure.GetComponent(i);
        const std::string& name = component.GetName();
        if (name.empty()) continue;
        NamedObject* child = FindOwnedChild(name);
        if (child == nullptr) {
            std::unique_ptr<Mms::NamedVariable> unfiled;
            auto variableOf = [&]() -> Mms::NamedVariable* {
                Mms::NamedVariable* bound = nullptr;
                return VariableForComponent(*variable, component, name, bound, unfiled) == System::OkNoError ? bound
                                                                                                             : nullptr;
            };
            bool indexed = false;
            std::unique_ptr<NamedObject> made = MakeChild(name, variableOf, indexed);
            if (made == nullptr) continue;  // not entered; the others still are
            if (unfiled != nullptr) made->OwnVariable(std::move(unfiled));
            child = made.get();
            if (AdoptChild(std::move(made)) != System::OkNoError) continue;
            if (indexed && node != nullptr) node->IndexControlBlock(*child);
        }
        child->Build();
    }
    return System::OkNoError;
}

System::ResultCode FunctionalConstraint::CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) {
    for (NamedObject* child : GetChildren()) {
        if (const System::ResultCode result = child->CollectByClass(objectClass, found); result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

ObjectState FunctionalConstraint::SetState(ObjectState state) {
    NamedObject::SetState(state);
    for (NamedObject* child : GetChildren()) child->SetState(state);
    return GetState();
}

bool FunctionalConstraint::IsRead() const {
    if (!NamedObject::IsRead()) return false;
    return std::all_of(GetChildren().begin(), GetChildren().end(),
                       [](const NamedObject* child) { return child->IsRead(); });
}

void FunctionalConstraint::CountKinds(ModelTally& tally) const {
    CountSelf(tally);
    for (const NamedObject* child : GetChildren()) child->CountKinds(tally);
}

}  // namespace Iec61850::Acsi
