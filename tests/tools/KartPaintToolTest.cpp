// The kartpaint program end to end: the colour picture reads back through the
// engine's BMP reader and the logo's .dds copy through the DDS parser with the
// colours where the parameters put them; lines it cannot draw are refused.
#include "engine/core/io/DiskFile.h"
#include "engine/core/image/ImageFile.h"
#include "platform/d3dx/DdsImage.h"
#include "support/PlayerFolderRig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int run(const std::string& arguments)
{
    const char* dir = std::getenv("VORLUND_BINARY_DIR");
    const std::string command = std::string(dir ? dir : ".") + "/bin/kartpaint " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void expectNear(uint32_t pixel, uint32_t rgb, const char* what)
{
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int(pixel >> shift & 0xFF), int(rgb >> shift & 0xFF), 3) << what << " channel " << shift;
}

class KartPaintTool : public ::testing::Test {
protected:
    std::string draw(const std::string& looks)
    {
        m_rig.write("looks.txt", looks);
        return std::to_string(run(m_rig.file("looks.txt").string() + " " + m_rig.folder().string()));
    }
    std::filesystem::path picture(const char* name) const
    {
        return m_rig.folder() / "D" / "Zoprax9" / "textures_cars" / name;
    }
    PlayerFolderRig m_rig;
};

TEST_F(KartPaintTool, ColourAndLogoCarryTheirParameters)
{
    ASSERT_EQ(draw("# a colour and a logo\n"
                   "colour paint.bmp base=204060 stripe=e0d0c0\n"
                   "\n"
                   "logo badge.png shape=disc fill=ff0000 edge=0000ff   # red in blue\n"),
              "0");

    DiskFile disk("");
    const std::string bmp = picture("paint.bmp").string();
    std::unique_ptr<ImageFile> paint = loadImage(disk, bmp.c_str(), 0);
    ASSERT_NE(paint, nullptr);
    ASSERT_EQ(paint->width, 64);
    ASSERT_EQ(paint->height, 64);
    // Halfway down the light is the paint's own; columns 20-26 are a stripe,
    // 18 the dark pin line beside it.
    const uint32_t* row = &paint->data[size_t(32) * 64];
    expectNear(row[4], 0x204060, "paint");
    expectNear(row[22], 0xe0d0c0, "stripe");
    EXPECT_LT(row[18] & 0xFF, 0x30u) << "pin line";

    const std::vector<uint8_t> png = readBytes(picture("badge.png"));
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");

    const std::vector<uint8_t> bytes = readBytes(picture("badge.png.dds"));
    DdsImage dds;
    ASSERT_EQ(dds.parse(bytes.data(), bytes.size()), D3D_OK) << dds.refusal();
    EXPECT_EQ(dds.info().Format, D3DFMT_A8R8G8B8);
    const ConstSurfaceView level = dds.level(0, 0);
    ASSERT_EQ(level.width, 64u);
    ASSERT_EQ(level.height, 64u);
    auto texel = [&](int x, int y) {
        const uint8_t* p = level.bits + size_t(y) * level.pitch + size_t(x) * 4;
        return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    };
    EXPECT_EQ(texel(32, 32), 0xFFFF0000u) << "the fill, opaque";
    EXPECT_EQ(texel(0, 0) >> 24, 0u) << "transparent around the shape";
    EXPECT_EQ(texel(63, 63) >> 24, 0u);
    // The edge: blue and opaque between the disc and the clear border.
    bool edge = false;
    for (int x = 0; x < 32 && !edge; ++x)
        edge = texel(x, 32) == 0xFF0000FFu;
    EXPECT_TRUE(edge);
}

TEST_F(KartPaintTool, RefusesWhatItCannotDraw)
{
    const char* const refused[] = {
        "colour a.bmp base=20406 stripe=ffffff\n",
        "colour a.bmp base=2040zz stripe=ffffff\n",
        "colour a.bmp base=204060\n",
        "colour ../a.bmp base=204060 stripe=ffffff\n",
        "colour a.bmp base=204060 stripe=ffffff loose\n",
        "logo a.png shape=blob fill=ffffff edge=000000\n",
        "logo a.png shape=poly fill=ffffff edge=000000 points=0,0;1,1\n",
        "logo a.png shape=poly fill=ffffff edge=000000 points=0,0;1;1,1\n",
        "paint a.bmp base=204060 stripe=ffffff\n",
        "# nothing but a comment\n",
    };
    for (const char* looks : refused)
        EXPECT_EQ(draw(looks), "1") << looks;
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run(m_rig.file("absent.txt").string() + " " + m_rig.folder().string()), 1);
}

} // namespace
