#include "mms/user/MmsObjectNames.h"

#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/PlainNamedObjects.h"

namespace Mms {

const std::string* NameOfObject(const MmsObject* object) {
    if (object == nullptr) return nullptr;
    if (const auto* variable = dynamic_cast<const NamedVariable*>(object)) return &variable->Name;
    if (const auto* list = dynamic_cast<const NamedVariableList*>(object)) return &list->Name;
    if (const auto* domain = dynamic_cast<const Domain*>(object)) return &domain->Name;
    if (const auto* named = dynamic_cast<const PlainNamedObject*>(object)) return &named->Name;
    return nullptr;
}

System::ResultCode SplitObjectText(std::string_view text, std::string& domain, std::string& item) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        domain.clear();
        item = text;
        return System::OkNoError;
    }
    if (text.find('/', slash + 1) != std::string_view::npos) return System::Error;
    domain = text.substr(0, slash);
    item = text.substr(slash + 1);
    return System::OkNoError;
}

System::ResultCode EraseNamedVariableList(ObjectMap& lists, MmsObject* list) {
    if (list == nullptr || list->GetClassId() != NamedVariableListClassId) return System::InvalidContext;
    const auto found = lists.find(static_cast<NamedVariableList*>(list)->Name);
    if (found == lists.end() || found->second != list) return System::Error;
    lists.erase(found);
    return System::OkNoError;
}

bool MapsHoldObject(std::span<const ObjectMap> maps, const MmsObject* object) {
    const std::string* name = NameOfObject(object);
    if (name == nullptr) return false;
    for (const ObjectMap& map : maps) {
        const auto found = map.find(*name);
        if (found != map.end() && found->second == object) return true;
    }
    return false;
}

}  // namespace Mms
