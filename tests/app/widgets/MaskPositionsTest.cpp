#include <gtest/gtest.h>

#include "app/widgets/MaskPositions.h"

namespace {

MaskPositions Mask(const std::string& mask, char prompt = '0') {
    MaskPositions p;
    p.SetPromptChar(prompt);
    p.SetMask(mask);
    return p;
}

TEST(MaskPositionsTest, MasksParseIntoPositionsAndBack) {
    struct Case {
        const char* mask;
        const char* shown;
        const char* maskBack;
        int inputs;
    } cases[] = {
        {"XX:XX:XX:XX:XX:XX", "00:00:00:00:00:00", "XX:XX:XX:XX:XX:XX", 12},
        {"##.##,#/#", "00.00,0/0", "##.##,#/#", 6},
        {"\\X-A?><&", "X-00000", "\\X-A?><&", 5},
        {"ab\\", "ab\\", "ab\\", 0},  // a lone trailing backslash is a literal backslash
        {"", "", "", 0},
    };
    for (const Case& c : cases) {
        MaskPositions p = Mask(c.mask);
        EXPECT_EQ(p.GetMaskedText(), c.shown) << c.mask;
        EXPECT_EQ(p.GetMask(), c.maskBack) << c.mask;
        EXPECT_EQ(static_cast<int>(p.GetInputData().size()), c.inputs) << c.mask;
    }
}

TEST(MaskPositionsTest, InputClassesAndCaseAreAscii) {
    struct Case {
        const char* mask;
        const char* typed;
        const char* stored;
        int result;
    } cases[] = {
        {"XXXX", "a0fF", "AFF0", 1} /* the prompt "0" is dropped */,
        {"XX", "g1", "10", 0},
        {"##", "4x2", "42", 0},
        {"AA", "z9", "z9", 1},
        {"??", "1ab", "ab", 0},
        {">>", "ab", "AB", 1},
        {"<<", "AB", "ab", 1},
        {"&&", " ~", " ~", 1},
        {"&&", "\x7f!", "!0", 0},
        {"##",
         "\xb5"
         "5",
         "50", 0},  // bytes above 126 are not digits in any locale
    };
    for (const Case& c : cases) {
        MaskPositions p = Mask(c.mask);
        EXPECT_EQ(p.SetInputData(c.typed, 0, false), c.result) << c.mask << " " << c.typed;
        EXPECT_EQ(p.GetInputData(), c.stored) << c.mask << " " << c.typed;
    }
}

TEST(MaskPositionsTest, SetTextsLoseTheirLiteralsAndShortTextsLeaveThePrompt) {
    MaskPositions mac = Mask("XX:XX:XX:XX:XX:XX");
    std::string rest = mac.StripLiterals("01:0C:CD:01:00:00");
    EXPECT_EQ(rest, "010CCD010000");
    mac.SetInputData(rest, 0, true);
    EXPECT_EQ(mac.GetMaskedText(), "01:0C:CD:01:00:00");
    mac.SetInputData(mac.StripLiterals("AB:C"), 0, true);
    EXPECT_EQ(mac.GetMaskedText(), "AB:C0:00:00:00:00");
    EXPECT_EQ(mac.StripLiterals("0102"), "0102");          // no literals where the mask has them: kept
    EXPECT_EQ(mac.StripLiterals("01-02"), "01-02");        // another separator is not stripped
    EXPECT_EQ(Mask("(##)").StripLiterals("(12)"), "12)");  // a trailing run has no input after it
}

TEST(MaskPositionsTest, DeletingInsertingAndOverwriting) {
    MaskPositions p = Mask("XXXX");
    p.SetInputData("12AB", 0, true);
    EXPECT_EQ(p.DeleteRange(2, 3), 1);
    EXPECT_EQ(p.GetMaskedText(), "12B0");
    p.SetInputData("12AB", 0, true);
    EXPECT_EQ(p.DeleteRange(1, 2), 1);
    EXPECT_EQ(p.GetMaskedText(), "1AB0");

    MaskPositions digits = Mask("####");
    digits.SetInputData("1234", 0, true);
    EXPECT_EQ(digits.InsertChar('5', 0), 0);
    EXPECT_EQ(digits.GetMaskedText(), "5123");
    EXPECT_EQ(digits.InsertChar('x', 0), -1);  // refused: undone
    EXPECT_EQ(digits.GetMaskedText(), "5123");
    EXPECT_EQ(digits.InsertChar('1', 4), -1);  // no input position there
    EXPECT_EQ(digits.SetCharAt('9', 3), 3);
    EXPECT_EQ(digits.SetCharAt('a', 3), -1);
    EXPECT_EQ(digits.GetMaskedText(), "5129");

    // A shift pushes a letter into a digit position: the insert is undone.
    MaskPositions mixed = Mask("X#");
    mixed.SetInputData("A1", 0, true);
    EXPECT_EQ(mixed.InsertChar('B', 0), -1);
    EXPECT_EQ(mixed.GetMaskedText(), "A1");
}

TEST(MaskPositionsTest, PromptCharactersAndIndexes) {
    MaskPositions p = Mask("XX:XX", '_');
    EXPECT_EQ(p.GetMaskedText(), "__:__");
    EXPECT_TRUE(p.IsEmpty());
    for (char refused : {'\0', '\r', '\n', '\x7f'}) EXPECT_FALSE(p.SetPromptChar(refused));
    EXPECT_EQ(p.GetPromptChar(), '_');
    p.SetInputData("A", 0, true);
    EXPECT_TRUE(p.SetPromptChar('0'));
    EXPECT_EQ(p.GetMaskedText(), "A0:00");
    EXPECT_FALSE(p.IsEmpty());
    EXPECT_EQ(p.CharToInputIndex(3), 2);
    EXPECT_EQ(p.CharToInputIndex(2), -1);
    EXPECT_EQ(p.InputToCharIndex(2), 3);
    EXPECT_EQ(p.InputToCharIndex(4), -1);
    EXPECT_EQ(p.NextInput(2), 3);
    EXPECT_EQ(p.NextInput(5), 5);
    EXPECT_EQ(p.PrevInput(2), 2);  // just behind the input before the literal
    EXPECT_EQ(p.PrevInput(1), 1);
    EXPECT_EQ(Mask(":X").PrevInput(0), 1);
    MaskPositions none;
    EXPECT_TRUE(none.IsInputPosition(7));
}

}  // namespace
