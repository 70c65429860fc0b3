#pragma once
// Direct3D 9's documented vertex lighting, computed on the CPU for one vertex,
// and the light and material set-up the lighting tests share.
#include "platform/d3d9/D3D9States.h"
#include "tests/platform/FixedFunctionTestRig.h"

#include <ostream>
#include <vector>

namespace lighting {

struct Vec3 {
    float x, y, z;
};

Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
float dot(Vec3 a, Vec3 b);
Vec3 norm(Vec3 a);

struct LightCase {
    const char* name;
    D3DLIGHTTYPE type;
    Vec3 position;
    Vec3 direction;
    float range;
    float theta, phi, falloff;
    float att0, att1, att2;
    DWORD ambientSource, diffuseSource, emissiveSource, specularSource;
    bool specular;
    bool localViewer;
};

// Test output names a case by its name rather than its bytes.
inline void PrintTo(const LightCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr float kPi = 3.14159265f;
extern const D3DCOLORVALUE kLightDiffuse;
extern const D3DCOLORVALUE kLightAmbient;
extern const D3DCOLORVALUE kLightSpecular;
extern const D3DMATERIAL9 kMaterial;
constexpr DWORD kGlobalAmbient = 0x00302010;
constexpr DWORD kVertexDiffuse = 0x80ff8040;
constexpr DWORD kVertexSpecular = 0xff4080c0;

// The lit colour of a vertex at P with normal N (camera space, camera at the
// origin): every light's terms summed, the diffuse and specular outputs
// clamped, then added as SPECULARENABLE does. Material sources, specular and
// local viewer come from `settings`.
Rgba reference(const LightCase& settings, const std::vector<const LightCase*>& lights, Vec3 P, Vec3 N);

} // namespace lighting
