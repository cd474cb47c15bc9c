#include "marks/text_number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view SkipSpace(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    return s.substr(i);
}

// from_chars reports overflow and underflow alike; tell them apart by the decimal exponent of the
// first significant digit.
double OutOfRange(std::string_view s, bool negative)
{
    long long exp10 = 0;
    std::size_t i = 0;
    bool seenSignificant = false;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        if (s[i] != '0')
            seenSignificant = true;
        if (seenSignificant)
            ++exp10;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i) {
            if (seenSignificant)
                continue;
            if (s[i] != '0')
                seenSignificant = true;
            else
                --exp10;
        }
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        long long e = 0;
        auto [p, ec] = std::from_chars(s.data() + i + 1, s.data() + s.size(), e);
        (void)p;
        if (ec == std::errc::result_out_of_range)
            e = (s.size() > i + 1 && s[i + 1] == '-') ? std::numeric_limits<long long>::min() / 2
                                                      : std::numeric_limits<long long>::max() / 2;
        exp10 += e;
    }
    const double magnitude = exp10 > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

}  // namespace

double TextToDouble(std::string_view text)
{
    std::string_view s = SkipSpace(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // from_chars takes no '+' and would accept a second sign.
    if (s.empty() || s[0] == '+' || s[0] == '-')
        return 0.0;
    double v = 0.0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    (void)p;
    if (ec == std::errc::result_out_of_range)
        return OutOfRange(s, negative);
    if (ec != std::errc())
        return 0.0;
    return negative ? -v : v;
}

int TextToInt(std::string_view text)
{
    std::string_view s = SkipSpace(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !IsDigit(s[0]))
        return 0;
    unsigned long long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    (void)p;
    constexpr unsigned long long maxPos = std::numeric_limits<int>::max();
    constexpr unsigned long long maxNeg = maxPos + 1;
    if (ec == std::errc::result_out_of_range || v > (negative ? maxNeg : maxPos))
        return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return negative ? static_cast<int>(-static_cast<long long>(v)) : static_cast<int>(v);
}

std::string FixedText(double value, int decimals)
{
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}
