#include "ui/message_template.h"

#include "ui/string_table.h"

namespace {
bool IsPlace(std::string_view p, std::size_t i)
{
    return i + 1 < p.size() && p[i] == '%' && p[i + 1] >= '1' && p[i + 1] <= '9';
}

// Matches pattern from pi against text from ti; places are filled into parts by their number.
bool Match(std::string_view p, std::size_t pi, std::string_view t, std::size_t ti, std::vector<std::string>& parts)
{
    while (pi < p.size() && !IsPlace(p, pi)) {
        if (ti >= t.size() || p[pi] != t[ti])
            return false;
        ++pi;
        ++ti;
    }
    if (pi == p.size())
        return ti == t.size();
    const auto index = static_cast<std::size_t>(p[pi + 1] - '1');
    if (parts.size() <= index)
        parts.resize(index + 1);
    // Longest part first, so the last occurrence of the following literal ends the place.
    for (std::size_t end = t.size(); end > ti; --end) {
        parts[index].assign(t.substr(ti, end - ti));
        if (Match(p, pi + 2, t, end, parts))
            return true;
    }
    return false;
}
}  // namespace

bool MatchTemplate(std::string_view pattern, std::string_view text, std::vector<std::string>& parts)
{
    parts.clear();
    return Match(pattern, 0, text, 0, parts);
}

std::string FillTemplate(std::string_view pattern, const std::vector<std::string>& parts)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const auto index = IsPlace(pattern, i) ? static_cast<std::size_t>(pattern[i + 1] - '1') : parts.size();
        if (index < parts.size()) {
            out += parts[index];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string TranslateMessage(const std::string& english, const std::function<std::string(int id)>& text)
{
    std::vector<std::string> parts;
    for (int id = StringIds::FirstFileMessage; id <= StringIds::LastFileMessage; ++id) {
        if (!MatchTemplate(BuiltInStringText(id), english, parts))
            continue;
        const std::string translated = text ? text(id) : std::string();
        return translated.empty() ? english : FillTemplate(translated, parts);
    }
    return english;
}
