#pragma once

#include <filesystem>
#include <string>

// The program's texts are UTF-8; file names must reach the system as they are. On Windows a
// narrow std::string would pass through the ANSI code page ("café.mrk" would not open), so every
// path made from a text, or shown as one, goes through these.

// A path from a UTF-8 text.
std::filesystem::path PathFromUtf8(const std::string& utf8);
// A path's UTF-8 text, for messages and for joining with other texts.
std::string PathToUtf8(const std::filesystem::path& path);
