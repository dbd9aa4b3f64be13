#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace Mms {

// Class ids shared by the MMS objects and the value containers; GetClassId answers one
// of these.
enum ClassId : std::uint32_t {
    ObjectClassId = 0,
    MmsObjectClassId = 1,
    ArrayClassId = 2,
    BcdClassId = 3,
    BinaryTimeClassId = 4,
    BitStringClassId = 5,
    BooleanClassId = 6,
    ContainerClassId = 8,
    DataExchangeClassId = 9,
    DomainClassId = 10,
    EventActionClassId = 11,
    EventConditionClassId = 12,
    EventEnrollmentClassId = 13,
    FloatingPointClassId = 14,
    GeneralizedTimeClassId = 15,
    IntegerClassId = 16,
    JournalClassId = 17,
    MmsStringClassId = 18,
    AccessControlListClassId = 19,
    NamedTypeClassId = 23,
    NamedVariableClassId = 24,
    NamedVariableListClassId = 25,
    ObjectIdClassId = 26,
    OctetStringClassId = 27,
    OperatorStationClassId = 28,
    ProgramInvocationClassId = 29,
    ScatteredAccessClassId = 30,
    SemaphoreClassId = 31,
    StructureClassId = 32,
    UtcTimeClassId = 34,
    UnsignedClassId = 35,
    VmdClassId = 36,
    VariableClassId = 37,
    VisibleStringClassId = 38,
    InformationReportClassId = 39,
};

class Object;

// Objects filed by name (a domain's or the VMD's named variables, for example). The map
// does not own them. A key views the filed object's own name (a device lists tens of
// thousands of variables; the name is held once): objects are filed under their own name
// and never renamed while filed (their "Name" attribute refuses it).
using ObjectMap = std::map<std::string_view, Object*, std::less<>>;

// Root of the MMS objects and of the value containers.
class Object {
public:
    Object() = default;
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual std::uint32_t GetClassId() const;
    virtual const char* GetClassName() const;

    // Names are compared exactly. "ErrStatus" takes a decimal number (anything else is
    // refused with InvalidArguments and the status kept); other names are ignored.
    virtual System::ResultCode SetAttribute(std::string_view name, std::string_view value);

    // Outcome of the object's last operation, or the error status an answer set.
    std::int32_t ErrStatus = 0;
};

}  // namespace Mms
