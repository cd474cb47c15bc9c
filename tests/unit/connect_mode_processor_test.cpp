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

TEST(ConnectRadioText, MicrohardModesFollowTheReceiverThenTheDirectChoice)
{
    struct Case { int kind; int mode; int expected; } cases[] = {
        {ReceiverKinds::Base, ModeCodes::RadioConfiguration, ModeCodes::MicrohardBase},
        {ReceiverKinds::Rover, ModeCodes::RadioConfiguration, ModeCodes::MicrohardRover},
        {ReceiverKinds::Unknown, ModeCodes::DirectBase, ModeCodes::MicrohardBase},
        {ReceiverKinds::Unknown, ModeCodes::DirectRover, ModeCodes::MicrohardRover},
        {ReceiverKinds::Rover, ModeCodes::DirectBase, ModeCodes::MicrohardRover},  // the receiver wins
        {ReceiverKinds::Unknown, ModeCodes::RadioConfiguration, ModeCodes::RadioConfiguration},
    };
    for (const auto& c : cases) {
        Fixture f(c.kind, c.mode);
        f.processor.OnRadioText("\r\nMHX920 v1.2\r\n");
        EXPECT_EQ(f.model.GetModeCode(), c.expected) << c.kind << " " << c.mode;
    }
}

TEST(ConnectRadioText, MaxstreamAndSatelNeedAKnownReceiver)
{
    Fixture base(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    base.processor.OnRadioText("Firmware 1.0");
    EXPECT_EQ(base.model.GetModeCode(), ModeCodes::MaxstreamBase);

    Fixture rover(ReceiverKinds::Rover, ModeCodes::RadioConfiguration);
    rover.processor.OnRadioText("Firm");
    EXPECT_EQ(rover.model.GetModeCode(), ModeCodes::MaxstreamRover);

    for (int mode : {ModeCodes::DirectBase, ModeCodes::DirectRover}) {
        Fixture direct(ReceiverKinds::Unknown, mode);
        direct.processor.OnRadioText("Firm");
        direct.processor.OnRadioText(" 438.1 MHz 438.1 MHz");
        EXPECT_EQ(direct.model.GetModeCode(), mode);
    }

    Fixture satel(ReceiverKinds::Rover, ModeCodes::RadioConfiguration);
    satel.processor.OnRadioText("MHz");
    EXPECT_EQ(satel.model.GetModeCode(), ModeCodes::SatelRover);
}

TEST(ConnectRadioText, FirstMatchingMakeDecidesEvenWithoutAMode)
{
    // Microhard matches first; with no receiver and no direct choice it sets nothing, and the
    // Maxstream marker in the same text is not considered.
    Fixture f(ReceiverKinds::Unknown, ModeCodes::RadioConfiguration);
    f.processor.OnRadioText("MHX920 Firm");
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::RadioConfiguration);
    f.model.SetReceiverKind(ReceiverKinds::Base);
    f.processor.OnRadioText("");
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::MicrohardBase);
}

TEST(ConnectRadioText, SatelFrequencyAndPowerSitBetweenTheirUnits)
{
    Fixture f(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    f.processor.OnRadioText("Freq MHz 438.12500 MHz\r\nPower mW 500 mW\r\n");
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::SatelBase);
    EXPECT_DOUBLE_EQ(f.model.GetRadioFrequency(), 438.125);
    EXPECT_EQ(f.model.GetRadioPower(), 500);

    // The character just before the second unit is not part of the number.
    Fixture digits(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    digits.processor.OnRadioText("MHz869.52MHz");
    EXPECT_DOUBLE_EQ(digits.model.GetRadioFrequency(), 869.5);
}

TEST(ConnectRadioText, SatelWithOneUnitGivesZeroAndKeepsPowerWithoutMilliwatts)
{
    Fixture f(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    f.model.SetRadioFrequency(400.0);
    f.processor.OnRadioText("438.125 MHz");
    EXPECT_DOUBLE_EQ(f.model.GetRadioFrequency(), 0.0);
    EXPECT_EQ(f.model.GetRadioPower(), 1000);

    f.processor.OnRadioText(" 10 mW");
    EXPECT_EQ(f.model.GetRadioPower(), 0);  // one "mW" only
}

TEST(ConnectRadioText, IdentificationMayArriveInPieces)
{
    Fixture f(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    f.processor.OnRadioText("garbage MH");
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::RadioConfiguration);
    f.processor.OnRadioText("X92");
    f.processor.OnRadioText("0");
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::MicrohardBase);
    EXPECT_EQ(f.processor.Accumulator(), "garbage MHX920");
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
    Fixture f(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    f.processor.OnRadioText(std::string(4999, '.'));
    f.processor.OnRadioText("MHX920");  // 4999 held: still appended
    EXPECT_EQ(f.model.GetModeCode(), ModeCodes::MicrohardBase);
    EXPECT_EQ(f.processor.Accumulator().size(), 5005u);

    Fixture full(ReceiverKinds::Base, ModeCodes::RadioConfiguration);
    full.processor.OnRadioText(std::string(5000, '.'));
    full.processor.OnRadioText("MHX920");  // dropped, and the accumulator emptied
    EXPECT_EQ(full.model.GetModeCode(), ModeCodes::RadioConfiguration);
    EXPECT_TRUE(full.processor.Accumulator().empty());
    full.processor.OnRadioText("MHX920");
    EXPECT_EQ(full.model.GetModeCode(), ModeCodes::MicrohardBase);
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
