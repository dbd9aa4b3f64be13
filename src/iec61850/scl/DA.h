#pragma once

#include <string_view>

#include "iec61850/scl/BDA.h"
#include "iec61850/scl/FunctionalConstraintCode.h"

namespace Iec61850::Acsi::Scl {

// A data attribute of a data-object type: a basic attribute with its functional
// constraint and the trigger options it reports on.
class DA : public BDA {
public:
    DA(const char* name, const ElementType* type, FunctionalConstraintCode fc, BasicTypeCode basicType, bool dchg,
       bool qchg, bool dupd, std::int32_t presence, std::int32_t count)
        : BDA(ElementKind::DA, name, type, basicType, presence, count), fc(fc), dchg(dchg), qchg(qchg), dupd(dupd) {}

    // The functional constraint's name; null when the code is outside 0..17.
    const char* GetFcName() const { return FunctionalConstraintName(fc); }

    const FunctionalConstraintCode fc;
    const bool dchg;  // triggers on data change
    const bool qchg;  // triggers on quality change
    const bool dupd;  // triggers on data update
};

// The functional constraint's name of a member that is a data attribute; null for any other
// member (a basic data attribute of a constructed type has no constraint of its own) and
// for a code outside the table. The device model compares it with the constraint of the
// group an item sits in.
const char* GetFcName(const Element& element);

// Whether the member describes an item of the group with the constraint `fc`: a data
// attribute of that constraint. A setting (SP) is also described under SG and SE, where a
// device with setting groups gives the same data for its active and its edited group.
bool DescribesUnderFc(const Element& element, std::string_view fc);

}  // namespace Iec61850::Acsi::Scl
