#include "platform/files/PlayerFiles.h"

#include "support/PlayerFolderRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

// Sets or clears one environment variable for a scope.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(PlayerFilesTest, TheFolderComesFromTheFirstVariableThatIsSet)
{
    struct Case {
        const char* vorlundHome;
        const char* xdgDataHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/v/home", "/xdg", "/h", "/v/home"},
        {"", "/xdg", "/h", "/xdg/vorlund"},
        {nullptr, "/xdg", "/h", "/xdg/vorlund"},
        {nullptr, "", "/h", "/h/.local/share/vorlund"},
        {nullptr, nullptr, "/h", "/h/.local/share/vorlund"},
    };
    for (const Case& c : cases) {
        EnvVar a("VORLUND_HOME", c.vorlundHome), b("XDG_DATA_HOME", c.xdgDataHome), h("HOME", c.home);
        EXPECT_EQ(playerFolder(), c.folder);
        EXPECT_EQ(playerFilePath("settings.xml"), std::string(c.folder) + "/settings.xml");
    }
}

TEST(PlayerFilesTest, ReplaceCreatesTheFolderAndLeavesNoTemporaryFile)
{
    PlayerFolderRig rig;
    const std::string path = playerFilePath("profiles.dat");
    ASSERT_TRUE(replaceFile(path, "first", 5));
    ASSERT_TRUE(replaceFile(path, "second", 6));
    EXPECT_EQ(rig.read("profiles.dat"), "second");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(rig.folder()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);

    std::string bytes;
    EXPECT_TRUE(readWholeFile(path, bytes, 6));
    EXPECT_EQ(bytes, "second");
    EXPECT_FALSE(readWholeFile(path, bytes, 5)); // larger than the caller allows
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(readWholeFile(rig.folder().string(), bytes, 100)); // a folder is no file

    EXPECT_TRUE(keepBackup(path));
    EXPECT_EQ(rig.read("profiles.dat.bak"), "second");
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(keepBackup(path));
}

TEST(PlayerFilesTest, AnUnwritableFolderFailsTheSaveAndKeepsTheOldFile)
{
    PlayerFolderRig rig;
    rig.write("blocker", "old");
    EXPECT_FALSE(replaceFile((rig.file("blocker") / "x").string(), "new", 3));
    EXPECT_EQ(rig.read("blocker"), "old");
}

TEST(PlayerFilesTest, EveryDamagedCopyIsKeptUpToTen)
{
    PlayerFolderRig rig;
    const std::string path = playerFilePath("profiles.dat");
    for (int damage = 1; damage <= 12; ++damage) {
        rig.write("profiles.dat", "damage " + std::to_string(damage));
        std::string kept;
        EXPECT_TRUE(keepBackup(path, &kept)) << damage;
        const std::string suffix = damage == 1 ? ".bak" : ".bak." + std::to_string(std::min(damage, 10));
        EXPECT_EQ(kept, path + suffix) << damage;
    }
    // The first nine stay as they were kept; the tenth place holds the newest.
    EXPECT_EQ(rig.read("profiles.dat.bak"), "damage 1");
    for (int n = 2; n <= 9; ++n)
        EXPECT_EQ(rig.read(("profiles.dat.bak." + std::to_string(n)).c_str()), "damage " + std::to_string(n));
    EXPECT_EQ(rig.read("profiles.dat.bak.10"), "damage 12");
    EXPECT_FALSE(fileExists(path + ".bak.11"));
    EXPECT_FALSE(fileExists(path));
}

TEST(PlayerFilesTest, AFolderThatCannotBeWrittenIsToldWithItsReason)
{
    PlayerFolderRig rig;
    std::string why;
    EXPECT_TRUE(playerFolderWritable(why));
    EXPECT_TRUE(why.empty());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(rig.folder()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 0) << "the probe is gone";

    rig.write("blocker", "x");
    const struct {
        std::filesystem::path home;
        const char* why;
    } cases[] = {
        {rig.file("blocker"), "it is not a folder"},
        {rig.file("blocker") / "vorlund", "Not a directory"},
    };
    for (const auto& c : cases) {
        setenv("VORLUND_HOME", c.home.c_str(), 1);
        EXPECT_FALSE(playerFolderWritable(why)) << c.home;
        EXPECT_EQ(why, c.why);
    }
}

} // namespace
