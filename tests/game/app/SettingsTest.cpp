#include "game/app/Settings.h"

#include "support/PlayerFolderRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::string settingsXml(const std::string& body, const std::string& rootAttributes = " version=\"0.4\"")
{
    return "<?xml version=\"1.0\" ?>\n<settings" + rootAttributes + ">" + body + "</settings>\n";
}

void expectSame(const Settings& a, const Settings& b)
{
    EXPECT_EQ(a.language, b.language);
    EXPECT_EQ(a.multilanguage, b.multilanguage);
    EXPECT_EQ(a.gameversion, b.gameversion);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.windowed, b.windowed);
    EXPECT_FLOAT_EQ(a.brightness, b.brightness);
    EXPECT_FLOAT_EQ(a.contrast, b.contrast);
    EXPECT_NEAR(a.gamma, b.gamma, 1e-6);
    EXPECT_FLOAT_EQ(a.sfxVolume, b.sfxVolume);
    EXPECT_FLOAT_EQ(a.musicVolume, b.musicVolume);
    EXPECT_EQ(a.textureDetail, b.textureDetail);
    EXPECT_EQ(a.objectDetail, b.objectDetail);
    EXPECT_EQ(a.shadowDetail, b.shadowDetail);
}

TEST(SettingsTest, EveryFieldRoundTripsThroughThePlayerFolder)
{
    PlayerFolderRig rig;
    Settings written;
    written.language = 3;
    written.multilanguage = 1;
    written.gameversion = "1.1 DE & <co>";
    written.width = 1600;
    written.height = 0;
    written.windowed = 1;
    written.brightness = 0.25f;
    written.contrast = 1.0f;
    written.gamma = 0.0f;
    written.sfxVolume = 0.125f;
    written.musicVolume = 0.875f;
    written.textureDetail = -2;
    written.objectDetail = 1;
    written.shadowDetail = 0;
    ASSERT_TRUE(written.save());

    Settings read;
    ASSERT_TRUE(read.load());
    expectSame(read, written);
    // The layout a reader of the file expects, element by element.
    EXPECT_EQ(rig.read("settings.xml"),
              "<?xml version=\"1.0\" ?>\n<settings version=\"0.4\">\n    <language>3</language>\n"
              "    <gameversion>1.1 DE &amp; &lt;co&gt;</gameversion>\n    <multilanguage>true</multilanguage>\n"
              "    <video>\n        <width>1600</width>\n        <height>0</height>\n"
              "        <windowed>true</windowed>\n        <brightness>0.250000</brightness>\n"
              "        <contrast>1.000000</contrast>\n        <gamma>0.000000</gamma>\n    </video>\n"
              "    <detail>\n        <texture>-2</texture>\n        <object>1</object>\n"
              "        <shadow>0</shadow>\n    </detail>\n    <volume>\n        <music>0.875000</music>\n"
              "        <sfx>0.125000</sfx>\n    </volume>\n</settings>\n");
}

struct ParseCase {
    const char* name;
    std::string xml;
    bool accepted;
    std::function<void(const Settings&)> check;
};

