#pragma once

#include <string>

#include "ui/Wnd.h"

namespace Ui {

class StatusBarWidget;

// A status bar docked at the bottom of its parent, with panes by right edge.
class CStatusBarCtrl : public CWnd {
public:
    bool Create(DWORD style, const RECT& pixels, CWnd* parent, int id);
    // Right edges in client pixels; -1 runs to the end.
    bool SetParts(int count, const int* rightEdges);
    bool SetText(const std::string& text, int pane, int type = 0);
    std::string GetText(int pane) const;
    void SetMinHeight(int height);

private:
    StatusBarWidget* Bar() const;
};

}  // namespace Ui
