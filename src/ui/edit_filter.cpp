#include "ui/edit_filter.h"

#include <algorithm>
#include <limits>

namespace {

bool IsSignChar(char32_t c) { return c == U'+' || c == U'-'; }
bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// Whether the text outside the selection [selStart, selEnd) holds c (ASCII text, one byte a character).
bool HoldsOutside(const std::string& text, int selStart, int selEnd, char c)
{
    for (int i = 0; i < static_cast<int>(text.size()); ++i)
        if ((i < selStart || i >= selEnd) && text[static_cast<std::size_t>(i)] == c)
            return true;
    return false;
}

}  // namespace

bool CEditFilter::IsPrintable(char32_t c)
{
    if (c < 0x20 || c == 0x7f)
        return false;
    if (c >= 0x80 && c < 0xa0)  // C1 controls
        return false;
    return c <= 0x10ffff;
}

bool CEditFilter::HasSign(const std::string& text)
{
    return text.find_first_of("+-") != std::string::npos;
}

CEditFilter::EAction CEditFilter::OnChar(char32_t c, const std::string& text, int selStart, int selEnd,
                                         int textLength, ERefusal* refusal) const
{
    ERefusal ignored;
    ERefusal& why = refusal ? *refusal : ignored;
    why = ERefusal::None;
    const auto refuse = [&why](ERefusal r) {
        why = r;
        return EAction::Beep;
    };
    // "52,2051" typed by someone whose decimal separator is a comma.
    if (CommaAsPoint && c == U',' && selStart > 0 && selStart <= static_cast<int>(text.size()) &&
        IsDigit(static_cast<unsigned char>(text[static_cast<std::size_t>(selStart - 1)])) &&
        !HoldsOutside(text, selStart, selEnd, '.')) {
        if (MaxChars > 0 && textLength - (selEnd - selStart) >= MaxChars)
            return refuse(ERefusal::Full);
        return EAction::InsertPoint;
    }
    if (NextFieldChar >= 0 && c == static_cast<char32_t>(NextFieldChar))
        return EAction::NextField;
    if (AllowedChars) {
        // The set is plain ASCII; anything beyond it cannot be in it.
        const bool allowed = c < 0x80 && AllowedChars->find(static_cast<char>(c)) != std::string::npos;
        if (!allowed)
            return IsPrintable(c) ? refuse(ERefusal::NotAccepted) : EAction::Default;
    } else if (!IsPrintable(c)) {
        return EAction::Default;
    }
    if (IsSignChar(c) && SingleSign && HasSign(text)) {
        // A selection covering the whole text is about to be replaced, sign and all.
        const bool wholeSelected = selStart == 0 && selEnd >= textLength;
        if (!wholeSelected)
            return refuse(ERefusal::SecondSign);
    }
    if (c == U'.' && SinglePoint && HoldsOutside(text, selStart, selEnd, '.'))
        return refuse(ERefusal::SecondPoint);
    // The edit's length limit would drop it without a word.
    if (MaxChars > 0 && textLength - (selEnd - selStart) >= MaxChars)
        return refuse(ERefusal::Full);
    return EAction::Insert;
}

std::string CEditFilter::MoveSignToFront(const std::string& text)
{
    if (!HasSign(text))
        return text;
    std::string s = " " + text;
    for (std::size_t i = 1; i < s.size();) {
        if (s[i] == '+' || s[i] == '-') {
            s[0] = s[i];
            s.erase(i, 1);
        } else {
            ++i;
        }
    }
    return s;
}

int CEditFilter::Length(const std::string& text)
{
    int n = 0;
    for (unsigned char ch : text)
        if ((ch & 0xc0) != 0x80)
            ++n;
    return n;
}

CEditFilter::SAfterInsert CEditFilter::AfterInsert(std::string& text) const
{
    SAfterInsert r;
    if (SignFirst) {
        std::string moved = MoveSignToFront(text);
        if (moved != text || HasSign(text)) {
            r.TextChanged = true;
            text = std::move(moved);
        }
    }
    if (AdvanceWhenFull && MaxChars != -1 && Length(text) >= MaxChars)
        r.MoveNext = true;
    return r;
}

std::u32string CEditFilter::FilterInsertion(std::u32string_view inserted, std::u32string_view text, int selStart,
                                            int selEnd, bool& refused, ERefusal* refusal) const
{
    refused = false;
    ERefusal ignored;
    ERefusal& why = refusal ? *refusal : ignored;
    why = ERefusal::None;
    const int size = static_cast<int>(text.size());
    selStart = std::clamp(selStart, 0, size);
    selEnd = std::clamp(selEnd, selStart, size);
    const std::u32string_view kept[] = {text.substr(0, static_cast<std::size_t>(selStart)),
                                        text.substr(static_cast<std::size_t>(selEnd))};
    bool sign = false;
    bool point = false;
    for (std::u32string_view part : kept) {
        sign = sign || part.find_first_of(U"+-") != std::u32string_view::npos;
        point = point || part.find(U'.') != std::u32string_view::npos;
    }
    char32_t previous = selStart > 0 ? text[static_cast<std::size_t>(selStart - 1)] : 0;
    const int room = MaxChars > 0 ? MaxChars - (size - (selEnd - selStart)) : std::numeric_limits<int>::max();

    std::u32string accepted;
    for (std::size_t i = 0; i < inserted.size(); ++i) {
        char32_t c = inserted[i];
        if (CommaAsPoint && c == U',' && IsDigit(previous) && !point)
            c = U'.';
        // What follows a separator belongs to the next field, which is not this edit's to fill.
        if (NextFieldChar >= 0 && c == static_cast<char32_t>(NextFieldChar)) {
            refused = i + 1 < inserted.size();
            break;
        }
        if (!IsPrintable(c))
            continue;
        const bool allowed = !AllowedChars || (c < 0x80 && AllowedChars->find(static_cast<char>(c)) != std::string::npos);
        const bool secondSign = IsSignChar(c) && SingleSign && sign;
        const bool secondPoint = c == U'.' && SinglePoint && point;
        if (!allowed || secondSign || secondPoint) {
            refused = true;
            why = !allowed ? ERefusal::NotAccepted : secondSign ? ERefusal::SecondSign : ERefusal::SecondPoint;
            continue;
        }
        if (static_cast<int>(accepted.size()) >= room) {
            refused = true;
            why = ERefusal::Full;
            break;
        }
        sign = sign || IsSignChar(c);
        point = point || c == U'.';
        previous = c;
        accepted.push_back(c);
    }
    return accepted;
}
