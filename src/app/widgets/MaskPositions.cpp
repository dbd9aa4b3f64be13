#include "app/widgets/MaskPositions.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsAlpha(char c) { return IsUpper(c) || IsLower(c); }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char ToUpper(char c) { return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }
char ToLower(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr char kMaskChars[] = {'.', ',', ':', '/', '#', 'X', 'A', '?', '>', '<', '&'};

}  // namespace

bool CMaskData::IsValid(char c) const {
    switch (type) {
        case 4: return IsDigit(c);
        case 5: return IsHex(c);
        case 6: return IsAlpha(c) || IsDigit(c);
        case 7:
        case 8:
        case 9: return IsAlpha(c);
        case 10: return c >= 32 && c <= 126;
        default: return false;
    }
}

char CMaskData::Convert(char c) const {
    if (type == 5 || type == 8) return ToUpper(c);
    if (type == 9) return ToLower(c);
    return c;
}

void MaskPositions::SetMask(const std::string& mask) {
    positions_.clear();
    for (size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        CMaskData position;
        switch (c) {
            case '.': position = {0, kDecimal}; break;
            case ',': position = {1, kThousands}; break;
            case ':': position = {2, kTime}; break;
            case '/': position = {3, kDate}; break;
            case '#': position = {4, prompt_}; break;
            case 'X': position = {5, prompt_}; break;
            case 'A': position = {6, prompt_}; break;
            case '?': position = {7, prompt_}; break;
            case '>': position = {8, prompt_}; break;
            case '<': position = {9, prompt_}; break;
            case '&': position = {10, prompt_}; break;
            case '\\':
                // An escape takes the next character; a lone one at the end stands for itself.
                if (i + 1 < mask.size()) {
                    position = {11, mask[++i]};
                } else {
                    position = {12, c};
                }
                break;
            default: position = {12, c}; break;
        }
        positions_.push_back(position);
    }
}

std::string MaskPositions::GetMask() const {
    std::string mask;
    for (const CMaskData& p : positions_) {
        if (p.type == 11) {
            mask += '\\';
            mask += p.character;
        } else if (p.type >= 0 && p.type <= 10) {
            mask += kMaskChars[p.type];
        } else {
            mask += p.character;
        }
    }
    return mask;
}

bool MaskPositions::SetPromptChar(char prompt) {
    if (prompt == 0 || prompt == 13 || prompt == 10 || prompt == 127) return false;
    for (CMaskData& p : positions_) {
        if (p.IsInput() && p.character == prompt_) p.character = prompt;
    }
    prompt_ = prompt;
    return true;
}

std::string MaskPositions::GetInputData() const {
    std::string data;
    for (const CMaskData& p : positions_) {
        if (p.IsInput()) data += p.character;
    }
    return data;
}

std::string MaskPositions::GetMaskedText() const {
    std::string text;
    for (const CMaskData& p : positions_) text += p.character;
    return text;
}

int MaskPositions::SetInputData(const std::string& text, int first, bool raw) {
    std::string s = GetInputData().substr(0, static_cast<size_t>(first < 0 ? 0 : first));
    for (char c : text) {
        if (raw || c != prompt_) s += c;
    }
    int result = 1;
    size_t read = 0;
    for (CMaskData& p : positions_) {
        if (!p.IsInput()) continue;
        if (read >= s.size()) {
            p.character = prompt_;
            continue;
        }
        while (read < s.size() && s[read] != prompt_ && !p.IsValid(s[read])) {
            result = 0;
            ++read;
        }
        if (read >= s.size()) continue;  // ran out while refusing: the position keeps its character
        p.character = p.Convert(s[read++]);
    }
    return result;
}

void MaskPositions::ClearInput() {
    for (CMaskData& p : positions_) {
        if (p.IsInput()) p.character = prompt_;
    }
}

bool MaskPositions::IsEmpty() const {
    for (const CMaskData& p : positions_) {
        if (p.IsInput() && p.character != prompt_) return false;
    }
    return true;
}

bool MaskPositions::IsInputPosition(int index) const {
    if (positions_.empty()) return true;
    return index >= 0 && index < Count() && At(index).IsInput();
}

int MaskPositions::CharToInputIndex(int index) const {
    if (index < 0 || index >= Count() || !At(index).IsInput()) return -1;
    int input = 0;
    for (int i = 0; i < index; ++i) input += At(i).IsInput();
    return input;
}

int MaskPositions::InputToCharIndex(int inputIndex) const {
    if (inputIndex < 0) return -1;
    for (int i = 0; i < Count(); ++i) {
        if (At(i).IsInput() && inputIndex-- == 0) return i;
    }
    return -1;
}

int MaskPositions::NextInput(int index) const {
    for (int i = index < 0 ? 0 : index; i < Count(); ++i) {
        if (At(i).IsInput()) return i;
    }
    return Count();
}

int MaskPositions::PrevInput(int index) const {
    int p = index < 0 ? 0 : index;
    if (p < Count() && At(p).IsInput()) return p;
    for (int i = (p < Count() ? p : Count()) - 1; i >= 0; --i) {
        if (At(i).IsInput()) return i + 1;
    }
    return NextInput(p);
}

int MaskPositions::DeleteRange(int from, int to) {
    std::string kept;
    int inside = 0;
    for (int i = 0; i < Count(); ++i) {
        if (!At(i).IsInput()) continue;
        if (i >= from && i < to) {
            ++inside;
        } else {
            kept += At(i).character;
        }
    }
    SetInputData(kept, 0, true);
    return inside;
}

int MaskPositions::InsertChar(char c, int index) {
    std::string before = GetInputData();
    std::string data;
    int placedAt = -1;
    for (int i = 0; i < Count(); ++i) {
        if (!At(i).IsInput()) continue;
        if (placedAt < 0 && i >= index) {
            data += c;
            placedAt = i;
        }
        data += At(i).character;
    }
    if (placedAt < 0) return -1;
    if (SetInputData(data, 0, true) == 0) {
        SetInputData(before, 0, true);
        return -1;
    }
    return placedAt;
}

int MaskPositions::SetCharAt(char c, int index) {
    if (index < 0 || index >= Count()) return -1;
    CMaskData& p = positions_[static_cast<size_t>(index)];
    if (!p.IsInput()) return index;
    if (c != prompt_ && !p.IsValid(c)) return -1;
    p.character = p.Convert(c);
    return index;
}

std::string MaskPositions::StripLiterals(const std::string& text) const {
    std::string rest = text;
    int removed = 0;
    int walk = static_cast<int>(text.size()) < Count() ? static_cast<int>(text.size()) : Count();
    int i = 0;
    while (i < walk) {
        if (At(i).IsInput()) {
            ++i;
            continue;
        }
        int start = i;
        while (i < walk && !At(i).IsInput()) ++i;
        if (i >= walk) break;  // a run must be followed by an input position within the walk
        std::string run;
        for (int k = start; k < i; ++k) run += At(k).character;
        size_t at = static_cast<size_t>(start - removed);
        if (rest.compare(at, run.size(), run) == 0) {
            rest.erase(at, run.size());
            removed += static_cast<int>(run.size());
        }
    }
    return rest;
}
