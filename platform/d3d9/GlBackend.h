#pragma once
#include "platform/d3d9/CapabilityModel.h"
#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/GlProgramCache.h"
#include "platform/d3d9/GlStateApplier.h"

#include <map>
#include <memory>
#include <utility>

// The device backend over the run's one GL context. Surfaces are
// renderbuffers, or levels of render-target textures, attached to one draw
// framebuffer object; Present resolves and turns the back buffer over into
// the window (see the conventions in Direct3DDevice9.h). Handles are the
// backend's own numbers, never GL names, so one namespace covers every kind.
//
// The backend's files: GlBackend.cpp (targets, clears, Present, read-back),
// GlBackendResources.cpp (textures, buffers, queries, shaders),
// GlBackendDraw.cpp (vertex input, programs and the draw).
class GlBackend : public DeviceBackend {
public:
    explicit GlBackend(const CapabilityModel& capabilities);
    ~GlBackend() override;

    HRESULT configure(const D3DPRESENT_PARAMETERS& params, HWND window) override;
    uint32_t createSurface(const D3DSURFACE_DESC& desc, int samples) override;
    void destroySurface(uint32_t storage) override;
    void bindTargets(uint32_t colour, uint32_t depth) override;
    void setViewport(const D3DVIEWPORT9& viewport) override;
    void clear(const RECT& area, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override;
    void beginScene() override;
    void endScene() override;
    HRESULT present(uint32_t backBuffer, HWND window) override;
    bool setGammaRamp(HWND window, const D3DGAMMARAMP& ramp) override;
    void setSoftwareVertexProcessing(bool software) override;
    bool readPixels(uint32_t storage, const RECT& area, std::vector<D3DCOLOR>& pixels) override;

    uint32_t createTexture(const BackendTextureDesc& desc) override;
    void destroyTexture(uint32_t texture) override;
    void uploadTexture(uint32_t texture, UINT face, UINT level, const void* data, UINT rowPitch,
                       UINT slicePitch) override;
    uint32_t createTextureSurface(uint32_t texture, UINT face, UINT level, const D3DSURFACE_DESC& desc) override;
    uint32_t createBuffer(UINT bytes, bool index, bool dynamic) override;
    void destroyBuffer(uint32_t buffer) override;
    void uploadBuffer(uint32_t buffer, UINT offset, const void* data, UINT bytes, bool discard) override;
    uint32_t createQuery() override;
    void destroyQuery(uint32_t query) override;
    void beginQuery(uint32_t query) override;
    void endQuery(uint32_t query) override;
    bool queryResult(uint32_t query, DWORD* samples, bool flush) override;
    uint32_t createShader(bool pixel, const std::string& source) override;
    void destroyShader(uint32_t shader) override;
    HRESULT draw(const DrawCall& call) override;
    bool beginForeignDraw() override;
    void endForeignDraw() override;

    // Fixed-function programs built so far (the benchmark's figure).
    size_t programsGenerated() const { return m_programs ? m_programs->programsGenerated() : 0; }

private:
    struct Surface {
        uint32_t renderbuffer = 0; // 0 for a texture level
        uint32_t texture = 0;
        uint32_t target = 0;       // GL_TEXTURE_2D or a cube face
        int level = 0;
        D3DSURFACE_DESC desc {};
        int samples = 0;
    };
    struct Texture {
        uint32_t name = 0;
        BackendTextureDesc desc;
    };
    struct Buffer {
        uint32_t name = 0;
        UINT bytes = 0;
        bool index = false;
        bool dynamic = false;
    };
    struct Shader {
        uint32_t name = 0;
        bool pixel = false;
    };
    struct LinkedProgram {
        uint32_t name = 0;
        int vertexConstants = -1;
        int pixelConstants = -1;
        int posFixup = -1;
        int clipPlanes = -1;
        int alphaTest = -1;
        int fogColor = -1;
        int fogRange = -1;
        int fogAffine = -1;
    };

    bool current();
    uint32_t newHandle() { return m_nextHandle++; }
    // A single-sampled copy of a surface, attached to m_readFbo for reading.
    bool attachForReading(const Surface& surface);
    void attach(uint32_t framebufferTarget, uint32_t attachment, const Surface* surface);
    // The user-memory draws' indices go through this; their vertices go to
    // m_upVertices, one place per stream, in setUpVertexInput.
    uint32_t streamBuffer(uint32_t* name, UINT* capacity, uint32_t target, const void* data, UINT bytes);
    bool setUpVertexInput(const DrawCall& call);
    void bindTextures(const DrawCall& call);
    void noteUnitZero(uint32_t name, uint32_t target);
    LinkedProgram* linkedProgram(uint32_t vertexShader, uint32_t pixelShader);
    // The alpha test and fog Direct3D applies after an authored pixel shader.
    static void setPostShaderUniforms(const LinkedProgram& linked, const FixedFunctionState& state);

    CapabilityModel m_capabilities;
    HWND m_window = nullptr;
    uint32_t m_drawFbo = 0;
    uint32_t m_readFbo = 0;
    uint32_t m_resolveBuffer = 0;
    UINT m_resolveWidth = 0;
    UINT m_resolveHeight = 0;
    D3DFORMAT m_resolveFormat = D3DFMT_UNKNOWN;
    uint32_t m_nextHandle = 1;
    std::map<uint32_t, Surface> m_surfaces;
    std::map<uint32_t, Texture> m_textures;
    std::map<uint32_t, Buffer> m_buffers;
    std::map<uint32_t, uint32_t> m_queries;
    std::map<uint32_t, Shader> m_shaders;
    std::map<std::pair<uint32_t, uint32_t>, LinkedProgram> m_linked;
    uint32_t m_colour = 0;
    uint32_t m_depth = 0;

    uint32_t m_vao = 0;
    uint32_t m_upVertices = 0;
    UINT m_upVertexCapacity = 0;
    uint32_t m_upIndices = 0;
    UINT m_upIndexCapacity = 0;
    std::unique_ptr<GlProgramCache> m_programs;
    GlStateApplier m_applier;
    // Texture names bound per unit, to skip rebinding the same ones.
    std::array<uint32_t, 16> m_boundTextures {};
    std::array<uint32_t, 16> m_boundTargets {};
    // The last fixed-function program and what chose it.
    GlProgram* m_lastProgram = nullptr;
    const FixedFunctionState* m_lastState = nullptr;
    uint64_t m_lastProgramSerial = 0;
    std::array<FixedFunctionTextureKind, FixedFunctionKey::kStageCount> m_lastKinds {};
    FixedFunctionVertexFormat m_lastFormat;
    uint32_t m_activeQuery = 0;
    // The backend whose states the shared context holds.
    static GlBackend* s_lastDrawer;
};
