#include "engine/core/image/BmpReader.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class BmpReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<ImageFile> decode(const std::vector<uint8_t>& bytes, int keepRowOrder = 0)
    {
        m_files.addFile("t.bmp", bytes);
        return loadBMP("t.bmp", m_files, keepRowOrder);
    }

    RecordedReports m_reports;
    MemoryFileSystem m_files;
};

uint32_t colourAt(int x, int y)
{
    return uint32_t((x * 37 + y * 91) & 0xFF) << 16 | uint32_t((x * 11 + 3) & 0xFF) << 8 | uint32_t((y * 29 + 7) & 0xFF);
}

std::vector<uint32_t> colourPattern(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(colourAt(x, y));
    return pixels;
}

// The picture as the reader should return it, rows turned over on request.
void expectPixels(const ImageFile& image, int width, int height, bool turned,
                  const std::vector<uint32_t>& expected)
{
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int sourceRow = turned ? height - 1 - y : y;
            ASSERT_EQ(image.pixel(x, y), 0xFF000000u | expected[size_t(sourceRow * width + x)])
                << "at " << x << "," << y;
        }
}

TEST_F(BmpReaderTest, TrueColourDecodesInEveryHeaderRowOrderAndPadding)
{
    for (uint32_t headerSize : {40u, 108u, 124u})
        for (int width : {1, 2, 3, 4, 5})
            for (bool topDown : {false, true})
                for (int keepRowOrder : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << "header " << headerSize << " width " << width << " topDown "
                                                    << topDown << " keepRowOrder " << keepRowOrder);
                    BmpLayout layout;
                    layout.width = width;
                    layout.height = 3;
                    layout.infoHeaderSize = headerSize;
                    layout.topDown = topDown;
                    const auto expected = colourPattern(width, 3);
                    auto image = decode(writeBmp(layout, {}, expected), keepRowOrder);
                    ASSERT_NE(image, nullptr) << lastErrorText.c_str();
                    // keepRowOrder gives the picture upside down, whichever way it is stored.
                    expectPixels(*image, width, 3, keepRowOrder != 0, expected);
                }
}

TEST_F(BmpReaderTest, PalettedFiveWideSkipsPaddingAndZeroColoursMeansAll256)
{
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 256; ++i)
        palette.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 0xFF));
    for (uint32_t headerSize : {40u, 124u}) {
        BmpLayout layout;
        layout.width = 5;
        layout.height = 2;
        layout.bitsPerPixel = 8;
        layout.infoHeaderSize = headerSize;
        layout.colorsUsed = 0;
        const std::vector<uint32_t> indices = {0, 1, 128, 254, 255, 200, 3, 77, 9, 250};
        auto image = decode(writeBmp(layout, palette, indices));
        ASSERT_NE(image, nullptr) << lastErrorText.c_str();
        std::vector<uint32_t> expected;
        for (uint32_t index : indices)
            expected.push_back(palette[index]);
        expectPixels(*image, 5, 2, false, expected);
    }
}

TEST_F(BmpReaderTest, IndexBeyondTheColoursUsedIsBlack)
{
    BmpLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.bitsPerPixel = 8;
    layout.colorsUsed = 2;
    auto image = decode(writeBmp(layout, {0x112233, 0x445566}, {1, 0, 2, 255}));
    ASSERT_NE(image, nullptr) << lastErrorText.c_str();
    EXPECT_EQ(image->pixel(0, 0), 0xFF445566u);
    EXPECT_EQ(image->pixel(1, 0), 0xFF112233u);
    EXPECT_EQ(image->pixel(2, 0), 0xFF000000u);
    EXPECT_EQ(image->pixel(3, 0), 0xFF000000u);
}

TEST_F(BmpReaderTest, PixelsAreTakenFromTheDataOffset)
{
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.gapBeforePixels = 10;
    const auto expected = colourPattern(2, 2);
    auto image = decode(writeBmp(layout, {}, expected));
    ASSERT_NE(image, nullptr) << lastErrorText.c_str();
    expectPixels(*image, 2, 2, false, expected);
}

std::vector<uint8_t> withU32(std::vector<uint8_t> bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

TEST_F(BmpReaderTest, DamagedOrUnsupportedFilesAreReportedAndRefused)
{
    BmpLayout plain;
    plain.width = 3;
    plain.height = 2;
    const std::vector<uint8_t> good = writeBmp(plain, {}, colourPattern(3, 2));
    BmpLayout paletted = plain;
    paletted.bitsPerPixel = 8;
    paletted.colorsUsed = 2;
    const std::vector<uint8_t> goodPaletted = writeBmp(paletted, {1, 2}, std::vector<uint32_t>(6, 1));

    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[0] = 'P';
    wrongMagic[1] = 'K';
    BmpLayout sixteen = plain;
    sixteen.bitsPerPixel = 16;
    BmpLayout rle = paletted;
    rle.compression = 1;
    std::vector<uint8_t> truncated = good;
    truncated.pop_back();

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const Case cases[] = {
        {"wrong magic", wrongMagic, "loadBMP: Unknown file type: 4b50\n"},
        {"short file of another kind", {'P', 'K', 3, 4}, "loadBMP: Unknown file type: 4b50\n"},
        {"16 bit", writeBmp(sixteen, {}, colourPattern(3, 2)), "loadBMP: Wrong BMP color depth: 16 bit\n"},
        {"32 bit", withU32(good, 28, 32), "loadBMP: Wrong BMP color depth: 32 bit\n"},
        {"run-length coded", writeBmp(rle, {1, 2}, std::vector<uint32_t>(6, 1)), nullptr},
        {"PNG inside, no colour depth", withU32(withU32(good, 28, 0), 30, 5), "loadBMP: Unsupported BMP compression: 5\n"},
        {"core header", withU32(good, 14, 12), nullptr},
        {"zero width", withU32(good, 18, 0), nullptr},
        {"negative width", withU32(good, 18, uint32_t(-3)), nullptr},
        {"zero height", withU32(good, 22, 0), nullptr},
        {"most negative height", withU32(good, 22, 0x80000000u), nullptr},
        {"gigantic", withU32(withU32(good, 18, 16000), 22, 16000), nullptr},
        {"too wide", withU32(good, 18, 100000), nullptr},
        {"palette over 256", withU32(goodPaletted, 46, 257), nullptr},
        {"data offset inside palette", withU32(goodPaletted, 10, 54 + 4), nullptr},
        {"data offset past the end", withU32(good, 10, 100000), nullptr},
        {"last byte missing", truncated, "loadBMP: Truncated BMP file\n"},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 30), "loadBMP: Truncated BMP file\n"},
        {"empty", {}, "loadBMP: Truncated BMP file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lastErrorText.assignCString("");
        EXPECT_EQ(decode(c.bytes), nullptr);
        if (c.message)
            EXPECT_STREQ(lastErrorText.c_str(), c.message);
        else
            EXPECT_EQ(std::string(lastErrorText.c_str()).rfind("loadBMP: ", 0), 0u) << lastErrorText.c_str();
    }
}

TEST_F(BmpReaderTest, MissingFileGivesNullWithoutReport)
{
    EXPECT_EQ(loadBMP("absent.bmp", m_files, 0), nullptr);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

} // namespace
