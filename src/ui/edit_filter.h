#pragma once

#include <optional>
#include <string>
#include <string_view>

// Key filtering of the field-by-field numeric edit (CAutoEdit), kept free of any toolkit so the
// rules can be tested on their own. The widget asks OnChar what to do with a typed character,
// lets the edit insert it when told to, then calls AfterInsert.
class CEditFilter
{
public:
    enum class EAction {
        NextField,  // move the focus on; the character is not inserted
        Beep,       // refuse the character audibly
        Default,    // not a printable character: let the edit handle it (backspace, shortcuts)
        Insert,     // let the edit insert it, then call AfterInsert
        InsertPoint,  // a decimal comma: insert "." instead, then call AfterInsert
    };

    // Why OnChar or FilterInsertion refused a character.
    enum class ERefusal { None, NotAccepted, SecondSign, SecondPoint, Full };

    int NextFieldChar = '.';
    int MaxChars = -1;  // -1: no automatic advance
    std::optional<std::string> AllowedChars;  // none: every character accepted
    bool SingleSign = false;
    bool SignFirst = false;
    bool SinglePoint = false;     // a second "." is refused
    bool CommaAsPoint = false;    // "," after a digit, with no "." yet, is the decimal point
    bool AdvanceWhenFull = true;  // false: a full field refuses more instead of moving on

    void SetAllowedChars(const std::string& chars) { AllowedChars = chars; }

    // c is the typed character (a Unicode code point). selStart/selEnd and textLength are in the
    // same units, whatever the widget counts in.
    // refusal, when given, says why an EAction::Beep was chosen.
    EAction OnChar(char32_t c, const std::string& text, int selStart, int selEnd, int textLength,
                   ERefusal* refusal = nullptr) const;

    struct SAfterInsert {
        bool TextChanged = false;  // the sign was moved: set the text, caret at its end
        bool MoveNext = false;
    };
    // text is updated in place.
    SAfterInsert AfterInsert(std::string& text) const;

    // What of a run of text entering at once (pasted, dropped, committed by an input method) goes in
    // at the selection [selStart, selEnd) of text: the characters a key press would insert, in
    // order, up to a next-field character, with no sign beyond the one SingleSign allows and no
    // more than MaxChars leaves room for. refused tells that a printable character was left out.
    std::u32string FilterInsertion(std::u32string_view inserted, std::u32string_view text, int selStart,
                                   int selEnd, bool& refused, ERefusal* refusal = nullptr) const;

    static bool IsPrintable(char32_t c);
    static bool HasSign(const std::string& text);
    // Gathers the sign(s) into one at the front ("12-" gives "-12"); the last sign typed wins.
    static std::string MoveSignToFront(const std::string& text);
    // Length in code points of UTF-8 text, as a widget counts characters.
    static int Length(const std::string& text);
};
