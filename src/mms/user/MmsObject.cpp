#include "mms/user/MmsObject.h"

namespace Mms {

MmsObject::MmsObject(MmsObject* owner) : connection_(owner != nullptr ? owner->connection_ : nullptr), owner_(owner) {}

MmsObject::MmsObject(MmsUserConnection* connection, MmsObject* owner) : connection_(connection), owner_(owner) {}

std::uint32_t MmsObject::GetClassId() const { return MmsObjectClassId; }

const char* MmsObject::GetClassName() const { return "MmsObject"; }

System::ResultCode MmsObject::AddObject(MmsObject* object) {
    if (owner_ == nullptr) return System::InvalidContext;
    return owner_->AddObject(object);
}

System::ResultCode MmsObject::RemoveNamedVariableList(MmsObject* list) { return System::InvalidContext; }

bool MmsObject::HoldsObject(const MmsObject* object) const { return false; }

}  // namespace Mms
