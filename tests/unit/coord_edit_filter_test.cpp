#include "ui/edit_filter.h"

#include <gtest/gtest.h>

namespace {

using A = CEditFilter::EAction;

// Feeds typed characters the way the widget does, with the caret at the end and no selection;
// returns the text and counts the moves to the next field.
struct Typist {
    CEditFilter f;
    std::string text;
    int moves = 0;
    int beeps = 0;

    void Type(const std::string& keys)
    {
        for (char k : keys) {
            const int len = CEditFilter::Length(text);
            switch (f.OnChar(static_cast<unsigned char>(k), text, len, len, len)) {
            case A::NextField:
                ++moves;
                break;
            case A::Beep:
                ++beeps;
                break;
            case A::Default:
                break;
            case A::Insert:
                text += k;
                if (f.AfterInsert(text).MoveNext)
                    ++moves;
                break;
            }
        }
    }
};

}  // namespace

TEST(CoordEditFilter, NextFieldCharacterMovesOnWithoutInserting)
{
    Typist t;
    t.f.SetAllowedChars("0123456789");
    t.Type("51.");
    EXPECT_EQ(t.text, "51");
    EXPECT_EQ(t.moves, 1);
    EXPECT_EQ(t.beeps, 0);

    // The next-field character wins even when it is in the allowed set.
    CEditFilter f;
    f.NextFieldChar = ',';
    f.SetAllowedChars("0123456789.,");
    EXPECT_EQ(f.OnChar(U',', "5", 1, 1, 1), A::NextField);
    EXPECT_EQ(f.OnChar(U'.', "5", 1, 1, 1), A::Insert);
}

TEST(CoordEditFilter, CharactersOutsideTheSet)
{
    CEditFilter f;
    f.SetAllowedChars("0123456789");
    EXPECT_EQ(f.OnChar(U'a', "1", 1, 1, 1), A::Beep);
    EXPECT_EQ(f.OnChar(U' ', "1", 1, 1, 1), A::Beep);
    EXPECT_EQ(f.OnChar(U'\u00e9', "1", 1, 1, 1), A::Beep);
    // Control characters (backspace, Ctrl+V) are the edit's own business.
    EXPECT_EQ(f.OnChar(U'\b', "1", 1, 1, 1), A::Default);
    EXPECT_EQ(f.OnChar(0x16, "1", 1, 1, 1), A::Default);
    EXPECT_EQ(f.OnChar(0x7f, "1", 1, 1, 1), A::Default);
    EXPECT_EQ(f.OnChar(U'7', "1", 1, 1, 1), A::Insert);

    // Without a set every printable character goes in.
    CEditFilter open;
    EXPECT_EQ(open.OnChar(U'x', "", 0, 0, 0), A::Insert);
    EXPECT_EQ(open.OnChar(U'\b', "", 0, 0, 0), A::Default);
}

TEST(CoordEditFilter, MaxCharsAdvancesWhenReached)
{
    Typist t;
    t.f.SetAllowedChars("0123456789");
    t.f.MaxChars = 2;
    t.Type("3");
    EXPECT_EQ(t.moves, 0);
    t.Type("0");
    EXPECT_EQ(t.moves, 1);

    Typist never;
    never.Type("123456789");
    EXPECT_EQ(never.moves, 0);
}

TEST(CoordEditFilter, SingleSign)
{
    CEditFilter f;
    f.SetAllowedChars("-+0123456789");
    f.SingleSign = true;
    EXPECT_EQ(f.OnChar(U'+', "-12", 3, 3, 3), A::Beep);
    EXPECT_EQ(f.OnChar(U'-', "-12", 1, 3, 3), A::Beep);  // part of the text selected
    EXPECT_EQ(f.OnChar(U'+', "-12", 0, 3, 3), A::Insert);  // all of it: replaced
    EXPECT_EQ(f.OnChar(U'-', "12", 2, 2, 2), A::Insert);
    f.SingleSign = false;
    EXPECT_EQ(f.OnChar(U'-', "-12", 3, 3, 3), A::Insert);
}

TEST(CoordEditFilter, SignFirst)
{
    Typist t;
    t.f.SetAllowedChars("0123456789-");
    t.f.SingleSign = true;
    t.f.SignFirst = true;
    t.f.MaxChars = 3;
    t.Type("12-");
    EXPECT_EQ(t.text, "-12");
    EXPECT_EQ(t.moves, 1);  // three characters: on to the next field

    EXPECT_EQ(CEditFilter::MoveSignToFront("-12"), "-12");
    EXPECT_EQ(CEditFilter::MoveSignToFront("12.5-"), "-12.5");
    EXPECT_EQ(CEditFilter::MoveSignToFront("1-2+"), "+12");  // the last sign wins
    EXPECT_EQ(CEditFilter::MoveSignToFront("12"), "12");

    std::string s = "125";
    EXPECT_FALSE(t.f.AfterInsert(s).TextChanged);
    s = "-125";
    EXPECT_TRUE(t.f.AfterInsert(s).TextChanged);  // caret goes to the end whenever a sign is there
    EXPECT_EQ(s, "-125");
}
