// The level generator run as a program on parameter files it must refuse:
// each stops the run with a message naming the file and the line at fault,
// and nothing of the level is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string generator()
{
    const char* dir = std::getenv("VORLUND_BINARY_DIR");
    return (fs::path(dir ? dir : ".") / "bin" / "trackgen").string();
}

const char* const kConfig = R"(<vrl9><levels>
  <level name="testtrack" filename="D:\Zoprax9\levels\testtrack\testtrack.lws">
    <menuimage>testtrack</menuimage>
    <loadingscreen>LoadingScreen_testtrack.jpg</loadingscreen>
    <aifiles path="D:\Zoprax9\levels\testtrack\" lanes="2"/>
    <objectfiles path="D:\Zoprax9/levels/testtrack/"/>
    <minimap filename="minimap_testtrack.png" xmin="-300" xmax="300" zmin="-300" zmax="300"/>
    <posmap filename="D:\Zoprax9\levels\testtrack\posmap.pcx" xmin="-300" xmax="300" zmin="-300" zmax="300"/>
    <colormap filename="D:\Zoprax9\levels\testtrack\colormap.bmp" xmin="-300" xmax="300" zmin="-300" zmax="300"/>
  </level>
</levels></vrl9>
)";

// A square of 200 m sides, two lanes; each case changes one thing.
std::string square(const std::string& points, const std::string& lanes = "lanes 0.5 -0.5")
{
    return "# a test level\nlevel testtrack\n" + points + lanes + "\n";
}

const std::string kSquarePoints = "point -100 -100\npoint 100 -100\npoint 100 100\npoint -100 100\n";

struct Case {
    const char* name;
    std::string params;
    int line;
    const char* message;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class TrackgenTool : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vorlund_trackgen_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        std::ofstream(m_dir / "config.xml") << kConfig;
        fs::create_directories(m_dir / "out");
        fs::create_directories(m_dir / "scratch");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs the generator on `params`; its exit status, with standard error
    // in `messages`.
    int run(const std::string& params, std::string& messages)
    {
        const fs::path file = m_dir / "testtrack.track";
        std::ofstream(file) << params;
        const fs::path errors = m_dir / "errors.txt";
        const std::string command = generator() + " level '" + file.string() + "' '" + (m_dir / "config.xml").string() +
                                    "' '" + (m_dir / "out").string() + "' '" + (m_dir / "scratch").string() + "' 2>'" +
                                    errors.string() + "' >/dev/null";
        const int status = std::system(command.c_str());
        std::ifstream in(errors);
        messages.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool wroteNothing() const { return fs::is_empty(m_dir / "out") && fs::is_empty(m_dir / "scratch"); }

    fs::path m_dir;
};

TEST_P(TrackgenTool, RefusesWithTheFileAndLine)
{
    const Case& c = GetParam();
    std::string messages;
    EXPECT_EQ(run(c.params, messages), 1);
    const std::string where = (m_dir / "testtrack.track").string() + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(messages.rfind(where, 0), 0u) << messages;
    EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
    EXPECT_TRUE(wroteNothing());
}

INSTANTIATE_TEST_SUITE_P(
    BadParameters, TrackgenTool,
    ::testing::Values(
        Case{"TooFewPoints", square("point -100 -100\npoint 100 -100\npoint 0 100\n"), 5,
             "the centre line needs at least 4 points"},
        Case{"ZeroWidth", square("point -100 -100\npoint 100 -100 width 0\npoint 100 100\npoint -100 100\n"), 4,
             "the road width must be above 0"},
        Case{"LaneOutsideTheRoad", square(kSquarePoints, "lanes 0.5 -1.4"), 7, "lane 2 lies outside the road"},
        // A bow tie whose crossing has no bridge; the line named is that of
        // the point the crossing follows on its second pass.
        Case{"CrossingWithoutBridge", square("point -150 -100\npoint 150 100\npoint 150 -100\npoint -150 100\n"), 5,
             "the centre line crosses itself near (0, 0) without a bridge"},
        Case{"UnknownStatement", square(kSquarePoints + "pointt 3 4\n"), 7, "unknown statement \"pointt\""},
        Case{"UnknownLevel", "level nowhere\n" + kSquarePoints, 1, "has no level named \"nowhere\""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
