#pragma once

#include <QColor>
#include <QPointer>
#include <string>
#include <vector>

#include "ui/GdiValues.h"
#include "ui/messages/Types.h"

class QFileDialog;
class QFont;

namespace Ui {

class CWnd;

constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;

// "Text files (*.txt)|*.txt|All files (*.*)|*.*||" as Qt's name filters; "*.*" matches
// every file, so it becomes "*".
std::vector<std::string> ConvertFileFilter(const std::string& filter);

// Open and save dialogs. A save dialog appends the default extension to a name without
// one and asks before overwriting when OFN_OVERWRITEPROMPT is set.
class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const char* defaultExtension = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    intptr_t DoModal();
    // Closes the dialog while DoModal runs, with a question it asks open (the overwrite
    // prompt) answered No: DoModal gives IDCANCEL. Nothing without one.
    void EndDialog();
    std::string GetPathName() const { return path_; }
    std::string GetFileName() const;
    std::string GetFileExt() const;

private:
    bool open_;
    std::string defaultExtension_;
    std::string fileName_;
    DWORD flags_;
    std::string filter_;
    CWnd* parent_;
    std::string path_;
    QPointer<QFileDialog> shown_;
};

class CColorDialog {
public:
    explicit CColorDialog(QColor initial = Qt::black, DWORD flags = 0, CWnd* parent = nullptr)
        : color_(initial), parent_(parent) {}
    intptr_t DoModal();
    QColor GetColor() const { return color_; }

private:
    QColor color_;
    CWnd* parent_;
};

constexpr DWORD CF_SCREENFONTS = 0x1;
constexpr DWORD CF_EFFECTS = 0x100;

// The font dialog over a font description; effects (underline, strike-out) with CF_EFFECTS.
class CFontDialog {
public:
    explicit CFontDialog(const LOGFONT* initial = nullptr, DWORD flags = CF_SCREENFONTS, CWnd* parent = nullptr);
    intptr_t DoModal();
    void GetCurrentFont(LOGFONT* description) const { *description = font_; }

private:
    LOGFONT font_;
    bool hasInitial_;
    DWORD flags_;
    CWnd* parent_;
};

// A folder chooser with a title; the path is the starting folder in and the choice out.
bool BrowseForFolder(std::string& path, const std::string& title, CWnd* owner);

}  // namespace Ui
