#pragma once

#include <string>

#include "app/widgets/MaskPositions.h"
#include "ui/Edit.h"

namespace Widgets {

// WM_NOTIFY code of a masked edit losing the focus; the parent may change the record.
constexpr Ui::UINT MEN_KILLFOCUS = 0x8136;
struct MaskEditKillFocus {
    Ui::NMHDR hdr;
    int valid = 1;
    int check = 1;
    int caret = 0;
};

// A single-line edit that takes only text fitting its mask. It works on the window text
// of a toolkit edit: after every change it rebuilds the whole text from its positions and
// puts the caret on an input position. Typing, deleting, the clipboard (through its own
// context menu and keys; no drag and drop, no undo) and text set from outside all go
// through the positions.
class CMaskEdit : public Ui::CEdit {
public:
    explicit CMaskEdit(const char* mask = nullptr);

    void SetMask(const char* mask);
    void GetMask(std::string& mask) const { mask = positions_.GetMask(); }
    void ClearMask();
    void SetPromptChar(char prompt);
    char GetPromptChar() const { return positions_.GetPromptChar(); }
    int GetInsertMode() const { return insertMode_; }
    void SetInsertMode(int insert) { insertMode_ = insert; }
    int GetAutoTab() const { return autoTab_; }
    void SetAutoTab(int autoTab) { autoTab_ = autoTab; }
    void GetInputData(std::string& data) const;
    void GetMaskedText(std::string& text) const { text = positions_.GetMaskedText(); }
    int SetInputData(const char* text, int first = 0, bool raw = false);
    void ClearInput(bool keepMask = true);
    bool IsEmpty() const;
    bool IsInputPosition(int index) const { return positions_.IsInputPosition(index); }
    int CharToInputIndex(int index) const { return positions_.CharToInputIndex(index); }
    int InputToCharIndex(int index) const { return positions_.InputToCharIndex(index); }
    void UpdateWindowText(int caret);
    void MoveToNextInput(int index);
    void MoveToPrevInput(int index);
    int DeleteRange(int from, int to) { return positions_.DeleteRange(from, to); }
    int InsertChar(char c, int index) { return positions_.InsertChar(c, index); }
    int SetCharAt(char c, int index) { return positions_.SetCharAt(c, index); }
    std::string StripLiterals(const std::string& text) const { return positions_.StripLiterals(text); }

    virtual void OnInvalidInput();
    virtual bool IsInputValid() { return true; }

    bool SubclassDlgItem(int id, Ui::CWnd* parent) override;
    Ui::LRESULT OnSetText(const char* text) override;
    bool OnEvent(QEvent* event) override;

private:
    bool OnKey(QKeyEvent* key);
    bool OnChar(char c);
    void OnBackspace();
    void OnCut(bool copy);
    void OnPaste();
    void OnFocusLost();
    void ShowContextMenu(const QPoint& globalPos);
    int Caret() const;
    bool Selection(int& start, int& end) const;

    MaskPositions positions_;
    int insertMode_ = 0;
    int autoTab_ = 0;
    int updating_ = 0;
    int notifyChange_ = 1;
    bool focusFromClick_ = false;
};

}  // namespace Widgets
