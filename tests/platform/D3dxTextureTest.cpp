#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3dx/D3DXImageInfo.h"
#include "platform/d3dx/D3DXTexture.h"
#include "platform/d3dx/DdsWriter.h"
#include "platform/win/Window.h"
#include "support/DeviceReadBack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class D3dxTexture : public ::testing::Test {
protected:
    void SetUp() override
    {
        selectD3D9Backend(D3D9Backend::Recording);
        recordingSetup() = RecordingSetup::standard();
        m_window = CreateWindowExA(0, testWindowClass(), "d3dx", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr,
                                   nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_d3d, nullptr);
        D3DPRESENT_PARAMETERS pp {};
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.hDeviceWindow = m_window;
        ASSERT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                      &m_device),
                  D3D_OK);
        m_dir = ::testing::TempDir() + "d3dx-texture-" + std::to_string(getpid());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        for (IDirect3DTexture9* t : m_textures)
            t->Release();
        if (m_device)
            EXPECT_EQ(m_device->Release(), 0u);
        if (m_d3d)
            m_d3d->Release();
        DestroyWindow(m_window);
        selectD3D9Backend(D3D9Backend::Default);
        fs::remove_all(m_dir);
    }

    IDirect3DTexture9* keep(IDirect3DTexture9* t)
    {
        if (t)
            m_textures.push_back(t);
        return t;
    }

    // A managed A8R8G8B8 texture whose texel (x, y) of level l is
    // pattern(l, x, y).
    IDirect3DTexture9* patterned(UINT width, UINT height, UINT levels)
    {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(m_device->CreateTexture(width, height, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
                  D3D_OK);
        for (UINT l = 0; t && l < t->GetLevelCount(); ++l) {
            D3DLOCKED_RECT r {};
            EXPECT_EQ(t->LockRect(l, &r, nullptr, 0), D3D_OK);
            D3DSURFACE_DESC d {};
            t->GetLevelDesc(l, &d);
            for (UINT y = 0; y < d.Height; ++y)
                for (UINT x = 0; x < d.Width; ++x)
                    reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(r.pBits) + y * r.Pitch)[x] = pattern(l, x, y);
            t->UnlockRect(l);
        }
        return keep(t);
    }
    static uint32_t pattern(UINT level, UINT x, UINT y) { return 0xFF000000u | level << 16 | x << 8 | y; }

    static std::vector<uint32_t> texels(IDirect3DTexture9* t, UINT level)
    {
        D3DSURFACE_DESC d {};
        D3DLOCKED_RECT r {};
        std::vector<uint32_t> out;
        if (FAILED(t->GetLevelDesc(level, &d)) || FAILED(t->LockRect(level, &r, nullptr, D3DLOCK_READONLY)))
            return out;
        const UINT bytes = d.Format == D3DFMT_A8R8G8B8 ? 4 : 2;
        for (UINT y = 0; y < d.Height; ++y)
            for (UINT x = 0; x < d.Width; ++x) {
                uint32_t v = 0;
                std::memcpy(&v, static_cast<uint8_t*>(r.pBits) + y * r.Pitch + x * bytes, bytes);
                out.push_back(v);
            }
        t->UnlockRect(level);
        return out;
    }

    static std::vector<uint8_t> readFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::vector<IDirect3DTexture9*> m_textures;
    std::string m_dir;
};

TEST_F(D3dxTexture, SavedFileLoadsBackTexelForTexel)
{
    IDirect3DTexture9* original = patterned(8, 4, 0);
    ASSERT_NE(original, nullptr);
    fs::create_directories(m_dir + "/sub");
    // Windows-style separators name the same place.
    const std::string name = m_dir + "/sub\\saved.dds";
    ASSERT_EQ(D3DXSaveTextureToFileA(name.c_str(), D3DXIFF_DDS, original, nullptr), D3D_OK);
    const std::vector<uint8_t> file = readFile(m_dir + "/sub/saved.dds");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir + "/sub"), fs::directory_iterator()), 1)
        << "nothing but the file itself";

    D3DXIMAGE_INFO info {};
    IDirect3DTexture9* loaded = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                  D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &loaded),
              D3D_OK);
    keep(loaded);
    EXPECT_EQ(info.Width, 8u);
    EXPECT_EQ(info.Height, 4u);
    EXPECT_EQ(info.MipLevels, 4u);
    ASSERT_EQ(loaded->GetLevelCount(), 4u);
    for (UINT l = 0; l < 4; ++l)
        EXPECT_EQ(texels(loaded, l), texels(original, l)) << "level " << l;
}

TEST_F(D3dxTexture, CreationConvertsAndCompletesTheChain)
{
    // One white level in the file; the texture wants A1R5G5B5 with all levels.
    IDirect3DTexture9* white = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &white, nullptr), D3D_OK);
    keep(white);
    D3DLOCKED_RECT r {};
    ASSERT_EQ(white->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(r.pBits) + y * r.Pitch)[x] = 0xFFFFFFFF;
    white->UnlockRect(0);
    const std::string path = m_dir + "/white.dds";
    ASSERT_EQ(D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_DDS, white, nullptr), D3D_OK);
    const std::vector<uint8_t> file = readFile(path);

    IDirect3DTexture9* converted = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 4, 4, 0, 0,
                                                  D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &converted),
              D3D_OK);
    keep(converted);
    ASSERT_EQ(converted->GetLevelCount(), 3u);
    for (UINT l = 0; l < 3; ++l)
        for (uint32_t t : texels(converted, l))
            ASSERT_EQ(t, 0xFFFFu) << "level " << l;

    // A default-pool texture is filled as well.
    IDirect3DTexture9* pooled = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 0, 0, 1, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &pooled),
              D3D_OK);
    keep(pooled);
    EXPECT_EQ(texels(pooled, 0), std::vector<uint32_t>(16, 0xFFFFFFFFu));
}

