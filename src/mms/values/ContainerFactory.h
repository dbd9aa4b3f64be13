#pragma once

#include <cstddef>
#include <memory>

#include "mms/values/Container.h"
#include "system/ResultCode.h"

namespace Mms {

// Builds the container class of the data's choice from the data. The result covers the
// choice alone (InvalidArguments for booleanArray or an unknown choice, and then no
// container); whether the value was taken shows in the new container's error status
// and state.
System::ResultCode NewContainerFromData(const MmsData& data, std::unique_ptr<Container>& container);

// Builds the container class of the description's choice (InvalidArguments for an
// unknown choice; the holder is then left as it was). A container held before is
// replaced: a member of a structure or an array is swapped in place (the new one takes
// its name and place, and stays owned there), any other is deleted and the new one
// belongs to whoever owns the holder.
System::ResultCode NewContainerFromType(const MmsTypeDescription& type, Container*& holder);

// How many containers one type description may still produce: a description of a few
// octets can announce arrays of billions of elements.
class ContainerBudget {
public:
    static constexpr std::size_t MaxContainers = 100000;
    bool Take() {
        if (remaining_ == 0) return false;
        --remaining_;
        return true;
    }

private:
    std::size_t remaining_ = MaxContainers;
};

// The member builder of arrays and structures: a new container of the description's
// choice drawn from the budget. Null with InvalidArguments for an unknown choice, or
// OutOfRange when the budget is spent.
std::unique_ptr<Container> CreateContainerFromType(const MmsTypeDescription& type, ContainerBudget& budget,
                                                   System::ResultCode& result);
// The same for a member's type spec: a type name gives NotSupported, a missing
// or unknown spec InvalidArguments.
std::unique_ptr<Container> CreateContainerFromTypeSpec(const MmsTypeSpecification* spec, ContainerBudget& budget,
                                                       System::ResultCode& result);

}  // namespace Mms
