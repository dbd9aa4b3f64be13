#pragma once

#include "ui/Wnd.h"

namespace Ui {

// The application object: Run makes the Qt application, resets number formatting to the
// "C" locale (Qt sets the user's), opens the message bridge, calls InitInstance (which
// runs the main dialog), and closes the bridge when it returns, so senders still
// waiting are released before the windows go.
class CWinApp {
public:
    virtual ~CWinApp() = default;
    int Run(int argc, char** argv);
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // The main window's registration, readable from any thread.
    static void SetMainWnd(CWnd* window);
    static CWnd* GetMainWnd();
};

// After a QApplication exists: number formatting back to "C".
void ResetNumericLocale();

}  // namespace Ui
