#include "app/widgets/PropertyGridDirectoryPicker.h"

#include "ui/CommonDialogs.h"

namespace Widgets {

std::string CPropertyGridDirectoryPicker::title = "Choose a directory";

bool CPropertyGridDirectoryPicker::Browse(std::string& path, Ui::CWnd* owner) {
    return Ui::BrowseForFolder(path, title, owner);
}

}  // namespace Widgets
