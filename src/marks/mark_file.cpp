#include "marks/mark_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <system_error>

#include "app/utf8_path.h"
#include "marks/archive.h"
#include "marks/mark_list.h"

#if __has_include(<unistd.h>) && !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#define VARNEL_HAVE_FSYNC 1
#endif

namespace {

// The smallest mark record: three empty texts, one prefix byte each.
constexpr std::uint64_t MinMarkBytes = 3;

std::string PastEnd(const std::string& name)
{
    return "An attempt was made to access " + name + " past its end.";
}

std::string SystemMessage(int err) { return std::generic_category().message(err); }

#ifdef VARNEL_HAVE_FSYNC
// Makes sure the new contents are on disk before they replace the old file.
bool SyncFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
#endif

std::filesystem::path TemporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = target;
    // Joined as paths: a file name outside the code page ("café.mrk") stays intact on Windows.
    std::filesystem::path name(".");
    name += target.filename();
    std::string suffix = ".tmp";
#ifdef VARNEL_HAVE_FSYNC
    suffix += std::to_string(::getpid());
#endif
    suffix += '-';
    suffix += std::to_string(counter++);
    name += suffix;
    tmp.replace_filename(name);
    return tmp;
}

}  // namespace

std::string CMarkFile::Encode(const CMarkList& marks, const SBatterySettings& battery)
{
    CArchiveWriter ar;
    std::size_t size = 4 + SBatterySettings::ArchiveSize;
    for (const CMark& m : marks)
        size += 3 + m.GetAltitude().size() + m.GetLatitude().size() + m.GetLongitude().size();
    ar.Reserve(size);
    ar.WriteU32(static_cast<std::uint32_t>(marks.Size()));
    for (const CMark& m : marks) {
        ar.WriteText(m.GetAltitude());
        ar.WriteText(m.GetLatitude());
        ar.WriteText(m.GetLongitude());
    }
    battery.Store(ar);
    return ar.TakeBytes();
}

bool CMarkFile::Decode(std::string_view bytes, SMarkFileContents& contents, std::string& error, const std::string& name)
{
    CArchiveReader ar(bytes);
    SMarkFileContents read;
    std::uint32_t count = 0;
    if (!ar.ReadU32(count)) {
        error = PastEnd(name);
        return false;
    }
    // A count that reads as negative means no marks, as the original reader took it.
    if (static_cast<std::int32_t>(count) < 0)
        count = 0;
    const std::uint64_t needed = count * MinMarkBytes + SBatterySettings::ArchiveSize;
    if (needed > ar.Remaining()) {
        error = name + " is damaged: it announces " + std::to_string(count) + " marks, more than its " +
                std::to_string(bytes.size()) + " bytes can hold.";
        return false;
    }
    read.Marks.reserve(count);
    std::string alt, lat, lon;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!ar.ReadText(alt) || !ar.ReadText(lat) || !ar.ReadText(lon)) {
            if (ar.Error() == CArchiveReader::EError::TextTooLong)
                error = name + " is damaged: mark " + std::to_string(i + 1) + " has a text of " +
                        std::to_string(ar.BadLength()) + " characters, more than the file holds.";
            else
                error = PastEnd(name);
            return false;
        }
        read.Marks.emplace_back(std::move(lat), std::move(lon), std::move(alt));
    }
    if (!read.Battery.Load(ar)) {
        error = PastEnd(name);
        return false;
    }
    contents = std::move(read);
    return true;
}

void CMarkFile::Apply(const SMarkFileContents& contents, ELoadMode mode, CMarkList& marks, CBaseSettings& settings)
{
    if (mode == ELoadMode::Replace)
        marks.RemoveAll();
    for (const CMark& m : contents.Marks)
        marks.AddMark(m.GetLatitude(), m.GetLongitude(), m.GetAltitude());
    settings.SetBattery(contents.Battery);
}

bool CMarkFile::Load(const std::filesystem::path& path, ELoadMode mode, CMarkList& marks, CBaseSettings& settings,
                     std::string& error)
{
    const std::string name = PathToUtf8(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open " + name + ": " + SystemMessage(errno) + ".";
        return false;
    }
    std::string bytes;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec)
        bytes.reserve(static_cast<std::size_t>(size));
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "Cannot read " + name + ".";
        return false;
    }
    SMarkFileContents contents;
    if (!Decode(bytes, contents, error, name))
        return false;
    Apply(contents, mode, marks, settings);
    return true;
}

bool CMarkFile::Save(const std::filesystem::path& path, const CMarkList& marks, const CBaseSettings& settings,
                     std::string& error)
{
    const std::string name = PathToUtf8(path);
    const std::string bytes = Encode(marks, settings.GetBattery());
    const std::filesystem::path tmp = TemporaryBeside(path);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "Cannot create " + name + ": " + SystemMessage(errno) + ".";
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(tmp, ignored);
            error = "Cannot write " + name + ".";
            return false;
        }
    }
#ifdef VARNEL_HAVE_FSYNC
    if (!SyncFile(tmp)) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        error = "Cannot write " + name + ".";
        return false;
    }
#endif
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        error = "Cannot save " + name + ": " + ec.message() + ".";
        return false;
    }
    return true;
}
