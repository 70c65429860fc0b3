// The records program end to end: decode and encode profiles.dat, dump
// highscores.dat, refuse what it cannot read.
#include "support/PlayerFolderRig.h"
#include "support/RecordFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Runs the tool through the shell; answers its exit status and output.
int run(const std::string& arguments, std::string* output = nullptr)
{
    const char* dir = std::getenv("VORLUND_BINARY_DIR");
    const std::string command = std::string(dir ? dir : ".") + "/bin/records " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buffer[4096];
    while (size_t got = fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, got);
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RecordsTool, EncodesDecodesAndDumps)
{
    PlayerFolderRig rig;
    const std::string plain = fixtures::profilesXml(fixtures::profileXml(2, "<player name=\"Ada\"/>"));
    rig.write("plain.xml", plain);
    const std::string profiles = rig.file("profiles.dat").string();
    ASSERT_EQ(run("encode " + profiles + " < " + rig.file("plain.xml").string()), 0);
    EXPECT_NE(rig.read("profiles.dat"), plain);
    std::string decoded;
    ASSERT_EQ(run("decode " + profiles, &decoded), 0);
    EXPECT_EQ(decoded, plain);

    rig.write("highscores.dat",
              fixtures::highscoreEntry("brisk", "Ada", 301.25f, 120, 2) + fixtures::emptyHighscores(909));
    std::string dump;
    ASSERT_EQ(run("dump " + rig.file("highscores.dat").string(), &dump), 0);
    EXPECT_NE(dump.find("Ada"), std::string::npos);
    EXPECT_NE(dump.find("301.250"), std::string::npos);

    rig.write("short.dat", fixtures::emptyHighscores(10));
    EXPECT_EQ(run("dump " + rig.file("short.dat").string()), 1);
    EXPECT_EQ(run("decode " + rig.file("missing.dat").string()), 1);
    EXPECT_EQ(run("frobnicate x"), 2);
}

TEST(RecordsTool, RefusesWhatIsNoProfileAndCountsTheEntriesOfAFreshFile)
{
    PlayerFolderRig rig;
    rig.write("noise.dat", std::string("\x01\x02\x03") + " plainly no profile");
    rig.write("plain.xml", fixtures::profilesXml("")); // never scrambled: unscrambling makes it noise
    rig.write("highscores.dat", fixtures::emptyHighscores());
    rig.write("words.txt", "kart = brisk\n");
    rig.write("settings.xml", "<?xml version=\"1.0\" ?><settings version=\"0.4\"/>");
    rig.write("newer.xml", fixtures::profilesXml("", " version=\"1.1\""));
    const std::string profiles = rig.file("profiles.dat").string();
    const std::string cases[] = {
        "decode " + rig.file("noise.dat").string(),
        "decode " + rig.file("plain.xml").string(),
        "decode " + rig.file("highscores.dat").string(),
        "encode " + profiles + " < " + rig.file("words.txt").string(),
        "encode " + profiles + " < " + rig.file("settings.xml").string(),
        "encode " + profiles + " < " + rig.file("newer.xml").string(),
    };
    for (const std::string& arguments : cases) {
        std::string output;
        EXPECT_EQ(run(arguments, &output), 1) << arguments;
        EXPECT_EQ(output, "") << arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(profiles)) << "a refused text is never written";

    std::string dump;
    ASSERT_EQ(run("dump " + rig.file("highscores.dat").string(), &dump), 0);
    EXPECT_EQ(dump, "0 of 910 entries filled in 91 tables\n");
}

} // namespace
