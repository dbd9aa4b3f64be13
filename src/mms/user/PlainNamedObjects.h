#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mms/user/MmsObject.h"

namespace Mms {

// The MMS object classes that this system only names: they are filed by their owner
// (the VMD or a domain) under their name and carry nothing else.
class PlainNamedObject : public MmsObject {
public:
    PlainNamedObject(MmsUserConnection* connection, std::string name, MmsObject* owner);

    std::string Name;
};

class ScatteredAccess final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return ScatteredAccessClassId; }
    const char* GetClassName() const override { return "ScatteredAccess"; }
};

class NamedType final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return NamedTypeClassId; }
    const char* GetClassName() const override { return "NamedType"; }
};

class Semaphore final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return SemaphoreClassId; }
    const char* GetClassName() const override { return "Semaphore"; }
};

class EventCondition final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return EventConditionClassId; }
    const char* GetClassName() const override { return "EventCondition"; }
};

class EventAction final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return EventActionClassId; }
    const char* GetClassName() const override { return "EventAction"; }
};

class EventEnrollment final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return EventEnrollmentClassId; }
    const char* GetClassName() const override { return "EventEnrollment"; }
};

class Journal final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return JournalClassId; }
    const char* GetClassName() const override { return "Journal"; }
};

class ProgramInvocation final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return ProgramInvocationClassId; }
    const char* GetClassName() const override { return "ProgramInvocation"; }
};

class OperatorStation final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return OperatorStationClassId; }
    const char* GetClassName() const override { return "OperatorStation"; }
};

class DataExchange final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return DataExchangeClassId; }
    const char* GetClassName() const override { return "DataExchange"; }
};

class AccessControlList final : public PlainNamedObject {
public:
    using PlainNamedObject::PlainNamedObject;
    std::uint32_t GetClassId() const override { return AccessControlListClassId; }
    const char* GetClassName() const override { return "AccessControlList"; }
};

// A new object of a basic object class of ISO 9506 (0 named variable .. 13 access
// control list) for the loaders of the VMD and its domains. Named variables, named
// variable lists and domains are made by their own classes; null for those, for
// classes outside 0..13, and when memory runs out.
std::unique_ptr<MmsObject> NewPlainNamedObject(std::int32_t basicObjectClass, MmsUserConnection* connection,
                                               const std::string& name, MmsObject* owner);

}  // namespace Mms
