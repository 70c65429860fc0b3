// The scene viewer run as a program on a scene made with our writers: it
// loads the scene from a folder or an archive, draws it from the scene's
// camera and writes the frame as a BMP whose middle shows the cube.
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"
#include "tools/lib/ShowcaseScene.h"
#include "support/GlRequirement.h"
#include "support/ShowcaseProbes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
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
