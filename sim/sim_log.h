#pragma once

// Escaping of logged bytes: the session log's (serial/session_log.h).

#include <string>
#include <string_view>

std::string EscapeSimBytes(std::string_view bytes);
std::string UnescapeSimBytes(std::string_view text);
