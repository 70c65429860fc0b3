#include "game/race/GroundMap.h"

#include "support/RecordedReports.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Cell (row, column) of a width x height map holds 16 x row + column + 1.
std::vector<uint8_t> numberedCells(int width, int height, int bytesPerLine)
{
    std::vector<uint8_t> indices;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < bytesPerLine; ++column)
            indices.push_back(uint8_t(16 * row + column + 1));
    return indices;
}

std::vector<uint8_t> mapFile(int width, int height, int bytesPerLine)
{
    return writePcx(width, height, bytesPerLine, numberedCells(width, height, bytesPerLine), nullptr);
}

TEST(GroundMapTest, CellsRunAlongXAndDownFromMaxZ)
{
    MemoryFileSystem files;
    files.addFile("pos.pcx", mapFile(4, 3, 4));
    // x from -4 to 4 (2 m a column), z from 10 to 16 (2 m a row).
    GroundMap map(files, "pos.pcx", -4, 4, 10, 16);
    ASSERT_TRUE(map.loaded());
    EXPECT_EQ(map.width, 4);
    EXPECT_EQ(map.height, 3);
    EXPECT_EQ(map.shift, 2);
    struct Case {
        const char* name;
        float x, z;
        int row, column;
    } cases[] = {
        {"corner at minX, maxZ", -4, 16, 0, 0},
        {"inside", -1, 13, 1, 1},
        {"just below maxZ", 3.9f, 15.9f, 0, 3},
        {"minZ is the last row", 0, 10, 2, 2},
        {"maxX clamps to the last column", 4, 12.5f, 1, 3},
        {"left of the rectangle", -100, 11, 2, 0},
        {"right of and above it", 100, 100, 0, 3},
        {"below it", 1, -100, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(map.valueAt({c.x, 0, c.z}), 16 * c.row + c.column + 1);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(map.valueAt({nan, 0, nan}), map.valueAt({-4, 0, 16}));
    EXPECT_EQ(map.valueAt({INFINITY, 0, -INFINITY}), 16 * 2 + 3 + 1);
}

TEST(GroundMapTest, ShiftIsTheSmallestPowerOfTwoHoldingTheWidth)
{
    struct Case {
        int width, shift;
    } cases[] = {{1, 0}, {2, 1}, {8, 3}, {256, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        MemoryFileSystem files;
        files.addFile("pos.pcx", mapFile(c.width, 2, c.width));
        GroundMap map(files, "pos.pcx", 0, 1, 0, 1);
        ASSERT_TRUE(map.loaded());
        EXPECT_EQ(map.shift, c.shift);
        // maxX, minZ: the last cell of the last row.
        EXPECT_EQ(map.valueAt({1, 0, 0}), uint8_t(16 + c.width));
    }
}

TEST(GroundMapTest, UnusableMapsAreReportedAndReadAsZero)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        float minX, maxX, minZ, maxZ;
        const char* report;
    } cases[] = {
        {"width not a power of two", mapFile(3, 2, 4), 0, 1, 0, 1, "3 pixels wide in lines of 4 bytes"},
        {"width of 6", mapFile(6, 2, 6), 0, 1, 0, 1, "6 pixels wide"},
        {"padded lines", mapFile(4, 2, 6), 0, 1, 0, 1, "4 pixels wide in lines of 6 bytes"},
        {"not a picture", {1, 2, 3}, 0, 1, 0, 1, "not an 8-bit PCX picture"},
        {"no x span", mapFile(4, 2, 4), 1, 1, 0, 1, "spans no area"},
        {"reversed z", mapFile(4, 2, 4), 0, 1, 1, 0, "spans no area"},
        {"not a number", mapFile(4, 2, 4), std::numeric_limits<float>::quiet_NaN(), 1, 0, 1, "spans no area"},
        {"infinite", mapFile(4, 2, 4), -INFINITY, 1, 0, 1, "spans no area"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        files.addFile("pos.pcx", c.file);
        RecordedReports reports;
        GroundMap map(files, "pos.pcx", c.minX, c.maxX, c.minZ, c.maxZ);
        EXPECT_FALSE(map.loaded());
        EXPECT_EQ(map.valueAt({0.5f, 0, 0.5f}), 0);
        EXPECT_NE(reports.last().find("Position map \"pos.pcx\": "), std::string::npos) << reports.last();
        EXPECT_NE(reports.last().find(c.report), std::string::npos) << reports.last();
    }
    MemoryFileSystem files;
    RecordedReports reports;
    GroundMap missing(files, "gone.pcx", 0, 1, 0, 1);
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(reports.last(), "Position map \"gone.pcx\": no such file");
}

} // namespace
