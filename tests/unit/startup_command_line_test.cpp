#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line_info.h"

namespace {

struct Flags {
    int directConnect;
    int writeDefaults;
    bool operator==(const Flags&) const = default;
};

Flags ParseArgs(std::vector<std::string> args)
{
    ResetCommandLineFlags();
    args.insert(args.begin(), "varnel-link-manager");
    CMyCommandLineInfo info;
    ParseCommandLine(info, args);
    return {g_DirectConnectFlag, g_WriteDefaultsFlag};
}

}  // namespace

TEST(StartupCommandLine, FlagsStartAtZero)
{
    EXPECT_EQ(ParseArgs({}), (Flags{0, 0}));
}

TEST(StartupCommandLine, DirSetsBothFlagsWithEitherPrefix)
{
    EXPECT_EQ(ParseArgs({"/dir"}), (Flags{1, 1}));
    EXPECT_EQ(ParseArgs({"-dir"}), (Flags{1, 1}));
}

TEST(StartupCommandLine, DefSetsOnlyWriteDefaults)
{
    EXPECT_EQ(ParseArgs({"/def"}), (Flags{0, 1}));
    EXPECT_EQ(ParseArgs({"-def"}), (Flags{0, 1}));
    EXPECT_EQ(ParseArgs({"-def", "-dir"}), (Flags{1, 1}));
}

TEST(StartupCommandLine, MatchingIsExactAndCaseSensitive)
{
    for (const char* arg : {"/DIR", "-Dir", "/DEF", "-dirx", "-di", "--dir", "/ dir", "dir", "def", "/", "-", ""})
        EXPECT_EQ(ParseArgs({arg}), (Flags{0, 0})) << "argument '" << arg << "'";
}

TEST(StartupCommandLine, UnknownArgumentsAroundOptionsAreIgnored)
{
    EXPECT_EQ(ParseArgs({"file.mrk", "-x", "/dir", "/p"}), (Flags{1, 1}));
}

TEST(StartupCommandLine, ParseParamSeesFlagsWithoutPrefixAndTheLastMark)
{
    struct Recorder : CMyCommandLineInfo {
        std::vector<std::string> seen;
        void ParseParam(const char* param, bool isFlag, bool isLast) override
        {
            seen.push_back(std::string(param) + (isFlag ? " flag" : " plain") + (isLast ? " last" : ""));
        }
    } recorder;
    const char* argv[] = {"prog", "/dir", "x.mrk", "-def"};
    ParseCommandLine(recorder, 4, argv);
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"dir flag", "x.mrk plain", "def flag last"}));
}
