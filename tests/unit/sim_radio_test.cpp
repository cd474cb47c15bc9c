// The simulator's radio dialects, in the forms the program reads them.

#include "sim_maxstream.h"
#include "sim_microhard.h"
#include "sim_satel.h"

#include <gtest/gtest.h>

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

// A Microhard reply: the echo, a CR, then each line framed by CR LF, then the result.
std::string Microhard(const std::string& echo, const std::string& line, const char* result = "OK")
{
    return echo + "\r" + (line.empty() ? "" : "\r\n" + line + "\r\n") + "\r\n" + result + "\r\n";
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
    EXPECT_NE(radio.Receive("ATI255\r\n", now += 1200).find("MHX920"), std::string::npos);
}

TEST(SimMicrohard, AnswersInTheFormsTheDialogsRead)
{
    CSimMicrohard radio(Settings());
    long long now = 0;
    EXPECT_EQ(radio.Receive("ATI255\r\n", now), "");   // data mode: nothing
    Escape(radio, now);
    EXPECT_EQ(radio.Receive("ATI255\r\n", now), Microhard("ATI255", CSimMicrohard::Product));
    EXPECT_EQ(radio.Receive("ATS104?\r\n", now), Microhard("ATS104?", "104"));

    // The firmware is read as the line after "Inc.".
    const std::string listing = radio.Receive("AT&V\r\n", now);
    EXPECT_EQ(listing.rfind(std::string("AT&V\r\r\n") + CSimMicrohard::Product + "\r\n", 0), 0u);
    EXPECT_NE(listing.find(std::string("Inc.\r\n\r\n") + CSimMicrohard::Firmware + "\r\n"), std::string::npos);
    EXPECT_EQ(listing.substr(listing.size() - 6), "\r\nOK\r\n");
    EXPECT_EQ(listing.find("2B"), std::string::npos);   // would confuse the probe's "2B" search

    EXPECT_EQ(radio.Receive("ATS104=109\r\n", now), Microhard("ATS104=109", ""));
    EXPECT_EQ(radio.Receive("ATS104?\r\n", now), Microhard("ATS104?", "109"));
    EXPECT_EQ(radio.Receive("ATS104=abc\r\n", now), Microhard("ATS104=abc", "", "ERROR"));
    EXPECT_EQ(radio.Receive("ATS999?\r\n", now), Microhard("ATS999?", "", "ERROR"));
    radio.Receive("ATS108=25\r\nAT&W\r\nAT&F10\r\n", now);
    EXPECT_EQ(radio.Register(108), "30");
    EXPECT_EQ(radio.Register(104), "101");

    EXPECT_EQ(radio.Receive("ATO\r\n", now), Microhard("ATO", ""));
    EXPECT_FALSE(radio.InCommandMode());
    EXPECT_EQ(radio.Receive("ATS104?\r\n", now), "");
}

TEST(SimMicrohard, SignalReadingWithAndWithoutLink)
{
    for (bool link : {true, false}) {
        CSimMicrohard radio(Settings(link));
        long long now = 0;
        Escape(radio, now);
        // Above 120 reads as no signal.
        EXPECT_EQ(radio.Receive("ATS123?\r\n", now), Microhard("ATS123?", link ? "68" : "130"));
    }
}

TEST(SimMaxstream, AnswersInTheFormsTheDialogsRead)
{
    CSimMaxstream radio(Settings());
    long long now = 0;
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "");   // data mode: nothing
    EXPECT_EQ(Escape(radio, now), "OK\r");
    // The probe reads the radio ID from 3 characters after "2B" up to CR.
    EXPECT_EQ(radio.Receive("ATVL\r\n", now), "9XStream-PKG-R\rFirm 4.30\rBuild 2025-06-12\r2B=2\r");

    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "2\r");
    for (const char* fixed : {"ATDT=5", "ATHP=5", "ATBR=0", "ATRR=0", "ATMT=0", "ATTX=1", "ATPL=4", "ATCT=C8", "ATWR"})
        EXPECT_EQ(radio.Receive(std::string(fixed) + "\r\n", now), "OK\r") << fixed;
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "5\r");
    EXPECT_EQ(radio.Parameter("CT"), "C8");
    EXPECT_EQ(radio.Receive("ATDT=XY\r\n", now), "ERROR\r");
    EXPECT_EQ(radio.Receive("ATZZ\r\n", now), "ERROR\r");
    radio.Receive("ATRE\r\n", now);
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "0\r");

    // Packet count and signal level in hexadecimal; the count moves only while the link is up.
    EXPECT_EQ(radio.Receive("ATGD\r\n", now), "1A48\r");
    EXPECT_EQ(radio.Receive("ATGD\r\n", now + 3000), "1A52\r");
    EXPECT_EQ(radio.Receive("ATDB\r\n", now), "46\r");

    EXPECT_EQ(radio.Receive("ATCN\r\n", now), "OK\r");
    EXPECT_EQ(radio.Receive("ATDT?\r\n", now), "");

    CSimMaxstream unlinked(Settings(false));
    now = 0;
    Escape(unlinked, now);
    EXPECT_EQ(unlinked.Receive("ATGD\r\n", now), "1A40\r");
    EXPECT_EQ(unlinked.Receive("ATGD\r\n", now + 5000), "1A40\r");
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

    // The probe reads between the first two "MHz" (and "mW"); the dialog takes up to 10 characters
    // from 10 before the first "MHz", to a blank or CR.
    EXPECT_EQ(radio.Receive("SL&F?\r\n", 0), "434.50000 MHz 434.50000 MHz 500 mW 500 mW\r\n");
}

TEST(SimSatel, SignalTextReadBetweenTwoUnits)
{
    EXPECT_EQ(CSimSatel(Settings(true)).Receive("SL@R?\r\n", 0), "dBm-78 dBm\r\n");
    EXPECT_EQ(CSimSatel(Settings(false)).Receive("SL@R?\r\n", 0), "dBm<-110 dBm\r\n");
}
