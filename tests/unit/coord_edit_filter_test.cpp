#include "ui/edit_filter.h"

#include <gtest/gtest.h>

// Typing whole sequences with real key events is in the panel's GUI test; these are the rules that
// test cannot reach.

using A = CEditFilter::EAction;

TEST(CoordEditFilter, CharacterActions)
{
    CEditFilter f;
    f.NextFieldChar = ',';
    f.SetAllowedChars("0123456789.,");
    EXPECT_EQ(f.OnChar(U',', "5", 1, 1, 1), A::NextField);  // wins even when in the allowed set
    EXPECT_EQ(f.OnChar(U'.', "5", 1, 1, 1), A::Insert);
    for (char32_t c : {U'a', U' ', U'\u00e9'})
        EXPECT_EQ(f.OnChar(c, "1", 1, 1, 1), A::Beep) << int(c);
    for (char32_t c : {U'\b', char32_t{0x16}, char32_t{0x7f}})  // backspace, Ctrl+V, delete
        EXPECT_EQ(f.OnChar(c, "1", 1, 1, 1), A::Default) << int(c);

    CEditFilter open;  // without a set every printable character goes in
    EXPECT_EQ(open.OnChar(U'x', "", 0, 0, 0), A::Insert);
    EXPECT_EQ(open.OnChar(U'\b', "", 0, 0, 0), A::Default);
    std::string many = "123456789";
    EXPECT_FALSE(open.AfterInsert(many).MoveNext);  // no length limit: never moves on
}

TEST(CoordEditFilter, SingleSignAndSignFirst)
{
    CEditFilter f;
    f.SetAllowedChars("-+0123456789");
    f.SingleSign = true;
    f.SignFirst = true;
    f.MaxChars = 3;
    EXPECT_EQ(f.OnChar(U'+', "-12", 3, 3, 3), A::Beep);
    EXPECT_EQ(f.OnChar(U'-', "-12", 1, 3, 3), A::Beep);    // part of the text selected
    EXPECT_EQ(f.OnChar(U'+', "-12", 0, 3, 3), A::Insert);  // all of it: replaced
    EXPECT_EQ(f.OnChar(U'-', "12", 2, 2, 2), A::Insert);

    std::string s = "125";
    EXPECT_FALSE(f.AfterInsert(s).TextChanged);
    s = "-125";
    EXPECT_TRUE(f.AfterInsert(s).TextChanged);  // caret goes to the end whenever a sign is there
    EXPECT_EQ(s, "-125");
    s = "1-2+";
    const auto after = f.AfterInsert(s);
    EXPECT_EQ(s, "+12");  // the last sign wins
    EXPECT_TRUE(after.MoveNext);
    EXPECT_EQ(CEditFilter::MoveSignToFront("12.5-"), "-12.5");

    f.SingleSign = false;
    EXPECT_EQ(f.OnChar(U'-', "-1", 2, 2, 2), A::Insert);
    EXPECT_EQ(f.OnChar(U'-', "-12", 3, 3, 3), A::Beep);  // full: said, not dropped in silence
}

TEST(CoordEditFilter, TextEnteringAtOnceIsFilteredLikeTyping)
{
    CEditFilter f;
    f.SetAllowedChars("-0123456789.");
    f.NextFieldChar = ',';
    f.SingleSign = true;
    f.MaxChars = 5;
    const struct {
        std::u32string in, text;
        int selStart, selEnd;
        std::u32string out;
        bool refused;
    } cases[] = {
        {U"12.5", U"", 0, 0, U"12.5", false},
        {U"a\uFF11", U"", 0, 0, U"", true},         // a letter and a full-width digit
        {U"123456", U"", 0, 0, U"12345", true},      // the length limit
        {U"99", U"123", 1, 3, U"99", false},         // the selection makes room
        {U"-1-2", U"", 0, 0, U"-12", true},          // one sign only
        {U"-5", U"-1", 2, 2, U"5", true},
        {U"-5", U"-1", 0, 1, U"-5", false},          // the selected sign goes
        {U"3\n4,56", U"", 0, 0, U"34", true},        // the rest belongs to the next field
    };
    for (const auto& c : cases) {
        bool refused = false;
        EXPECT_EQ(f.FilterInsertion(c.in, c.text, c.selStart, c.selEnd, refused), c.out);
        EXPECT_EQ(refused, c.refused);
    }
}

TEST(CoordEditFilter, DecimalCommaSecondPointAndFullFields)
{
    CEditFilter f;  // a seconds edit
    f.SetAllowedChars("0123456789.");
    f.NextFieldChar = ',';
    f.MaxChars = 5;
    f.SinglePoint = true;
    f.CommaAsPoint = true;
    f.AdvanceWhenFull = false;
    using R = CEditFilter::ERefusal;
    const struct {
        char32_t c;
        std::string text;
        int selStart, selEnd;
        A action;
        R refusal;
    } cases[] = {
        {U',', "34", 2, 2, A::InsertPoint, R::None},  // after a digit, no point yet
        {U',', "", 0, 0, A::NextField, R::None},      // nothing typed: moves on
        {U',', "34.5", 4, 4, A::NextField, R::None},  // a point already there
        {U',', "3.4", 1, 1, A::NextField, R::None},   // the point is only moved past
        {U',', "3.4", 1, 3, A::InsertPoint, R::None}, // ... unless it is being replaced
        {U'.', "3.4", 3, 3, A::Beep, R::SecondPoint},
        {U'.', "3.4", 0, 3, A::Insert, R::None},
        {U'x', "3", 1, 1, A::Beep, R::NotAccepted},
        {U'7', "34.56", 5, 5, A::Beep, R::Full},      // never pushed into the next field
        {U',', "34567", 5, 5, A::Beep, R::Full},
        {U'7', "34.56", 0, 5, A::Insert, R::None},
    };
    for (const auto& c : cases) {
        R why = R::None;
        EXPECT_EQ(f.OnChar(c.c, c.text, c.selStart, c.selEnd, static_cast<int>(c.text.size()), &why), c.action)
            << c.text << " + " << char(c.c);
        EXPECT_EQ(why, c.refusal) << c.text << " + " << char(c.c);
    }
    std::string full = "34.56";
    EXPECT_FALSE(f.AfterInsert(full).MoveNext);

    bool refused = false;
    R why = R::None;
    EXPECT_EQ(f.FilterInsertion(U"52,2051", U"", 0, 0, refused, &why), U"52.20");
    EXPECT_TRUE(refused);
    EXPECT_EQ(why, R::Full);
    EXPECT_EQ(f.FilterInsertion(U"1.2.3", U"", 0, 0, refused, &why), U"1.23");
    EXPECT_EQ(why, R::SecondPoint);
}
