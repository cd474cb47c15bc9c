#pragma once

#include <string>
#include <vector>

// Process-wide option flags, 0 until the command line sets them.
extern int g_DirectConnectFlag;  // "dir"
extern int g_WriteDefaultsFlag;  // "dir" or "def"

// Puts both flags back to 0 (a fresh process has them at 0).
void ResetCommandLineFlags();

// The program's command-line parser. It recognises the options "dir" and "def" only; everything
// else is accepted and ignored.
class CMyCommandLineInfo {
public:
    virtual ~CMyCommandLineInfo() = default;

    // One argument. For a flag, param is the option without its leading "/" or "-".
    virtual void ParseParam(const char* param, bool isFlag, bool isLast);
};

// Feeds each argument after the program name to info.ParseParam: an argument starting with "/" or
// "-" is a flag and is passed without that character.
void ParseCommandLine(CMyCommandLineInfo& info, const std::vector<std::string>& arguments);
