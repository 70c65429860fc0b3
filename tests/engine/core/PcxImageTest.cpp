#include "engine/core/PcxImage.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> join(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> rampPalette(int step)
{
    std::vector<uint8_t> palette(PcxImage::paletteSize);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint8_t(i * size_t(step));
    return palette;
}

std::vector<uint8_t> withPalette(const std::vector<uint8_t>& palette)
{
    return join({12}, palette);
}

class PcxImageTest : public ::testing::Test {
protected:
    bool load(const std::vector<uint8_t>& bytes)
    {
        m_files.addFile("t.pcx", bytes);
        return m_image.load(m_files, "t.pcx");
    }
    std::vector<uint8_t> pixels(size_t count) const
    {
        return std::vector<uint8_t>(m_image.pixels.get(), m_image.pixels.get() + count);
    }

    MemoryFileSystem m_files;
    PcxImage m_image;
};

TEST_F(PcxImageTest, RunsLiteralsAndThePaletteDecode)
{
    const auto palette = rampPalette(3);
    // 0xC3 0x07 is a run of three 7s; 0x05 is a literal.
    ASSERT_TRUE(load(join(join(pcxHeader(4, 1, 4), {0xC3, 0x07, 0x05}), withPalette(palette))));
    EXPECT_EQ(pixels(4), (std::vector<uint8_t>{7, 7, 7, 5}));
    EXPECT_EQ(std::vector<uint8_t>(m_image.palette, m_image.palette + PcxImage::paletteSize), palette);
}

TEST_F(PcxImageTest, RunIsCutAtTheEndOfTheImage)
{
    const auto palette = rampPalette(5);
    ASSERT_TRUE(load(join(join(pcxHeader(3, 1, 3), {0x01, 0xC9, 0x09}), withPalette(palette))));
    EXPECT_EQ(pixels(3), (std::vector<uint8_t>{1, 9, 9}));
    EXPECT_EQ(m_image.palette[767], palette[767]);
}

TEST_F(PcxImageTest, WrittenImagesRoundTrip)
{
    for (int width : {1, 5, 70}) {
        const int bytesPerLine = width + (width & 1);
        std::vector<uint8_t> indices;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < bytesPerLine; ++x)
                indices.push_back(uint8_t(x < 20 ? 0xC8 : x * 13 + y)); // long runs and bytes >= 192
        const auto palette = rampPalette(1);
        ASSERT_TRUE(load(writePcx(width, 3, bytesPerLine, indices, &palette))) << width;
        EXPECT_EQ(m_image.rowCount(), 3);
        EXPECT_EQ(m_image.bytesPerLine(), bytesPerLine);
        EXPECT_EQ(m_image.xMax() - m_image.xMin() + 1, width);
        EXPECT_EQ(pixels(indices.size()), indices);
    }
}

TEST_F(PcxImageTest, FileWithoutPaletteKeepsThePreviousOne)
{
    const auto palette = rampPalette(7);
    ASSERT_TRUE(load(writePcx(2, 2, 2, {1, 2, 3, 4}, &palette)));
    ASSERT_TRUE(load(writePcx(2, 2, 2, {5, 6, 7, 8}, nullptr)));
    EXPECT_EQ(pixels(4), (std::vector<uint8_t>{5, 6, 7, 8}));
    EXPECT_EQ(std::vector<uint8_t>(m_image.palette, m_image.palette + PcxImage::paletteSize), palette);
    // A marker followed by less than a whole palette is not a palette either.
    ASSERT_TRUE(load(join(writePcx(2, 2, 2, {5, 6, 7, 8}, nullptr), {12, 1, 2, 3})));
    EXPECT_EQ(m_image.palette[1], palette[1]);
}

std::vector<uint8_t> withByte(std::vector<uint8_t> bytes, size_t at, uint8_t value)
{
    bytes[at] = value;
    return bytes;
}

TEST_F(PcxImageTest, MissingShortAndMalformedFilesFail)
{
    const std::vector<uint8_t> body = {0xC4, 0x01};
    const std::vector<uint8_t> good = join(pcxHeader(2, 2, 2), body);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 100)},
        {"header only", pcxHeader(2, 2, 2)},
        {"data runs out", join(pcxHeader(2, 2, 2), {0xC3, 0x01})},
        {"run without its value", join(pcxHeader(2, 2, 2), {1, 1, 1, 0xC1})},
        {"yMax below yMin", withByte(good, 6, 5)},
        {"zero bytes per line", withByte(good, 66, 0)},
        {"gigantic", withByte(withByte(withByte(good, 11, 0xFF), 67, 0xFF), 10, 0xFF)},
        {"one bit per pixel", withByte(good, 3, 1)},
        {"three planes", withByte(good, 65, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(load(good));
        EXPECT_FALSE(load(c.bytes));
        EXPECT_EQ(m_image.pixels, nullptr);
    }
    EXPECT_FALSE(m_image.load(m_files, "absent.pcx"));
}

TEST_F(PcxImageTest, ReleaseFreesThePixels)
{
    ASSERT_TRUE(load(writePcx(2, 1, 2, {1, 2}, nullptr)));
    m_image.release();
    EXPECT_EQ(m_image.pixels, nullptr);
}

} // namespace
