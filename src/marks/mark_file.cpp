#include "marks/mark_file.h"

#include <atomic>
#include <cmath>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <system_error>

#include "ui/utf8_path.h"
#include "marks/archive.h"
#include "marks/mark_list.h"

#if __has_include(<unistd.h>) && !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
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

std::string Damaged(const std::string& name, const std::string& what)
{
    return name + " is damaged: " + what + ".";
}

// Reads the whole file, marks and settings, handing each mark's texts (altitude, latitude,
// longitude) to onMark, which may take them. False with an error naming the file when the bytes are
// not a complete mark file; onMark may have been called for the marks before the fault.
template <class OnMark>
bool Walk(std::string_view bytes, const std::string& name, std::string& error, SBatterySettings& battery,
          OnMark onMark)
{
    CArchiveReader ar(bytes);
    std::uint32_t count = 0;
    if (!ar.ReadU32(count)) {
        error = PastEnd(name);
        return false;
    }
    // A count that reads as negative means no marks, as the original reader took it; but random
    // bytes begin so half of the time, so only a file that is otherwise exactly the settings counts.
    if (static_cast<std::int32_t>(count) < 0) {
        if (ar.Remaining() != static_cast<std::size_t>(SBatterySettings::ArchiveSize)) {
            error = Damaged(name, "its mark count " + std::to_string(static_cast<std::int32_t>(count)) +
                                      " is negative");
            return false;
        }
        count = 0;
    }
    // A count or a text longer than what follows is a file that ends early, like any short one.
    const std::uint64_t needed = count * MinMarkBytes + SBatterySettings::ArchiveSize;
    if (needed > ar.Remaining()) {
        error = PastEnd(name);
        return false;
    }
    std::string alt, lat, lon;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!ar.ReadText(alt) || !ar.ReadText(lat) || !ar.ReadText(lon)) {
            error = PastEnd(name);
            return false;
        }
        onMark(alt, lat, lon);
    }
    SBatterySettings read;
    if (!read.Load(ar)) {
        error = PastEnd(name);
        return false;
    }
    // Levels that are not numbers cannot have been saved by anyone; they would show as garbage.
    for (double v : {read.IntBatVWarn, read.ExtBatVWarn, read.IntBatVCritical, read.ExtBatVCritical}) {
        if (!std::isfinite(v)) {
            error = Damaged(name, "its battery levels are not numbers");
            return false;
        }
    }
    battery = read;
    return true;
}

// The whole file, when it is a regular file of at most MaxFileBytes. Anything else (a folder, a
// device that never ends, a FIFO that would block) is refused before a byte is read.
}  // namespace

bool CMarkFile::ReadBytes(const std::filesystem::path& path, std::string& bytes, std::string& error,
                          const std::string& kind)
{
    const std::string name = PathToUtf8(path);
    const std::string tooLarge = name + " is too large for " + kind + " (more than " +
                                 std::to_string(CMarkFile::MaxFileBytes / (1024 * 1024)) + " MiB).";
    const std::string notFile = name + " is not " + kind + ": it is not a regular file.";
#ifdef VARNEL_HAVE_FSYNC
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open " + name + ": " + SystemMessage(errno) + ".";
        return false;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = "Cannot read " + name + ": " + SystemMessage(errno) + ".";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = notFile;
        return false;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > CMarkFile::MaxFileBytes) {
        error = tooLarge;
        return false;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "Cannot read " + name + ": " + SystemMessage(errno) + ".";
            return false;
        }
        if (n == 0)
            return true;
        // The file may grow while it is read.
        if (bytes.size() + static_cast<std::size_t>(n) > CMarkFile::MaxFileBytes) {
            error = tooLarge;
            return false;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
#else
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        error = "Cannot open " + name + ": " + ec.message() + ".";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = notFile;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open " + name + ": " + SystemMessage(errno) + ".";
        return false;
    }
    bytes.assign(CMarkFile::MaxFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        error = "Cannot read " + name + ".";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > CMarkFile::MaxFileBytes) {
        error = tooLarge;
        return false;
    }
    return true;
#endif
}

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
    SMarkFileContents read;
    const bool ok = Walk(bytes, name, error, read.Battery, [&](std::string& alt, std::string& lat, std::string& lon) {
        read.Marks.emplace_back(std::move(lat), std::move(lon), std::move(alt));
    });
    if (ok)
        contents = std::move(read);
    return ok;
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
    std::string bytes;
    if (!ReadBytes(path, bytes, error))
        return false;
    // Checked in full first, without keeping the marks: a file of millions of tiny or repeated
    // records would otherwise cost many times its size before the list drops the duplicates.
    SBatterySettings battery;
    if (!Walk(bytes, name, error, battery, [](std::string&, std::string&, std::string&) {}))
        return false;
    if (mode == ELoadMode::Replace)
        marks.RemoveAll();
    Walk(bytes, name, error, battery,
         [&](std::string& alt, std::string& lat, std::string& lon) { marks.AddMark(lat, lon, alt); });
    settings.SetBattery(battery);
    return true;
}

bool CMarkFile::Save(const std::filesystem::path& path, const CMarkList& marks, const CBaseSettings& settings,
                     std::string& error)
{
    return WriteAtomically(path, Encode(marks, settings.GetBattery()), error);
}

bool CMarkFile::WriteAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error)
{
    const std::string name = PathToUtf8(path);
    // Through a symbolic link the file it points to is replaced and the link stays.
    std::filesystem::path target = path;
    std::error_code linkError;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, linkError); ++hops) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, linkError);
        if (linkError)
            break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    const std::filesystem::path tmp = TemporaryBeside(target);
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
    // An existing file keeps its permissions.
    const auto existing = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::is_regular_file(existing))
        std::filesystem::permissions(tmp, existing.permissions(), ec);
    ec.clear();
    std::filesystem::rename(tmp, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        error = "Cannot save " + name + ": " + ec.message() + ".";
        return false;
    }
    return true;
}
