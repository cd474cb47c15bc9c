#include "serial/com_alias.h"

#include <cstdlib>

std::string ComAliasDir()
{
    if (const char* dir = std::getenv("VARNEL_COM_DIR"); dir && *dir)
        return dir;
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else
        home = "/tmp";
    return home + "/.local/share/varnel-link-manager/com";
}

std::string ComAliasPath(int n)
{
    return ComAliasDir() + "/com" + std::to_string(n);
}
