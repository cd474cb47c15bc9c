// The simulator's fault options: a refused command, command mode dropped when idle, replies in pieces.

#include "sim_device.h"
#include "sim_options.h"

#include <gtest/gtest.h>

namespace {

SSimDeviceConfig Direct(const char* radio)
{
    SSimDeviceConfig c;
    c.receiver = "none";
    c.radio = radio;
    c.direct = true;
    return c;
}

std::string Escape(CSimDevice& d, long long& now)
{
    now += 1200;
    std::string out = d.Receive("+++", now);
    now += 1200;
    return out + d.Tick(now);
}

}  // namespace

TEST(SimFaults, RefusedCommandInEveryDialect)
{
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        {"microhard", "ATS104=", "ATS104=108\r\n", "ATS104=108\r\r\nERROR\r\n"},
        {"maxstream", "ATDT", "ATDT5\r\n", "ERROR\r"},
        {"satel", "sl&f=", "SL&F=434.125\r\n", "ERROR\r\n"},
    };
    for (const auto& [radio, refuse, line, error] : cases) {
        SSimDeviceConfig c = Direct(radio);
        c.refuse = refuse;
        CSimDevice d(c);
        long long now = 0;
        if (std::string(radio) != "satel")
            Escape(d, now);
        EXPECT_EQ(d.Receive(line, now += 10), error) << radio;
    }
}

TEST(SimFaults, IdleDropAndPieces)
{
    SSimDeviceConfig c = Direct("microhard");
    c.commandIdleMs = 3000;
    c.replyPieceBytes = 4;
    CSimDevice d(c);
    long long now = 0;
    std::string out = Escape(d, now);
    EXPECT_EQ(d.NextEventMs(now), now + 50);  // the next piece
    for (int i = 0; i < 10; ++i)
        out += d.Tick(now += 50);
    EXPECT_EQ(d.NextEventMs(now), 2400 + 3000);  // the idle drop, counted from the escape's end
    EXPECT_EQ(out, "\r\nOK\r\n");
    std::string reply = d.Receive("AT\r", now += 100);
    EXPECT_EQ(reply, "AT\r\r");
    for (int i = 0; i < 5; ++i)
        reply += d.Tick(now += 50);
    EXPECT_EQ(reply, "AT\r\r\nOK\r\n");
    // Silence past the idle time: back in data mode, commands go unanswered.
    EXPECT_EQ(d.Receive("AT\r", now += 3000), "");

    SSimOptions o;
    std::string error;
    EXPECT_TRUE(ParseSimOptions({"--refuse", "ATS104=", "--command-idle-ms", "500", "--reply-pieces", "3",
                                 "--ignore-setting", "INTBATVWARN"},
                                o, error));
    EXPECT_EQ(o.refuse, "ATS104=");
    EXPECT_EQ(o.ignoreSetting, "INTBATVWARN");
    EXPECT_EQ(o.commandIdleMs, 500);
    EXPECT_EQ(o.replyPieceBytes, 3);
    EXPECT_FALSE(ParseSimOptions({"--reply-pieces", "0"}, o, error));
}
