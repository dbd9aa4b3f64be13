#include "ui/StatusBarCtrl.h"

#include "ui/StatusBarWidget.h"
#include "ui/Text.h"

namespace Ui {

StatusBarWidget* CStatusBarCtrl::Bar() const { return dynamic_cast<StatusBarWidget*>(GetWidget()); }

bool CStatusBarCtrl::Create(DWORD style, const RECT& pixels, CWnd* parent, int id) {
    if (!CreateControl("msctls_statusbar32", "", style, 0, pixels, parent, id)) return false;
    Bar()->Dock();
    return true;
}

bool CStatusBarCtrl::SetParts(int count, const int* rightEdges) {
    if (!Bar() || count <= 0 || !rightEdges) return false;
    return Bar()->SetParts(std::vector<int>(rightEdges, rightEdges + count));
}

bool CStatusBarCtrl::SetText(const std::string& text, int pane, int) {
    return Bar() && Bar()->SetText(pane, ToQt(text));
}

std::string CStatusBarCtrl::GetText(int pane) const { return Bar() ? FromQt(Bar()->GetText(pane)) : std::string(); }

void CStatusBarCtrl::SetMinHeight(int height) {
    if (Bar()) Bar()->SetMinHeight(height);
}

}  // namespace Ui
