#pragma once

// Escaping of logged bytes: "\\", "\r", "\n", "\t", "\xHH" for other bytes outside 0x20..0x7E.

#include <string>
#include <string_view>

std::string EscapeSimBytes(std::string_view bytes);
std::string UnescapeSimBytes(std::string_view text);
