#include "ui/CommonDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>

#include "ui/Text.h"
#include "ui/Wnd.h"

namespace Ui {
namespace {

QWidget* ParentWidget(CWnd* parent) { return parent && parent->GetWidget() ? parent->GetWidget()->window() : nullptr; }

}  // namespace

std::vector<std::string> ConvertFileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    std::vector<std::string> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) break;  // the closing "||"
        std::string patterns;
        std::string pattern;
        auto flush = [&] {
            if (pattern.empty()) return;
            if (!patterns.empty()) patterns += ' ';
            patterns += pattern == "*.*" ? "*" : pattern;
            pattern.clear();
        };
        for (char c : parts[i + 1]) {
            if (c == ';') {
                flush();
            } else if (c != ' ') {
                pattern += c;
            }
        }
        flush();
        // A description that already shows its patterns shows them once, as Qt reads them.
        std::string description = parts[i];
        std::string shown = " (" + parts[i + 1] + ")";
        if (description.size() >= shown.size() &&
            description.compare(description.size() - shown.size(), shown.size(), shown) == 0)
            description.erase(description.size() - shown.size());
        filters.push_back(description + " (" + patterns + ")");
    }
    return filters;
}

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : open_(openFileDialog),
      defaultExtension_(defaultExtension ? defaultExtension : ""),
      fileName_(fileName ? fileName : ""),
      flags_(flags),
      filter_(filter ? filter : ""),
      parent_(parent) {}

intptr_t CFileDialog::DoModal() {
    QFileDialog dialog(ParentWidget(parent_));
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(open_ ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open_ ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(flags_ & OFN_OVERWRITEPROMPT));
    if (!defaultExtension_.empty()) dialog.setDefaultSuffix(ToQt(defaultExtension_));
    QStringList filters;
    for (const std::string& f : ConvertFileFilter(filter_)) filters << ToQt(f);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!fileName_.empty()) {
        QFileInfo start(ToQt(fileName_));
        if (start.isDir()) {
            dialog.setDirectory(start.absoluteFilePath());
        } else {
            if (start.dir().exists()) dialog.setDirectory(start.dir());
            dialog.selectFile(start.fileName());
        }
    }
    shown_ = &dialog;
    const int ended = dialog.exec();
    shown_ = nullptr;
    if (ended != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    path_ = FromQt(dialog.selectedFiles().front());
    return IDOK;
}

void CFileDialog::EndDialog() {
    if (shown_.isNull()) return;
    // Its question first: an overwrite prompt answered otherwise than Yes accepts nothing.
    for (QDialog* question : shown_->findChildren<QDialog*>()) {
        if (question->isVisible()) question->reject();
    }
    shown_->reject();
}

std::string CFileDialog::GetFileName() const { return FromQt(QFileInfo(ToQt(path_)).fileName()); }

std::string CFileDialog::GetFileExt() const { return FromQt(QFileInfo(ToQt(path_)).suffix()); }

intptr_t CColorDialog::DoModal() {
    QColorDialog dialog(color_, ParentWidget(parent_));
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return IDCANCEL;
    color_ = dialog.selectedColor();
    return IDOK;
}

CFontDialog::CFontDialog(const LOGFONT* initial, DWORD flags, CWnd* parent)
    : font_(initial ? *initial : LOGFONT{}), hasInitial_(initial != nullptr), flags_(flags), parent_(parent) {}

intptr_t CFontDialog::DoModal() {
    QWidget* parent = ParentWidget(parent_);
    int dpi = parent ? parent->logicalDpiY() : 96;
    QFontDialog dialog(hasInitial_ ? ToQFont(font_, dpi) : QApplication::font(), parent);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setOption(QFontDialog::NoButtons, false);
    if (dialog.exec() != QDialog::Accepted) return IDCANCEL;
    QFont chosen = dialog.selectedFont();
    if (!(flags_ & CF_EFFECTS)) {
        chosen.setUnderline(false);
        chosen.setStrikeOut(false);
    }
    font_ = FromQFont(chosen, dpi);
    return IDOK;
}

bool BrowseForFolder(std::string& path, const std::string& title, CWnd* owner) {
    QFileDialog dialog(ParentWidget(owner), ToQt(title));
    dialog.setObjectName(QStringLiteral("FolderDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!path.empty()) dialog.setDirectory(ToQt(path));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = FromQt(dialog.selectedFiles().front());
    return true;
}

}  // namespace Ui
