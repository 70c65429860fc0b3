#include "engine/core/display/EngineSettings.h"
#include "support/RecordingWorld.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kKey = "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\";

TEST(EngineSettings, DefaultsWithoutTheRegistryKey)
{
    RecordingWorld world;
    world.setRegistry("HKEY_LOCAL_MACHINE\\Software\\Elsewhere\\ResolutionWidth = dword:00000320\n");
    EngineSettings s;
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    EXPECT_EQ(s.windowed, 0);
    EXPECT_EQ(s.windowWidth, 960);
    EXPECT_EQ(s.windowHeight, 720);
    EXPECT_EQ(s.fixedFunction, 1);
    EXPECT_EQ(s.multisampleType, 0);
    EXPECT_EQ(s.multisampleQuality, 0u);
    EXPECT_EQ(s.adapterIndex, 0);
    EXPECT_EQ(s.displayFormat, D3DFMT_UNKNOWN);
    EXPECT_STREQ(s.title.c_str(), "Quenlight 3D Realtime Technology by Brennic");
}

TEST(EngineSettings, OnlyDwordValuesOverrideTheDefaults)
{
    RecordingWorld world;
    world.setRegistry(kKey + "ResolutionWidth = dword:00000320\n" + kKey + "ResolutionHeight = \"600\"\n" + kKey
                      + "MultisampleType = dword:00000004\n" + kKey + "MultisampleQuality = dword:ffffffff\n" + kKey
                      + "Windowed = dword:00000001\n");
    EngineSettings s;
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 768) << "a string value is ignored";
    EXPECT_EQ(s.multisampleType, 4);
    EXPECT_EQ(s.multisampleQuality, 0xFFFFFFFFu);
    EXPECT_EQ(s.windowed, 0) << "only the four named values are read";
}

} // namespace
