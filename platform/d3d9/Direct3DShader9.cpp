#include "platform/d3d9/Direct3DShader9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cstring>

namespace {

const char* const kVertexPrelude =
    "#version 330\n"
    "uniform vec4 vs_c[256];\n"
    "uniform vec4 d3d_posFixup;\n"
    "uniform vec4 d3d_clipPlanes[6];\n"
    "out float gl_ClipDistance[6];\n"
    "vec4 d3d_Position = vec4(0.0, 0.0, 0.0, 1.0);\n"
    "#define main d3d_main\n"
    "#line 1\n";

const char* const kVertexEpilogue =
    "\n#undef main\n"
    "void main()\n"
    "{\n"
    "    d3d_main();\n"
    "    vec4 p = d3d_Position;\n"
    "    for (int i = 0; i < 6; ++i)\n"
    "        gl_ClipDistance[i] = dot(p, d3d_clipPlanes[i]);\n"
    "    gl_Position = vec4(p.x + d3d_posFixup.x * p.w, d3d_posFixup.z * p.y + d3d_posFixup.y * p.w,\n"
    "                       2.0 * p.z - p.w, p.w);\n"
    "}\n";

const char* const kPixelPrelude =
    "#version 330\n"
    "uniform vec4 ps_c[224];\n"
    "layout(location = 0) out vec4 d3d_FragColor;\n"
    "#line 1\n";

} // namespace

IDirect3DShader9::IDirect3DShader9(IDirect3DDevice9* device, bool pixel, uint32_t storage)
    : IDirect3DDeviceChild9(device), m_pixel(pixel), m_storage(storage)
{
}

IDirect3DShader9::~IDirect3DShader9()
{
    if (m_storage)
        m_device->backend().destroyShader(m_storage);
}

bool IDirect3DShader9::unwrap(const DWORD* function, bool pixel, std::string* source)
{
    if (!function || !source)
        return false;
    const DWORD version = pixel ? D3DPS_VERSION(3, 0) : D3DVS_VERSION(3, 0);
    if (function[0] != version || function[1] != kTag || function[2] > kMaxSourceBytes)
        return false;
    const DWORD bytes = function[2];
    const char* text = reinterpret_cast<const char*>(function + 3);
    const DWORD words = (bytes + 3) / 4;
    if (function[3 + words] != kEndToken || std::memchr(text, 0, bytes) != nullptr)
        return false;
    *source = std::string(pixel ? kPixelPrelude : kVertexPrelude) + std::string(text, bytes)
              + (pixel ? "\n" : kVertexEpilogue);
    return true;
}

std::vector<DWORD> IDirect3DShader9::wrap(const std::string& source, bool pixel)
{
    const DWORD words = DWORD((source.size() + 3) / 4);
    std::vector<DWORD> out(3 + words + 1, 0);
    out[0] = pixel ? D3DPS_VERSION(3, 0) : D3DVS_VERSION(3, 0);
    out[1] = kTag;
    out[2] = DWORD(source.size());
    std::memcpy(out.data() + 3, source.data(), source.size());
    out[3 + words] = kEndToken;
    return out;
}
