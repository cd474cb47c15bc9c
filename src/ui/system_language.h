#pragma once

#include <functional>
#include <string>
#include <string_view>

// Reads one environment variable; an unset variable reads as empty.
using EnvironmentReader = std::function<std::string(const std::string& name)>;

namespace LanguageIds {
constexpr int EnglishUs = 1033;
// What a language unknown to Windows numbering gets: matches no known language.
constexpr int Unspecified = 0x1000;
}  // namespace LanguageIds

// The process environment (std::getenv).
std::string ReadProcessEnvironment(const std::string& name);

// The locale that governs messages: LC_ALL, then LC_MESSAGES, then LANG; the first non-empty wins.
std::string MessagesLocale(const EnvironmentReader& readEnv);

// A POSIX locale name ("de_DE.UTF-8@euro") as a Windows language identifier (3079 for de_AT).
// Encoding and modifier are ignored; a language without territory, or with a territory that has no
// identifier of its own, gives the language's primary identifier. "C", "POSIX" and an empty locale
// give 1033; a language without a Windows identifier gives LanguageIds::Unspecified.
int LanguageIdFromLocale(std::string_view locale);

// The system's default user-interface language identifier: on Windows the user's own
// (GetUserDefaultUILanguage), elsewhere the messages locale of the process environment.
int SystemDefaultLanguageId();
// The identifier of the messages locale that readEnv gives.
int SystemDefaultLanguageId(const EnvironmentReader& readEnv);
