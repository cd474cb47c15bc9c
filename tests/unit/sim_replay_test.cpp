// varnel-sim --replay: the matcher, and the command line.

#include <gtest/gtest.h>

#include "sim_options.h"
#include "sim_replay.h"

namespace {

std::vector<SSessionLine> Log(std::string_view text)
{
    std::vector<SSessionLine> lines;
    std::string error;
    EXPECT_TRUE(ParseSessionLog(text, lines, error)) << error;
    return lines;
}

constexpr std::string_view kSession =
    "# 0 recording started\n"
    "R 10 $JAPP\\r\\n\n"
    "S 20 $>JAPP,RTKBAS,DIFF\\r\\n\n"
    "R 30 $KBASE,VOL\n"
    "R 31 TAGE\\r\\n\n"
    "S 40 $KBASE,VOLTAGE,12.90\\r\\n\n"
    "S 41 $KBASE,BATTIME,95,0\\r\\n\n"
    "R 50 $JI\\r\\n\n";

TEST(SimReplay, AnswersEachRunOnceItsBytesCameWhateverThePieces)
{
    CSimReplay replay(Log(kSession));
    EXPECT_EQ(replay.Receive("$JA", 0), "");
    EXPECT_EQ(replay.Receive("PP\r\n$KBASE,VOLTAGE\r", 100), "$>JAPP,RTKBAS,DIFF\r\n");
    EXPECT_EQ(replay.Receive("\n", 5000), "$KBASE,VOLTAGE,12.90\r\n$KBASE,BATTIME,95,0\r\n");
    EXPECT_EQ(replay.Receive("$JI\r\n", 9000), "");
    EXPECT_EQ(replay.Receive("more", 9001), "");   // after the end: silent
    EXPECT_EQ(replay.Matched(), 3);
    EXPECT_EQ(replay.Mismatched(), 0);
    EXPECT_TRUE(replay.TakeMessages().empty());
    EXPECT_EQ(replay.Report(), "bursts matched: 3\nbursts mismatched: 0\nbursts not reached: 0\nbytes after the end: 4\n");
}

TEST(SimReplay, AMismatchOrASilenceIsReportedAndTheReplayGoesOn)
{
    CSimReplay replay(Log(kSession));
    // Different bytes of the same length: answered, and reported with both texts.
    EXPECT_EQ(replay.Receive("$JAPQ\r\n", 0), "$>JAPP,RTKBAS,DIFF\r\n");
    auto messages = replay.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("expected \"$JAPP\\r\\n\", received \"$JAPQ\\r\\n\""), std::string::npos);
    // Too few bytes: nothing until 2 s after the first, then the answer anyway.
    EXPECT_EQ(replay.Receive("$KB", 1000), "");
    EXPECT_EQ(replay.NextEventMs(1500), 1000 + CSimReplay::ReplayWaitMs);
    EXPECT_EQ(replay.Tick(2999), "");
    EXPECT_EQ(replay.Tick(3000), "$KBASE,VOLTAGE,12.90\r\n$KBASE,BATTIME,95,0\r\n");
    messages = replay.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("gave up"), std::string::npos);
    // Nothing sent at all: it waits as long as the program is silent.
    EXPECT_EQ(replay.NextEventMs(4000), -1);
    EXPECT_EQ(replay.Mismatched(), 2);
    EXPECT_EQ(replay.Remaining(), 1);
}

TEST(SimReplay, ADeviceThatSpeaksFirstSendsAtOnce)
{
    CSimReplay replay(Log("S 0 $GPGGA\\r\\n\nR 5 x\nS 6 y\n"));
    EXPECT_EQ(replay.NextEventMs(0), 0);
    EXPECT_EQ(replay.Tick(0), "$GPGGA\r\n");
    EXPECT_EQ(replay.Receive("x", 1), "y");
}

TEST(SimReplay, OptionsNeedAFileAndTheReportNeedsAReplay)
{
    SSimOptions options;
    std::string error;
    EXPECT_TRUE(ParseSimOptions({"--replay", "a.log", "--replay-report", "r.txt"}, options, error));
    EXPECT_EQ(options.replayFile, "a.log");
    EXPECT_EQ(options.replayReportFile, "r.txt");
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--replay"},
                                                 std::vector<std::string>{"--replay-report", "r.txt"}}) {
        SSimOptions o;
        EXPECT_FALSE(ParseSimOptions(bad, o, error)) << bad[0];
    }
}

} // namespace
