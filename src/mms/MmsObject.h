#pragma once

#include "mms/Object.h"

namespace Mms {

class MmsUserConnection;

// An MMS object that belongs to an association and is held by an owner (the VMD or a
// domain; none for an association-specific object). Neither is owned.
class MmsObject : public Object {
public:
    MmsObject() = default;
    // The connection is the owner's.
    explicit MmsObject(MmsObject* owner);
    MmsObject(MmsUserConnection* connection, MmsObject* owner);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;

    // Files the object with the owner; InvalidContext without an owner.
    virtual System::ResultCode AddObject(MmsObject* object);
    // InvalidContext: only a domain holds named variable lists.
    virtual System::ResultCode RemoveNamedVariableList(MmsObject* list);

    MmsUserConnection* GetConnection() const { return connection_; }
    MmsObject* GetOwner() const { return owner_; }

protected:
    MmsUserConnection* connection_ = nullptr;
    MmsObject* owner_ = nullptr;
};

}  // namespace Mms