TEST(SettingsTest, ValuesAreReadAndRangeCheckedAsTheFileHoldsThem)
{
    const ParseCase cases[] = {
        {"no version attribute", settingsXml("<language>2</language>", ""), true,
         [](const Settings& s) { EXPECT_EQ(s.language, 2); }},
        {"version 0.3", settingsXml("<language>2</language>", " version=\"0.3\""), false, nullptr},
        {"other root", "<options version=\"0.4\"><language>2</language></options>", false, nullptr},
        {"empty file", "", false, nullptr},
        {"malformed", "<settings version=\"0.4\"><language>2</settings>", false, nullptr},
        {"too deep", "<settings>" + std::string(5000, '<') + "</settings>", false, nullptr},
        {"nested deep", "<settings>" + [] { std::string s; for (int i = 0; i < 200; ++i) s += "<a x='/>'>"; return s; }(),
         false, nullptr},
        {"gamma 1.5", settingsXml("<video><gamma>1.5</gamma></video>"), true,
         [](const Settings& s) { EXPECT_FLOAT_EQ(s.gamma, 1.0f); }},
        {"gamma nan", settingsXml("<video><gamma>nan</gamma></video>"), true,
         [](const Settings& s) { EXPECT_FLOAT_EQ(s.gamma, 1.0f); }},
        {"brightness -0.1", settingsXml("<video><brightness>-0.1</brightness></video>"), true,
         [](const Settings& s) { EXPECT_FLOAT_EQ(s.brightness, 0.5f); }},
        {"contrast inf", settingsXml("<video><contrast>inf</contrast></video>"), true,
         [](const Settings& s) { EXPECT_FLOAT_EQ(s.contrast, 0.5f); }},
        {"volumes", settingsXml("<volume><music>2</music><sfx>0.3xyz</sfx></volume>"), true,
         [](const Settings& s) {
             EXPECT_FLOAT_EQ(s.musicVolume, 0.5f);
             EXPECT_FLOAT_EQ(s.sfxVolume, 0.3f);
         }},
        {"width -1, height 0", settingsXml("<video><width>-1</width><height>0</height></video>"), true,
         [](const Settings& s) {
             EXPECT_EQ(s.width, 1024);
             EXPECT_EQ(s.height, 0);
         }},
        {"height -5, width huge", settingsXml("<video><height>-5</height><width>99999999999</width></video>"), true,
         [](const Settings& s) {
             EXPECT_EQ(s.height, 768);
             EXPECT_EQ(s.width, INT32_MAX);
         }},
        {"details out of range", settingsXml("<detail><texture>1</texture><object>2</object><shadow>-3</shadow></detail>"),
         true,
         [](const Settings& s) {
             EXPECT_EQ(s.textureDetail, -1);
             EXPECT_EQ(s.objectDetail, 0);
             EXPECT_EQ(s.shadowDetail, -1);
         }},
        {"language 7", settingsXml("<language>7</language>"), true, [](const Settings& s) { EXPECT_EQ(s.language, 0); }},
        {"language text", settingsXml("<language>two</language>"), true,
         [](const Settings& s) { EXPECT_EQ(s.language, 0); }},
        {"windowed yes keeps", settingsXml("<video><windowed>yes</windowed></video>"), true,
         [](const Settings& s) { EXPECT_EQ(s.windowed, 1); }},
        {"windowed false", settingsXml("<video><windowed>false</windowed></video>"), true,
         [](const Settings& s) { EXPECT_EQ(s.windowed, 0); }},
        {"multilanguage empty", settingsXml("<multilanguage/>"), true,
         [](const Settings& s) { EXPECT_EQ(s.multilanguage, 1); }},
        {"multilanguage false", settingsXml("<multilanguage>false</multilanguage>"), true,
         [](const Settings& s) { EXPECT_EQ(s.multilanguage, 0); }},
        {"empty elements keep, then range-check", settingsXml("<language/><gameversion/><video><gamma/></video>"), true,
         [](const Settings& s) {
             EXPECT_EQ(s.language, 4);
             EXPECT_EQ(s.gameversion, "start");
             EXPECT_FLOAT_EQ(s.gamma, 1.0f); // the kept 7.0 fails the range check
         }},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s;
        s.language = 4;
        s.windowed = 1;
        s.gameversion = "start";
        s.gamma = 7.0f;
        std::string error;
        EXPECT_EQ(s.parse(c.xml, &error), c.accepted) << error;
        if (c.accepted)
            c.check(s);
        else {
            EXPECT_FALSE(error.empty());
            EXPECT_EQ(s.language, 4);
            EXPECT_EQ(s.gameversion, "start");
        }
    }
}

TEST(SettingsTest, StartUpWritesDefaultsAndKeepsADamagedFile)
{
    {
        PlayerFolderRig rig;
        Settings missing;
        missing.language = 3;
        EXPECT_FALSE(missing.loadOrReset());
        expectSame(missing, Settings());
        EXPECT_TRUE(std::filesystem::exists(rig.file("settings.xml")));
        EXPECT_FALSE(std::filesystem::exists(rig.file("settings.xml.bak")));
        Settings again;
        again.language = 3;
        EXPECT_TRUE(again.loadOrReset());
        EXPECT_EQ(again.language, 1);
    }
    {
        PlayerFolderRig rig;
        const std::string damaged = settingsXml("<language>2</language>", " version=\"0.3\"");
        rig.write("settings.xml", damaged);
        Settings s;
        s.language = 2;
        EXPECT_FALSE(s.loadOrReset());
        expectSame(s, Settings());
        EXPECT_EQ(rig.read("settings.xml.bak"), damaged);
        Settings reread;
        EXPECT_TRUE(reread.load());
        expectSame(reread, Settings());
    }
}

TEST(SettingsTest, AFailedWriteIsReported)
{
    PlayerFolderRig rig;
    // The player folder's place is taken by a plain file: nothing can be saved.
    rig.write("blocker", "x");
    Settings s((rig.file("blocker") / "settings.xml").string());
    EXPECT_FALSE(s.save());
    EXPECT_FALSE(s.load());
}

} // namespace
