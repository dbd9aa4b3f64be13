#include "mms/values/Object.h"

#include "system/NumberText.h"

namespace Mms {

Object::~Object() = default;

std::uint32_t Object::GetClassId() const { return ObjectClassId; }

const char* Object::GetClassName() const { return "Object"; }

System::ResultCode Object::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "ErrStatus") return System::ParseInt32Text(ErrStatus, value);
    return System::OkNoError;
}

}  // namespace Mms
