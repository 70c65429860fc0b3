#include "engine/core/texture/AnimatedTexture.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/base/EngineLog.h"
#include "engine/core/texture/FileTexture.h"
#include "engine/core/texture/FlareTexture.h"
#include "engine/core/texture/GradientTexture.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/io/StreamRef.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3dx/D3DXImageInfo.h"
#include "platform/d3dx/PixelFormat.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, white = 0xFFFFFF;

// A 24-bit bitmap of four coloured quadrants: red, green on top, blue, white
// below.
std::vector<uint8_t> quadrants(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(y < height / 2 ? (x < width / 2 ? red : green) : (x < width / 2 ? blue : white));
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    return writeBmp(layout, {}, pixels);
}

std::vector<uint8_t> solid(int width, int height, uint32_t colour)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    return writeBmp(layout, {}, std::vector<uint32_t>(size_t(width) * height, colour));
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(fs::path(path).parent_path().empty() ? "." : fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A level of a texture as ARGB words, whatever its format.
std::vector<uint32_t> levelArgb(IDirect3DTexture9* texture, UINT level)
{
    std::vector<uint32_t> out;
    D3DSURFACE_DESC desc {};
    D3DLOCKED_RECT locked {};
    const PixelFormat* format = nullptr;
    if (!texture || FAILED(texture->GetLevelDesc(level, &desc)) || !(format = PixelFormat::find(desc.Format)) ||
        FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
        return out;
    out.resize(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        format->toArgb(static_cast<const uint8_t*>(locked.pBits) + y * size_t(locked.Pitch),
                       out.data() + size_t(y) * desc.Width, desc.Width);
    texture->UnlockRect(level);
    return out;
}

D3DFORMAT levelFormat(IDirect3DTexture9* texture)
{
    D3DSURFACE_DESC desc {};
    texture->GetLevelDesc(0, &desc);
    return desc.Format;
}

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            names.push_back(fs::relative(entry.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

class TextureRecording : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_rig.start()); }
    void TearDown() override { setDefaultFileSystem(nullptr); }

    Renderer* renderer() { return m_rig.renderer.get(); }

    RecordingWorld m_world;
    ScopedWorkingDirectory m_cwd {"vorlund-texture"};
    RendererRig m_rig;
};

TEST_F(TextureRecording, DefaultFileTextureIsConvertedWithAFullChain)
{
    MemoryFileSystem files;
    files.addFile("pic.bmp", quadrants(100, 100));
    FileTexture texture(renderer());
    EXPECT_EQ(texture.m_flags, 3u);
    ASSERT_TRUE(texture.load(&files, "pic.bmp", 0));
    EXPECT_EQ(texture.m_preferDDS, 0);
    texture.create();

    IDirect3DTexture9* t = texture.getD3DTexture(0.0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(texture.m_width, 128);
    EXPECT_EQ(texture.m_height, 128);
    EXPECT_EQ(t->GetLevelCount(), 8u);
    EXPECT_EQ(texture.m_levelCount, 8u);
    EXPECT_EQ(texture.m_format, D3DFMT_A1R5G5B5);
    EXPECT_EQ(levelFormat(t), D3DFMT_A1R5G5B5);
    EXPECT_EQ(texture.m_pool, D3DPOOL_MANAGED);
    EXPECT_EQ(t->pool(), D3DPOOL_MANAGED);

    const std::vector<uint32_t> top = levelArgb(t, 0);
    ASSERT_EQ(top.size(), 128u * 128u);
    EXPECT_EQ(top[10 * 128 + 10], 0xFFFF0000u);
    EXPECT_EQ(top[10 * 128 + 100], 0xFF00FF00u);
    EXPECT_EQ(top[100 * 128 + 10], 0xFF0000FFu);
    EXPECT_EQ(top[100 * 128 + 100], 0xFFFFFFFFu);
    const std::vector<uint32_t> last = levelArgb(t, 7);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_NEAR(double((last[0] >> 16) & 0xFF), 127.0, 5.0) << "the smallest level is the mean";

    // The copy lands beside the name, in the working directory, whatever
    // file system the image came from; that file system does not see it.
    EXPECT_EQ(filesIn("."), std::vector<std::string> {"pic.bmp.dds"});
    FileTexture again(renderer());
    ASSERT_TRUE(again.load(&files, "pic.bmp", 0));
    EXPECT_EQ(again.m_preferDDS, 0);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(TextureRecording, NamesThatClimbOutOfTheWorkingDirectoryGetNoCopy)
{
    fs::create_directories("inner");
    fs::current_path("inner");
    struct Case {
        const char* name;
        bool copied;
    } cases[] = {
        {"..\\up.bmp", false},
        {"sub/../../up2.bmp", false},
        {"\\root.bmp", false},
        {"a..b.bmp", true},
        {"sub\\..x\\y.bmp", false}, // no such folder: the write fails quietly
    };
    for (const Case& c : cases) {
        MemoryFileSystem files;
        files.addFile(c.name, quadrants(8, 8));
        FileTexture texture(renderer());
        ASSERT_TRUE(texture.load(&files, c.name, 0)) << c.name;
        texture.create();
        EXPECT_NE(texture.getFirstTexture(), nullptr) << c.name;
    }
    EXPECT_EQ(filesIn("."), std::vector<std::string> {"a..b.bmp.dds"});
    EXPECT_EQ(filesIn(".."), std::vector<std::string> {"inner/a..b.bmp.dds"});
    fs::current_path("..");
}

TEST_F(TextureRecording, SecondLoadThroughDiskReadsTheDdsCopy)
{
    writeFile("tex/pic.bmp", quadrants(64, 32));
    DiskFile disk;
    FileTexture first(renderer());
    ASSERT_TRUE(first.load(&disk, "tex\\pic.bmp", 0));
    EXPECT_EQ(first.m_preferDDS, 0);
    first.create();
    ASSERT_NE(first.getFirstTexture(), nullptr);
    EXPECT_EQ(filesIn("tex"), (std::vector<std::string> {"pic.bmp", "pic.bmp.dds"})) << "nothing half-written";

    // Without the image, only the copy can give the texture.
    fs::remove("tex/pic.bmp");
    FileTexture second(renderer());
    ASSERT_TRUE(second.load(&disk, "tex\\pic.bmp", 0));
    EXPECT_EQ(second.m_preferDDS, 1);
    second.create();
    IDirect3DTexture9* a = first.getFirstTexture();
    IDirect3DTexture9* b = second.getFirstTexture();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(second.m_width, 128);
    EXPECT_EQ(second.m_height, 32);
    EXPECT_EQ(levelFormat(b), D3DFMT_A1R5G5B5);
    ASSERT_EQ(b->GetLevelCount(), a->GetLevelCount());
    for (UINT level = 0; level < a->GetLevelCount(); ++level)
        EXPECT_EQ(levelArgb(b, level), levelArgb(a, level)) << "level " << level;
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(TextureRecording, DamagedCopyIsReportedAndConvertedAgain)
{
    writeFile("good/pic.bmp", solid(8, 8, blue));
    DiskFile disk;
    {
        FileTexture maker(renderer());
        maker.load(&disk, "good/pic.bmp", 0);
        maker.create();
    }
    const std::vector<uint8_t> good = readFile("good/pic.bmp.dds");
    ASSERT_GT(good.size(), 128u);
    std::vector<uint8_t> claimsMore = good;
    claimsMore[16] = 0x00; // width 128 -> 0x00800000... far beyond the data
    claimsMore[17] = 0x00;
    claimsMore[18] = 0x80;
    const std::vector<std::vector<uint8_t>> damaged = {
        {},
        {'D', 'D', 'S', ' '},
        std::vector<uint8_t>(good.begin(), good.end() - 2),
        claimsMore,
    };
    for (const std::vector<uint8_t>& bytes : damaged) {
        resetReportSwitch();
        reportLevel = 3;
        reportToText = 1;
        writeFile("pic.bmp", solid(8, 8, blue));
        writeFile("pic.bmp.dds", bytes);
        FileTexture texture(renderer());
        ASSERT_TRUE(texture.load(&disk, "pic.bmp", 0));
        EXPECT_EQ(texture.m_preferDDS, 1);
        texture.create();
        EXPECT_STREQ(lastErrorText.c_str(), "Loading texture \"pic.bmp\" from .dds-file failed!!!\n") << bytes.size();
        ASSERT_NE(texture.getFirstTexture(), nullptr) << bytes.size();
        EXPECT_EQ(levelArgb(texture.getFirstTexture(), 0)[0], 0xFF0000FFu);
        const std::vector<uint8_t> rewritten = readFile("pic.bmp.dds");
        D3DXIMAGE_INFO info {};
        EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(rewritten.data(), UINT(rewritten.size()), &info), D3D_OK);
    }
}

TEST_F(TextureRecording, UnwritableCacheIsNoError)
{
    MemoryFileSystem files;
    files.addFile("nowhere\\pic.bmp", solid(4, 4, red));
    FileTexture texture(renderer());
    ASSERT_TRUE(texture.load(&files, "nowhere\\pic.bmp", 0));
    texture.create();
    EXPECT_NE(texture.getFirstTexture(), nullptr);
    EXPECT_STREQ(lastErrorText.c_str(), "");
    EXPECT_TRUE(filesIn(".").empty()) << "no copy and no temporary file";
}

TEST_F(TextureRecording, SizesFollowTheImageAndTheDetail)
{
    struct Case {
        int imageWidth, imageHeight;
        int32_t detail;
        uint32_t flags;
        int32_t width, height;
    };
    const Case cases[] = {
        {300, 20, 0, 3, 512, 32},
        {64, 64, 0, 3, 128, 64},
        {256, 256, -1, 3, 128, 128},
        {256, 256, -1, 3 | TextureFullDetail, 256, 256},
        {2, 2, -2, 3, 32, 1},
    };
    for (const Case& c : cases) {
        renderer()->m_textureDetail = c.detail;
        MemoryFileSystem files;
        files.addFile("x\\pic.bmp", solid(c.imageWidth, c.imageHeight, green));
        FileTexture texture(renderer());
        texture.load(&files, "x\\pic.bmp", 0);
        texture.m_flags = c.flags;
        texture.create();
        ASSERT_NE(texture.getFirstTexture(), nullptr);
        D3DSURFACE_DESC desc {};
        texture.getFirstTexture()->GetLevelDesc(0, &desc);
        EXPECT_EQ(int32_t(desc.Width), c.width) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_EQ(int32_t(desc.Height), c.height) << c.imageWidth << "x" << c.imageHeight;
    }
}

TEST_F(TextureRecording, MissingImageLeavesAnEmptyTexture)
{
    std::ostringstream log;
    setEngineLogSink(&log);
    MemoryFileSystem files;
    FileTexture texture(renderer());
    EXPECT_FALSE(texture.load(&files, "gone.bmp", 1));
    texture.create();
    setEngineLogSink(nullptr);
    EXPECT_EQ(texture.getD3DTexture(0.0), nullptr);
    EXPECT_NE(log.str().find("Missing texture \"gone.bmp\" !!!"), std::string::npos);
}

TEST_F(TextureRecording, FailedCreationNeverLocksANullTexture)
{
    MemoryFileSystem files;
    files.addFile("x\\pic.bmp", solid(4, 4, red));
    struct Case {
        D3DFORMAT format;
        const char* why;
    };
    // Unknown to the device at all, and known only as a block format that
    // 32-bit texels cannot be written into.
    for (const Case c : {Case {D3DFMT_UNKNOWN, "no format"}, Case {D3DFMT_DXT1, "block format"}}) {
        FileTexture file(renderer());
        file.load(&files, "x\\pic.bmp", 0);
        file.m_format = c.format;
        file.create();
        EXPECT_EQ(file.getD3DTexture(0.0), nullptr) << c.why;

        FlareTexture flare(renderer());
        flare.m_format = c.format;
        flare.generate(4);
        EXPECT_EQ(flare.getD3DTexture(0.0), nullptr) << c.why;

        GradientTexture gradient(renderer(), nullptr);
        gradient.m_format = c.format;
        gradient.create();
        EXPECT_EQ(gradient.getD3DTexture(0.0), nullptr) << c.why;
    }
}

TEST_F(TextureRecording, AlphaImageMasksAndChainKeepsCutOutColour)
{
    MemoryFileSystem files;
    files.addFile("x\\colour.bmp", solid(128, 4, 0x808080));
    std::vector<uint32_t> mask;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 128; ++x)
            mask.push_back(x < 64 ? white : 0x000000);
    BmpLayout layout;
    layout.width = 128;
    layout.height = 4;
    files.addFile("x\\mask.bmp", writeBmp(layout, {}, mask));

    FileTexture alpha(renderer());
    alpha.load(&files, "x\\mask.bmp", 0);
    FileTexture texture(renderer());
    texture.load(&files, "x\\colour.bmp", 0);
    texture.m_alphaSource = &alpha;
    texture.m_conversion = 1;
    texture.m_flags = TextureMipChain;
    texture.create();
    IDirect3DTexture9* t = texture.getFirstTexture();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(texture.m_conversion, 0);
    EXPECT_EQ(alpha.m_image, nullptr) << "the alpha image is released";
    const std::vector<uint32_t> top = levelArgb(t, 0);
    EXPECT_EQ(top[0], 0x00808080u) << "white in the mask: transparent";
    EXPECT_EQ(top[127], 0xFF808080u) << "black in the mask: alpha kept";
    const std::vector<uint32_t> second = levelArgb(t, 1);
    EXPECT_EQ(second[0], 0x00808080u) << "transparent texels keep their colour down the chain";
    EXPECT_EQ(second[63], 0xFF000000u) << "opaque texels go black";

    // A missing alpha image is an error; the texture is made without it.
    FileTexture missing(renderer());
    missing.load(&files, "x\\gone.bmp", 0);
    FileTexture plain(renderer());
    plain.load(&files, "x\\colour.bmp", 0);
    plain.m_alphaSource = &missing;
    plain.create();
    EXPECT_STREQ(lastErrorText.c_str(), "Missing alpha texture \"x\\gone.bmp\" !!!\n");
    EXPECT_NE(plain.getFirstTexture(), nullptr);
}

TEST_F(TextureRecording, AlphaOnlyAndNormalMaps)
{
    MemoryFileSystem files;
    files.addFile("x\\grey.bmp", solid(16, 16, 0x303030));
    FileTexture alphaOnly(renderer());
    alphaOnly.load(&files, "x\\grey.bmp", 0);
    alphaOnly.m_flags = 3 | TextureAlphaOnly;
    alphaOnly.create();
    ASSERT_NE(alphaOnly.getFirstTexture(), nullptr);
    EXPECT_EQ(levelFormat(alphaOnly.getFirstTexture()), D3DFMT_A8);
    EXPECT_EQ(levelArgb(alphaOnly.getFirstTexture(), 0)[0] >> 24, 255u - 0x30);

    FileTexture bumps(renderer());
    bumps.load(&files, "x\\grey.bmp", 0);
    bumps.setFlags(TextureMipChain | TextureNormalMap);
    bumps.create();
    IDirect3DTexture9* t = bumps.getFirstTexture();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(bumps.m_format, D3DFMT_A8R8G8B8);
    for (UINT level = 0; level < t->GetLevelCount(); ++level)
        for (uint32_t texel : levelArgb(t, level))
            ASSERT_EQ(texel, 0x007F7FFFu) << "level " << level;
}

// Only a texture that takes its alpha from the alpha image gives up its
// conversion for it; an alpha-only texture reads its own image's intensity.
TEST_F(TextureRecording, AlphaImageResetsTheConversionOnlyWhereItIsUsed)
{
    MemoryFileSystem files;
    files.addFile("x\\grey.bmp", solid(16, 16, 0x303030));
    files.addFile("x\\mask.bmp", solid(16, 16, white));
    struct Case {
        uint32_t flags;
        int32_t conversion;
        uint32_t texel;
    };
    const Case cases[] = {
        {TextureAlphaOnly, 2, 0xCF000000u},
        {TextureAlphaOnly | TextureColour, 2, 0xCF000000u},
        {0, 0, 0x00303030u},
        {TextureColour, 0, 0x00303030u},
    };
    for (const Case& c : cases) {
        FileTexture mask(renderer());
        mask.load(&files, "x\\mask.bmp", 0);
        FileTexture texture(renderer());
        texture.load(&files, "x\\grey.bmp", 0);
        texture.m_alphaSource = &mask;
        texture.m_conversion = 2;
        texture.m_flags = c.flags;
        texture.create();
        ASSERT_NE(texture.getFirstTexture(), nullptr) << c.flags;
        EXPECT_EQ(texture.m_conversion, c.conversion) << c.flags;
        EXPECT_EQ(levelArgb(texture.getFirstTexture(), 0)[0], c.texel) << c.flags;
    }
}

TEST_F(TextureRecording, RefusedFormatIsStagedAndConverted)
{
    // A device that cannot hold A8R8G8B8 textures.
    std::vector<D3DFORMAT>& formats = recordingSetup().capabilities.textureFormats;
    formats.erase(std::remove(formats.begin(), formats.end(), D3DFMT_A8R8G8B8), formats.end());
    RendererRig rig;
    ASSERT_TRUE(rig.start());
    MemoryFileSystem files;
    files.addFile("x\\pic.bmp", solid(8, 8, red));
    FileTexture texture(rig.renderer.get());
    texture.load(&files, "x\\pic.bmp", 0);
    texture.m_flags = TextureMipChain;
    texture.create();
    IDirect3DTexture9* t = texture.getFirstTexture();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(texture.m_flags & TextureConvert);
    EXPECT_EQ(t->pool(), D3DPOOL_MANAGED);
    EXPECT_EQ(levelFormat(t), D3DFMT_A1R5G5B5);
    EXPECT_EQ(levelArgb(t, 0)[0], 0xFFFF0000u);
}

TEST_F(TextureRecording, ProceduralTexturesThroughTheDevice)
{
    FlareTexture flare(renderer());
    flare.m_name = "mine";
    flare.generate(4);
    IDirect3DTexture9* f = flare.getFirstTexture();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(flare.m_name, "(flare RING)") << "a flare always takes its shape's name";
    EXPECT_EQ(flare.kind(), TextureKindFlare);
    EXPECT_EQ(f->GetLevelCount(), 10u);
    EXPECT_EQ(levelFormat(f), D3DFMT_A8R8G8B8);
    const std::vector<uint32_t> ring = levelArgb(f, 0);
    for (uint32_t x : {0u, 256u, 300u, 298u})
        for (uint32_t y : {256u, 100u}) {
            uint32_t expected = 0;
            flareTexel(4, x, y, 512, 512, &expected);
            EXPECT_EQ(ring[y * 512 + x], expected) << x << "," << y;
        }
    flare.create();
    EXPECT_EQ(flare.getFirstTexture(), f) << "create keeps what generate made";

    struct Flat : GradientLayer {
        float gradientStart() const override { return 0.0f; }
        float gradientEnd() const override { return 1.0f; }
        float gradientValue(Channel c, float t) override { return c == GradientRed ? t : 1.0f; }
        bool isTransparencyLayer() const override { return true; }
    } layer;
    GradientTexture gradient(renderer(), &layer);
    gradient.m_name = "kept";
    gradient.m_flags = 3;
    gradient.create();
    IDirect3DTexture9* g = gradient.getFirstTexture();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(gradient.m_name, "kept");
    EXPECT_EQ(gradient.m_flags, 0u) << "the loader's flags are replaced";
    EXPECT_EQ(g->GetLevelCount(), 1u);
    const std::vector<uint32_t> texels = levelArgb(g, 0);
    ASSERT_EQ(texels.size(), 1024u);
    for (uint32_t t : texels)
        ASSERT_EQ(t >> 24, (t >> 16) & 0xFF);

    GradientTexture unnamed(renderer(), &layer);
    unnamed.create();
    EXPECT_EQ(unnamed.m_name, "(gradient texture)");
}

TEST_F(TextureRecording, EveryHeadGetsTheSameBytes)
{
    DisplayManager& dm = *m_rig.displayManager;
    // Two more heads on the same device: what matters is that each gets a
    // texture of its own with the first head's contents.
    for (int i = 0; i < 2; ++i) {
        DisplayHead extra = dm.m_heads[0];
        extra.windows.clear();
        extra.device->AddRef();
        dm.m_heads.push_back(extra);
    }
    {
        MemoryFileSystem files;
        files.addFile("x\\pic.bmp", quadrants(32, 32));
        FileTexture texture(renderer());
        texture.load(&files, "x\\pic.bmp", 0);
        texture.create();
        ASSERT_EQ(texture.m_textures.size(), 3u);
        IDirect3DTexture9* first = texture.m_textures[0];
        ASSERT_NE(first, nullptr);
        for (int head = 1; head < 3; ++head) {
            IDirect3DTexture9* copy = texture.m_textures[size_t(head)];
            ASSERT_NE(copy, nullptr);
            EXPECT_NE(copy, first);
            EXPECT_EQ(levelFormat(copy), levelFormat(first));
            ASSERT_EQ(copy->GetLevelCount(), first->GetLevelCount());
            for (UINT level = 0; level < first->GetLevelCount(); ++level)
                EXPECT_EQ(levelArgb(copy, level), levelArgb(first, level)) << head << "/" << level;
        }
    }
    while (dm.m_heads.size() > 1) {
        dm.m_heads.back().device->Release();
        dm.m_heads.pop_back();
    }
}

TEST_F(TextureRecording, RenderTextureFollowsLostAndReset)
{
    RenderTexture target(renderer(), "ShadowMapTex", 64, 64);
    target.create();
    ASSERT_NE(target.getFirstTexture(), nullptr);
    EXPECT_EQ(levelFormat(target.getFirstTexture()), renderer()->m_renderTargetFormats[0]);
    IDirect3DSurface9* surface = target.getSurface();
    ASSERT_NE(surface, nullptr);
    surface->Release();

    target.onLostDevice();
    EXPECT_EQ(target.getFirstTexture(), nullptr);
    renderer()->onLostDevice();
    EXPECT_EQ(m_rig.displayManager->resetDevices(), D3D_OK);
    renderer()->onResetDevice();
    target.onResetDevice();
    EXPECT_NE(target.getFirstTexture(), nullptr);

    std::unique_ptr<Texture> copy = target.clone();
    EXPECT_EQ(copy->m_name, "ShadowMapTex");
    EXPECT_EQ(copy->getFirstTexture(), nullptr) << "a clone creates nothing";
}

TEST_F(TextureRecording, DefaultPoolImagesSurviveAReset)
{
    MemoryFileSystem files;
    files.addFile("x\\sky.bmp", quadrants(16, 16));
    AnimatedTexture sequence(renderer());
    sequence.m_firstFrame = 0;
    sequence.m_lastFrame = 0;
    sequence.m_frames.push_back(std::make_unique<FileTexture>(renderer()));
    FileTexture& background = static_cast<FileTexture&>(*sequence.m_frames[0]);
    background.load(&files, "x\\sky.bmp", 0);
    sequence.setFlags(TextureDynamic);
    sequence.create();
    ASSERT_NE(background.getFirstTexture(), nullptr);
    EXPECT_EQ(background.getFirstTexture()->pool(), D3DPOOL_DEFAULT);
    const std::vector<uint32_t> before = levelArgb(background.getFirstTexture(), 0);

    sequence.onLostDevice();
    EXPECT_EQ(sequence.getD3DTexture(0.0), nullptr);
    renderer()->onLostDevice();
    ASSERT_EQ(m_rig.displayManager->resetDevices(), D3D_OK) << "nothing of the default pool is left alive";
    renderer()->onResetDevice();
    sequence.onResetDevice();
    ASSERT_NE(sequence.getD3DTexture(0.0), nullptr);
    EXPECT_EQ(levelArgb(background.getFirstTexture(), 0), before);
}

// A converted default-pool texture ends in the 16-bit format chosen for it;
// after a reset its image is written out again, which only a 32-bit level
// can take.
TEST_F(TextureRecording, ConvertedDefaultPoolImagesSurviveAReset)
{
    MemoryFileSystem files;
    files.addFile("x\\sky.bmp", quadrants(16, 16));
    struct Case {
        int32_t conversion;
        D3DFORMAT format;
    };
    for (const Case c : {Case {0, D3DFMT_A1R5G5B5}, Case {1, D3DFMT_R5G6B5}}) {
        FileTexture texture(renderer());
        texture.load(&files, "x\\sky.bmp", 0);
        texture.setFlags(3 | TextureDynamic);
        texture.m_conversion = c.conversion;
        texture.create();
        ASSERT_NE(texture.getFirstTexture(), nullptr) << c.conversion;
        EXPECT_EQ(texture.getFirstTexture()->pool(), D3DPOOL_DEFAULT);
        EXPECT_EQ(levelFormat(texture.getFirstTexture()), c.format) << c.conversion;
        const std::vector<uint32_t> before = levelArgb(texture.getFirstTexture(), 0);

        texture.onLostDevice();
        EXPECT_EQ(texture.getFirstTexture(), nullptr);
        renderer()->onLostDevice();
        ASSERT_EQ(m_rig.displayManager->resetDevices(), D3D_OK);
        renderer()->onResetDevice();
        texture.onResetDevice();
        ASSERT_NE(texture.getFirstTexture(), nullptr) << c.conversion;
        EXPECT_EQ(levelFormat(texture.getFirstTexture()), c.format) << c.conversion;
        EXPECT_EQ(levelArgb(texture.getFirstTexture(), 0), before) << c.conversion;
    }
}

TEST_F(TextureRecording, AnimatedTextureBindsItsFrames)
{
    MemoryFileSystem files;
    AnimatedTexture animated(renderer());
    animated.m_firstFrame = 1;
    animated.m_lastFrame = 4;
    animated.m_rate = 10.0f;
    for (int k = 1; k <= 4; ++k) {
        const std::string name = "x\\frame" + std::to_string(k) + ".bmp";
        files.addFile(name, solid(4, 4, uint32_t(k)));
        auto frame = std::make_unique<FileTexture>(renderer());
        frame->load(&files, name.c_str(), 0);
        animated.m_frames.push_back(std::move(frame));
    }
    animated.m_frames[3].reset();
    animated.setFlags(TextureMipChain);
    EXPECT_EQ(animated.m_frames[0]->m_flags, uint32_t(TextureMipChain));
    animated.create();
    EXPECT_EQ(animated.getD3DTexture(0.25), animated.m_frames[2]->getFirstTexture());
    EXPECT_EQ(animated.getD3DTexture(0.5), animated.m_frames[1]->getFirstTexture());
    EXPECT_EQ(animated.getD3DTexture(0.35), animated.m_frames[2]->getFirstTexture()) << "the gap shows frame 3";
}

TEST_F(TextureRecording, DefaultFileSystemIsSharedAndCounted)
{
    MemoryFileSystem files;
    files.addFile("x\\pic.bmp", solid(4, 4, red));
    FileTexture::setDefaultFileSystem(&files);
    StreamRef* shared = defaultStreamRef();
    ASSERT_NE(shared, nullptr);
    {
        FileTexture texture(renderer());
        EXPECT_TRUE(texture.load(&files, "x\\pic.bmp", 0));
        EXPECT_EQ(texture.m_fileSystem, shared);
        EXPECT_EQ(shared->refCount, 2);
        std::unique_ptr<Texture> copy = texture.clone();
        EXPECT_EQ(shared->refCount, 3);
        // The default goes away; the textures still read through it.
        FileTexture::setDefaultFileSystem(nullptr);
        copy->create();
        EXPECT_NE(copy->getFirstTexture(), nullptr);
        EXPECT_EQ(shared->refCount, 2);
    }
}

} // namespace
