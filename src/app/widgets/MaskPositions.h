#pragma once

#include <string>
#include <vector>

// One position of an input mask: a literal, or an input position that takes one
// character of a class. Character classes are ASCII only.
struct CMaskData {
    // 0-3 separators (decimal, thousands, time, date), 4-10 input classes, 11 escaped
    // literal, 12 other literal.
    int type = 12;
    char character = 0;

    bool IsInput() const { return type >= 4 && type <= 10; }
    // Whether `c` may stand at this input position (the prompt character aside).
    bool IsValid(char c) const;
    // The character as stored: hexadecimal digits and ">" letters upper case, "<" lower.
    char Convert(char c) const;
};

// The positions of a masked edit and their editing rules, without any window: the text
// shown is one character per position.
class MaskPositions {
public:
    // Separators are fixed, whatever the locale, so texts such as MAC addresses parse
    // the same everywhere.
    static constexpr char kDecimal = '.';
    static constexpr char kThousands = ',';
    static constexpr char kTime = ':';
    static constexpr char kDate = '/';

    void SetMask(const std::string& mask);
    std::string GetMask() const;
    void Clear() { positions_.clear(); }
    bool HasMask() const { return !positions_.empty(); }
    int Count() const { return static_cast<int>(positions_.size()); }
    const CMaskData& At(int index) const { return positions_[static_cast<size_t>(index)]; }

    char GetPromptChar() const { return prompt_; }
    // Ignored for 0, CR, LF and DEL; positions showing the old prompt show the new one.
    bool SetPromptChar(char prompt);

    std::string GetInputData() const;
    std::string GetMaskedText() const;
    // Fills the input positions from `first` on; 1 when every character was taken, 0 when
    // one or more were refused.
    int SetInputData(const std::string& text, int first, bool raw);
    void ClearInput();
    bool IsEmpty() const;
    bool IsInputPosition(int index) const;
    int CharToInputIndex(int index) const;
    int InputToCharIndex(int inputIndex) const;
    // The first input position at or after `index` (Count() when none).
    int NextInput(int index) const;
    // Where the caret goes moving back from `index`.
    int PrevInput(int index) const;

    // Removes the input characters in [from, to); the ones behind move left. Gives the
    // number of input positions inside the range.
    int DeleteRange(int from, int to);
    // Inserts `c` before the first input position at or after `index`; the last character
    // falls off. Gives where `c` went, or -1 (refused, or no input position there).
    int InsertChar(char c, int index);
    // Overwrites one position; -1 when `c` does not fit it.
    int SetCharAt(char c, int index);
    // Removes from a displayed text the literal runs that match the mask.
    std::string StripLiterals(const std::string& text) const;

private:
    std::vector<CMaskData> positions_;
    char prompt_ = ' ';
};
