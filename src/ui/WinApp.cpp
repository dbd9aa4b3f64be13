#include "ui/WinApp.h"

#include <QApplication>
#include <clocale>

#include "ui/MessageBridge.h"

namespace Ui {

void ResetNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

int CWinApp::Run(int argc, char** argv) {
    QApplication application(argc, argv);
    ResetNumericLocale();
    MessageBridge::Open();
    InitInstance();
    MessageBridge::Close();
    return ExitInstance();
}

void CWinApp::SetMainWnd(CWnd* window) { MessageBridge::SetMainWindow(window ? window->GetSafeHwnd() : 0); }

CWnd* CWinApp::GetMainWnd() { return CWnd::FromHandle(MessageBridge::GetMainWindow()); }

}  // namespace Ui
