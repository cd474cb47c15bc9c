// The simulator's radio dialects, checked against the rules the program uses to read them.

#include "sim_maxstream.h"
#include "sim_microhard.h"
#include "sim_satel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

SSimRadioSettings Settings(bool linkUp = true)
{
    SSimRadioSettings s;
    s.guardMs = 1000;
    s.linkUp = linkUp;
    return s;
}

// Escape with the program's own pauses: 1200 ms of silence before and after "+++".
std::string Escape(CSimRadio& radio, long long& now)
{
    now += 1200;
    std::string out = radio.Receive("+++", now);
    now += 1200;
    return out + radio.Tick(now);
}

// Microhard settings query: the value follows the echo of the command, after CR/LF, up to the next CR;
// only once "OK" has arrived.
std::string MicrohardSetting(const std::string& reply, const std::string& command)
{
    auto echo = reply.find(command);
    if (echo == std::string::npos || reply.find("OK") == std::string::npos)
        return {};
    auto start = reply.find_first_not_of("\r\n", echo + command.size());
    return reply.substr(start, reply.find('\r', start) - start);
}

// Microhard firmware query: the line after "Inc.".
std::string MicrohardFirmware(const std::string& reply)
{
    auto inc = reply.find("Inc.");
    auto start = reply.find_first_not_of("\r\n", inc == std::string::npos ? 3 : inc + 4);
    return reply.substr(start, reply.find('\r', start) - start);
}

// Microhard rover thread: up to three characters from 7 after "123?", up to CR.
int MicrohardSignal(const std::string& reply)
{
    auto p = reply.find("123?");
    if (p == std::string::npos)
        return -999;
    std::string digits = reply.substr(p + 7, 3);
    return std::atoi(digits.substr(0, digits.find('\r')).c_str());
}

// Maxstream hexadecimal reading with a digit limit, up to the first CR; -1 if anything else comes first.
long HexReading(const std::string& text, int limit)
{
    long value = 0;
    int digits = 0;
    for (char c : text) {
        if (c == '\r')
            return value;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return -1;
        if (digits++ <= limit)
            value = value * 16 + std::stol(std::string(1, c), nullptr, 16);
    }
    return -1;
}

}  // namespace

TEST(SimMicrohard, EscapeNeedsSilenceOnBothSides)
{
    CSimMicrohard radio(Settings());
    long long now = 0;
    // Pluses right after data are data.
    radio.Receive("data", now += 1200);
    radio.Receive("+++", now += 100);
    EXPECT_EQ(radio.Tick(now += 1200), "");
    EXPECT_FALSE(radio.InCommandMode());
    // Pluses followed too soon by more bytes are data.
    radio.Receive("+++", now += 1200);
    radio.Receive("A", now += 100);
    EXPECT_EQ(radio.Tick(now += 1200), "");
    EXPECT_FALSE(radio.InCommandMode());
    // Framed by silence: command mode, answered once the closing guard has passed.
    radio.Receive("+++", now += 1200);
    EXPECT_EQ(radio.Tick(now + 500), "");
    EXPECT_EQ(radio.NextEventMs(), now + 750);
    EXPECT_EQ(radio.Tick(now += 1200), "\r\nOK\r\n");
    EXPECT_TRUE(radio.InCommandMode());
    // "+++" split over several reads still counts.
    radio.Receive("ATO\r\n", now += 20);
    radio.Receive("+", now += 1200);
    radio.Receive("++", now += 5);
    EXPECT_EQ(radio.Receive("ATI255\r\n", now += 1200).find("MHX920") != std::string::npos, true);
}

TEST(SimMicrohard, AnswersInTheFormsTheDialogsRead)
{
    CSimMicrohard radio(Settings());
    long long now = 0;
    EXPECT_EQ(radio.Receive("ATI255\r\n", now), "");   // data mode: nothing
    Escape(radio, now);
    EXPECT_NE(radio.Receive("ATI255\r\n", now).find("MHX920"), std::string::npos);
    EXPECT_EQ(MicrohardSetting(radio.Receive("ATS104?\r\n", now), "ATS104?"), "104");

    const std::string listing = radio.Receive("AT&V\r\n", now);
    EXPECT_NE(listing.find("MHX920"), std::string::npos);
    EXPECT_EQ(MicrohardFirmware(listing), CSimMicrohard::Firmware);
    EXPECT_EQ(listing.substr(listing.size() - 6), "\r\nOK\r\n");
    EXPECT_EQ(listing.find("2B"), std::string::npos);   // would confuse the probe's "2B" search

    EXPECT_NE(radio.Receive("ATS104=109\r\n", now).find("OK"), std::string::npos);
    EXPECT_EQ(MicrohardSetting(radio.Receive("ATS104?\r\n", now), "ATS104?"), "109");
    EXPECT_NE(radio.Receive("ATS104=abc\r\n", now).find("ERROR"), std::string::npos);
    EXPECT_NE(radio.Receive("ATS999?\r\n", now).find("ERROR"), std::string::npos);
    radio.Receive("ATS108=25\r\n", now);
    radio.Receive("AT&W\r\n", now);
    radio.Receive("AT&F10\r\n", now);
    EXPECT_EQ(radio.Register(108), "30");
    EXPECT_EQ(radio.Register(104), "101");

    const int signal = MicrohardSignal(radio.Receive("ATS123?\r\n", now));
    EXPECT_GT(signal, 0);
    EXPECT_LE(signal, 120);

    EXPECT_NE(radio.Receive("ATO\r\n", now).find("OK"), std::string::npos);
    EXPECT_FALSE(radio.InCommandMode());
    EXPECT_EQ(radio.Receive("ATS104?\r\n", now), "");
}

