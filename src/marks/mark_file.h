#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/base_settings.h"
#include "marks/mark.h"

class CMarkList;
class CBaseSettings;

// What a mark file holds: the marks in file order (duplicates included) and the battery settings.
struct SMarkFileContents {
    std::vector<CMark> Marks;
    SBatterySettings Battery;
};

// Mark files (.mrk): the mark count (32-bit), each mark as the archive texts altitude, latitude,
// longitude, then the six battery settings. Byte-compatible with the original Windows program.
//
// Saving writes a temporary file beside the target and renames it over the target, so a failed save
// leaves the old file as it was. Loading reads and checks the whole file before anything is applied,
// so a truncated or corrupt file changes neither the list nor the settings.
class CMarkFile {
public:
    enum class ELoadMode {
        Append,   // merge: marks already in the list stay in front, identical ones are skipped
        Replace,  // the list is emptied first (only once the file was read in full)
    };

    // Larger files are refused unread: a real one holds a few hundred marks in a few kilobytes.
    static constexpr std::uintmax_t MaxFileBytes = 16 * 1024 * 1024;

    static std::string Encode(const CMarkList& marks, const SBatterySettings& battery);
    // False with an error text (naming `name`) when the bytes end early, announce more than they hold,
    // carry a negative mark count with anything but the settings after it, or battery levels that
    // are not numbers.
    static bool Decode(std::string_view bytes, SMarkFileContents& contents, std::string& error,
                       const std::string& name = "the mark file");

    static bool Save(const std::filesystem::path& path, const CMarkList& marks, const CBaseSettings& settings,
                     std::string& error);
    // Marks into the list (merged or replacing it), then the battery settings, which sets the
    // settings' Modified flag. Only regular files of at most MaxFileBytes are read. On failure nothing
    // changes and error names the file and the fault. Memory stays near the file's size.
    static bool Load(const std::filesystem::path& path, ELoadMode mode, CMarkList& marks, CBaseSettings& settings,
                     std::string& error);
    // The whole file when it is a regular file of at most MaxFileBytes; anything else (a folder, a
    // FIFO, a device) is refused before a byte is read. Errors name the file and call it `kind`.
    static bool ReadBytes(const std::filesystem::path& path, std::string& bytes, std::string& error,
                          const std::string& kind = "a mark file");
    // Writes a temporary file beside the target and renames it over the target (through a symbolic
    // link, the file it points to); an existing file keeps its permissions. Errors name the file.
    static bool WriteAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error);
    // Applies contents that were read in full.
    static void Apply(const SMarkFileContents& contents, ELoadMode mode, CMarkList& marks, CBaseSettings& settings);
};
