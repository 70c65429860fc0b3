#include "platform/d3d9/Direct3DShader9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/FixedFunctionShader.h"

#include <cstring>

namespace {

const char* const kVertexPrelude =
    "#version 330\n"
    "uniform vec4 vs_c[256];\n"
    "uniform vec4 d3d_posFixup;\n"
    "uniform vec4 d3d_clipPlanes[6];\n"
    "out float gl_ClipDistance[6];\n"
    "vec4 d3d_Position = vec4(0.0, 0.0, 0.0, 1.0);\n"
    "float d3d_Fog = 1.0;\n"
    "out float d3d_vFog;\n"
    "out float d3d_vFogDepth;\n"
    "uniform float d3d_fogAffine;\n"
    "#define main d3d_main\n"
    "#line 1\n";

const char* const kVertexEpilogue =
    "\n#undef main\n"
    "void main()\n"
    "{\n"
    "    d3d_main();\n"
    "    vec4 p = d3d_Position;\n"
    "    d3d_vFog = d3d_Fog;\n"
    "    d3d_vFogDepth = d3d_fogAffine != 0.0 ? p.z / p.w : p.w;\n"
    "    for (int i = 0; i < 6; ++i)\n"
    "        gl_ClipDistance[i] = dot(p, d3d_clipPlanes[i]);\n"
    "    gl_Position = vec4(p.x + d3d_posFixup.x * p.w, d3d_posFixup.z * p.y + d3d_posFixup.y * p.w,\n"
    "                       2.0 * p.z - p.w, p.w);\n"
    "}\n";

const char* const kPixelPrelude =
    "#version 330\n"
    "uniform vec4 ps_c[224];\n"
    "layout(location = 0) out vec4 d3d_FragColor;\n"
    "in float d3d_vFog;\n"
    "in float d3d_vFogDepth;\n"
    "uniform vec4 d3d_alphaTest;\n"
    "uniform vec4 d3d_fogColor;\n"
    "uniform vec2 d3d_fogRange;\n"
    "#define main d3d_main\n"
    "#line 1\n";

// What Direct3D does after a pixel shader: the alpha test against the
// reference as an 8-bit value (x: the compare function, 0 off; y: the
// reference), then fog (colour's w: 1 the shader's fog value, 2 linear
// table fog from the depth).
const char* const kPixelEpilogue =
    "void main()\n"
    "{\n"
    "    d3d_main();\n"
    "    int func = int(d3d_alphaTest.x);\n"
    "    if (func != 0) {\n"
    "        float a = floor(clamp(d3d_FragColor.a, 0.0, 1.0) * 255.0 + 0.5);\n"
    "        float r = d3d_alphaTest.y;\n"
    "        bool pass = func == 2 ? a < r : func == 3 ? a == r : func == 4 ? a <= r : func == 5 ? a > r\n"
    "                  : func == 6 ? a != r : func == 7 ? a >= r : func != 1;\n"
    "        if (!pass)\n"
    "            discard;\n"
    "    }\n"
    "    float fog = 1.0;\n"
    "    if (d3d_fogColor.w == 1.0)\n"
    "        fog = clamp(d3d_vFog, 0.0, 1.0);\n"
    "    else if (d3d_fogColor.w == 2.0)\n"
    "        fog = d3d_linearFog(d3d_fogRange, d3d_vFogDepth);\n"
    "    d3d_FragColor.rgb = mix(d3d_fogColor.rgb, d3d_FragColor.rgb, fog);\n"
    "}\n";

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
    if (pixel)
        *source = std::string(kPixelPrelude) + std::string(text, bytes) + "\n#undef main\n"
                  + FixedFunctionShader::kLinearFogFunction + kPixelEpilogue;
    else
        *source = std::string(kVertexPrelude) + std::string(text, bytes) + kVertexEpilogue;
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
