#include "game/race/ColourMap.h"

#include "support/RecordedReports.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, white = 0xFFFFFF, grey = 0x808080;

// A picture as it is drawn, top row first.
std::vector<uint8_t> picture(int width, int height, const std::vector<uint32_t>& topRowFirst)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    return writeBmp(layout, {}, topRowFirst);
}

void expectColour(const std::array<float, 4>& actual, float r, float g, float b)
{
    EXPECT_NEAR(actual[0], r, 1e-5f);
    EXPECT_NEAR(actual[1], g, 1e-5f);
    EXPECT_NEAR(actual[2], b, 1e-5f);
    EXPECT_EQ(actual[3], 1.0f);
}

TEST(ColourMapTest, SamplesBlendTheFourNearestPixelsWithMinZAtTheBottomRow)
{
    MemoryFileSystem files;
    // Drawn:  red   green
    //         blue  white
    files.addFile("light.bmp", picture(2, 2, {red, green, blue, white}));
    // x from 0 to 20, z from 0 to 10: 10 m a column, 5 m a row.
    ColourMap map(files, "light.bmp", 0, 20, 0, 10);
    ASSERT_TRUE(map.loaded());
    EXPECT_EQ(map.width, 2);
    EXPECT_EQ(map.height, 2);
    struct Case {
        const char* name;
        float x, z;
        float r, g, b;
    } cases[] = {
        {"minX, minZ: the bottom left pixel", 0, 0, 0, 0, 2},
        {"a column on: bottom right", 10, 0, 2, 2, 2},
        {"a row on: top left", 0, 5, 2, 0, 0},
        {"halfway across the bottom", 5, 0, 1, 1, 2},
        {"halfway up the left", 0, 2.5f, 1, 0, 1},
        {"between all four", 5, 2.5f, 1, 1, 1},
        {"maxX, maxZ: the top right", 20, 10, 0, 2, 0},
        {"past the top right", 50, 50, 0, 2, 0},
        {"left of the picture: its edge, not beyond it", -5, 0, 0, 0, 2},
        {"below the picture", 0, -2.5f, 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectColour(map.sample({c.x, 0, c.z}), c.r, c.g, c.b);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    expectColour(map.sample({nan, 0, nan}), 0, 0, 2);
}

TEST(ColourMapTest, MidGreyIsAboutOne)
{
    MemoryFileSystem files;
    files.addFile("grey.bmp", picture(1, 1, {grey}));
    ColourMap map(files, "grey.bmp", 0, 1, 0, 1);
    const float value = 128.0f / 255.0f * 2.0f;
    expectColour(map.sample({0.5f, 0, 0.5f}), value, value, value);
}

TEST(ColourMapTest, UnusableMapsAreReportedAndSampleNeutral)
{
    struct Case {
        const char* name;
        const char* file;
        float minX, maxX;
        const char* report;
    } cases[] = {
        {"missing", "gone.bmp", 0, 1, "no such file"},
        {"not a picture", "junk.bmp", 0, 1, "not a BMP or JPEG picture that can be read"},
        {"another kind", "light.pcx", 0, 1, "not a BMP or JPEG picture"},
        {"no span", "light.bmp", 2, 2, "spans no area"},
    };
    MemoryFileSystem files;
    files.addFile("junk.bmp", {'B', 'M', 0, 0});
    files.addFile("light.pcx", writePcx(2, 2, 2, {1, 2, 3, 4}, nullptr));
    files.addFile("light.bmp", picture(1, 1, {red}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedReports reports;
        ColourMap map(files, c.file, c.minX, c.maxX, 0, 1);
        EXPECT_FALSE(map.loaded());
        expectColour(map.sample({0.5f, 0, 0.5f}), 1, 1, 1);
        EXPECT_NE(reports.last().find(std::string("Colour map \"") + c.file + "\": "), std::string::npos)
            << reports.last();
        EXPECT_NE(reports.last().find(c.report), std::string::npos) << reports.last();
    }
}

} // namespace
