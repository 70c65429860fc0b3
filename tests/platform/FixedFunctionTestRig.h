#pragma once
// Draws with the generated fixed-function programs the way the device will:
// a state block, a program cache, the key from the state and the vertex
// layout, uniforms uploaded, then the draw and a read-back. Also the small
// matrix helpers and the reference colour arithmetic the tests compare with.
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/FixedFunctionState.h"
#include "platform/d3d9/GlProgramCache.h"
#include "tests/platform/GlTestContext.h"

#include <array>
#include <cstdint>
#include <vector>

struct Rgba {
    float r, g, b, a;
};

class FixedFunctionTestRig {
public:
    static constexpr int kSize = 16;

    FixedFunctionTestRig();
    ~FixedFunctionTestRig();
    FixedFunctionTestRig(const FixedFunctionTestRig&) = delete;
    FixedFunctionTestRig& operator=(const FixedFunctionTestRig&) = delete;

    // False when no GL context could be made; failure() says why.
    bool ready() const { return m_gl != nullptr; }
    const std::string& failure() const { return GlTestContext::failure(); }

    FixedFunctionState& state() { return m_state; }
    GlProgramCache& cache() { return m_cache; }
    GlTestContext& gl() { return *m_gl; }

    // Clears the target to `clearArgb`, draws, and answers whether a program was built.
    bool draw(const std::vector<GlTestVertex>& vertices, const FixedFunctionVertexFormat& format,
              uint32_t clearArgb = 0xff000000u,
              const std::array<FixedFunctionTextureKind, 8>& textures = {});
    Rgba pixel(int x, int y) const;
    // Depth test (LESSEQUAL) and writes for the next draws.
    void setDepthTest(bool on) { m_depthTest = on; }

    // Two triangles spanning (x0, y0)-(x1, y1) at depth z, normal n, colours.
    static std::vector<GlTestVertex> quad(float x0, float y0, float x1, float y1, float z, const float normal[3],
                                          uint32_t diffuse = 0xffffffffu, uint32_t specular = 0);

    static D3DMATRIX identity();
    static D3DMATRIX translation(float x, float y, float z);
    // Left-handed perspective, as the engine's cameras build it.
    static D3DMATRIX perspective(float fovY, float aspect, float zn, float zf);

private:
    // Declared first: the context is taken before the cache exists and given
    // back only after the cache has deleted its programs in it.
    struct Hold {
        explicit Hold(GlTestContext* context) : gl(context)
        {
            if (gl)
                gl->acquire();
        }
        ~Hold()
        {
            if (gl)
                gl->release();
        }
        GlTestContext* gl;
    } m_hold;
    GlTestContext* m_gl;
    FixedFunctionState m_state;
    GlProgramCache m_cache;
    bool m_depthTest = false;
};

Rgba rgbaOf(uint32_t argb);
uint32_t argbOf(const Rgba& c);
float saturate(float v);
