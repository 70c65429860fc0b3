#include "engine/core/io/DiskFile.h"
#include "engine/core/io/StreamRef.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A scratch tree: root/parent.dat, root/Data/Tracks/Kart_01.LWO, and the
// working directory moved into root/child so "..\" is exercised.
class DiskFileTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldCwd = fs::current_path();
        m_root = fs::temp_directory_path() / ("vorlund-disk-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "child");
        fs::create_directories(m_root / "Data" / "Tracks");
        write(m_root / "parent.dat", "parent");
        write(m_root / "child" / "foo.dat", "in child");
        write(m_root / "Data" / "Tracks" / "Kart_01.LWO", "kart");
        fs::current_path(m_root / "child");
    }
    void TearDown() override
    {
        fs::current_path(m_oldCwd);
        fs::remove_all(m_root);
    }
    static void write(const fs::path& p, const std::string& text)
    {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string readAll(Stream& s)
    {
        std::string text(s.length, '\0');
        EXPECT_EQ(s.read(text.data(), s.length), s.length);
        return text;
    }

    fs::path m_oldCwd, m_root;
};

} // namespace

TEST_F(DiskFileTree, SearchPathLookups)
{
    struct Case {
        const char* name;
        const char* expected; // null: not found
    } cases[] = {
        {"foo.dat", "in child"},
        {"C:foo.dat", "in child"},          // drive prefix stripped, found behind ".\"
        {"D:\\games\\x:parent.dat", "parent"}, // through the last ':', found behind "..\"
        {"parent.dat", "parent"},
        {"..\\Data\\Tracks\\Kart_01.LWO", "kart"},
        {"..\\data\\TRACKS\\kart_01.lwo", "kart"}, // case-insensitive fallback
        {"D:\\Zoprax9/Data\\tracks/KART_01.lwo", nullptr},
        {"C:Data/Tracks/kart_01.lwo", "kart"}, // "..\" + name, any case, mixed separators
        {"missing.dat", nullptr},
    };
    for (const Case& c : cases) {
        DiskFile file;
        const bool opened = file.openRead(c.name);
        EXPECT_EQ(opened, c.expected != nullptr) << c.name;
        if (opened && c.expected)
            EXPECT_EQ(readAll(file), c.expected) << c.name;
    }
}

TEST_F(DiskFileTree, OpenStateAndShortReads)
{
    DiskFile file;
    ASSERT_TRUE(file.openRead("foo.dat"));
    EXPECT_FALSE(file.openRead("parent.dat")); // still the first file
    EXPECT_EQ(file.length, 8u);

    char buffer[32];
    EXPECT_EQ(file.read(buffer, 3), 3u);
    EXPECT_EQ(file.tell(), 3u);
    EXPECT_EQ(file.read(buffer, sizeof buffer), 5u); // short count at the end
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
    EXPECT_TRUE(file.seekSet(1));
    EXPECT_TRUE(file.seekCur(2));
    EXPECT_EQ(file.read(buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ch");

    auto copy = file.clone();
    EXPECT_EQ(copy->length, 0u);
    EXPECT_FALSE(copy->close());
    EXPECT_EQ(static_cast<DiskFile&>(*copy).searchPath(), ".\\;..\\");

    EXPECT_TRUE(file.close());
    EXPECT_FALSE(file.close());
    EXPECT_EQ(file.length, 0u);
    EXPECT_EQ(file.read(buffer, 4), 0u);
}

TEST_F(DiskFileTree, ExistsUsesTheFixedSearchPath)
{
    DiskFile noPath("");
    EXPECT_FALSE(noPath.openRead("parent.dat"));
    EXPECT_TRUE(noPath.exists("parent.dat"));
    EXPECT_FALSE(noPath.exists("nowhere.dat"));
}

TEST_F(DiskFileTree, WriteCountsBytes)
{
    DiskFile out;
    ASSERT_TRUE(out.openWrite("sub.bin"));
    EXPECT_EQ(out.write("abcdef", 6), 6u);
    EXPECT_EQ(out.length, 6u);
    EXPECT_TRUE(out.close());

    DiskFile in;
    ASSERT_TRUE(in.openRead("sub.bin"));
    EXPECT_EQ(readAll(in), "abcdef");
}

namespace {

// Counts how many of its clones are alive.
class CountingStream : public DiskFile {
public:
    static inline int alive = 0;
    CountingStream() { ++alive; }
    ~CountingStream() override { --alive; }
    std::unique_ptr<Stream> clone() const override { return std::make_unique<CountingStream>(); }
};

} // namespace

// Writing goes where Windows would: into a directory or over a file whose
// name differs only in case, never to a second file beside it.
TEST_F(DiskFileTree, WriteFindsDirectoriesAndFilesInAnyCase)
{
    const struct {
        const char* name;
        fs::path written;
    } cases[] = {
        {"..\\DATA\\tracks\\new.bin", m_root / "Data" / "Tracks" / "new.bin"},
        {"..\\data/TRACKS\\kart_01.lwo", m_root / "Data" / "Tracks" / "Kart_01.LWO"},
        {"FOO.DAT", m_root / "child" / "foo.dat"},
    };
    for (const auto& c : cases) {
        DiskFile out;
        ASSERT_TRUE(out.openWrite(c.name)) << c.name;
        EXPECT_EQ(out.write("xyz", 3), 3u);
        EXPECT_TRUE(out.close());
        std::ifstream in(c.written, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "xyz") << c.name;
    }
    EXPECT_FALSE(fs::exists(m_root / "child" / "FOO.DAT"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_root / "Data" / "Tracks"), fs::directory_iterator()), 2);
}

TEST(StreamRef, DefaultFileSystemHoldsItsOwnClone)
{
    CountingStream a, b;
    ASSERT_EQ(CountingStream::alive, 2);
    setDefaultFileSystem(&a);
    EXPECT_EQ(CountingStream::alive, 3);
    EXPECT_EQ(defaultStream(), &a);
    ASSERT_NE(defaultStreamRef(), nullptr);
    EXPECT_EQ(defaultStreamRef()->refCount, 1);

    setDefaultFileSystem(&b); // the first holder drops to zero and goes
    EXPECT_EQ(CountingStream::alive, 3);
    setDefaultFileSystem(nullptr);
    EXPECT_EQ(CountingStream::alive, 2);
    EXPECT_EQ(defaultStreamRef(), nullptr);
    EXPECT_EQ(defaultStream(), nullptr);
}
