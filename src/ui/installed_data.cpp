#include "ui/installed_data.h"

#include <filesystem>

// The build computes this from the install layout; this is the GNU default.
#ifndef VARNEL_DATA_FROM_BIN
#define VARNEL_DATA_FROM_BIN "../share/varnel-link-manager"
#endif

std::string InstalledDataFolder(const std::string& executableDir)
{
    if (executableDir.empty())
        return {};
    std::filesystem::path data = (std::filesystem::path(executableDir) / VARNEL_DATA_FROM_BIN).lexically_normal();
    // Windows keeps the data beside the program: "<dir>/." normalises to "<dir>/", no separator to double.
    if (!data.has_filename())
        data = data.parent_path();
    return data.generic_string();
}

std::string InstalledLanguageFolder(const std::string& executableDir)
{
    const std::string data = InstalledDataFolder(executableDir);
    return data.empty() ? data : data + "/languages";
}
