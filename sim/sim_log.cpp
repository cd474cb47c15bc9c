#include "sim_log.h"

#include "serial/session_log.h"

std::string EscapeSimBytes(std::string_view bytes) { return EscapeSessionBytes(bytes); }
std::string UnescapeSimBytes(std::string_view text) { return UnescapeSessionBytes(text); }
