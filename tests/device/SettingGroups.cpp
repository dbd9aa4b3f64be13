#include "device/SettingGroups.h"

#include <string>

#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"

namespace TestDevice {

DataNode SettingGroupControl(bool settingGroups) {
    // Counts other than the plainest, so that a client reading them is told from one that
    // assumes them.
    const char* groups = settingGroups ? "4" : "2";
    const char* active = settingGroups ? "2" : "1";
    return Node("SGCB", {Leaf("NumOfSG", Mms::MmsTypeUnsigned, 8, groups),
                         Leaf("ActSG", Mms::MmsTypeUnsigned, 8, active), Leaf("EditSG", Mms::MmsTypeUnsigned, 8, "0"),
                         Leaf("CnfEdit", Mms::MmsTypeBoolean, 0, "False"), Leaf("LActTm", Mms::MmsTypeUtcTime)});
}

std::optional<std::int32_t> ReadRefusal(const Mms::Domain& domain, std::string_view item, bool refuseWholeNodes) {
    const std::size_t dollar = item.find('$');
    if (dollar == std::string_view::npos) {
        if (refuseWholeNodes) return Mms::MmsObjectAccessUnsupported;
        return std::nullopt;
    }
    const std::string_view fc = item.substr(dollar + 1, item.find('$', dollar + 1) - dollar - 1);
    if (fc != "SE") return std::nullopt;
    // The edit buffer exists only while a group is being edited.
    Mms::NamedVariable* edited = domain.FindNamedVariable(EditSettingGroupItem);
    if (edited == nullptr) return std::nullopt;
    std::string group;
    if (edited->ToText(group) != System::OkNoError || group != "0") return std::nullopt;
    return Mms::MmsTemporarilyUnavailable;
}

}  // namespace TestDevice
