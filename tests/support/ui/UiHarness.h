#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/messages/Types.h"

// Drives real dialogs on the offscreen platform: one QApplication per test program with a
// fixed font, controls found by id path, typing, clicks and picks as a person makes
// them, actions run inside modal loops, and screenshots for a person to look at.
namespace UiTest {

// The main of a Qt test program: offscreen unless QT_QPA_PLATFORM says otherwise.
int RunAllTests(int argc, char** argv);

// "1035/1050": control 1050 inside control 1035 of `root`, each a direct child.
QWidget* FindControl(QWidget* root, const std::string& idPath);
// The path of named ids, outermost first: IdPath({1035, 1050}) is "1035/1050".
std::string IdPath(std::initializer_list<int> ids);
// The texts of the window's labels that their boxes cut: a line wider than the box (a word,
// for a label that wraps its lines), words wrapped below it, or a box beyond the window; and the caption of a window narrower than
// its title bar needs (TitleBarRoom).
std::vector<std::string> CutTexts(QWidget* window);
// The width a title bar as window systems commonly draw one needs to show the window's
// caption whole: the caption in bold at the window's font size, beside the window's icon
// and three buttons, each as wide as the bar is high (two of the bold font's lines).
int TitleBarRoom(const QWidget* window);
std::string Text(QWidget* control);
void Type(QWidget* control, const std::string& text);  // focuses it and types at the end
void Clear(QWidget* control);                          // selects all and deletes it
void Click(QWidget* control);                          // a control not found fails the test
void Key(QWidget* control, int key);
void Pick(QWidget* combo, int index);  // chosen by keyboard, as a person picks it

// What a test does with the next modal window, and the window it is written for: a class
// the window is (or derives from: "QMessageBox", "QFileDialog") or its caption. Empty: any
// window. Any other window fails the test with its caption and text and is closed, the
// action never running on a window it was not written for.
struct ModalAction {
    std::string window;
    std::function<void(QWidget* window)> action;
};

// Runs the action on the next modal window once its loop is running. Actions wait in line,
// one per window, so a test can answer a dialog and then the box that the dialog opens.
void OnNextModal(ModalAction action);
void OnNextModal(std::string window, std::function<void(QWidget* window)> action);
// For an action that takes whatever window comes.
void OnNextModal(std::function<void(QWidget* window)> action);
// The caption and the text a window shows (a message box's text, else its labels'), for a
// test that says which window came.
std::string Describe(QWidget* window);
// Ends a modal window the test did not expect, as Escape would.
void CloseUnexpected(QWidget* window);
// Modal actions still waiting (a test checks that every expected window came).
int PendingModalActions();
void ForgetModalActions();

// What a message box showed, and how it was answered.
struct MessageBoxSeen {
    std::string caption;
    std::string text;
    int icon = 0;  // QMessageBox::Icon
    bool seen = false;
    std::vector<std::string> cut;  // CutTexts of the box, its caption included
    // Set before the box comes: saved as that screenshot (see Screenshot).
    std::string screenshot;
};
// Answers the next message box with the button that has the given standard role id
// (Ui::IDOK, IDCANCEL, IDYES, IDNO) and records what it showed.
void AnswerNextMessageBox(int answer, MessageBoxSeen* seen = nullptr);

// Records beeps and URLs instead of making them, while it lives.
class Recorder {
public:
    Recorder();
    ~Recorder();
    std::vector<Ui::UINT> beeps;
    std::vector<std::string> urls;
};

// Saves the widget as <dir>/<name>.png when IEC_UI_SCREENSHOTS names a folder; the path
// written, or empty when none is set. A window with a caption gets the title bar of
// TitleBarRoom drawn above it, its caption cut in the middle where the bar has no room.
std::string Screenshot(QWidget* widget, const std::string& name);

// Runs the event loop until `done` holds (events only; no sleeping).
bool ProcessUntil(const std::function<bool()>& done, int maxRounds = 100000);

}  // namespace UiTest
