#pragma once

#include "mms/values/Object.h"

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
    // InvalidContext: only a domain or the VMD holds named variable lists.
    virtual System::ResultCode RemoveNamedVariableList(MmsObject* list);
    // True when this object holds the other one in one of its maps, under the other's
    // name. The base holds nothing.
    virtual bool HoldsObject(const MmsObject* object) const;

    MmsUserConnection* GetConnection() const { return connection_; }
    MmsObject* GetOwner() const { return owner_; }
    // The association through which the object's services run from now on (a server's
    // VMD takes each new association, for example).
    void SetConnection(MmsUserConnection* connection) { connection_ = connection; }

protected:
    MmsUserConnection* connection_ = nullptr;
    MmsObject* owner_ = nullptr;
};

}  // namespace Mms
