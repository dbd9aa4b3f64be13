#pragma once

#include "ui/DialogTemplate.h"

// The program's templates 102 and 108 as the dialogs lay them out, for driving the
// toolkit with real layouts.
namespace UiTest {

Ui::DialogTemplate MainDialogTemplate();     // 102
Ui::DialogTemplate ModelProgressTemplate();  // 108

}  // namespace UiTest
