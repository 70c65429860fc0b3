#pragma once
#include "platform/win/WinTypes.h"

// platform/d3d9: Direct3D 9 over OpenGL, with Direct3D's names and numeric
// values for the subset the engine uses. The fixed-function state enums live
// in D3D9States.h; the objects in Direct3D9.h, Direct3DDevice9.h and one
// header each for surfaces, textures (2D, cube, volume), vertex and index
// buffers, vertex declarations, queries and shaders. The device talks to GL
// (GlBackend) or to memory (RecordingBackend) through DeviceBackend.h.

constexpr UINT D3D_SDK_VERSION = 31;
constexpr UINT D3DADAPTER_DEFAULT = 0;

constexpr DWORD MAKEFOURCC(char a, char b, char c, char d)
{
    return DWORD(BYTE(a)) | (DWORD(BYTE(b)) << 8) | (DWORD(BYTE(c)) << 16) | (DWORD(BYTE(d)) << 24);
}

// Result codes: facility 0x876 with Direct3D's own code numbers.
constexpr HRESULT MAKE_D3DHRESULT(DWORD code)
{
    return HRESULT(0x88760000u | code);
}
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MAKE_D3DHRESULT(2072);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = MAKE_D3DHRESULT(2073);
constexpr HRESULT D3DERR_TOOMANYOPERATIONS = MAKE_D3DHRESULT(2077);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MAKE_D3DHRESULT(2087);
constexpr HRESULT D3DERR_NOTFOUND = MAKE_D3DHRESULT(2150);
constexpr HRESULT D3DERR_MOREDATA = MAKE_D3DHRESULT(2151);
constexpr HRESULT D3DERR_DEVICELOST = MAKE_D3DHRESULT(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = MAKE_D3DHRESULT(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = MAKE_D3DHRESULT(2154);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MAKE_D3DHRESULT(380);
constexpr HRESULT D3DERR_INVALIDCALL = MAKE_D3DHRESULT(2156);
constexpr HRESULT D3DERR_WASSTILLDRAWING = MAKE_D3DHRESULT(540);

// ARGB in one 32-bit word: alpha in the top byte, blue in the bottom one.
using D3DCOLOR = DWORD;
constexpr D3DCOLOR D3DCOLOR_ARGB(DWORD a, DWORD r, DWORD g, DWORD b)
{
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr D3DCOLOR D3DCOLOR_RGBA(DWORD r, DWORD g, DWORD b, DWORD a)
{
    return D3DCOLOR_ARGB(a, r, g, b);
}
constexpr D3DCOLOR D3DCOLOR_XRGB(DWORD r, DWORD g, DWORD b)
{
    return D3DCOLOR_ARGB(0xFF, r, g, b);
}
constexpr D3DCOLOR D3DCOLOR_COLORVALUE(float r, float g, float b, float a)
{
    return D3DCOLOR_ARGB(DWORD(a * 255.0f), DWORD(r * 255.0f), DWORD(g * 255.0f), DWORD(b * 255.0f));
}

enum D3DFORMAT : DWORD {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 20,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_X1R5G5B5 = 24,
    D3DFMT_A1R5G5B5 = 25,
    D3DFMT_A4R4G4B4 = 26,
    D3DFMT_R3G3B2 = 27,
    D3DFMT_A8 = 28,
    D3DFMT_A8R3G3B2 = 29,
    D3DFMT_X4R4G4B4 = 30,
    D3DFMT_A2B10G10R10 = 31,
    D3DFMT_A8B8G8R8 = 32,
    D3DFMT_X8B8G8R8 = 33,
    D3DFMT_G16R16 = 34,
    D3DFMT_A2R10G10B10 = 35,
    D3DFMT_A16B16G16R16 = 36,
    D3DFMT_A8P8 = 40,
    D3DFMT_P8 = 41,
    D3DFMT_L8 = 50,
    D3DFMT_A8L8 = 51,
    D3DFMT_A4L4 = 52,
    D3DFMT_V8U8 = 60,
    D3DFMT_L6V5U5 = 61,
    D3DFMT_X8L8V8U8 = 62,
    D3DFMT_Q8W8V8U8 = 63,
    D3DFMT_V16U16 = 64,
    D3DFMT_A2W10V10U10 = 67,
    D3DFMT_UYVY = MAKEFOURCC('U', 'Y', 'V', 'Y'),
    D3DFMT_R8G8_B8G8 = MAKEFOURCC('R', 'G', 'B', 'G'),
    D3DFMT_YUY2 = MAKEFOURCC('Y', 'U', 'Y', '2'),
    D3DFMT_G8R8_G8B8 = MAKEFOURCC('G', 'R', 'G', 'B'),
    D3DFMT_YV12 = MAKEFOURCC('Y', 'V', '1', '2'),
    D3DFMT_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'),
    D3DFMT_DXT2 = MAKEFOURCC('D', 'X', 'T', '2'),
    D3DFMT_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'),
    D3DFMT_DXT4 = MAKEFOURCC('D', 'X', 'T', '4'),
    D3DFMT_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'),
    D3DFMT_D16_LOCKABLE = 70,
    D3DFMT_D32 = 71,
    D3DFMT_D15S1 = 73,
    D3DFMT_D24S8 = 75,
    D3DFMT_D24X8 = 77,
    D3DFMT_D24X4S4 = 79,
    D3DFMT_D16 = 80,
    D3DFMT_L16 = 81,
    D3DFMT_D32F_LOCKABLE = 82,
    D3DFMT_D24FS8 = 83,
    D3DFMT_VERTEXDATA = 100,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
    D3DFMT_Q16W16V16U16 = 110,
    D3DFMT_MULTI2_ARGB8 = MAKEFOURCC('M', 'E', 'T', '1'),
    // Vendor multi-element formats: four-character codes of our own, "NVM"
    // and a letter in the order the format table lists them.
    D3DFMT_MET_4_4_4_4_NV = MAKEFOURCC('N', 'V', 'M', 'A'),
    D3DFMT_MET_4_4_4_2_NV = MAKEFOURCC('N', 'V', 'M', 'B'),
    D3DFMT_MET_4_4_4_1_NV = MAKEFOURCC('N', 'V', 'M', 'C'),
    D3DFMT_MET_4_4_2_2_NV = MAKEFOURCC('N', 'V', 'M', 'D'),
    D3DFMT_MET_4_4_2_1_NV = MAKEFOURCC('N', 'V', 'M', 'E'),
    D3DFMT_MET_4_4_1_1_NV = MAKEFOURCC('N', 'V', 'M', 'F'),
    D3DFMT_MET_4_2_2_2_NV = MAKEFOURCC('N', 'V', 'M', 'G'),
    D3DFMT_MET_4_2_2_1_NV = MAKEFOURCC('N', 'V', 'M', 'H'),
    D3DFMT_MET_4_2_1_1_NV = MAKEFOURCC('N', 'V', 'M', 'I'),
    D3DFMT_MET_4_1_1_1_NV = MAKEFOURCC('N', 'V', 'M', 'J'),
    D3DFMT_MET_2_2_2_2_NV = MAKEFOURCC('N', 'V', 'M', 'K'),
    D3DFMT_MET_2_2_2_1_NV = MAKEFOURCC('N', 'V', 'M', 'L'),
    D3DFMT_MET_2_2_1_1_NV = MAKEFOURCC('N', 'V', 'M', 'M'),
    D3DFMT_MET_2_1_1_1_NV = MAKEFOURCC('N', 'V', 'M', 'N'),
    D3DFMT_MET_1_1_1_1_NV = MAKEFOURCC('N', 'V', 'M', 'O'),
    D3DFMT_R16F = 111,
    D3DFMT_G16R16F = 112,
    D3DFMT_A16B16G16R16F = 113,
    D3DFMT_R32F = 114,
    D3DFMT_G32R32F = 115,
    D3DFMT_A32B32G32R32F = 116,
    D3DFMT_CxV8U8 = 117,
    D3DFMT_FORCE_DWORD = 0x7FFFFFFF,
};

enum D3DDEVTYPE : DWORD {
    D3DDEVTYPE_HAL = 1,
    D3DDEVTYPE_REF = 2,
    D3DDEVTYPE_SW = 3,
    D3DDEVTYPE_NULLREF = 4,
};

enum D3DPOOL : DWORD {
    D3DPOOL_DEFAULT = 0,
    D3DPOOL_MANAGED = 1,
    D3DPOOL_SYSTEMMEM = 2,
    D3DPOOL_SCRATCH = 3,
};

enum D3DRESOURCETYPE : DWORD {
    D3DRTYPE_SURFACE = 1,
    D3DRTYPE_VOLUME = 2,
    D3DRTYPE_TEXTURE = 3,
    D3DRTYPE_VOLUMETEXTURE = 4,
    D3DRTYPE_CUBETEXTURE = 5,
    D3DRTYPE_VERTEXBUFFER = 6,
    D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DMULTISAMPLE_TYPE : DWORD {
    D3DMULTISAMPLE_NONE = 0,
    D3DMULTISAMPLE_NONMASKABLE = 1,
    D3DMULTISAMPLE_2_SAMPLES = 2,
    D3DMULTISAMPLE_3_SAMPLES = 3,
    D3DMULTISAMPLE_4_SAMPLES = 4,
    D3DMULTISAMPLE_5_SAMPLES = 5,
    D3DMULTISAMPLE_6_SAMPLES = 6,
    D3DMULTISAMPLE_7_SAMPLES = 7,
    D3DMULTISAMPLE_8_SAMPLES = 8,
    D3DMULTISAMPLE_16_SAMPLES = 16,
};

enum D3DSWAPEFFECT : DWORD {
    D3DSWAPEFFECT_DISCARD = 1,
    D3DSWAPEFFECT_FLIP = 2,
    D3DSWAPEFFECT_COPY = 3,
};

enum D3DBACKBUFFER_TYPE : DWORD {
    D3DBACKBUFFER_TYPE_MONO = 0,
    D3DBACKBUFFER_TYPE_LEFT = 1,
    D3DBACKBUFFER_TYPE_RIGHT = 2,
};

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x00000002;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;
constexpr DWORD D3DUSAGE_SOFTWAREPROCESSING = 0x00000010;
constexpr DWORD D3DUSAGE_DONOTCLIP = 0x00000020;
constexpr DWORD D3DUSAGE_POINTS = 0x00000040;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;
constexpr DWORD D3DUSAGE_AUTOGENMIPMAP = 0x00000400;
constexpr DWORD D3DUSAGE_DMAP = 0x00004000;

constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x00000002;
constexpr DWORD D3DCREATE_MULTITHREADED = 0x00000004;
constexpr DWORD D3DCREATE_PUREDEVICE = 0x00000010;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x00000080;
constexpr DWORD D3DCREATE_ADAPTERGROUP_DEVICE = 0x00000200;

constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x00000001;
constexpr DWORD D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL = 0x00000002;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x00000001;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;

constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

constexpr DWORD D3DSGR_NO_CALIBRATION = 0x00000000;
constexpr DWORD D3DSGR_CALIBRATE = 0x00000001;

constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;
constexpr DWORD D3DDEVCAPS_PUREDEVICE = 0x00100000;

constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x00000004;
constexpr DWORD D3DPTEXTURECAPS_NONPOW2CONDITIONAL = 0x00000100;
constexpr DWORD D3DPTEXTURECAPS_PROJECTED = 0x00000400;
constexpr DWORD D3DPTEXTURECAPS_CUBEMAP = 0x00000800;
constexpr DWORD D3DPTEXTURECAPS_VOLUMEMAP = 0x00002000;
constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x00004000;
constexpr DWORD D3DPTEXTURECAPS_MIPVOLUMEMAP = 0x00008000;
constexpr DWORD D3DPTEXTURECAPS_MIPCUBEMAP = 0x00010000;

constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x00000001;
constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x00000002;
constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x00000004;
constexpr DWORD D3DPTADDRESSCAPS_BORDER = 0x00000008;
constexpr DWORD D3DPTADDRESSCAPS_INDEPENDENTUV = 0x00000010;
constexpr DWORD D3DPTADDRESSCAPS_MIRRORONCE = 0x00000020;

constexpr DWORD D3DVS_VERSION(DWORD major, DWORD minor)
{
    return 0xFFFE0000u | (major << 8) | minor;
}
constexpr DWORD D3DPS_VERSION(DWORD major, DWORD minor)
{
    return 0xFFFF0000u | (major << 8) | minor;
}

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct D3DADAPTER_IDENTIFIER9 {
    char Driver[512];
    char Description[512];
    char DeviceName[32];
    LARGE_INTEGER DriverVersion;
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    GUID DeviceIdentifier;
    DWORD WHQLLevel;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

// The capability fields the engine reads, in Direct3D's spelling. The
// fixed-function limits sit with the others so one record describes the
// device.
struct D3DCAPS9 {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxAnisotropy;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    DWORD MaxVertexBlendMatrices;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    UINT MasterAdapterOrdinal;
    UINT AdapterOrdinalInGroup;
    UINT NumberOfAdaptersInGroup;
    DWORD NumSimultaneousRTs;
};

struct D3DVIEWPORT9 {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

struct D3DGAMMARAMP {
    WORD red[256];
    WORD green[256];
    WORD blue[256];
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    UINT Width;
    UINT Height;
};

// Resources: locks, descriptions, cube faces and queries.
constexpr DWORD D3DLOCK_READONLY = 0x00000010;
constexpr DWORD D3DLOCK_DISCARD = 0x00002000;
constexpr DWORD D3DLOCK_NOOVERWRITE = 0x00001000;
constexpr DWORD D3DLOCK_NOSYSLOCK = 0x00000800;
constexpr DWORD D3DLOCK_NO_DIRTY_UPDATE = 0x00008000;

struct D3DLOCKED_RECT {
    INT Pitch;
    void* pBits;
};

struct D3DBOX {
    UINT Left;
    UINT Top;
    UINT Right;
    UINT Bottom;
    UINT Front;
    UINT Back;
};

struct D3DLOCKED_BOX {
    INT RowPitch;
    INT SlicePitch;
    void* pBits;
};

struct D3DVOLUME_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Width;
    UINT Height;
    UINT Depth;
};

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    DWORD FVF;
};

struct D3DINDEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
};

enum D3DCUBEMAP_FACES : DWORD {
    D3DCUBEMAP_FACE_POSITIVE_X = 0,
    D3DCUBEMAP_FACE_NEGATIVE_X = 1,
    D3DCUBEMAP_FACE_POSITIVE_Y = 2,
    D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
    D3DCUBEMAP_FACE_POSITIVE_Z = 4,
    D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

enum D3DQUERYTYPE : DWORD {
    D3DQUERYTYPE_EVENT = 8,
    D3DQUERYTYPE_OCCLUSION = 9,
};
constexpr DWORD D3DISSUE_END = 1u << 0;
constexpr DWORD D3DISSUE_BEGIN = 1u << 1;
constexpr DWORD D3DGETDATA_FLUSH = 1u << 0;
