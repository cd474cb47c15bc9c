#include "serial/com_alias.h"

#include <cstdlib>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32

// The user's home folder from the password database; "" when it has none.
std::string HomeFromPasswordDatabase()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}
#endif

} // namespace

std::string ComAliasDir()
{
    if (const char* dir = std::getenv("VARNEL_COM_DIR"); dir && *dir)
        return dir;
#ifdef _WIN32
    return {};  // Windows numbers its COM ports itself
#else
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else
        home = HomeFromPasswordDatabase();
    // Never a shared folder such as /tmp, where anyone could plant links: without a home there are
    // no aliases.
    if (home.empty() || home.front() != '/')
        return {};
    return home + "/.local/share/varnel-link-manager/com";
#endif
}

std::string ComAliasPath(int n)
{
    const std::string dir = ComAliasDir();
    return dir.empty() ? std::string() : dir + "/com" + std::to_string(n);
}
