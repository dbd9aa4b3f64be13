#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "iec61850/acsi/model/NamedObject.h"

namespace Iec61850::Acsi {

class LogicalNode;

// The order in which nodes visit their groups; "XX" (any) is not a group.
inline constexpr std::array<std::string_view, 17> FcSearchOrder = {
    "CO", "ST", "MX", "SP", "SV", "CF", "DC", "SG", "SE", "EX", "BR", "RP", "LG", "GO", "GS", "MS", "US",
};

// Whether the text is one of those constraints, exactly.
bool IsFcName(std::string_view text);

// One functional constraint of a logical node: the node's MMS component of that name,
// holding data objects and control blocks. It hides in references (no name, the node's
// reference) and shows in MMS names (its constraint).
class FunctionalConstraint : public NamedObject {
public:
    FunctionalConstraint(LogicalNode* node, std::string fc, Mms::MmsObject* variable);

    // A child for every component of its structure: a control block when the name or the
    // constraint says so (and the node may hold it), else a data object with its
    // description from the node's class.
    System::ResultCode Build() override;
    // Every child in order; the first non-zero answer.
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    ObjectState SetState(ObjectState state) override;
    // Read itself and every child read.
    bool IsRead() const override;
    void CountKinds(ModelTally& tally) const override;
    ModelClass GetModelClass() const override;
    const std::string& GetMmsComponent() const override { return fc_; }

    const std::string& GetFc() const { return fc_; }

private:
    // The child of a component that is not there yet; null when it cannot be made. A
    // control block is bound to the component's variable (`variable` makes it, null when
    // it cannot); a data object's value stays in the group's until a variable is asked for.
    std::unique_ptr<NamedObject> MakeChild(const std::string& name,
                                           const std::function<Mms::NamedVariable*()>& variable, bool& indexed);

    std::string fc_;
};

}  // namespace Iec61850::Acsi
