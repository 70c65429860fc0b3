#include "engine/core/io/DiskFile.h"
#include "engine/core/image/ImageFile.h"
#include "engine/core/image/PcxImage.h"
#include "engine/core/base/Report.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class ImageFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportLevel = 3;
        reportToText = 1;
        BmpLayout layout;
        layout.width = 2;
        layout.height = 2;
        m_bmp = writeBmp(layout, {}, {0x010203, 0x040506, 0x070809, 0x0A0B0C});
        m_jpeg = writeJpeg(8, 8, 1, std::vector<uint8_t>(64, 0x80), 100);
    }
    void TearDown() override { resetReportSwitch(); }

    MemoryFileSystem m_files;
    std::vector<uint8_t> m_bmp;
    std::vector<uint8_t> m_jpeg;
};

TEST_F(ImageFileTest, LoadImageDispatchesOnTheLastThreeLetters)
{
    struct Case {
        const char* name;
        bool jpeg;
        int expectedWidth; // 0: no image
    };
    const Case cases[] = {
        {"a.bmp", false, 2}, {"textures\\B.BMP", false, 2}, {"c.jpg", true, 8}, {"d.JPG", true, 8},
        {"e.png", false, 0}, {"f.jpeg", true, 0},           {"bmp", false, 2},  {"jp", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_files.addFile(c.name, c.jpeg ? m_jpeg : m_bmp);
        auto image = loadImage(m_files, c.name, 0);
        if (c.expectedWidth == 0) {
            EXPECT_EQ(image, nullptr);
            continue;
        }
        ASSERT_NE(image, nullptr) << lastErrorText.c_str();
        EXPECT_EQ(image->width, c.expectedWidth);
        EXPECT_STREQ(image->name.c_str(), c.name);
    }
    EXPECT_EQ(loadImage(m_files, "missing.bmp", 0), nullptr);
}

TEST_F(ImageFileTest, LoadImagePassesTheRowOrderOn)
{
    m_files.addFile("a.bmp", m_bmp);
    auto upright = loadImage(m_files, "a.bmp", 0);
    auto turned = loadImage(m_files, "a.bmp", 1);
    ASSERT_NE(upright, nullptr);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(upright->pixel(0, 0), 0xFF010203u);
    EXPECT_EQ(turned->pixel(0, 0), 0xFF070809u);
}

TEST_F(ImageFileTest, ReadFileHoldsTheWholeFileInWholeWords)
{
    for (size_t size : {size_t(0), size_t(1), size_t(4), size_t(10)}) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < size; ++i)
            bytes.push_back(uint8_t(0xA0 + i));
        m_files.addFile("raw.dds", bytes);
        auto raw = RgbaImage::readFile("raw.dds", m_files);
        ASSERT_NE(raw, nullptr);
        EXPECT_EQ(raw->size, size);
        EXPECT_STREQ(raw->name.c_str(), "raw.dds");
        EXPECT_EQ(raw->refCount, 1);
        EXPECT_EQ(std::vector<uint8_t>(raw->bytes(), raw->bytes() + size), bytes);
        // The rounding bytes are there and zero.
        for (size_t i = size; i < (size + 3) / 4 * 4; ++i)
            EXPECT_EQ(raw->bytes()[i], 0);
    }
    EXPECT_EQ(RgbaImage::readFile("absent.dds", m_files), nullptr);
}

// One file whose length claims more than it delivers.
class ClaimingStream : public Stream {
public:
    ClaimingStream(uint32_t claimed, uint32_t actual) : m_claimed(claimed), m_actual(actual) {}
    std::unique_ptr<Stream> clone() const override { return std::make_unique<ClaimingStream>(m_claimed, m_actual); }
    bool exists(const char*) override { return true; }
    bool openRead(const char*) override
    {
        length = m_claimed;
        m_position = 0;
        return true;
    }
    bool openWrite(const char*) override { return false; }
    bool close() override { return true; }
    uint32_t read(void* dest, uint32_t count) override
    {
        const uint32_t n = std::min(count, m_actual - m_position);
        std::memset(dest, 0x5A, n);
        m_position += n;
        return n;
    }
    uint32_t write(const void*, uint32_t) override { return 0; }
    bool seekSet(uint32_t position) override { return false; }
    bool seekCur(int32_t) override { return false; }
    uint32_t tell() override { return m_position; }

private:
    uint32_t m_claimed;
    uint32_t m_actual;
    uint32_t m_position = 0;
};

TEST_F(ImageFileTest, ReadFileRefusesShortAndOversizedFiles)
{
    ClaimingStream shortFile(100, 60);
    EXPECT_EQ(RgbaImage::readFile("short.dds", shortFile), nullptr);
    ClaimingStream hugeFile(0xFFFFFFF0u, 16);
    EXPECT_EQ(RgbaImage::readFile("huge.dds", hugeFile), nullptr);
    ClaimingStream honest(16, 16);
    auto raw = RgbaImage::readFile("ok.dds", honest);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->bytes()[15], 0x5A);
}

// The decoders through real files on disk, with Windows-style names.
TEST_F(ImageFileTest, DecodersReadThroughDiskFiles)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("vorlund-images-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "textures");
    auto put = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(root / "textures" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    };
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.infoHeaderSize = 124;
    layout.gapBeforePixels = 4;
    put("a.bmp", writeBmp(layout, {}, {1, 2, 3, 4, 5, 6}));
    put("b.jpg", m_jpeg);
    put("c.pcx", writePcx(2, 1, 2, {7, 8}, nullptr));

    // exists() always searches from the working directory.
    struct Restore {
        fs::path cwd, scratch;
        ~Restore()
        {
            fs::current_path(cwd);
            fs::remove_all(scratch);
        }
    } restore{fs::current_path(), root};
    fs::current_path(root);
    DiskFile disk;
    auto bitmap = loadImage(disk, "textures\\a.bmp", 0);
    ASSERT_NE(bitmap, nullptr) << lastErrorText.c_str();
    EXPECT_EQ(bitmap->pixel(2, 1), 0xFF000006u);
    auto jpeg = loadImage(disk, "textures\\b.jpg", 0);
    ASSERT_NE(jpeg, nullptr) << lastErrorText.c_str();
    EXPECT_EQ(jpeg->width, 8);
    PcxImage pcx;
    ASSERT_TRUE(pcx.load(disk, "textures\\c.pcx"));
    EXPECT_EQ(pcx.pixels[1], 8);
}

} // namespace
