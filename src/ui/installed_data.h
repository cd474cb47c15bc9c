#pragma once

#include <string>

// Where an installed program keeps its data: found from the executable's own folder, so that an
// installation moved to another prefix keeps working (<prefix>/bin and <prefix>/share/...).
std::string InstalledDataFolder(const std::string& executableDir);
// The language files of an installed program.
std::string InstalledLanguageFolder(const std::string& executableDir);
