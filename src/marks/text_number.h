#pragma once

// Numbers that arrive or are typed as text are read by their longest numeric prefix, the way the C
// library's decimal conversions do, but independent of the process locale (a GUI may switch
// LC_NUMERIC to one with a decimal comma, and the receiver always uses a point).

#include <string>
#include <string_view>

// Leading white space skipped, optional sign, the longest decimal prefix; 0.0 when there is none.
// Values beyond the range of a double give +/-infinity, values too small give +/-0.
double TextToDouble(std::string_view text);

// Leading white space skipped, optional sign, the longest run of digits; 0 when there is none.
// Values beyond the range of an int are clamped to it.
int TextToInt(std::string_view text);

// "%.*f" with a point whatever the locale, never cut short (a double has at most 309 integer digits).
std::string FixedText(double value, int decimals);
