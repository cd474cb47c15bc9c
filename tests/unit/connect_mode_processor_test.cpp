#include <gtest/gtest.h>

#include <string>

#include "connection/mode_processor.h"
#include "connection/model.h"

namespace {

struct Fixture {
    CModel model;
    CModeProcessor processor{&model};
    Fixture(int kind, int mode)
    {
        model.SetReceiverKind(kind);
        model.SetModeCode(mode);
    }
};

}  // namespace

TEST(ConnectModeSentence, RecognisesBaseAndEveryRoverApplication)
{
    Fixture f(ReceiverKinds::Unknown, ModeCodes::BaseConfiguration);
    f.processor.OnModeSentence("$>JAPP,RTKBAS,LOCDIF");
    EXPECT_EQ(f.model.GetReceiverKind(), ReceiverKinds::Base);  // base is tested first

    for (const char* s : {"$>JAPP,LOCDIF,x", "$>JAPP,LOCRTK", "xx$>JAPP,AUTODIFF", "$>JAPP,WAAS,1"}) {
        f.model.SetReceiverKind(ReceiverKinds::Unknown);
        f.processor.OnModeSentence(s);
        EXPECT_EQ(f.model.GetReceiverKind(), ReceiverKinds::Rover) << s;
    }

    f.processor.OnModeSentence("$>JAPP,OTHER");
    f.processor.OnModeSentence("$KBASE,SATS,9");
    EXPECT_EQ(f.model.GetReceiverKind(), ReceiverKinds::Rover);  // unrelated sentences change nothing
}

// Each make behind a base or a rover, and the direct Microhard base, are also run end to end.
TEST(ConnectRadioText, ModeFollowsTheReceiverThenTheDirectChoice)
{
    namespace K = ReceiverKinds;
    namespace M = ModeCodes;
    struct Case { int kind; int mode; const char* text; int expected; } cases[] = {
        {K::Unknown, M::DirectRover, "\r\nMHX920 v1.2\r\n", M::MicrohardRover},
        {K::Rover, M::DirectBase, "MHX920", M::MicrohardRover},  // the receiver wins
        {K::Unknown, M::RadioConfiguration, "MHX920", M::RadioConfiguration},
        // Maxstream and Satel need a known receiver.
        {K::Unknown, M::DirectBase, "Firm 438.1 MHz 438.1 MHz", M::DirectBase},
        {K::Unknown, M::DirectRover, "Firm 438.1 MHz 438.1 MHz", M::DirectRover},
        // The first matching make decides, even when it sets nothing.
        {K::Base, M::RadioConfiguration, "MHX920 Firm MHz", M::MicrohardBase},
        {K::Unknown, M::RadioConfiguration, "MHX920 Firm", M::RadioConfiguration},
    };
    for (const auto& c : cases) {
        Fixture f(c.kind, c.mode);
        f.processor.OnRadioText(c.text);
        EXPECT_EQ(f.model.GetModeCode(), c.expected) << c.kind << " " << c.mode << " " << c.text;
    }

    // The identification may arrive in pieces.
    Fixture pieces(K::Base, M::RadioConfiguration);
    pieces.processor.OnRadioText("garbage MH");
    EXPECT_EQ(pieces.model.GetModeCode(), M::RadioConfiguration);
    pieces.processor.OnRadioText("X92");
    pieces.processor.OnRadioText("0");
    EXPECT_EQ(pieces.model.GetModeCode(), M::MicrohardBase);
    EXPECT_EQ(pieces.processor.Accumulator(), "garbage MHX920");
}

TEST(ConnectRadioText, SatelFrequencyAndPowerSitBetweenTheirUnits)
{
    // The character just before the second unit is not part of the number.
    Fixture f(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    f.processor.OnRadioText("Freq MHz869.52MHz\r\nPower mW 500 mW\r\n");
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::SatelBase);
    EXPECT_DOUBLE_EQ(f.model.GetRadioFrequency(), 869.5);
    EXPECT_EQ(f.model.GetRadioPower(), 500);

    // One unit alone gives zero; power stays until there are two "mW".
    Fixture one(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    one.model.SetRadioFrequency(400.0);
    one.processor.OnRadioText("438.125 MHz");
    EXPECT_DOUBLE_EQ(one.model.GetRadioFrequency(), 0.0);
    EXPECT_EQ(one.model.GetRadioPower(), 1000);
    one.processor.OnRadioText(" 10 mW");
    EXPECT_EQ(one.model.GetRadioPower(), 0);
}

TEST(ConnectRadioText, TwoBValueRunsToTheNextCarriageReturn)
{
    Fixture f(ReceiverKinds::Rover, ModeCodes::RadioConfiguration);
    f.processor.OnRadioText("ATVL\r\n2B=4");
    EXPECT_EQ(f.model.GetRadio2BValue(), 0);  // no CR yet
    f.processor.OnRadioText("2\r\nFirm");
    EXPECT_EQ(f.model.GetRadio2BValue(), 42);
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::MaxstreamRover);
}

TEST(ConnectRadioText, AccumulatorStartsOverWhenFull)
{
    for (std::size_t held : {4999u, 5000u}) {
        Fixture f(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
        f.processor.OnRadioText(std::string(held, '.'));
        f.processor.OnRadioText("MHX920");  // appended below 5000 held; else dropped, and the rest emptied
        const bool kept = held < 5000;
        EXPECT_EQ(f.model.GetModeCode(), kept ? ModeCodes::MicrohardBase : ModeCodes::RadioConfiguration) << held;
        EXPECT_EQ(f.processor.Accumulator().size(), kept ? 5005u : 0u) << held;
        f.processor.OnRadioText("MHX920");
        EXPECT_EQ(f.model.GetModeCode(), ModeCodes::MicrohardBase) << held;
    }
}

TEST(ConnectNumbers, LongestNumericPrefixOrZero)
{
    EXPECT_DOUBLE_EQ(ReadDecimal("  438.125abc"), 438.125);
    EXPECT_DOUBLE_EQ(ReadDecimal("-1.5"), -1.5);
    EXPECT_DOUBLE_EQ(ReadDecimal("+2"), 2.0);
    EXPECT_DOUBLE_EQ(ReadDecimal(":1"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimal(""), 0.0);
    EXPECT_EQ(ReadInteger(" 500 mW"), 500);
    EXPECT_EQ(ReadInteger("-7x"), -7);
    EXPECT_EQ(ReadInteger("x7"), 0);
    EXPECT_EQ(ReadInteger("99999999999"), 2147483647);
}
