#pragma once

#include <string>

namespace Ui {
class CWnd;
}

namespace Widgets {

// The folder chooser of Folder items. The title is shared; the grid sets it to the
// item's own title before each use.
class CPropertyGridDirectoryPicker {
public:
    static std::string title;
    // True with `path` replaced by the chosen folder; a cancelled chooser leaves it.
    static bool Browse(std::string& path, Ui::CWnd* owner);
};

}  // namespace Widgets
