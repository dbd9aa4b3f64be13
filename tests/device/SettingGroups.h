#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "device/DataTree.h"

namespace Mms {
class Domain;
}

namespace TestDevice {

// The setting-group control block of LLN0 as IEC 61850-8-1 maps it under SP: NumOfSG,
// ActSG, EditSG (0: no group being edited), CnfEdit, LActTm. Devices that keep settings per
// group give their own counts; the others the plainest block.
DataNode SettingGroupControl(bool settingGroups);

// The name of the SGCB's EditSG in its domain.
inline constexpr std::string_view EditSettingGroupItem = "LLN0$SP$SGCB$EditSG";

// Whether a read of the domain's item ("PTOC1", "PTOC1$SE$StrVal") is refused, and with
// which DataAccessError: a whole logical node when the device refuses those, and anything
// under SE while the domain's SGCB edits no group (where there is an SGCB at all). A whole
// node that is answered carries its SE as it stands. The caller holds the device's model.
std::optional<std::int32_t> ReadRefusal(const Mms::Domain& domain, std::string_view item, bool refuseWholeNodes);

}  // namespace TestDevice
