// Mark-file bytes through the loading path, as a file on disk would go: what loads must write back
// to bytes that load the same, and a failed load must leave the list and settings untouched and
// name the file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "base/base_settings.h"
#include "marks/mark_file.h"
#include "marks/mark_list.h"

namespace {

// A regular file in memory holding the bytes; "" when none can be made.
std::string MemoryFile(const std::uint8_t* data, std::size_t size, int& fd)
{
    fd = ::memfd_create("fuzz.mrk", MFD_CLOEXEC);
    if (fd < 0)
        return {};
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            return {};
        done += static_cast<std::size_t>(n);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

bool SameBits(const SBatterySettings& a, const SBatterySettings& b)
{
    return std::string_view(reinterpret_cast<const char*>(&a), sizeof a) ==
           std::string_view(reinterpret_cast<const char*>(&b), sizeof b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int fd = -1;
    const std::string path = MemoryFile(data, size, fd);
    if (path.empty()) {
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    const CMark kept("1", "2", "3");
    for (auto mode : {CMarkFile::ELoadMode::Append, CMarkFile::ELoadMode::Replace}) {
        CMarkList list;
        list.AddMark(kept.GetLatitude(), kept.GetLongitude(), kept.GetAltitude());
        list.SetModified(false);
        CBaseSettings settings;
        settings.SetModified(false);
        const SBatterySettings before = settings.GetBattery();
        std::string error;

        SMarkFileContents decoded;
        std::string decodeError;
        const bool decodes = CMarkFile::Decode(
            std::string_view(reinterpret_cast<const char*>(data), size), decoded, decodeError, path);

        if (!CMarkFile::Load(path, mode, list, settings, error)) {
            // Loading and decoding judge the same bytes alike.
            if (decodes || error != decodeError || error.find(path) == std::string::npos)
                __builtin_trap();
            if (list.Size() != 1 || !list.Contains("1", "2", "3") || list.GetModified() || settings.GetModified() ||
                !SameBits(before, settings.GetBattery()))
                __builtin_trap();
            continue;
        }
        if (!decodes || !settings.GetModified() || !SameBits(decoded.Battery, settings.GetBattery()))
            __builtin_trap();

        // The list holds the file's marks once each, after the kept mark when appending.
        CMarkList expected;
        if (mode == CMarkFile::ELoadMode::Append)
            expected.AddMark(kept.GetLatitude(), kept.GetLongitude(), kept.GetAltitude());
        for (const CMark& m : decoded.Marks)
            expected.AddMark(m.GetLatitude(), m.GetLongitude(), m.GetAltitude());
        if (!std::equal(list.begin(), list.end(), expected.begin(), expected.end()))
            __builtin_trap();

        // Round trip: the list as loaded encodes to bytes that decode to the same marks and settings.
        const std::string again = CMarkFile::Encode(list, settings.GetBattery());
        SMarkFileContents reread;
        if (!CMarkFile::Decode(again, reread, error, "again.mrk"))
            __builtin_trap();
        if (!std::equal(reread.Marks.begin(), reread.Marks.end(), list.begin(), list.end()) ||
            !SameBits(reread.Battery, settings.GetBattery()))
            __builtin_trap();
    }
    ::close(fd);
    return 0;
}
