// Textures, buffers, declarations and queries on the recording backend:
// creation rules, lock ranges, when contents reach the backend, lifetimes
// and the Reset check.
#include "platform/d3d9/Direct3DCubeTexture9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DQuery9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"
#include "platform/d3d9/Direct3DVolumeTexture9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>

namespace {

struct CreateCase {
    const char* name;
    UINT width, height, levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    HRESULT result;
    UINT levelCount;
};

const CreateCase kCreates[] = {
    {"full_chain", 8, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK, 4},
    {"two_levels", 8, 8, 2, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, D3D_OK, 2},
    {"too_many_levels", 8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
    {"zero_width", 0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
    {"too_wide", 16384, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
    {"dxt5_managed", 16, 16, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, D3D_OK, 5},
    {"render_target_default", 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3D_OK, 1},
    {"render_target_managed", 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
     D3DERR_INVALIDCALL, 0},
    {"render_target_l8", 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_L8, D3DPOOL_DEFAULT, D3DERR_INVALIDCALL, 0},
    {"dynamic_managed", 16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
    {"dynamic_default", 16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3D_OK, 1},
    {"scratch_any_layout", 16, 16, 1, 0, D3DFMT_R8G8B8, D3DPOOL_SCRATCH, D3D_OK, 1},
    {"unknown_format", 16, 16, 1, 0, D3DFMT_UYVY, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
    {"float_systemmem", 4, 4, 1, 0, D3DFMT_A16B16G16R16F, D3DPOOL_SYSTEMMEM, D3D_OK, 1},
};

void PrintTo(const CreateCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceTextureCreation : public ::testing::TestWithParam<CreateCase> {};

TEST_P(DeviceTextureCreation, FollowsDirect3DRules)
{
    RecordingDevice rig;
    const CreateCase& c = GetParam();
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    ASSERT_EQ(rig->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture, nullptr), c.result);
    if (FAILED(c.result)) {
        EXPECT_EQ(texture, nullptr);
        return;
    }
    EXPECT_EQ(texture->GetLevelCount(), c.levelCount);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(c.levelCount - 1, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, std::max(1u, c.width >> (c.levelCount - 1)));
    EXPECT_EQ(desc.Format, c.format);
    EXPECT_EQ(desc.Pool, c.pool);
    EXPECT_EQ(texture->GetLevelDesc(c.levelCount, &desc), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Textures, DeviceTextureCreation, ::testing::ValuesIn(kCreates),
                         [](const auto& info) { return std::string(info.param.name); });

struct LockCase {
    const char* name;
    D3DFORMAT format;
    DWORD usage;
    D3DPOOL pool;
    UINT level;
    bool useRect;
    RECT rect;
    DWORD flags;
    HRESULT result;
    INT pitch;
    size_t offset; // of pBits from the level's start
};

const LockCase kLocks[] = {
    {"whole_level", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 0, false, {}, 0, D3D_OK, 64, 0},
    {"sub_rectangle", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 0, true, {2, 3, 4, 5}, 0, D3D_OK, 64, 3 * 64 + 2 * 4},
    {"second_level", D3DFMT_R5G6B5, 0, D3DPOOL_MANAGED, 1, false, {}, 0, D3D_OK, 16, 0},
    {"rectangle_past_edge", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 0, true, {8, 8, 17, 9}, 0, D3DERR_INVALIDCALL, 0, 0},
    {"empty_rectangle", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 0, true, {4, 4, 4, 8}, 0, D3DERR_INVALIDCALL, 0, 0},
    {"negative_rectangle", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 0, true, {-1, 0, 4, 4}, 0, D3DERR_INVALIDCALL, 0, 0},
    {"missing_level", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 5, false, {}, 0, D3DERR_INVALIDCALL, 0, 0},
    {"dxt_block_rectangle", D3DFMT_DXT1, 0, D3DPOOL_MANAGED, 0, true, {4, 8, 8, 12}, 0, D3D_OK, 32, 2 * 32 + 8},
    {"dxt_misaligned", D3DFMT_DXT1, 0, D3DPOOL_MANAGED, 0, true, {2, 0, 8, 4}, 0, D3DERR_INVALIDCALL, 0, 0},
    {"dxt_small_level", D3DFMT_DXT5, 0, D3DPOOL_MANAGED, 3, true, {0, 0, 2, 2}, 0, D3D_OK, 16, 0},
    {"discard_dynamic", D3DFMT_A8R8G8B8, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 0, false, {}, D3DLOCK_DISCARD, D3D_OK, 64,
     0},
    // A managed texture ignores the discard and locks as usual.
    {"discard_managed", D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, 0, false, {}, D3DLOCK_DISCARD, D3D_OK, 64, 0},
    {"default_not_lockable", D3DFMT_A8R8G8B8, 0, D3DPOOL_DEFAULT, 0, false, {}, 0, D3DERR_INVALIDCALL, 0, 0},
    {"render_target_not_lockable", D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, 0, false, {}, 0,
     D3DERR_INVALIDCALL, 0, 0},
};

class DeviceTextureLock : public ::testing::TestWithParam<LockCase> {};

TEST_P(DeviceTextureLock, ChecksTheRangeAndAnswersThePitch)
{
    RecordingDevice rig;
    const LockCase& c = GetParam();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(rig->CreateTexture(16, 16, 0, c.usage, c.format, c.pool, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT whole{};
    const bool lockable = SUCCEEDED(texture->LockRect(c.level, &whole, nullptr, 0));
    if (lockable)
        texture->UnlockRect(c.level);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(c.level, &locked, c.useRect ? &c.rect : nullptr, c.flags), c.result);
    if (SUCCEEDED(c.result)) {
        EXPECT_EQ(locked.Pitch, c.pitch);
        EXPECT_EQ(static_cast<uint8_t*>(locked.pBits) - static_cast<uint8_t*>(whole.pBits), ptrdiff_t(c.offset));
        D3DLOCKED_RECT again{};
        EXPECT_EQ(texture->LockRect(c.level, &again, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
        EXPECT_EQ(texture->UnlockRect(c.level), D3D_OK);
    } else {
        EXPECT_EQ(locked.pBits, nullptr);
    }
    EXPECT_EQ(texture->UnlockRect(c.level), D3DERR_INVALIDCALL) << "not locked";
    texture->Release();
}

INSTANTIATE_TEST_SUITE_P(Ranges, DeviceTextureLock, ::testing::ValuesIn(kLocks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceTextureUpload, ChangedLevelsGoUpAtPreLoadOrDrawOnly)
{
    RecordingDevice rig;
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(rig->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    rig.take();
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3D_OK);
    ASSERT_EQ(texture->UnlockRect(1), D3D_OK);
    EXPECT_TRUE(rig.take("uploadTexture").empty()) << "nothing at unlock";
    texture->PreLoad();
    EXPECT_EQ(rig.take("uploadTexture").size(), 1u);
    texture->PreLoad();
    EXPECT_TRUE(rig.take("uploadTexture").empty()) << "nothing changed since";
    // A read-only lock dirties nothing; AddDirtyRect dirties every level.
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    texture->PreLoad();
    EXPECT_TRUE(rig.take("uploadTexture").empty());
    ASSERT_EQ(texture->AddDirtyRect(nullptr), D3D_OK);
    texture->PreLoad();
    EXPECT_EQ(rig.take("uploadTexture").size(), 4u);
    texture->Release();
}

TEST(DeviceTextureUpload, CubeAndVolumeLevelsLockByFaceAndBox)
{
    RecordingDevice rig;
    IDirect3DCubeTexture9* cube = nullptr;
    ASSERT_EQ(rig->CreateCubeTexture(4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr), D3D_OK);
    EXPECT_EQ(cube->GetLevelCount(), 3u);
    D3DLOCKED_RECT rect{};
    EXPECT_EQ(cube->LockRect(D3DCUBEMAP_FACES(6), 0, &rect, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACE_NEGATIVE_Y, 1, &rect, nullptr, 0), D3D_OK);
    EXPECT_EQ(rect.Pitch, 8);
    ASSERT_EQ(cube->UnlockRect(D3DCUBEMAP_FACE_NEGATIVE_Y, 1), D3D_OK);
    rig.take();
    cube->PreLoad();
    const std::vector<std::string> uploads = rig.take("uploadTexture");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_NE(uploads[0].find("face 3 level 1"), std::string::npos);
    cube->Release();

    IDirect3DVolumeTexture9* volume = nullptr;
    ASSERT_EQ(rig->CreateVolumeTexture(32, 32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume, nullptr), D3D_OK);
    D3DLOCKED_BOX whole{}, part{};
    ASSERT_EQ(volume->LockBox(0, &whole, nullptr, 0), D3D_OK);
    EXPECT_EQ(whole.RowPitch, 128);
    EXPECT_EQ(whole.SlicePitch, 128 * 32);
    ASSERT_EQ(volume->UnlockBox(0), D3D_OK);
    const D3DBOX box{1, 2, 3, 4, 5, 6};
    ASSERT_EQ(volume->LockBox(0, &part, &box, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(part.pBits) - static_cast<uint8_t*>(whole.pBits), 5 * 4096 + 2 * 128 + 4);
    ASSERT_EQ(volume->UnlockBox(0), D3D_OK);
    const D3DBOX outside{0, 0, 32, 32, 31, 33};
    EXPECT_EQ(volume->LockBox(0, &part, &outside, 0), D3DERR_INVALIDCALL);
    IDirect3DVolumeTexture9* compressed = nullptr;
    EXPECT_EQ(rig->CreateVolumeTexture(8, 8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &compressed, nullptr),
              D3DERR_INVALIDCALL);
    D3DVOLUME_DESC desc{};
    ASSERT_EQ(volume->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Depth, 32u);
    volume->Release();
}

TEST(DeviceTextureSurface, LevelSurfaceKeepsItsTextureAndLocksIt)
{
    RecordingDevice rig;
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(rig->CreateTexture(8, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(texture->GetSurfaceLevel(4, &surface), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u) << "the surface holds the texture";
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
    EXPECT_EQ(rig->SetRenderTarget(0, surface), D3DERR_INVALIDCALL) << "not a render target";
    EXPECT_EQ(surface->Release(), 0u);
}

struct BufferLockCase {
    const char* name;
    DWORD usage;
    D3DPOOL pool;
    UINT offset, size;
    DWORD flags;
    HRESULT result;
    const char* upload; // the backend call the unlock makes, or null
};

const BufferLockCase kBufferLocks[] = {
    {"whole", D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED, 0, 0, 0, D3D_OK, "offset 0 bytes 256"},
    {"range", D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED, 16, 32, 0, D3D_OK, "offset 16 bytes 32"},
    {"to_the_end", D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED, 200, 0, 0, D3D_OK, "offset 200 bytes 56"},
    {"discard_dynamic", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 16, 32, D3DLOCK_DISCARD, D3D_OK,
     "offset 0 bytes 256 discard"},
    {"no_overwrite", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 64, 64, D3DLOCK_NOOVERWRITE, D3D_OK, "offset 64 bytes 64"},
    {"discard_ignored_on_static", 0, D3DPOOL_MANAGED, 16, 32, D3DLOCK_DISCARD, D3D_OK, "offset 16 bytes 32"},
    {"read_only", 0, D3DPOOL_MANAGED, 0, 0, D3DLOCK_READONLY, D3D_OK, nullptr},
    {"past_the_end", 0, D3DPOOL_MANAGED, 200, 57, 0, D3DERR_INVALIDCALL, nullptr},
    {"offset_at_end", 0, D3DPOOL_MANAGED, 256, 0, 0, D3DERR_INVALIDCALL, nullptr},
    {"wrapping_size", 0, D3DPOOL_MANAGED, 16, 0xFFFFFFF8u, 0, D3DERR_INVALIDCALL, nullptr},
};

class DeviceBufferLock : public ::testing::TestWithParam<BufferLockCase> {};

TEST_P(DeviceBufferLock, ChecksTheRangeAndUploadsWhatTheLockCovered)
{
    RecordingDevice rig;
    const BufferLockCase& c = GetParam();
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(rig->CreateVertexBuffer(256, c.usage, 0, c.pool, &buffer, nullptr), D3D_OK);
    rig.take();
    void* data = reinterpret_cast<void*>(1);
    ASSERT_EQ(buffer->Lock(c.offset, c.size, &data, c.flags), c.result);
    if (FAILED(c.result)) {
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    } else {
        std::memset(data, 0x5A, c.size ? c.size : 256 - c.offset);
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
        const std::vector<std::string> uploads = rig.take("uploadBuffer");
        if (c.upload) {
            ASSERT_EQ(uploads.size(), 1u);
            EXPECT_NE(uploads[0].find(c.upload), std::string::npos) << uploads[0];
        } else {
            EXPECT_TRUE(uploads.empty());
        }
    }
    buffer->Release();
}

INSTANTIATE_TEST_SUITE_P(Ranges, DeviceBufferLock, ::testing::ValuesIn(kBufferLocks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceBuffers, IndexBuffersTakeSixteenAndThirtyTwoBitFormatsOnly)
{
    RecordingDevice rig;
    IDirect3DIndexBuffer9* buffer = nullptr;
    EXPECT_EQ(rig->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &buffer, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->CreateIndexBuffer(0, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer, nullptr), D3DERR_INVALIDCALL);
    // A damaged count must not become a multi-gigabyte allocation.
    EXPECT_EQ(rig->CreateIndexBuffer(0xFFFFFFFFu, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer, nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DVertexBuffer9* vertices = nullptr;
    EXPECT_EQ(rig->CreateVertexBuffer(0xFFFFFFFFu, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(vertices, nullptr);
    ASSERT_EQ(rig->CreateIndexBuffer(64, D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING, D3DFMT_INDEX32,
                                     D3DPOOL_MANAGED, &buffer, nullptr),
              D3D_OK);
    D3DINDEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_INDEX32);
    EXPECT_EQ(desc.Size, 64u);
    // Locks nest; the last unlock uploads the union of the ranges.
    void* a = nullptr;
    void* b = nullptr;
    rig.take();
    ASSERT_EQ(buffer->Lock(8, 4, &a, 0), D3D_OK);
    ASSERT_EQ(buffer->Lock(32, 8, &b, 0), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_TRUE(rig.take("uploadBuffer").empty());
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    const std::vector<std::string> uploads = rig.take("uploadBuffer");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_NE(uploads[0].find("offset 8 bytes 32"), std::string::npos);
    buffer->Release();
}

TEST(DeviceReset, DefaultPoolResourcesMustGoFirstManagedOnesStay)
{
    RecordingDevice rig;
    IDirect3DTexture9* managed = nullptr;
    IDirect3DTexture9* target = nullptr;
    IDirect3DVertexBuffer9* dynamic = nullptr;
    ASSERT_EQ(rig->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    ASSERT_EQ(rig->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    ASSERT_EQ(rig->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &dynamic, nullptr),
              D3D_OK);
    D3DPRESENT_PARAMETERS pp = rig->presentParameters();
    EXPECT_EQ(rig->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(rig->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    target->Release();
    EXPECT_EQ(rig->Reset(&pp), D3DERR_INVALIDCALL) << "the dynamic buffer is still alive";
    dynamic->Release();
    EXPECT_EQ(rig->Reset(&pp), D3D_OK);
    EXPECT_EQ(managed->GetLevelCount(), 1u);
    managed->Release();
}

TEST(DeviceQuery, AnswersNotReadyUntilTheCountIsKnown)
{
    RecordingDevice rig;
    EXPECT_EQ(rig->CreateQuery(D3DQUERYTYPE_EVENT, nullptr), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(rig->CreateQuery(D3DQUERYTYPE_OCCLUSION, nullptr), D3D_OK);
    IDirect3DQuery9* query = nullptr;
    ASSERT_EQ(rig->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query), D3D_OK);
    DWORD pixels = 99;
    EXPECT_EQ(query->GetData(&pixels, sizeof(pixels), 0), S_OK) << "never issued";
    EXPECT_EQ(pixels, 0u);
    rig.recording().setQueryAnswer(42, 2);
    ASSERT_EQ(query->Issue(D3DISSUE_BEGIN), D3D_OK);
    EXPECT_EQ(query->GetData(&pixels, sizeof(pixels), 0), D3DERR_INVALIDCALL) << "still counting";
    ASSERT_EQ(query->Issue(D3DISSUE_END), D3D_OK);
    EXPECT_EQ(query->GetData(&pixels, sizeof(pixels), 0), S_FALSE);
    EXPECT_EQ(query->GetData(nullptr, 0, 0), S_FALSE);
    EXPECT_EQ(query->GetData(&pixels, 2, 0), D3DERR_INVALIDCALL) << "too small for the count";
    EXPECT_EQ(query->GetData(&pixels, sizeof(pixels), D3DGETDATA_FLUSH), S_OK);
    EXPECT_EQ(pixels, 42u);
    EXPECT_EQ(query->GetData(&pixels, sizeof(pixels), 0), S_OK) << "the answer stays";
    EXPECT_EQ(query->Issue(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(query->Release(), 0u);
}

TEST(DeviceLifetime, ReleasedObjectsStillBoundGoWithTheDevice)
{
    RecordingDevice rig;
    IDirect3DTexture9* texture = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(rig->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(rig->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
    ASSERT_EQ(rig->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    rig->SetTexture(3, texture);
    rig->SetStreamSource(0, vertices, 0, 16);
    rig->SetIndices(indices);
    rig->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
    EXPECT_EQ(rig.recording().liveObjects(), 3u) << "bound, so still alive";
    // The leak checker holds the rest: the device and all three must go.
    EXPECT_EQ(rig.releaseDevice(), 0u);
}

TEST(DeviceLifetime, ReleasedRenderTextureStillBoundGoesWithTheDevice)
{
    RecordingDevice rig;
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(rig->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(rig->SetRenderTarget(0, level), D3D_OK);
    rig->SetTexture(0, texture);
    EXPECT_EQ(level->Release(), 0u);
    EXPECT_EQ(texture->Release(), 1u) << "the bound surface holds it";
    EXPECT_EQ(rig.releaseDevice(), 0u);
}

// The device's own surfaces hold the device while the program holds them,
// as on Direct3D: a program that lets go of the device before a surface it
// still keeps (a renderer's saved depth surface) releases it safely later.
struct ImplicitSurfaceCase {
    const char* name;
    HRESULT (*get)(IDirect3DDevice9*, IDirect3DSurface9**);
};

const ImplicitSurfaceCase kImplicitSurfaces[] = {
    {"back_buffer",
     [](IDirect3DDevice9* d, IDirect3DSurface9** s) { return d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, s); }},
    {"auto_depth_stencil", [](IDirect3DDevice9* d, IDirect3DSurface9** s) { return d->GetDepthStencilSurface(s); }},
};

void PrintTo(const ImplicitSurfaceCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceImplicitSurface : public ::testing::TestWithParam<ImplicitSurfaceCase> {};

TEST_P(DeviceImplicitSurface, KeepsTheDeviceUntilItsLastRelease)
{
    RecordingDevice rig;
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(GetParam().get(rig.device(), &surface), D3D_OK);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(rig.releaseDevice(), 1u) << "the surface holds the device";
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(surface->Release(), 0u) << "the device goes with it";
}

INSTANTIATE_TEST_SUITE_P(Surfaces, DeviceImplicitSurface, ::testing::ValuesIn(kImplicitSurfaces),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
