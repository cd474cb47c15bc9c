#include "app/command_line_info.h"

#include <cstring>

int g_DirectConnectFlag = 0;
int g_WriteDefaultsFlag = 0;

void ResetCommandLineFlags()
{
    g_DirectConnectFlag = 0;
    g_WriteDefaultsFlag = 0;
}

void CMyCommandLineInfo::ParseParam(const char* param, bool isFlag, bool /*isLast*/)
{
    if (!isFlag || param == nullptr)
        return;
    if (std::strcmp(param, "dir") == 0) {
        // A direct connection always writes the radio defaults too.
        g_DirectConnectFlag = 1;
        g_WriteDefaultsFlag = 1;
    } else if (std::strcmp(param, "def") == 0) {
        g_WriteDefaultsFlag = 1;
    }
}

void ParseCommandLine(CMyCommandLineInfo& info, const std::vector<std::string>& arguments)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const char* param = arguments[i].c_str();
        const bool isFlag = param[0] == '/' || param[0] == '-';
        info.ParseParam(isFlag ? param + 1 : param, isFlag, i + 1 == arguments.size());
    }
}
