#include <gtest/gtest.h>

#include "connection/model.h"

TEST(Model, FreshModelHasItsDefaults)
{
    CModel m;
    EXPECT_EQ(m.GetModeCode(), 0);
    EXPECT_EQ(m.GetRadioPower(), 1000);
    EXPECT_DOUBLE_EQ(m.GetRadioFrequency(), 0.0);
    EXPECT_EQ(m.GetPresetPort(), -1);
    EXPECT_EQ(m.GetBaseFirmwareVersion(), "N/A");
    EXPECT_EQ(m.GetBaseBootloaderVersion(), "N/A");
    EXPECT_EQ(m.GetGpsEngineVersion(), "N/A");
    EXPECT_EQ(m.GetGpsSubscription(), "None");
    EXPECT_EQ(m.GetDirectConnectEnabled(), 0);
    EXPECT_EQ(m.GetWriteDefaultsFlags(), 0);
    EXPECT_EQ(m.GetLanguageModule(), nullptr);
}
