#pragma once

#include <string>

#include "ui/messages/Types.h"

namespace Ui {

class CWnd;

// A modal message box over `owner` (or the main window). The caption defaults to the
// program's base name; "\n\r" shows as one line break; a box without an icon type shows
// no icon. Called from another thread it cannot wait for a person: it posts the box to
// the UI thread and answers 0 at once.
int MessageBox(CWnd* owner, const std::string& text, const char* caption = nullptr, UINT type = MB_OK);
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
// Shows the box later on the UI thread, from any thread; false after the UI loop has ended.
bool PostMessageBox(const std::string& text, const std::string& caption = {}, UINT type = MB_OK);

}  // namespace Ui
