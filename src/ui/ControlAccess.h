#pragma once

#include <string>

#include "ui/messages/Types.h"

class QWidget;

// What the toolkit keeps on every control widget (id, class, style bits) and the text of
// a widget whatever its Qt class, so the window objects need not know the classes.
namespace Ui {

int ControlId(const QWidget* widget);  // -1 when none
void SetControlId(QWidget* widget, int id);
DWORD ControlStyle(const QWidget* widget);
DWORD ControlExStyle(const QWidget* widget);
void SetControlStyles(QWidget* widget, DWORD style, DWORD exStyle);
std::string ControlClass(const QWidget* widget);
void SetControlClass(QWidget* widget, const std::string& className);

std::string WidgetText(const QWidget* widget);
void SetWidgetText(QWidget* widget, const std::string& text);

// A control's notification to the window that owns it: WM_COMMAND with the id and code.
LRESULT NotifyParent(QWidget* control, WORD code);

}  // namespace Ui
