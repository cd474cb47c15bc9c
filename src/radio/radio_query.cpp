#include "radio/radio_query.h"

#include <limits>

#include "radio/radio_timing.h"

SQueryResult RunQuery(CRadioLink& link, std::string_view command, const SQueryRule& rule)
{
    using namespace RadioTiming;
    SQueryResult result;
    link.Purge();
    link.WriteLine(command);
    const auto deadline = link.Now() + std::chrono::milliseconds(QueryDeadlineMs);
    while (link.Now() < deadline && !link.StopRequested()) {
        link.Pause(QueryCycleMs);
        std::string chunk = link.Read(QueryReadSize);
        if (result.Received.size() >= QueryOverflow) {
            result.Overflow = true;
            result.Reply = rule.OverflowReply ? rule.OverflowReply(result.Received) : std::string();
            result.Reply = PlainRadioText(result.Reply, ShownReplyLength);
            return result;
        }
        if (chunk.size() < QueryMinRead)
            continue;
        result.Received += chunk;
        if (result.Received.size() > rule.Threshold && rule.Extract) {
            result.Value = rule.Extract(result.Received);
            if (!result.Value.empty()) {
                result.Ok = true;
                return result;
            }
        }
    }
    result.Reply = PlainRadioText(result.Received, ShownReplyLength);
    return result;
}

std::string PlainRadioText(std::string_view text, std::size_t limit)
{
    std::string out;
    bool gap = false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || u >= 0x80) {  // radios speak ASCII; anything else is noise
            gap = !out.empty();
            continue;
        }
        if (gap) {
            if (out.size() + 1 >= limit)
                break;
            out += ' ';
            gap = false;
        }
        if (out.size() >= limit)
            break;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string FirstCharacters(std::string_view text, std::size_t count)
{
    return std::string(text.substr(0, count));
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

long long LeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    constexpr long long cap = std::numeric_limits<int>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value >= cap ? cap : value * 10 + (text[i] - '0');
    if (value > cap)
        value = cap;
    return negative ? -value : value;
}
