#include "game/race/SpeedMap.h"

#include "support/RecordedReports.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace {

uint8_t cellByte(int row, int column)
{
    return uint8_t(row * 3 + column);
}

std::vector<uint8_t> speedFile(int width, int height)
{
    std::vector<uint8_t> indices;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            indices.push_back(cellByte(row, column));
    return writePcx(width, height, width, indices, nullptr);
}

bool allZero(const SpeedMap& map)
{
    for (const auto& cell : map.cells)
        if (cell[0] != 0.0f || cell[1] != 0.0f)
            return false;
    return true;
}

TEST(SpeedMapTest, StartsAtZeroWithItsScale)
{
    SpeedMap map(-256, 768, 0, 256);
    EXPECT_EQ(map.cells.size(), 512u * 512u);
    EXPECT_TRUE(allZero(map));
    EXPECT_FLOAT_EQ(map.scaleX, 0.5f);
    EXPECT_FLOAT_EQ(map.scaleZ, 2.0f);
    // A level without speed-map attributes has the rectangle 0, 0, 0, 0.
    SpeedMap empty(0, 0, 0, 0);
    EXPECT_EQ(empty.scaleX, 0.0f);
    EXPECT_EQ(empty.scaleZ, 0.0f);
}

TEST(SpeedMapTest, LayerZeroTakesEveryPixelOverTwoHundredFiftyFive)
{
    MemoryFileSystem files;
    files.addFile("ai/speed.pcx", speedFile(512, 512));
    SpeedMap map(0, 1, 0, 1);
    ASSERT_TRUE(map.load(0, files, "ai/speed.pcx"));
    for (int row : {0, 1, 200, 511})
        for (int column : {0, 7, 300, 511}) {
            const auto& cell = map.cells[size_t(row) * 512 + size_t(column)];
            EXPECT_FLOAT_EQ(cell[0], cellByte(row, column) / 255.0f) << row << "," << column;
            EXPECT_EQ(cell[1], 0.0f);
        }

    SpeedMap other(0, 1, 0, 1);
    EXPECT_TRUE(other.load(1, files, "ai/speed.pcx"));
    EXPECT_TRUE(allZero(other));
}

TEST(SpeedMapTest, OnlyFiveHundredTwelveSquareIsTaken)
{
    struct Case {
        int width, height;
        const char* report;
    } cases[] = {
        {511, 512, "511 x 512 pixels, not 512 x 512"},
        {512, 256, "512 x 256 pixels"},
        {1024, 512, "1024 x 512 pixels"},
        {1, 1, "1 x 1 pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        MemoryFileSystem files;
        files.addFile("s.pcx", speedFile(c.width, c.height));
        SpeedMap map(0, 1, 0, 1);
        RecordedReports reports;
        EXPECT_FALSE(map.load(0, files, "s.pcx"));
        EXPECT_TRUE(allZero(map));
        EXPECT_EQ(reports.last().find(std::string("Speed map \"s.pcx\": ") + c.report), 0u) << reports.last();
    }
}

TEST(SpeedMapTest, MissingAndDamagedFilesAreReported)
{
    MemoryFileSystem files;
    std::vector<uint8_t> cut = speedFile(512, 512);
    cut.resize(cut.size() / 2);
    files.addFile("cut.pcx", cut);
    SpeedMap map(0, 1, 0, 1);
    RecordedReports reports;
    EXPECT_FALSE(map.load(0, files, "gone.pcx"));
    EXPECT_EQ(reports.last(), "Speed map \"gone.pcx\": no such file");
    EXPECT_FALSE(map.load(0, files, "cut.pcx"));
    EXPECT_EQ(reports.last(), "Speed map \"cut.pcx\": not an 8-bit PCX picture that can be read");
    EXPECT_TRUE(allZero(map));
}

} // namespace
