#include "sim_com_link.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FirstFree = 5;
constexpr int LastNumber = 255;

// Names in dir that spell "comN" in any case.
std::vector<std::string> EntriesFor(const std::string& dir, int number)
{
    std::vector<std::string> names;
    const std::string wanted = "com" + std::to_string(number);
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            std::string lower = name;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (lower == wanted)
                names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

bool IsDeadLink(const std::string& path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    return stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// Frees `number` of dead links; false if a live entry holds it.
bool ClearDead(const std::string& dir, int number)
{
    for (const auto& name : EntriesFor(dir, number)) {
        const std::string path = dir + "/" + name;
        if (!IsDeadLink(path))
            return false;
        unlink(path.c_str());
    }
    return true;
}

// A simulator killed outright (SIGKILL) leaves its link behind, pointing at a pseudo-terminal that
// went with it. Such links are swept, whatever their number; a dangling link elsewhere (a pinned
// USB adapter that is unplugged) is the operator's and stays.
void SweepDeadPtyLinks(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    std::vector<std::string> dead;
    while (dirent* e = readdir(d)) {
        std::string lower = e->d_name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.size() <= 3 || lower.compare(0, 3, "com") != 0 ||
            lower.find_first_not_of("0123456789", 3) != std::string::npos)
            continue;
        const std::string path = dir + "/" + e->d_name;
        char target[4096];
        const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        if (n <= 0)
            continue;
        target[n] = '\0';
        if (std::strncmp(target, "/dev/pts/", 9) == 0 && IsDeadLink(path))
            dead.push_back(path);
    }
    closedir(d);
    for (const std::string& path : dead)
        unlink(path.c_str());
}

class CDirLock {
public:
    explicit CDirLock(const std::string& dir)
    {
        m_fd = open((dir + "/.varnel-sim.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            flock(m_fd, LOCK_EX);
    }
    ~CDirLock()
    {
        if (m_fd >= 0)
            close(m_fd);   // releases the lock
    }

private:
    int m_fd = -1;
};

}  // namespace

int ClaimSimComLink(const std::string& dir, const std::string& target, int wanted, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        error = "cannot create the COM alias folder " + dir + ": " + ec.message();
        return -1;
    }
    // Simulators serialise among themselves on the lock; symlink(2) stays the atomic claim, so an
    // alias made by anyone else at the same moment is never overwritten.
    CDirLock lock(dir);
    SweepDeadPtyLinks(dir);
    const int first = wanted > 0 ? wanted : FirstFree;
    const int last = wanted > 0 ? wanted : LastNumber;
    for (int n = first; n <= last; ++n) {
        if (!ClearDead(dir, n))
            continue;
        const std::string path = dir + "/com" + std::to_string(n);
        if (symlink(target.c_str(), path.c_str()) == 0)
            return n;
        if (errno != EEXIST) {
            error = "cannot create " + path + ": " + std::strerror(errno);
            return -1;
        }
    }
    error = wanted > 0 ? "COM" + std::to_string(wanted) + " is in use by a live device (" + dir + ")"
                       : "no free COM number in " + dir;
    return -1;
}

void ReleaseSimComLink(const std::string& dir, int number, const std::string& target)
{
    const std::string path = dir + "/com" + std::to_string(number);
    char buffer[4096];
    ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return;
    buffer[n] = '\0';
    if (target == buffer)
        unlink(path.c_str());
}
