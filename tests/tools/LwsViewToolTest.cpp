// The scene viewer run as a program on a scene made with our writers: it
// loads the scene from a folder or an archive, draws it from the scene's
// camera and writes the frame as a BMP whose middle shows the cube; it says
// why a scene does not load, and ends on an interrupt or termination.
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"
#include "tools/lib/ShowcaseScene.h"
#include "support/GlRequirement.h"
#include "support/ShowcaseProbes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string viewer()
{
    const char* dir = std::getenv("VORLUND_BINARY_DIR");
    return (fs::path(dir ? dir : ".") / "bin" / "lwsview").string();
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A cube in front of the camera, lit by one light.
std::string sceneText()
{
    LwsWriter w;
    w.key("FirstFrame", {1}).key("LastFrame", {60}).key("FramesPerSecond", {30});
    w.loadObjectLayer(1, "Objects/cube.lwo");
    w.addLight("Sun");
    w.addCamera("Camera", {{2, {{{-3, 0, 0, {}}}}}});
    return w.text();
}

class LwsViewTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vorlund_lwsview_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        const std::string text = sceneText();
        writeFile(m_dir / "Objects" / "cube.lwo", lwo2Cube());
        writeFile(m_dir / "scene.lws", std::vector<uint8_t>(text.begin(), text.end()));
    }
    void TearDown() override { fs::remove_all(m_dir); }

    int run(const std::string& arguments)
    {
        const int status = std::system((viewer() + " " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // 0xRRGGBB at (x, y), counted from the top row, of a 24-bit BMP.
    static uint32_t pixel(const std::vector<uint8_t>& bmp, int x, int y)
    {
        const int width = 640, height = 480, row = width * 3;
        const size_t at = 54 + size_t(height - 1 - y) * row + size_t(x) * 3;
        if (at + 2 >= bmp.size())
            return 0xDEADBEEF;
        return uint32_t(bmp[at + 2]) << 16 | uint32_t(bmp[at + 1]) << 8 | bmp[at];
    }
    std::vector<uint8_t> read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string quoted(const fs::path& p) const { return "'" + p.string() + "'"; }

    fs::path m_dir;
};

} // namespace

TEST_F(LwsViewTool, ShotShowsTheCubeFromFolderAndArchive)
{
    REQUIRE_GL(displayExists(), "the tool draws on the display");
    const fs::path shot = m_dir / "shot.bmp";
    ASSERT_EQ(run(quoted(m_dir / "scene.lws") + " --frames 2 --shot " + quoted(shot)), 0);
    std::vector<uint8_t> bmp = read(shot);
    ASSERT_EQ(bmp.size(), 54u + 640u * 480u * 3u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_NE(pixel(bmp, 320, 240), 0u) << "the cube in the middle";
    EXPECT_EQ(pixel(bmp, 5, 5), 0u) << "the black backdrop in the corner";

    // The same scene packed into an archive, named as stored there (with
    // the game's separators, as the archive packer writes them).
    ArchiveWriter archive;
    archive.addFile("Objects\\cube.lwo", lwo2Cube());
    const std::string text = sceneText();
    archive.addFile("Scenes\\view.lws", std::vector<uint8_t>(text.begin(), text.end()));
    std::string error;
    ASSERT_TRUE(archive.writeFile((m_dir / "data.sar").string(), 1, error)) << error;
    const fs::path packedShot = m_dir / "packed.bmp";
    ASSERT_EQ(run("Scenes/view.lws --archive " + quoted(m_dir / "data.sar") + " --shot " + quoted(packedShot)), 0);
    EXPECT_EQ(read(packedShot), bmp);
}

// The showcase scene as its generator writes it: the shot shows every
// object the camera sees, and nothing where the occluder hides one.
TEST_F(LwsViewTool, ShowcaseShotShowsTheSceneRegions)
{
    REQUIRE_GL(displayExists(), "the tool draws on the display");
    const fs::path folder = m_dir / "showcase";
    for (const ShowcaseScene::File& file : ShowcaseScene::files())
        writeFile(folder / file.name, file.bytes);
    const fs::path shot = m_dir / "showcase.bmp";
    ASSERT_EQ(run(quoted(folder / ShowcaseScene::SceneFile) + " --frames 2 --shot " + quoted(shot)), 0);
    const std::vector<uint8_t> bmp = read(shot);
    ASSERT_EQ(bmp.size(), 54u + 640u * 480u * 3u);
    expectShowcaseRegions([&bmp](int x, int y) { return pixel(bmp, x, y); });
}

TEST_F(LwsViewTool, RefusesBadArgumentsAndMissingFiles)
{
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {"", 2},
        {quoted(m_dir / "scene.lws") + " --frames 0", 2},
        {quoted(m_dir / "scene.lws") + " --frames", 2},
        {quoted(m_dir / "scene.lws") + " --colour red", 2},
        {quoted(m_dir / "missing.lws") + " --frames 1", 1},
        {"scene.lws --archive " + quoted(m_dir / "missing.sar"), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.arguments), c.status) << c.arguments;
}

TEST_F(LwsViewTool, SaysWhyASceneDoesNotLoad)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    writeFile(m_dir / "empty.lws", {});
    const std::string words = "this is no scene\n";
    writeFile(m_dir / "words.lws", std::vector<uint8_t>(words.begin(), words.end()));
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"missing.lws", ": no such file"},
        {"empty.lws", ": it is empty, damaged or not a LightWave scene"},
        {"words.lws", ": Invalid scene file (wrong version or file type)!"},
    };
    for (const auto& c : cases) {
        std::string text;
        FILE* pipe = popen((viewer() + " " + quoted(m_dir / c.file) + " --frames 1 2>&1").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.file;
        EXPECT_NE(text.find(std::string("cannot load ") + (m_dir / c.file).string() + c.reason), std::string::npos)
            << text;
    }
}

// Without --frames the viewer runs until its window closes; an interrupt or a
// termination request closes it, at any moment after the program starts.
TEST_F(LwsViewTool, EndsOnInterruptAndTermination)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    for (int request : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(request);
        const std::string program = viewer();
        const std::string scene = (m_dir / "scene.lws").string();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execl(program.c_str(), program.c_str(), scene.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // The request is sent once the viewer holds it back or handles it:
        // before that it would end the process the default way.
        const uint64_t bit = uint64_t(1) << (request - 1);
        const auto signalMask = [child](const char* field) {
            std::ifstream status("/proc/" + std::to_string(child) + "/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind(field, 0) == 0)
                    return std::stoull(line.substr(std::strlen(field)), nullptr, 16);
            return 0ull;
        };
        int status = 0;
        bool sent = false;
        for (int wait = 0; wait < 6000 && waitpid(child, &status, WNOHANG) == 0; ++wait) {
            if (!sent && ((signalMask("SigBlk:") | signalMask("SigCgt:")) & bit)) {
                kill(child, request);
                sent = true;
            }
            usleep(10000);
        }
        if (waitpid(child, &status, WNOHANG) == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "still running a minute after the request";
        }
        EXPECT_TRUE(sent);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    }
}
