// The simulated receiver and the routing to its radio, checked against the program's reply rules.

#include "sim_device.h"

#include "base/base_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using List = std::vector<std::string>;

SSimDeviceConfig Config(const std::string& receiver, const std::string& radio = "none")
{
    SSimDeviceConfig c;
    c.receiver = receiver;
    c.radio = radio;
    return c;
}

std::string Line(std::string_view sentence)
{
    return std::string(sentence) + "\r\n";
}

List Sentences(const std::string& text)
{
    List out;
    for (size_t pos = 0; (pos = text.find('$', pos)) != std::string::npos;) {
        const auto end = text.find("\r\n", pos);
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

// What the device sends on its own from `from` to `to`, ticked every 50 ms.
std::string Emitted(CSimDevice& device, long long from, long long to)
{
    std::string out;
    for (long long t = from; t <= to; t += 50)
        out += device.Tick(t);
    return out;
}

double Volts(CSimDevice& device, long long now)
{
    return std::atof(device.Receive("$KBASE,VOLTAGE\r\n", now).c_str() + 15);
}

}  // namespace

TEST(SimReceiver, BaseAnswersEveryQueryWithItsReplyPrefix)
{
    CSimDevice device(Config("base"));
    namespace R = BaseCommands::Replies;
    const std::pair<std::string_view, std::string_view> queries[] = {
        {BaseCommands::PeakSnr, R::PeakSnr},     {BaseCommands::Sats, R::Sats},
        {BaseCommands::StDev, R::StDev},         {BaseCommands::PowerSource, R::PowerSource},
        {BaseCommands::Voltage, R::Voltage},     {BaseCommands::BatteryTime, R::BatteryTime},
        {BaseCommands::Version, R::Version},     {BaseCommands::BootVersion, R::BootVersion},
        {BaseCommands::ReferencePosition, R::ReferencePosition}, {"$JAPP", R::AppBase}, {"$JI", "$>JI,"},
    };
    for (const auto& [query, prefix] : queries) {
        const std::string reply = device.Receive(Line(query), 1000);
        EXPECT_EQ(reply.rfind(prefix, 0), 0u) << query << " -> " << reply;
        EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
        EXPECT_EQ(reply.find('*'), std::string::npos) << "a checksum would end up in the value";
    }
    EXPECT_EQ(device.Receive("$KBASE,PSOURCE\r\n", 0), "$KBASE,PSOURCE,1\r\n");
    EXPECT_EQ(device.Receive("$KBASE,BATTIME\r\n", 0), "$KBASE,BATTIME,950,0\r\n");
    // Sentences without a reply stay silent; a sentence split over reads is still one sentence.
    for (const char* quiet : {"$KBASE,WATCHDOG,0", "$JCONN,A,D", "$JASC,DFX,1", "$JBIN,1", "$KBASE,NONSENSE"})
        EXPECT_EQ(device.Receive(Line(quiet), 0), "") << quiet;
    EXPECT_EQ(device.Receive("$KBASE,SA", 0), "");
    EXPECT_EQ(device.Receive("TS\r\n", 0).rfind("$KBASE,SATS,", 0), 0u);
}

TEST(SimReceiver, BatteryDrainsOnItsOwnAndNotOnExternalPower)
{
    CSimDevice battery(Config("base"));
    const double start = Volts(battery, 0);
    EXPECT_LT(Volts(battery, 3600000), start - 0.5);
    EXPECT_EQ(battery.Receive("$KBASE,BATTIME\r\n", 3600000), "$KBASE,BATTIME,350,1\r\n");   // 11.70 V: low

    auto config = Config("base");
    config.externalPower = true;
    CSimDevice mains(config);
    EXPECT_EQ(mains.Receive("$KBASE,PSOURCE\r\n", 0), "$KBASE,PSOURCE,0\r\n");
    EXPECT_GE(Volts(mains, 3600000), 12.6);
}

TEST(SimReceiver, SettingsAreChangedReportedAndSaved)
{
    CSimDevice device(Config("base"));
    EXPECT_EQ(Sentences(device.Receive("$KBASE,CONFIG\r\n", 0)),
              (List{"$KBASE,INTBATVCRITICAL,11.00", "$KBASE,INTBATVWARN,12.00", "$KBASE,EXTBATVWARN,12.00",
                    "$KBASE,INTBATDR,500", "$KBASE,EXTBATDR,500"}));
    std::string write = Line(BaseCommands::IntBatVCritical(10.5)) + Line(BaseCommands::ExtBatVCritical(10.25)) +
                        Line(BaseCommands::IntBatVWarn(11.75)) + Line(BaseCommands::ExtBatVWarn(11.5)) +
                        Line(BaseCommands::IntBatDr(750)) + Line(BaseCommands::ExtBatDr(600));
    EXPECT_EQ(device.Receive(write, 0), "");
    EXPECT_EQ(device.Receiver()->Battery().extVCritical, 10.25);
    EXPECT_NE(device.Receiver()->StoredBattery(), device.Receiver()->Battery());
    device.Receive(Line(BaseCommands::Save), 0);
    EXPECT_EQ(device.Receiver()->StoredBattery(), device.Receiver()->Battery());
    device.Receive("$KBASE,INTBATDR,abc\r\n", 0);   // not a number: ignored
    EXPECT_EQ(Sentences(device.Receive("$KBASE,CONFIG\r\n", 0)),
              (List{"$KBASE,INTBATVCRITICAL,10.50", "$KBASE,INTBATVWARN,11.75", "$KBASE,EXTBATVWARN,11.50",
                    "$KBASE,INTBATDR,750", "$KBASE,EXTBATDR,600"}));

    // Fault: one setting's writes are dropped without a word; the others still change.
    SSimDeviceConfig faulty = Config("base");
    faulty.ignoreSetting = "INTBATVWARN";
    CSimDevice ignoring(faulty);
    EXPECT_EQ(ignoring.Receive(write, 0), "");
    EXPECT_EQ(ignoring.Receiver()->Battery().intVWarn, 12.0);
    EXPECT_EQ(ignoring.Receiver()->Battery().intVCritical, 10.5);
}

TEST(SimReceiver, MarksWrittenComeBackInOrder)
{
    CSimDevice device(Config("base"));
    // The reference position is one of the shipped marks, so the program can show it "In Use".
    const auto shipped = Sentences(device.Receive("$KBASE,MARKS\r\n", 0));
    ASSERT_EQ(shipped.size(), 3u);
    const SSimMark& ref = device.Receiver()->Reference();
    EXPECT_EQ(shipped[0], "$KBASE,MARKS," + ref.lat + "," + ref.lon + "," + ref.alt);

    device.Receive(Line(BaseCommands::ClearMarks), 0);
    EXPECT_EQ(device.Receive("$KBASE,MARKS\r\n", 0), "");
    device.Receive(Line(BaseCommands::AddMark("51.5", "-1.25", "100")) + Line(BaseCommands::AddMark("1", "2", "3,4")) +
                       Line(BaseCommands::AddMark("51.5", "-1.25", "100")),
                   0);
    EXPECT_EQ(device.Receive("$KBASE,MARKS\r\n", 0),
              "$KBASE,MARKS,51.5,-1.25,100\r\n$KBASE,MARKS,1,2,3,4\r\n$KBASE,MARKS,51.5,-1.25,100\r\n");
    // The base keeps using its reference position after its list is replaced.
    EXPECT_EQ(device.Receive("$JRTK,17\r\n", 0), "$>JRTK,17," + ref.lat + "," + ref.lon + "," + ref.alt + "\r\n");

    for (size_t i = 0; i < CSimReceiver::MaxMarks + 5; ++i)
        device.Receive("$KBASE,ADDMARK,1,2,3\r\n", 0);
    EXPECT_EQ(device.Receiver()->Marks().size(), CSimReceiver::MaxMarks);
}

TEST(SimReceiver, RoverAnswersTheEngineButNotTheBaseCommandsAndBridgesWithJconn)
{
    CSimDevice device(Config("rover", "maxstream"));
    const std::string app = device.Receive("$JAPP\r\n", 0);
    EXPECT_EQ(app.rfind("$>JAPP,LOCRTK", 0), 0u);
    EXPECT_EQ(app.find(BaseCommands::Replies::AppBase), std::string::npos);
    EXPECT_EQ(device.Receive("$JRTK,17\r\n", 0).rfind("$>JRTK,17,", 0), 0u);
    EXPECT_EQ(device.Receive("$KBASE,VOLTAGE\r\n$KBASE,MARKS\r\n$KBASE,CONFIG\r\n$KBASE,PASSTHROUGH,1\r\n", 0), "");
    EXPECT_FALSE(device.Receiver()->Routing());
    device.Receive("$JCONN,B,D\r\n", 0);
    EXPECT_TRUE(device.Receiver()->Routing());
    device.Receive("$JCONN,X\r\n", 0);
    EXPECT_FALSE(device.Receiver()->Routing());
}

TEST(SimReceiver, NmeaOnceASecondUnlessSwitchedOffOrRouted)
{
    CSimDevice device(Config("base", "microhard"));
    const std::string out = Emitted(device, 0, 5000);
    EXPECT_EQ(Sentences(out).size(), 5u);
    EXPECT_EQ(out.rfind("$GPGGA,", 0), 0u);
    device.Receive("$KBASE,PASSTHROUGH,1\r\n", 5000);
    EXPECT_EQ(Emitted(device, 5000, 8000), "");
    device.Receive("$KBASE,PASSTHROUGH,0\r\n$JASC,GPGGA,0\r\n", 8000);
    EXPECT_EQ(Emitted(device, 8000, 11000), "");
    device.Receive("$JASC,GPGGA,1\r\n", 11000);
    EXPECT_EQ(Sentences(Emitted(device, 11000, 13000)).size(), 2u);
}

TEST(SimDevice, PassThroughRoutesToTheRadioUntilSwitchedOff)
{
    CSimDevice device(Config("base", "microhard"));
    long long now = 0;
    // Without pass-through the radio hears nothing.
    device.Receive("+++", now += 1500);
    EXPECT_EQ(device.Tick(now += 1500), "");
    device.Receive("$KBASE,PASSTHROUGH,1\r\n", now += 1500);
    device.Receive("+++", now += 1500);
    EXPECT_EQ(device.Tick(now += 1500), "\r\nOK\r\n");
    EXPECT_NE(device.Receive("ATI255\r\n", now).find("MHX920"), std::string::npos);
    // Still a receiver: it hears its own sentences in pass-through.
    EXPECT_EQ(device.Receive("$JAPP\r\n", now).rfind("$>JAPP,RTKBAS", 0), 0u);
    device.Receive("ATO\r\nATCN\r\n$KBASE,PASSTHROUGH,0\r\n", now += 20);
    EXPECT_FALSE(device.Receiver()->Routing());
    EXPECT_EQ(device.Receive("ATI255\r\n", now), "");
}

TEST(SimDevice, SilentAnswersNothingAndDirectOrWithoutReceiverEverythingGoesToTheRadio)
{
    auto config = Config("base", "satel");
    config.silent = true;
    CSimDevice silent(config);
    EXPECT_EQ(silent.Receive("$JAPP\r\n$KBASE,MARKS\r\n$KBASE,PASSTHROUGH,1\r\nSL&F?\r\n", 0), "");
    EXPECT_EQ(Emitted(silent, 0, 3000), "");

    for (bool direct : {true, false}) {
        config = Config(direct ? "base" : "none", "satel");
        config.direct = direct;
        CSimDevice device(config);
        EXPECT_EQ(device.Receive("$JAPP\r\n", 0), "");
        EXPECT_NE(device.Receive("SL&F?\r\n", 0).find("MHz"), std::string::npos);
    }
}
