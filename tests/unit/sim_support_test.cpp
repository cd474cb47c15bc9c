// The simulator's COM alias registration, command line and log escaping.

#include "sim_com_link.h"
#include "sim_log.h"
#include "sim_options.h"
#include "sim_receiver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TempDir {
    std::string path = [] {
        std::string pattern = (fs::temp_directory_path() / "sim-support-XXXXXX").string();
        return std::string(mkdtemp(pattern.data()));
    }();
    ~TempDir() { fs::remove_all(path); }
};

std::string LinkTarget(const std::string& path)
{
    std::error_code ec;
    return fs::read_symlink(path, ec).string();
}

}  // namespace

TEST(SimComLink, ClaimsTheLowestFreeNumberAndNeverALiveOne)
{
    TempDir tmp;
    const std::string dir = tmp.path + "/com";
    const std::string liveA = tmp.path + "/deviceA", liveB = tmp.path + "/deviceB";
    std::ofstream(liveA).put('x');
    std::ofstream(liveB).put('x');
    std::string error;

    EXPECT_EQ(ClaimSimComLink(dir, liveA, 0, error), 5);   // creates the folder
    EXPECT_EQ(LinkTarget(dir + "/com5"), liveA);
    EXPECT_EQ(ClaimSimComLink(dir, liveB, 0, error), 6);   // a second simulator
    // A live alias in another case holds its number too.
    fs::create_symlink(liveA, dir + "/COM7");
    EXPECT_EQ(ClaimSimComLink(dir, liveB, 0, error), 8);
    // A live alias is never taken over, even when asked for.
    EXPECT_EQ(ClaimSimComLink(dir, liveB, 5, error), -1);
    EXPECT_NE(error.find("COM5"), std::string::npos);
    EXPECT_EQ(LinkTarget(dir + "/com5"), liveA);
    // A dead one (its device is gone) is replaced.
    fs::create_symlink(tmp.path + "/gone", dir + "/Com9");
    EXPECT_EQ(ClaimSimComLink(dir, liveB, 9, error), 9);
    EXPECT_FALSE(fs::is_symlink(dir + "/Com9"));
    EXPECT_EQ(LinkTarget(dir + "/com9"), liveB);
    fs::remove(dir + "/com6");
    fs::create_symlink(tmp.path + "/gone", dir + "/com6");
    EXPECT_EQ(ClaimSimComLink(dir, liveA, 0, error), 6);

    // Release removes only a link that is still the simulator's own.
    ReleaseSimComLink(dir, 5, liveB);
    EXPECT_TRUE(fs::is_symlink(dir + "/com5"));
    ReleaseSimComLink(dir, 5, liveA);
    EXPECT_FALSE(fs::is_symlink(dir + "/com5"));
}

TEST(SimOptions, DefaultsValuesAndErrors)
{
    SSimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({}, o, error));
    EXPECT_EQ(std::tie(o.receiver, o.radio, o.guardMs, o.com), std::make_tuple("base", "none", 1000, 0));

    ASSERT_TRUE(ParseSimOptions({"--com", "12", "--receiver", "rover", "--radio", "satel", "--direct", "--silent",
                                 "--marks", "m.txt", "--log", "l.txt", "--exit-after", "2.5", "--guard-ms", "100",
                                 "--power", "external", "--link", "down"},
                                o, error))
        << error;
    EXPECT_EQ(std::tie(o.com, o.receiver, o.radio, o.marksFile, o.logFile, o.exitAfterSeconds, o.guardMs),
              std::make_tuple(12, std::string("rover"), std::string("satel"), std::string("m.txt"),
                              std::string("l.txt"), 2.5, 100));
    EXPECT_TRUE(o.direct && o.silent && o.externalPower && !o.linkUp);

    for (std::vector<std::string> bad : {std::vector<std::string>{"--com"}, {"--com", "0"}, {"--com", "x"},
                                         {"--radio", "motorola"}, {"--receiver", "BASE"}, {"--exit-after", "-1"},
                                         {"--guard-ms", "0"}, {"--bogus"}, {"--unplug-after", "0"},
                                         {"--replug-after", "1"}}) {
        SSimOptions fresh;
        EXPECT_FALSE(ParseSimOptions(bad, fresh, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
    // The pulled cable: once, once and back, or again and again (back after 2 s unless told).
    const struct { std::vector<std::string> args; double unplug, replug, every; } cables[] = {
        {{"--unplug-after", "3"}, 3, 0, 0},
        {{"--unplug-after", "3", "--replug-after", "1.5"}, 3, 1.5, 0},
        {{"--unplug-every", "4"}, 4, 2, 4},
        {{"--unplug-after", "1", "--unplug-every", "4", "--replug-after", "3"}, 1, 3, 4},
    };
    for (const auto& c : cables) {
        SSimOptions fresh;
        ASSERT_TRUE(ParseSimOptions(c.args, fresh, error)) << error;
        EXPECT_EQ(std::tie(fresh.unplugAfterSeconds, fresh.replugAfterSeconds, fresh.unplugEverySeconds),
                  std::tie(c.unplug, c.replug, c.every)) << c.args[0];
    }
    SSimOptions help;
    ASSERT_TRUE(ParseSimOptions({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(SimLog, EveryByteSurvivesEscaping)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string escaped = EscapeSimBytes(all);
    EXPECT_EQ(escaped.find('\n'), std::string::npos);
    EXPECT_EQ(UnescapeSimBytes(escaped), all);
    EXPECT_EQ(EscapeSimBytes("$JAPP\r\n+++ \\"), "$JAPP\\r\\n+++ \\\\");
}

TEST(SimMarksFile, ReadsOneMarkALine)
{
    TempDir tmp;
    const std::string path = tmp.path + "/marks.txt";
    std::ofstream(path) << "# survey\n51.5,-1.25,100\r\n\n  -33.9,151.2,7.5,extra\n";
    std::vector<SSimMark> marks;
    std::string error;
    ASSERT_TRUE(LoadSimMarks(path, marks, error)) << error;
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0], (SSimMark{"51.5", "-1.25", "100"}));
    EXPECT_EQ(marks[1], (SSimMark{"-33.9", "151.2", "7.5,extra"}));
    std::ofstream(path) << "51.5;-1.25\n";
    EXPECT_FALSE(LoadSimMarks(path, marks, error));
    // Nothing but a regular file is read: a folder fails, /dev/zero and a FIFO return at once.
    ASSERT_EQ(mkfifo((tmp.path + "/fifo").c_str(), 0600), 0);
    for (const std::string& bad : {tmp.path + "/missing", tmp.path, std::string("/dev/zero"), tmp.path + "/fifo"}) {
        error.clear();
        EXPECT_FALSE(LoadSimMarks(bad, marks, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
    EXPECT_EQ(marks.size(), 2u);
}

TEST(SimComLink, LinksToVanishedPseudoTerminalsAreSweptOthersStay)
{
    TempDir tmp;
    const std::string dir = tmp.path + "/com";
    fs::create_directories(dir);
    // What a simulator killed with SIGKILL leaves: a link to its pseudo-terminal, now gone.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string slave = ptsname(master);
    close(master);
    fs::create_symlink(slave, dir + "/com12");
    fs::create_symlink("/dev/serial/by-id/unplugged-adapter", dir + "/com13");  // the operator's pin
    const std::string live = tmp.path + "/device";
    std::ofstream(live).put('x');
    std::string error;
    EXPECT_EQ(ClaimSimComLink(dir, live, 0, error), 5);
    EXPECT_FALSE(fs::is_symlink(dir + "/com12"));
    EXPECT_TRUE(fs::is_symlink(dir + "/com13"));
}
