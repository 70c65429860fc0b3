#include "engine/core/image/PcxImage.h"
#include "engine/core/base/Report.h"
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

TEST_F(PcxImageTest, PaletteIsTheLast769BytesOrAGreyRamp)
{
    const auto palette = rampPalette(7);
    std::vector<uint8_t> grey(PcxImage::paletteSize);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = uint8_t(i / 3);
    auto paletteOf = [&] { return std::vector<uint8_t>(m_image.palette, m_image.palette + PcxImage::paletteSize); };
    // Padding between the pixels and the palette, as some writers leave.
    const auto padded = join(join(writePcx(2, 2, 2, {1, 2, 3, 4}, nullptr), {0, 0, 0, 12, 0}), withPalette(palette));
    ASSERT_TRUE(load(padded));
    EXPECT_EQ(pixels(4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(paletteOf(), palette);
    // A file without a palette never keeps the previous file's colours.
    ASSERT_TRUE(load(writePcx(2, 2, 2, {5, 6, 7, 8}, nullptr)));
    EXPECT_EQ(pixels(4), (std::vector<uint8_t>{5, 6, 7, 8}));
    EXPECT_EQ(paletteOf(), grey);
    // A marker followed by less than a whole palette is not a palette either.
    ASSERT_TRUE(load(padded));
    ASSERT_TRUE(load(join(writePcx(2, 2, 2, {5, 6, 7, 8}, nullptr), {12, 1, 2, 3})));
    EXPECT_EQ(paletteOf(), grey);
    // Nor are the last 769 bytes when they overlap the pixels.
    std::vector<uint8_t> literals(800);
    for (size_t i = 0; i < literals.size(); ++i)
        literals[i] = uint8_t(i % 150);
    literals[800 - 769] = 12;
    ASSERT_TRUE(load(writePcx(40, 20, 40, literals, nullptr)));
    EXPECT_EQ(paletteOf(), grey);
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
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "loadPCX: Truncated PCX file"},
        {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 100), "loadPCX: Truncated PCX file"},
        {"header only", pcxHeader(2, 2, 2), "loadPCX: Truncated PCX file"},
        {"data runs out", join(pcxHeader(2, 2, 2), {0xC3, 0x01}), "loadPCX: Truncated PCX file"},
        {"run without its value", join(pcxHeader(2, 2, 2), {1, 1, 1, 0xC1}), "loadPCX: Truncated PCX file"},
        {"yMax below yMin", withByte(good, 6, 5), "loadPCX: Bad PCX size: "},
        {"xMax below xMin", withByte(good, 4, 5), "loadPCX: Bad PCX size: "},
        {"width beyond the line", withByte(good, 8, 2), "loadPCX: Bad PCX size: 0..2 x 0..1, 2 bytes per line"},
        {"zero bytes per line", withByte(good, 66, 0), "loadPCX: Bad PCX size: "},
        {"gigantic", withByte(withByte(withByte(withByte(good, 11, 0xFF), 67, 0xFF), 10, 0xFF), 9, 0xFF),
         "loadPCX: "},
        {"one bit per pixel", withByte(good, 3, 1), "loadPCX: Unsupported PCX format: 1 bit, 1 plane(s)"},
        {"three planes", withByte(good, 65, 3), "loadPCX: Unsupported PCX format: 8 bit, 3 plane(s)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(load(good));
        resetReportSwitch();
        reportToText = 1;
        reportLevel = 3;
        EXPECT_FALSE(load(c.bytes));
        EXPECT_EQ(m_image.pixels, nullptr);
        EXPECT_EQ(std::string(lastErrorText.c_str()).rfind(c.reason, 0), 0u) << lastErrorText.c_str();
    }
    resetReportSwitch();
    EXPECT_FALSE(m_image.load(m_files, "absent.pcx"));
}

TEST_F(PcxImageTest, ReleaseFreesThePixels)
{
    ASSERT_TRUE(load(writePcx(2, 1, 2, {1, 2}, nullptr)));
    m_image.release();
    EXPECT_EQ(m_image.pixels, nullptr);
}

} // namespace