TEST(SimMicrohard, NoLinkReadsAsNoSignal)
{
    CSimMicrohard radio(Settings(false));
    long long now = 0;
    Escape(radio, now);
    EXPECT_GT(MicrohardSignal(radio.Receive("ATS123?\r\n", now)), 120);
}

TEST(SimMaxstream, AnswersInTheFormsTheDialogsRead)
{
    CSimMaxstream radio(Settings());
    long long now = 0;
    EXPECT_EQ(Escape(radio, now), "OK\r");
    const std::string listing = radio.Receive("ATVL\r\n", now);
    EXPECT_NE(listing.find("Firm"), std::string::npos);
    EXPECT_EQ(listing.find("MHX920"), std::string::npos);
    // The probe reads the radio ID from 3 characters after "2B" up to CR.
    auto b = listing.find("2B");
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(listing.substr(b + 3, listing.find('\r', b) - b - 3), "2");

    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "2\r");
    EXPECT_EQ(radio.Receive("ATDT=5\r\n", now), "OK\r");
    EXPECT_EQ(radio.Receive("ATHP=5\r\n", now), "OK\r");
    for (const char* fixed : {"ATBR=0", "ATRR=0", "ATMT=0", "ATTX=1", "ATPL=4", "ATCT=C8", "ATWR"})
        EXPECT_EQ(radio.Receive(std::string(fixed) + "\r\n", now), "OK\r") << fixed;
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "5\r");
    EXPECT_EQ(radio.Parameter("CT"), "C8");
    EXPECT_EQ(radio.Receive("ATDT=XY\r\n", now), "ERROR\r");
    EXPECT_EQ(radio.Receive("ATZZ\r\n", now), "ERROR\r");
    radio.Receive("ATRE\r\n", now);
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "0\r");

    const long first = HexReading(radio.Receive("ATGD\r\n", now), 5);
    const long later = HexReading(radio.Receive("ATGD\r\n", now + 3000), 5);
    EXPECT_GE(first, 0);
    EXPECT_NE(first, later);
    const long level = HexReading(radio.Receive("ATDB\r\n", now), 3);
    EXPECT_GT(level, 0);
    EXPECT_LT(level, 120);

    EXPECT_EQ(radio.Receive("ATCN\r\n", now), "OK\r");
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "");
}

TEST(SimMaxstream, PacketCountStandsStillWithoutLink)
{
    CSimMaxstream radio(Settings(false));
    long long now = 0;
    Escape(radio, now);
    EXPECT_EQ(radio.Receive("ATGD\r\n", now), radio.Receive("ATGD\r\n", now + 5000));
}

TEST(SimSatel, FrequencyAndPowerReadByProbeAndDialog)
{
    CSimSatel radio(Settings());
    // No escape: SL commands at any time; other lines are data.
    EXPECT_EQ(radio.Receive("+++ATVL\r\nATI255\r\n", 0), "");
    EXPECT_EQ(radio.Receive("SL&F=434.500\r\n", 0), "OK\r\n");
    EXPECT_EQ(radio.Receive("SL@P=500\r\n", 0), "OK\r\n");
    EXPECT_FALSE(radio.Stored());
    EXPECT_EQ(radio.Receive("SL**>\r\n", 0), "OK\r\n");
    EXPECT_TRUE(radio.Stored());
    EXPECT_EQ(radio.Receive("SL&F=abc\r\n", 0), "ERROR\r\n");

    // The probe sends "SL&F?" three times and reads between the first two "MHz" (and "mW").
    std::string text;
    for (int i = 0; i < 3; ++i)
        text += radio.Receive("SL&F?\r\n", 0);
    auto i = text.find("MHz");
    auto j = text.find("MHz", i + 1);
    EXPECT_DOUBLE_EQ(std::strtod(text.substr(i + 3, j - i - 4).c_str(), nullptr), 434.5);
    i = text.find("mW");
    j = text.find("mW", i + 1);
    EXPECT_EQ(std::atoi(text.substr(i + 2, j - i - 3).c_str()), 500);

    // The dialog takes up to 10 characters from 10 before the first "MHz", to a blank or CR.
    const std::string reply = radio.Receive("SL&F?\r\n", 0);
    const auto p = reply.find("MHz");
    ASSERT_GE(p, 10u);
    const std::string value = reply.substr(p - 10, 10);
    EXPECT_EQ(value.substr(0, value.find_first_of(" \r")), "434.50000");
}

TEST(SimSatel, SignalTextReadBetweenTwoUnits)
{
    for (bool link : {true, false}) {
        CSimSatel radio(Settings(link));
        std::string text;
        for (int i = 0; i < 3; ++i)
            text += radio.Receive("SL@R?\r\n", 0);
        auto e = text.find("dBm");
        auto f = text.find("dBm", e + 1);
        ASSERT_NE(f, std::string::npos);
        std::string value = text.substr(e + 3, f - 1 - (e + 3));
        std::erase(value, '<');
        EXPECT_EQ(value, link ? "-78" : "-110");
    }
}