TEST_F(D3dxTexture, DamagedFilesAreRefused)
{
    IDirect3DTexture9* original = patterned(16, 16, 0);
    const std::string path = m_dir + "/good.dds";
    ASSERT_EQ(D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_DDS, original, nullptr), D3D_OK);
    const std::vector<uint8_t> good = readFile(path);
    ASSERT_GT(good.size(), 128u);

    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 128);
    std::vector<uint8_t> huge = good;
    huge[12] = 0x00; // height 16 -> 0x00002000... claims 8192 rows
    huge[13] = 0x20;
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    const std::vector<uint8_t> garbage = {'n', 'o', 't', ' ', 'a', ' ', 'd', 'd', 's'};
    const std::vector<uint8_t>* damaged[] = {&truncated, &headerOnly, &huge, &badMagic, &garbage};
    for (const std::vector<uint8_t>* bytes : damaged) {
        IDirect3DTexture9* t = reinterpret_cast<IDirect3DTexture9*>(0x1);
        EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, bytes->data(), UINT(bytes->size()), 0, 0, 0, 0,
                                                      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                      0, nullptr, nullptr, &t),
                  D3DXERR_INVALIDDATA)
            << bytes->size();
        EXPECT_EQ(t, nullptr);
    }
    // Any header byte bent out of shape: refused or read within the data,
    // never past it (the sanitizers watch the reads).
    for (size_t i = 0; i < 128; ++i) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(good[i] ^ 0x10)}) {
            std::vector<uint8_t> bent = good;
            bent[i] = value;
            IDirect3DTexture9* t = nullptr;
            const HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(
                m_device, bent.data(), UINT(bent.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_SCRATCH, D3DX_DEFAULT,
                D3DX_DEFAULT, 0, nullptr, nullptr, &t);
            EXPECT_EQ(SUCCEEDED(hr), t != nullptr) << i;
            if (t)
                t->Release();
        }
    }
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, good.data(), 0, 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                  &t),
              D3DXERR_INVALIDDATA);
}

TEST_F(D3dxTexture, FailedSaveLeavesNothingBehind)
{
    IDirect3DTexture9* original = patterned(4, 4, 1);
    const std::string missing = m_dir + "/no-such-folder/x.dds";
    EXPECT_EQ(D3DXSaveTextureToFileA(missing.c_str(), D3DXIFF_DDS, original, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXSaveTextureToFileA((m_dir + "/x.bmp").c_str(), D3DXIFF_BMP, original, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXSaveTextureToFileA((m_dir + "/y.dds").c_str(), D3DXIFF_DDS, nullptr, nullptr), D3DERR_INVALIDCALL);
    // A target that is a folder cannot be replaced: the temporary file goes.
    fs::create_directories(m_dir + "/folder.dds/inside");
    EXPECT_EQ(D3DXSaveTextureToFileA((m_dir + "/folder.dds").c_str(), D3DXIFF_DDS, original, nullptr),
              D3DERR_INVALIDCALL);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_dir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string> {"folder.dds"});

    // An existing copy is replaced whole.
    const std::string path = m_dir + "/z.dds";
    std::ofstream(path) << "stale";
    ASSERT_EQ(D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_DDS, original, nullptr), D3D_OK);
    const std::vector<uint8_t> file = readFile(path);
    D3DXIMAGE_INFO info {};
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(file.data(), UINT(file.size()), &info), D3D_OK);
}

TEST_F(D3dxTexture, FilterTextureAveragesEachLevelFromTheOneAbove)
{
    IDirect3DTexture9* t = patterned(2, 2, 2);
    D3DLOCKED_RECT r {};
    ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    uint32_t* row0 = static_cast<uint32_t*>(r.pBits);
    uint32_t* row1 = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(r.pBits) + r.Pitch);
    row0[0] = 0xFF000000;
    row0[1] = 0xFF0000FF;
    row1[0] = 0x00FF0000;
    row1[1] = 0x0000FF00;
    t->UnlockRect(0);
    ASSERT_EQ(D3DXFilterTexture(t, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    EXPECT_EQ(texels(t, 1), std::vector<uint32_t> {0x80404040});
    EXPECT_EQ(D3DXFilterTexture(t, nullptr, 2, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_DEFAULT), D3DERR_INVALIDCALL);
}

TEST_F(D3dxTexture, LoadSurfaceFromSurfaceConverts)
{
    IDirect3DTexture9* source = patterned(4, 4, 1);
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &target, nullptr), D3D_OK);
    keep(target);
    IDirect3DSurface9* from = nullptr;
    IDirect3DSurface9* to = nullptr;
    ASSERT_EQ(source->GetSurfaceLevel(0, &from), D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &to), D3D_OK);
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_DEFAULT, 0), D3D_OK);
    const std::vector<uint32_t> converted = texels(target, 0);
    ASSERT_EQ(converted.size(), 16u);
    EXPECT_EQ(converted[0], 0u) << "opaque black";
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_DEFAULT, 0xFF000000),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, to, nullptr, nullptr, D3DX_DEFAULT, 0),
              D3DERR_INVALIDCALL);
    from->Release();
    to->Release();
}

} // namespace
