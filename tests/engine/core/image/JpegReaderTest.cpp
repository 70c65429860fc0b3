#include "engine/core/image/JpegReader.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class JpegReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<ImageFile> decode(const std::vector<uint8_t>& bytes)
    {
        m_files.addFile("t.jpg", bytes);
        return loadJPEG(m_files, "t.jpg", 0);
    }

    RecordedReports m_reports;
    MemoryFileSystem m_files;
};

// Four flat quadrants of 16 x 16 pixels: whole blocks at any subsampling, so
// compression leaves their insides within a few levels.
const uint32_t quadrantColours[4] = {0xE02010, 0x20C040, 0x3040D0, 0xF0F0F0};

std::vector<uint8_t> quadrantSamples(int components)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t colour = quadrantColours[(y / 16) * 2 + x / 16];
            if (components == 1) {
                samples.push_back(uint8_t(colour >> 8));
            } else {
                samples.push_back(uint8_t(colour >> 16));
                samples.push_back(uint8_t(colour >> 8));
                samples.push_back(uint8_t(colour));
            }
        }
    return samples;
}

bool near(uint32_t actual, uint32_t expected, int tolerance)
{
    if ((actual >> 24) != 0xFF)
        return false;
    for (int shift : {0, 8, 16})
        if (std::abs(int(actual >> shift & 0xFF) - int(expected >> shift & 0xFF)) > tolerance)
            return false;
    return true;
}

TEST_F(JpegReaderTest, GreyAndColourDecodeToOpaquePixels)
{
    for (int components : {1, 3})
        for (bool progressive : {false, true}) {
            SCOPED_TRACE(testing::Message() << components << " components, progressive " << progressive);
            auto image = decode(writeJpeg(32, 32, components, quadrantSamples(components), 100, progressive));
            ASSERT_NE(image, nullptr) << lastErrorText.c_str();
            EXPECT_EQ(image->width, 32);
            EXPECT_EQ(image->height, 32);
            EXPECT_STREQ(lastErrorText.c_str(), "");
            for (int quadrant = 0; quadrant < 4; ++quadrant) {
                const uint32_t pixel = image->pixel((quadrant % 2) * 16 + 8, (quadrant / 2) * 16 + 8);
                const uint32_t colour = quadrantColours[quadrant];
                const uint32_t expected = components == 1 ? (colour >> 8 & 0xFF) * 0x010101u : colour;
                EXPECT_TRUE(near(pixel, expected, 4)) << std::hex << pixel << " for " << expected;
                if (components == 1)
                    EXPECT_EQ(pixel & 0xFF, pixel >> 16 & 0xFF);
            }
        }
}

TEST_F(JpegReaderTest, TruncatedFileKeepsTheDecodedRowsAndWarns)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                samples.push_back(uint8_t((x * 4 + y * 3 + c * 80) & 0xFF));
    const std::vector<uint8_t> whole = writeJpeg(64, 64, 3, samples, 90);
    auto reference = decode(whole);
    ASSERT_NE(reference, nullptr);

    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() * 3 / 4));
    auto image = decode(cut);
    ASSERT_NE(image, nullptr);
    EXPECT_STREQ(lastErrorText.c_str(), "JPEG: Premature end of JPEG file\n");
    ASSERT_EQ(image->width, 64);
    ASSERT_EQ(image->height, 64);
    // The first row of MCUs lies well inside the kept three quarters.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(image->pixel(x, y), reference->pixel(x, y)) << x << "," << y;
}

std::vector<uint8_t> withFrameSize(std::vector<uint8_t> bytes, uint16_t width, uint16_t height)
{
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = uint8_t(height >> 8);
            bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8);
            bytes[i + 8] = uint8_t(width);
            return bytes;
        }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

std::vector<uint8_t> withPrecision(std::vector<uint8_t> bytes, uint8_t bits)
{
    for (size_t i = 0; i + 4 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 4] = bits;
            return bytes;
        }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

TEST_F(JpegReaderTest, BadFilesFailTheLoadWithAReport)
{
    const std::vector<uint8_t> small = writeJpeg(8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 100));
    std::vector<uint8_t> cmyk = writeJpeg(8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 50));
    const std::vector<uint8_t> headerOnly(small.begin(), small.begin() + 20);
    std::vector<uint8_t> garbage(small.size(), 0x42);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* messageStart;
    };
    const Case cases[] = {
        {"empty file", {}, "JPEG: Empty input file\n"},
        {"not a JPEG", garbage, "JPEG: Not a JPEG file"},
        {"four components", cmyk, "loadJPEG: Unsupported CMYK JPEG\n"},
        {"twelve-bit samples", withPrecision(small, 12), "loadJPEG: Unsupported 12-bit JPEG\n"},
        {"gigantic frame", withFrameSize(small, 60000, 60000), "loadJPEG: Bad JPEG size: 60000 x 60000\n"},
        {"zero height frame", withFrameSize(small, 8, 0), "JPEG: "},
        {"cut inside the header", headerOnly, "JPEG: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lastErrorText.assignCString("");
        EXPECT_EQ(decode(c.bytes), nullptr);
        EXPECT_EQ(std::string(lastErrorText.c_str()).rfind(c.messageStart, 0), 0u) << lastErrorText.c_str();
    }
    // A failed decode leaves libjpeg and the stream in a state to try again.
    EXPECT_NE(decode(small), nullptr);
}

TEST_F(JpegReaderTest, MissingFileGivesNullWithoutReport)
{
    EXPECT_EQ(loadJPEG(m_files, "absent.jpg", 0), nullptr);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

} // namespace
