// The sarc program end to end: pack a folder, list it, extract it again, and
// refuse bad input with a non-zero exit; a drive stands on disk as a folder of
// its letter, so the game's own archive unpacks and packs back to the same
// entries; start without the libraries it does not use.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "tools/lib/ArchiveWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string sarcProgram()
{
    const char* dir = std::getenv("VORLUND_BINARY_DIR");
    return (fs::path(dir ? dir : ".") / "bin" / "sarc").string();
}

// What the program prints on stdout and stderr, run with `environment`.
std::string output(const std::string& environment, const std::string& arguments)
{
    std::string text;
    FILE* pipe = popen((environment + " '" + sarcProgram() + "' " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    pclose(pipe);
    return text;
}

int run(const std::string& arguments)
{
    const int status = std::system((sarcProgram() + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry of the archive at `path` with its unpacked size, as the game's
// reader sees them; empty when it does not mount.
std::map<std::string, uint32_t> entrySizes(const fs::path& path)
{
    std::map<std::string, uint32_t> sizes;
    ArchiveFile archive;
    DiskFile disk("");
    if (!archive.mount(disk, path.string().c_str()))
        return sizes;
    for (int32_t i = 0; i < archive.entries().size; ++i)
        sizes[archive.entries().data[i].name] = archive.entries().data[i].unpackedSize;
    return sizes;
}

class SarcTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A folder of its own: other checkouts run these tests at the same time.
        std::string pattern = (fs::temp_directory_path() / "vorlund_sarc_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string quoted(const fs::path& p) const { return "'" + p.string() + "'"; }

    fs::path m_dir;
};

} // namespace

TEST_F(SarcTool, PacksListsAndExtractsAFolderInBothVersions)
{
    std::vector<uint8_t> text;
    for (int i = 0; i < 20000; ++i)
        text.push_back(uint8_t("kart track\n"[i % 11]));
    std::vector<uint8_t> noise(3000);
    uint32_t state = 1;
    for (uint8_t& b : noise)
        b = uint8_t((state = state * 1103515245u + 12345u) >> 24);
    const fs::path in = m_dir / "in";
    writeFile(in / "config.xml", text);
    writeFile(in / "Levels" / "Track1" / "noise.bin", noise);
    writeFile(in / "empty.dat", {});

    for (const char* version : {"0", "1"}) {
        const fs::path archive = m_dir / (std::string("data") + version + ".sar");
        const fs::path out = m_dir / (std::string("out") + version);
        ASSERT_EQ(run("pack " + quoted(archive) + " " + quoted(in) + " --version " + version), 0);
        EXPECT_EQ(run("list " + quoted(archive)), 0);
        ASSERT_EQ(run("extract " + quoted(archive) + " " + quoted(out)), 0);
        EXPECT_EQ(readFile(out / "config.xml"), text);
        EXPECT_EQ(readFile(out / "Levels" / "Track1" / "noise.bin"), noise);
        EXPECT_TRUE(fs::exists(out / "empty.dat"));
        const std::vector<uint8_t> bytes = readFile(archive);
        ASSERT_GE(bytes.size(), 8u);
        EXPECT_EQ(bytes[7], uint8_t(version[0] - '0'));
    }
}

TEST_F(SarcTool, OneLetterFolderPacksAsItsDrive)
{
    const fs::path in = m_dir / "in";
    writeFile(in / "D" / "Zoprax9" / "menu" / "Texts.xml", {'<', '/', '>'});
    writeFile(in / "config.xml", {'c'});
    writeFile(in / "d" / "lower.txt", {'l'});
    writeFile(in / "Dx" / "long.txt", {'x'});
    writeFile(in / "E", {'e'});
    const fs::path archive = m_dir / "data.sar";
    ASSERT_EQ(run("pack " + quoted(archive) + " " + quoted(in)), 0);
    const std::map<std::string, uint32_t> expected = {
        {"D:\\Zoprax9\\menu\\Texts.xml", 3}, {"Dx\\long.txt", 1}, {"E", 1}, {"config.xml", 1}, {"d\\lower.txt", 1}};
    EXPECT_EQ(entrySizes(archive), expected);

    const fs::path out = m_dir / "out";
    ASSERT_EQ(run("extract " + quoted(archive) + " " + quoted(out)), 0);
    EXPECT_EQ(readFile(out / "D" / "Zoprax9" / "menu" / "Texts.xml"), (std::vector<uint8_t>{'<', '/', '>'}));
    const fs::path again = m_dir / "again.sar";
    ASSERT_EQ(run("pack " + quoted(again) + " " + quoted(out)), 0);
    EXPECT_EQ(entrySizes(again), expected);
}

TEST_F(SarcTool, GameArchiveUnpacksAndPacksBackToTheSameEntries)
{
    const char* binary = std::getenv("VORLUND_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    const fs::path game = fs::path(binary) / "bin" / "data.sar";
    const std::map<std::string, uint32_t> entries = entrySizes(game);
    ASSERT_FALSE(entries.empty()) << game;
    ASSERT_TRUE(entries.count("D:\\Zoprax9\\menu\\Texts.xml")) << "the data set names files by drive";

    const fs::path out = m_dir / "out";
    ASSERT_EQ(run("extract " + quoted(game) + " " + quoted(out)), 0);
    const fs::path again = m_dir / "again.sar";
    ASSERT_EQ(run("pack " + quoted(again) + " " + quoted(out)), 0);
    EXPECT_EQ(entrySizes(again), entries);
}

TEST_F(SarcTool, RefusesBadInputWithANonZeroExit)
{
    writeFile(m_dir / "short.sar", {'S', 'A', 'R', 'C', 0, 0});
    writeFile(m_dir / "notes.txt", {'h', 'i'});
    ArchiveWriter writer;
    writer.addEntry("..\\escaped.txt", {'x'}, 0);
    writer.addEntry("safe.txt", {'y'}, 0);
    writeFile(m_dir / "escape.sar", writer.build(0));
    // "D\\x" would unpack as the folder D, which packs as the drive D:.
    ArchiveWriter driveless;
    driveless.addEntry("D\\x.txt", {'x'}, 0);
    driveless.addEntry("D:\\y.txt", {'y'}, 0);
    writeFile(m_dir / "driveless.sar", driveless.build(0));
    // Two host files for one entry: the drive's plain folder and its old spelling.
    writeFile(m_dir / "twice" / "D" / "x.txt", {'1'});
    writeFile(m_dir / "twice" / "D:" / "x.txt", {'2'});

    const std::string cases[] = {
        "",
        "frobnicate",
        "pack " + quoted(m_dir / "x.sar"),
        "pack " + quoted(m_dir / "x.sar") + " " + quoted(m_dir / "missing"),
        "pack " + quoted(m_dir / "x.sar") + " " + quoted(m_dir) + " --version 2",
        "pack " + quoted(m_dir / "x.sar") + " " + quoted(m_dir / "twice"),
        "list " + quoted(m_dir / "missing.sar"),
        "list " + quoted(m_dir / "short.sar"),
        "list " + quoted(m_dir / "notes.txt"),
        "extract " + quoted(m_dir / "escape.sar") + " " + quoted(m_dir / "out"),
        "extract " + quoted(m_dir / "driveless.sar") + " " + quoted(m_dir / "drive"),
    };
    for (const std::string& arguments : cases)
        EXPECT_NE(run(arguments), 0) << arguments;
    // The unsafe name is skipped; the rest of the archive still comes out.
    EXPECT_FALSE(fs::exists(m_dir / "escaped.txt"));
    EXPECT_TRUE(fs::exists(m_dir / "out" / "safe.txt"));
    EXPECT_FALSE(fs::exists(m_dir / "drive" / "D" / "x.txt"));
    EXPECT_TRUE(fs::exists(m_dir / "drive" / "D" / "y.txt"));
}

TEST_F(SarcTool, StartsWithoutTheDisplaySoundAndGuiLibraries)
{
    // The dynamic loader lists what it would load at start-up, and stops.
    const std::string loaded = output("LD_TRACE_LOADED_OBJECTS=1", "");
    ASSERT_NE(loaded.find("libc.so"), std::string::npos) << loaded;
    for (const char* library : {"libSDL2", "libGL.so", "libGLEW", "libFAudio", "libCEGUI", "libpng"})
        EXPECT_EQ(loaded.find(library), std::string::npos) << library << " in\n" << loaded;
}
