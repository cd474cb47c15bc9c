#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Messages the core builds in English ("Cannot open /x.mrk: No such file or directory.") shown in
// the operator's language: the message is matched against the English template of its id
// ("Cannot open %1: %2.") and the parts in the %N places fill that id's translated template.

// The parts of text in pattern's %1..%9 places, in number order; false when text does not follow
// pattern. A place takes at least one character; the last match of a literal wins, so a file name
// may itself hold ": ".
bool MatchTemplate(std::string_view pattern, std::string_view text, std::vector<std::string>& parts);
// pattern with %1..%9 replaced by parts (a missing part leaves its place as it is).
std::string FillTemplate(std::string_view pattern, const std::vector<std::string>& parts);
// english translated through the file-message ids; text(id) gives an id's text in the language in
// use. A message no template matches is returned as it is.
std::string TranslateMessage(const std::string& english, const std::function<std::string(int id)>& text);
