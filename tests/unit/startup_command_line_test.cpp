#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line_info.h"

TEST(StartupCommandLine, OptionsSetTheirFlags)
{
    struct Case { std::vector<std::string> args; int directConnect; int writeDefaults; } cases[] = {
        {{}, 0, 0},
        {{"/dir"}, 1, 1},  // dir alone sets both
        {{"-dir"}, 1, 1},
        {{"/def"}, 0, 1},
        {{"-def"}, 0, 1},
        {{"-def", "-dir"}, 1, 1},
        {{"file.mrk", "-x", "/dir", "/p"}, 1, 1},  // unknown arguments around options are ignored
        // Matching is exact and case-sensitive.
        {{"/DIR"}, 0, 0}, {{"-Dir"}, 0, 0}, {{"/DEF"}, 0, 0}, {{"-dirx"}, 0, 0}, {{"-di"}, 0, 0}, {{"--dir"}, 0, 0},
        {{"/ dir"}, 0, 0}, {{"dir"}, 0, 0}, {{"def"}, 0, 0}, {{"/"}, 0, 0}, {{"-"}, 0, 0}, {{""}, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "varnel-link-manager");
        ResetCommandLineFlags();
        CMyCommandLineInfo info;
        ParseCommandLine(info, args);
        const std::string shown = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(g_DirectConnectFlag, c.directConnect) << "first argument '" << shown << "'";
        EXPECT_EQ(g_WriteDefaultsFlag, c.writeDefaults) << "first argument '" << shown << "'";
    }
}
